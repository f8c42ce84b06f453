// The summed aerodynamic force and moment a host receives, against a hand
// computation from the data rows at alpha = 0, beta = 0 with every surface
// at rest: CX = CZ = -0.021, Cm_basic = -0.0598, Cm_extra = 0.019,
// CY = -0.0038, Cn = 0.0006, Cl = 0.
#include <gtest/gtest.h>

#include "abi/host.h"

namespace {

constexpr double kS = 19.5;
constexpr double kSpan = 9.3978984;
constexpr double kChord = 1.880362;

struct Sums {
    double f[3];
    double point[3];
    double m[3];
};

Sums frame(const Host& host, const Host::State& s) {
    host.push(s);
    host.ed_fm_simulate(0.01);
    Sums out{};
    host.ed_fm_add_local_force(&out.f[0], &out.f[1], &out.f[2], &out.point[0], &out.point[1],
                               &out.point[2]);
    host.ed_fm_add_local_moment(&out.m[0], &out.m[1], &out.m[2]);
    host.drain();
    return out;
}

}  // namespace

TEST(AeroSums, CleanAircraftAtZeroAlphaMatchesTheDataRows) {
    Host host;
    ASSERT_TRUE(host.load()) << host.error;
    host.ed_fm_hot_start_in_air();  // gear up, surfaces commanded to rest

    Host::State s;
    s.vx = 150.0;  // 1000 m standard atmosphere from the harness
    const double q = s.density * 0.5 * s.vx * s.vx;
    const double qS = q * kS;
    const double mach = s.vx / s.speed_of_sound;
    const double xm = 0.05 * mach + 0.3;

    const double CX = -0.021, CZ = -0.021, CY = -0.0038, Cl = 0.0;
    const double Cm = 2.5 * -0.0598 + xm * CZ + 0.019 + 0.2;
    const double Cn = 0.0006 - CY * xm * 0.2000832441431799;

    Sums a = frame(host, s);
    EXPECT_NEAR(a.f[0], qS * CX, 1e-9 * qS);
    EXPECT_NEAR(a.f[1], -qS * CZ, 1e-9 * qS);
    EXPECT_NEAR(a.f[2], qS * CY, 1e-9 * qS);
    EXPECT_NEAR(a.m[0], qS * Cl * kSpan, 1e-9 * qS);
    EXPECT_NEAR(a.m[1], -qS * Cn * kSpan, 1e-9 * qS);
    EXPECT_NEAR(a.m[2], qS * Cm * kChord, 1e-9 * qS);
    EXPECT_EQ(a.point[0], 0.0);

    // With the centre of mass moved, the forces act at the body origin and
    // add their lever moment about it: r = -cg, M += r x F.
    s.cg_x = 0.5;
    s.cg_y = 0.1;
    Sums b = frame(host, s);
    const double rx = -0.5, ry = -0.1, rz = 0.0;
    EXPECT_EQ(b.point[0], 0.5);
    EXPECT_EQ(b.point[1], 0.1);
    EXPECT_NEAR(b.m[0], a.m[0] + ry * a.f[2] - rz * a.f[1], 1e-9 * qS);
    EXPECT_NEAR(b.m[1], a.m[1] + rz * a.f[0] - rx * a.f[2], 1e-9 * qS);
    EXPECT_NEAR(b.m[2], a.m[2] + rx * a.f[1] - ry * a.f[0], 1e-9 * qS);
}
