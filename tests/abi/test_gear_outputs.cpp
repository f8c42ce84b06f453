// Gear state and the outputs as a host sees them, through the exports only.
#include <gtest/gtest.h>

#include <vector>

#include "abi/host.h"

namespace {

constexpr float kSentinel = -7.0f;
constexpr int kGearDownLamps[] = {QFM_COCKPIT_LAMP_NOSE_DOWN, QFM_COCKPIT_LAMP_LEFT_DOWN,
                                  QFM_COCKPIT_LAMP_RIGHT_DOWN};

std::vector<float> args(void (*write)(float*, size_t), size_t size) {
    std::vector<float> a(600, kSentinel);
    write(a.data(), size);
    return a;
}

}  // namespace

TEST(GearOutputsAbi, GroundStartShowsGearDownAndAirStartShowsItUp) {
    Host host;
    ASSERT_TRUE(host.load()) << host.error;
    host.ed_fm_hot_start();
    host.struts(0.1);
    std::vector<float> c = args(host.ed_fm_set_fc3_cockpit_draw_args_v2, QFM_COCKPIT_ARG_COUNT);
    for (int lamp : kGearDownLamps) EXPECT_EQ(c[lamp], 1.0f) << lamp;
    EXPECT_EQ(c[QFM_COCKPIT_LAMP_GEAR_TRANSIT], 0.0f);
    host.fly(Host::State{}, 50, 0.02);
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_LEFT_GEAR_UP), 0.0);
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_LEFT_GEAR_DOWN), 1.0);
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_RIGHT_GEAR_DOWN), 1.0);
    EXPECT_EQ(args(host.ed_fm_set_draw_args_v2, QFM_EXTERNAL_ARG_COUNT)[QFM_ARG_LEFT_GEAR], 1.0f);

    host.ed_fm_hot_start_in_air();
    host.struts(0.0);
    Host::State cruise;
    cruise.vx = 150.0;
    host.fly(cruise, 50, 0.02);
    for (double leg : host.params->gear_leg_position) EXPECT_EQ(leg, 0.0);
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_LEFT_GEAR_UP), 1.0);
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_LEFT_GEAR_DOWN), 0.0);
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_STEERING), 0.0);
    c = args(host.ed_fm_set_fc3_cockpit_draw_args_v2, QFM_COCKPIT_ARG_COUNT);
    for (int lamp : kGearDownLamps) EXPECT_EQ(c[lamp], 0.0f) << lamp;
    EXPECT_EQ(c[QFM_COCKPIT_LAMP_GEAR_TRANSIT], 0.0f);
}

namespace {

constexpr double kFrame = 1.0 / 64.0;  // s; leg travel per frame is exact

struct Flight {
    Host host;
    Host::State air;
    Host::State ground;

    bool start() {
        air.vx = 150.0;
        if (!host.load()) return false;
        host.ed_fm_hot_start();
        host.struts(0.1);
        return true;
    }
    void fly(const Host::State& s, int frames) const { host.fly(s, frames, kFrame); }
    double param(unsigned n) const { return host.ed_fm_get_param(n); }
    float external(int index) const {
        return args(host.ed_fm_set_draw_args_v2, QFM_EXTERNAL_ARG_COUNT)[index];
    }
    float cockpit(int index) const {
        return args(host.ed_fm_set_fc3_cockpit_draw_args_v2, QFM_COCKPIT_ARG_COUNT)[index];
    }
};

}  // namespace

TEST(GearOutputsAbi, GearCycleUpOnPressureDownOnTheEmergencyHandle) {
    Flight f;
    ASSERT_TRUE(f.start()) << f.host.error;
    f.host.ed_fm_set_command(QFM_CMD_GEAR_HANDLE, 0.0f);  // up, but on the ground
    f.fly(f.ground, 64);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_GEAR_DOWN), 1.0);

    // Airborne on engine-driven pressure: 4 s to fully up.
    f.host.struts(0.0);
    f.fly(f.air, 255);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_GEAR), 0.25 * kFrame);
    EXPECT_EQ(f.cockpit(QFM_COCKPIT_LAMP_GEAR_TRANSIT), 1.0f);  // legs in transit
    f.fly(f.air, 1);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_GEAR_UP), 1.0);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_GEAR_UP), 1.0);
    EXPECT_EQ(f.param(QFM_PARAM_NOSE_GEAR), 0.0);

    // Engine cut: wait until the main system is below the gear's 1500 psi.
    f.host.ed_fm_set_command(QFM_CMD_THROTTLE_CUTOFF, 0.0f);
    int frames = 0;
    while (f.cockpit(QFM_COCKPIT_ARG_MAIN_PRESSURE) >= 1500.0f / 4000.0f && frames < 64 * 120) {
        f.fly(f.air, 1);
        ++frames;
    }
    ASSERT_LT(f.cockpit(QFM_COCKPIT_ARG_MAIN_PRESSURE), 1500.0f / 4000.0f);

    // Emergency extension at half speed: 8 s, handle still up.
    f.host.ed_fm_set_command(QFM_CMD_GEAR_EMERGENCY, 1.0f);
    f.fly(f.air, 511);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_GEAR), 1.0 - 0.125 * kFrame);
    f.fly(f.air, 1);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_GEAR_DOWN), 1.0);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_GEAR_DOWN), 1.0);
}

TEST(GearOutputsAbi, SteeringModesAndTheBarOnTheGround) {
    Flight f;
    ASSERT_TRUE(f.start()) << f.host.error;
    f.host.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, 1.0f);  // full right pedal
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(QFM_PARAM_STEERING), -0.185, 0.01);

    f.host.ed_fm_set_command(QFM_CMD_STEER_MODE, 1.0f);  // bar up: full authority
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(QFM_PARAM_STEERING), -1.0, 0.01);
    EXPECT_EQ(f.cockpit(QFM_COCKPIT_LAMP_STEER_FULL), 1.0f);

    // Bar down: cleared and reselected, the button now gives mid authority.
    f.host.ed_fm_set_command(QFM_CMD_BAR, 1.0f);
    f.host.ed_fm_set_command(QFM_CMD_STEER_MODE, 0.0f);
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(QFM_PARAM_STEERING), 0.0, 0.01);  // no demand with the bar down
    EXPECT_EQ(f.external(QFM_ARG_BAR), 1.0f);
    EXPECT_EQ(f.cockpit(QFM_COCKPIT_LAMP_BAR_READY), 1.0f);  // bar down
    f.host.ed_fm_set_command(QFM_CMD_STEER_MODE, 1.0f);
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(QFM_PARAM_STEERING), -20.0 / 65.0, 0.01);

    // Airborne: reported centred, and the bar comes up.
    f.host.struts(0.0);
    f.fly(f.air, 64);
    EXPECT_EQ(f.param(QFM_PARAM_STEERING), 0.0);
    EXPECT_EQ(f.external(QFM_ARG_BAR), 0.0f);
}

TEST(GearOutputsAbi, ParkingBrakeInTheAirAndOnTheGround) {
    Flight f;
    ASSERT_TRUE(f.start()) << f.host.error;
    f.host.struts(0.0);
    f.host.ed_fm_set_command(QFM_CMD_BRAKES_AXIS, 1.0f);  // axis released
    f.host.ed_fm_set_command(QFM_CMD_PARKING_BRAKE, 1.0f);
    f.fly(f.air, 8);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_BRAKE), 0.0);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_BRAKE), 0.0);

    f.host.struts(0.1);
    f.fly(f.ground, 1);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_BRAKE), 1.0);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_BRAKE), 1.0);

    // A negative value clears the flag and leaves the brakes; 0 frees them.
    f.host.ed_fm_set_command(QFM_CMD_PARKING_BRAKE, -1.0f);
    f.fly(f.ground, 1);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_BRAKE), 1.0);
    f.host.ed_fm_set_command(QFM_CMD_PARKING_BRAKE, 1.0f);
    f.host.ed_fm_set_command(QFM_CMD_PARKING_BRAKE, 0.0f);
    EXPECT_EQ(f.param(QFM_PARAM_LEFT_BRAKE), 0.0);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_BRAKE), 0.0);
    f.fly(f.ground, 1);
    EXPECT_EQ(f.param(QFM_PARAM_RIGHT_BRAKE), 0.0);
}
