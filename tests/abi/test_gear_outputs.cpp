// Gear state and the outputs as a host sees them, through the exports only.
#include <gtest/gtest.h>

#include <vector>

#include "abi/host.h"

namespace {

constexpr float kSentinel = -7.0f;

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
    for (int post = 0; post < 3; ++post) host.strut(post, 0.1);
    std::vector<float> c = args(host.ed_fm_set_fc3_cockpit_draw_args_v2, 412);
    for (int lamp : {121, 122, 123}) EXPECT_EQ(c[lamp], 1.0f) << lamp;
    EXPECT_EQ(c[120], 0.0f);
    host.fly(Host::State{}, 50, 0.02);
    EXPECT_EQ(host.ed_fm_get_param(2013), 0.0);
    EXPECT_EQ(host.ed_fm_get_param(2014), 1.0);
    EXPECT_EQ(host.ed_fm_get_param(2024), 1.0);
    EXPECT_EQ(args(host.ed_fm_set_draw_args_v2, 501)[5], 1.0f);

    host.ed_fm_hot_start_in_air();
    for (int post = 0; post < 3; ++post) host.strut(post, 0.0);
    Host::State cruise;
    cruise.vx = 150.0;
    host.fly(cruise, 50, 0.02);
    for (double leg : host.params->gear_leg_position) EXPECT_EQ(leg, 0.0);
    EXPECT_EQ(host.ed_fm_get_param(2013), 1.0);
    EXPECT_EQ(host.ed_fm_get_param(2014), 0.0);
    EXPECT_EQ(host.ed_fm_get_param(2005), 0.0);
    c = args(host.ed_fm_set_fc3_cockpit_draw_args_v2, 412);
    for (int lamp : {120, 121, 122, 123}) EXPECT_EQ(c[lamp], 0.0f) << lamp;
}

TEST(GearOutputsAbi, ColdStartLampsDarkGaugesWrittenAndShortArraysRespected) {
    Host host;
    ASSERT_TRUE(host.load()) << host.error;
    host.ed_fm_cold_start();
    // Unpowered: dark although pressures are 0, the canopy is open and the
    // generator is off line.
    std::vector<float> c = args(host.ed_fm_set_fc3_cockpit_draw_args_v2, 412);
    for (int lamp : {72, 74, 75, 121, 149, 153}) EXPECT_EQ(c[lamp], 0.0f) << lamp;
    EXPECT_EQ(c[310], 0.0f);
    EXPECT_EQ(c[1], 0.9f);
    EXPECT_EQ(c[73], kSentinel);

    host.ed_fm_hot_start();
    c = args(host.ed_fm_set_fc3_cockpit_draw_args_v2, 124);
    EXPECT_EQ(c[123], 1.0f);
    for (size_t i = 124; i < c.size(); ++i) ASSERT_EQ(c[i], kSentinel) << i;
    std::vector<float> e = args(host.ed_fm_set_draw_args_v2, 86);
    EXPECT_EQ(e[0], 1.0f);
    for (size_t i = 86; i < e.size(); ++i) ASSERT_EQ(e[i], kSentinel) << i;
    e = args(host.ed_fm_set_draw_args_v2, 0);
    for (float v : e) ASSERT_EQ(v, kSentinel);
}

namespace {

constexpr double kFrame = 1.0 / 64.0;  // s; leg travel per frame is exact

enum : int {
    kBrakesAxis = 2101,
    kRudderAxis = 2003,
    kSteerMode = 3014,
    kBarSwitch = 3015,
    kGearHandle = 3016,
    kEmergencyHandle = 3018,
    kThrottleCutoff = 3024,
    kParkingBrake = 3038,
};

struct Flight {
    Host host;
    Host::State air;
    Host::State ground;

    bool start() {
        air.vx = 150.0;
        if (!host.load()) return false;
        host.ed_fm_hot_start();
        struts(0.1);
        return true;
    }
    void struts(double compression) const {
        for (int post = 0; post < 3; ++post) host.strut(post, compression);
    }
    void fly(const Host::State& s, int frames) const { host.fly(s, frames, kFrame); }
    double param(unsigned n) const { return host.ed_fm_get_param(n); }
    float cockpit(int index) const {
        return args(host.ed_fm_set_fc3_cockpit_draw_args_v2, 412)[index];
    }
};

}  // namespace

TEST(GearOutputsAbi, GearCycleUpOnPressureDownOnTheEmergencyHandle) {
    Flight f;
    ASSERT_TRUE(f.start()) << f.host.error;
    f.host.ed_fm_set_command(kGearHandle, 0.0f);  // up, but on the ground
    f.fly(f.ground, 64);
    EXPECT_EQ(f.param(2014), 1.0);

    // Airborne on engine-driven pressure: 4 s to fully up.
    f.struts(0.0);
    f.fly(f.air, 255);
    EXPECT_EQ(f.param(2012), 0.25 * kFrame);
    EXPECT_EQ(f.cockpit(120), 1.0f);  // legs in transit
    f.fly(f.air, 1);
    EXPECT_EQ(f.param(2013), 1.0);
    EXPECT_EQ(f.param(2023), 1.0);
    EXPECT_EQ(f.param(2002), 0.0);

    // Engine cut: wait until the main system is below the gear's 1500 psi.
    f.host.ed_fm_set_command(kThrottleCutoff, 0.0f);
    int frames = 0;
    while (f.cockpit(310) >= 1500.0f / 4000.0f && frames < 64 * 120) {
        f.fly(f.air, 1);
        ++frames;
    }
    ASSERT_LT(f.cockpit(310), 1500.0f / 4000.0f);

    // Emergency extension at half speed: 8 s, handle still up.
    f.host.ed_fm_set_command(kEmergencyHandle, 1.0f);
    f.fly(f.air, 511);
    EXPECT_EQ(f.param(2022), 1.0 - 0.125 * kFrame);
    f.fly(f.air, 1);
    EXPECT_EQ(f.param(2014), 1.0);
    EXPECT_EQ(f.param(2024), 1.0);
}

TEST(GearOutputsAbi, SteeringModesAndTheBarOnTheGround) {
    Flight f;
    ASSERT_TRUE(f.start()) << f.host.error;
    f.host.ed_fm_set_command(kRudderAxis, 1.0f);  // full right pedal
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(2005), -0.185, 0.01);

    f.host.ed_fm_set_command(kSteerMode, 1.0f);  // bar up: full authority
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(2005), -1.0, 0.01);
    EXPECT_EQ(f.cockpit(101), 1.0f);

    // Bar down: cleared and reselected, the button now gives mid authority.
    f.host.ed_fm_set_command(kBarSwitch, 1.0f);
    f.host.ed_fm_set_command(kSteerMode, 0.0f);
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(2005), 0.0, 0.01);  // no demand with the bar down
    EXPECT_EQ(args(f.host.ed_fm_set_draw_args_v2, 501)[85], 1.0f);
    EXPECT_EQ(f.cockpit(131), 1.0f);  // bar down
    f.host.ed_fm_set_command(kSteerMode, 1.0f);
    f.fly(f.ground, 64);
    EXPECT_NEAR(f.param(2005), -20.0 / 65.0, 0.01);

    // Airborne: reported centred, and the bar comes up.
    f.struts(0.0);
    f.fly(f.air, 64);
    EXPECT_EQ(f.param(2005), 0.0);
    EXPECT_EQ(args(f.host.ed_fm_set_draw_args_v2, 501)[85], 0.0f);
}

TEST(GearOutputsAbi, ParkingBrakeInTheAirAndOnTheGround) {
    Flight f;
    ASSERT_TRUE(f.start()) << f.host.error;
    f.struts(0.0);
    f.host.ed_fm_set_command(kBrakesAxis, 1.0f);  // axis released
    f.host.ed_fm_set_command(kParkingBrake, 1.0f);
    f.fly(f.air, 8);
    EXPECT_EQ(f.param(2011), 0.0);
    EXPECT_EQ(f.param(2021), 0.0);

    f.struts(0.1);
    f.fly(f.ground, 1);
    EXPECT_EQ(f.param(2011), 1.0);
    EXPECT_EQ(f.param(2021), 1.0);

    // A negative value clears the flag and leaves the brakes; 0 frees them.
    f.host.ed_fm_set_command(kParkingBrake, -1.0f);
    f.fly(f.ground, 1);
    EXPECT_EQ(f.param(2011), 1.0);
    f.host.ed_fm_set_command(kParkingBrake, 1.0f);
    f.host.ed_fm_set_command(kParkingBrake, 0.0f);
    EXPECT_EQ(f.param(2011), 0.0);
    EXPECT_EQ(f.param(2021), 0.0);
    f.fly(f.ground, 1);
    EXPECT_EQ(f.param(2021), 0.0);
}
