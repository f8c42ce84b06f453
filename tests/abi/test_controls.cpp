// Flight controls, hydraulics and command input driven only through the
// exports: commands go in through ed_fm_set_command, and their effect is
// read back from the forces and moments, G_Params and the stand-in cockpit.
#include <gtest/gtest.h>

#include <cmath>

#include "abi/host.h"

namespace {

constexpr double kFrame = 0.02;  // s

// What one frame hands back to the host.
struct Frame_Out {
    double force_y = 0.0;        // summed force, N
    double moment_z = 0.0;       // summed moment, N*m
    double speed_brake_x = 0.0;  // both speed-brake panels' drag, N
};

bool is_speed_brake_point(double x, double y, double z) {
    return x == -3.5 && y == -0.19 && std::fabs(z) == 0.68;
}

Frame_Out frame(const Host& host, const Host::State& s) {
    host.push(s);
    host.ed_fm_simulate(kFrame);
    Frame_Out out;
    double f[3];
    double p[3];
    host.ed_fm_add_local_force(&f[0], &f[1], &f[2], &p[0], &p[1], &p[2]);
    out.force_y = f[1];
    double m[3];
    host.ed_fm_add_local_moment(&m[0], &m[1], &m[2]);
    out.moment_z = m[2];
    while (host.ed_fm_add_local_force_component(&f[0], &f[1], &f[2], &p[0], &p[1], &p[2])) {
        if (is_speed_brake_point(p[0], p[1], p[2])) out.speed_brake_x += f[0];
    }
    host.mass_change();
    return out;
}

Frame_Out fly(const Host& host, const Host::State& s, int frames) {
    Frame_Out out;
    for (int i = 0; i < frames; ++i) out = frame(host, s);
    return out;
}

// Level flight at 120 m/s (about 230 knots calibrated at 1000 m).
Host::State cruise() {
    Host::State s;
    s.vx = 120.0;
    s.alpha = 0.05;
    return s;
}

class ControlsAbi : public ::testing::Test {
 protected:
    void SetUp() override { ASSERT_TRUE(host.load()) << host.error; }
    Host host;
};

TEST_F(ControlsAbi, SpeedBrakeSwitchExtendsHoldsAndRetractsUnderPressure) {
    const Host::State s = cruise();
    // A cold aircraft has no hydraulic pressure: extend does nothing.
    host.ed_fm_cold_start();
    host.ed_fm_set_command(QFM_CMD_SPEED_BRAKE, 1.0f);
    EXPECT_EQ(fly(host, s, 100).speed_brake_x, 0.0);

    host.ed_fm_hot_start_in_air();
    const double q = s.density * 0.5 * s.vx * s.vx;
    const double full = -2.0 * 0.585 * q;  // two panels, 0.585 m^2 each
    host.ed_fm_set_command(QFM_CMD_SPEED_BRAKE, 1.0f);
    EXPECT_NEAR(frame(host, s).speed_brake_x, full * 0.5 / 60.0, 1e-6);
    // Half-way at 1.2 s; stop holds it there.
    EXPECT_NEAR(fly(host, s, 59).speed_brake_x, full * 0.5, 1e-6);
    host.ed_fm_set_command(QFM_CMD_SPEED_BRAKE, 0.0f);
    EXPECT_NEAR(fly(host, s, 100).speed_brake_x, full * 0.5, 1e-6);
    // An encoded 1.5 arrives as 2.0, which also means extend.
    host.ed_fm_set_command(QFM_CMD_SPEED_BRAKE, 1.5f);
    EXPECT_NEAR(fly(host, s, 59).speed_brake_x, full * (59.5 / 60.0), 1e-6);
    EXPECT_NEAR(frame(host, s).speed_brake_x, full, 1e-6);
    host.ed_fm_set_command(QFM_CMD_SPEED_BRAKE, -1.0f);
    EXPECT_LT(fly(host, s, 119).speed_brake_x, 0.0);
    EXPECT_EQ(frame(host, s).speed_brake_x, 0.0);
}

TEST_F(ControlsAbi, EmergencyFlapsRunOnBrakePressureAfterMainPressureIsLost) {
    const Host::State s = cruise();
    host.ed_fm_hot_start_in_air();
    // One second fills the brake system, which a cold start leaves alone.
    const Frame_Out clean = fly(host, s, 50);
    host.ed_fm_cold_start();

    // Flap lever down in normal mode: no main pressure, no flaps.
    host.ed_fm_set_command(QFM_CMD_FLAP_LEVER, 1.0f);
    EXPECT_EQ(fly(host, s, 100).force_y, clean.force_y);

    // Emergency mode: full flap at 9 deg/s, 5.56 s for the 50 degrees.
    host.ed_fm_set_command(QFM_CMD_FLAP_MODE, 0.0f);
    const Frame_Out first = frame(host, s);
    EXPECT_GT(first.force_y, clean.force_y);
    const Frame_Out almost = fly(host, s, 276);
    EXPECT_GT(almost.force_y, first.force_y);
    const Frame_Out full = frame(host, s);
    EXPECT_GT(full.force_y, almost.force_y);
    EXPECT_EQ(fly(host, s, 10).force_y, full.force_y);
}

TEST_F(ControlsAbi, AuxiliaryActionIsDispatchedWhileTheSwitchIsOn) {
    // A cold start leaves the switch off.
    host.ed_fm_cold_start();
    const int before = host.action_count();
    host.ed_fm_set_command(QFM_CMD_AUX_ACTION_TRIPLE, 0.0f);
    host.ed_fm_set_command(QFM_CMD_AUX_ACTION, 0.0f);
    EXPECT_EQ(host.action_count(), before);

    // Hot starts turn it on: three dispatches for the triple, one for the single.
    host.ed_fm_hot_start();
    host.ed_fm_set_command(QFM_CMD_AUX_ACTION_TRIPLE, 0.0f);
    EXPECT_EQ(host.action_count(), before + 3);
    host.ed_fm_set_command(QFM_CMD_AUX_ACTION, 0.0f);
    ASSERT_EQ(host.action_count(), before + 4);
    for (int i = before; i < before + 4; ++i) {
        int device = -1;
        int action = -1;
        double value = 0.0;
        ASSERT_TRUE(host.action(i, &device, &action, &value));
        EXPECT_EQ(device, 0);
        EXPECT_EQ(action, 83);
        EXPECT_EQ(value, 1.0);
    }

    host.ed_fm_set_command(QFM_CMD_AUX_SWITCH, 0.0f);
    host.ed_fm_set_command(QFM_CMD_AUX_ACTION_TRIPLE, 0.0f);
    EXPECT_EQ(host.action_count(), before + 4);
    host.ed_fm_set_command(QFM_CMD_AUX_SWITCH, 1.0f);
    host.ed_fm_set_command(QFM_CMD_AUX_ACTION, 0.0f);
    EXPECT_EQ(host.action_count(), before + 5);
}

}  // namespace
