// The generated F-16 models against the DAVE-ML files' own check cases, and
// the check vehicle's axes and controls through its exports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>

#include "f16_check_data.inc"
#include "quillon_fm.h"

namespace {

template <typename Case, typename Evaluate>
void expect_all(const Case* cases, size_t count, int outputs, Evaluate evaluate) {
    ASSERT_GT(count, 0u);
    for (size_t k = 0; k < count; ++k) {
        const Case& c = cases[k];
        double out[16];
        ASSERT_LE(outputs, 16);
        evaluate(c.in, out);
        ASSERT_GT(c.checked, 0) << c.name;
        for (int i = 0; i < c.checked; ++i) {
            const qfm_f16::check::Expected& e = c.out[i];
            EXPECT_NEAR(out[e.output], e.value, e.tol) << c.name << ", output " << e.output;
        }
    }
}

TEST(F16Model, PassesTheFilesCheckCases) {
    using namespace qfm_f16;
    expect_all(check::kAero, std::size(check::kAero), aero::Out::count, aero::evaluate);
    expect_all(check::kProp, std::size(check::kProp), prop::Out::count, prop::evaluate);
}

// Loads and frees the vehicle library around each use.
struct Vehicle_Library {
    void* handle = dlopen(QFM_F16_VEHICLE_PATH, RTLD_NOW | RTLD_LOCAL);
    ~Vehicle_Library() {
        if (handle) dlclose(handle);
    }
    template <typename Fn>
    Fn get(const char* name) const {
        return reinterpret_cast<Fn>(dlsym(handle, name));
    }
};

struct Loads {
    double f[3], m[3];
};

// Steady flight at 150 m/s, 5 deg angle of attack and the given sideslip
// (deg, wind in the right ear positive) and control axes.
Loads fly(const Vehicle_Library& lib, double beta_deg, double roll_axis, double rudder_axis) {
    const double a = 5.0 / 57.29577951308232, b = beta_deg / 57.29577951308232, v = 150.0;
    lib.get<decltype(&ed_fm_set_current_state_body_axis)>("ed_fm_set_current_state_body_axis")(
        0, 0, 0, v * std::cos(a) * std::cos(b), -v * std::sin(a) * std::cos(b), v * std::sin(b), 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, a, b);
    lib.get<decltype(&ed_fm_set_atmosphere)>("ed_fm_set_atmosphere")(3000.0, 268.7, 328.6, 0.909,
                                                                     70000.0, 0, 0, 0);
    const auto command = lib.get<decltype(&ed_fm_set_command)>("ed_fm_set_command");
    command(QFM_CMD_ROLL_AXIS, static_cast<float>(roll_axis));
    command(QFM_CMD_RUDDER_AXIS, static_cast<float>(rudder_axis));
    lib.get<decltype(&ed_fm_simulate)>("ed_fm_simulate")(0.01);
    Loads l;
    double px, py, pz;
    lib.get<decltype(&ed_fm_add_local_force)>("ed_fm_add_local_force")(&l.f[0], &l.f[1], &l.f[2],
                                                                       &px, &py, &pz);
    lib.get<decltype(&ed_fm_add_local_moment)>("ed_fm_add_local_moment")(&l.m[0], &l.m[1], &l.m[2]);
    return l;
}

// Host axes: x forward, y up, z right. Moments: +x rolls right, +y yaws the
// nose left, +z pitches the nose up.
TEST(F16Vehicle, ForcesAndControlsInTheHostsAxes) {
    const Vehicle_Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    const Loads level = fly(lib, 0.0, 0.0, 0.0);
    EXPECT_GT(level.f[1], 50000.0);  // lift up, several tonnes
    EXPECT_LT(level.f[0], 0.0);      // drag over idle thrust
    EXPECT_NEAR(level.f[2], 0.0, 1e-6);
    // Wind in the right ear: side force to the left, nose turns right into
    // the wind, the right wing rises (dihedral effect).
    const Loads slip = fly(lib, 5.0, 0.0, 0.0);
    EXPECT_LT(slip.f[2], 0.0);
    EXPECT_LT(slip.m[1], 0.0);
    EXPECT_LT(slip.m[0], 0.0);
    // Right stick rolls right; right pedal yaws the nose right.
    EXPECT_GT(fly(lib, 0.0, 0.5, 0.0).m[0], level.m[0] + 1000.0);
    EXPECT_LT(fly(lib, 0.0, 0.0, 0.5).m[1], level.m[1] - 1000.0);
}

}  // namespace
