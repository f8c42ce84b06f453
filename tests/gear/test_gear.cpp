// Gear, steering, bar, brakes and strut feedback through gear_step, with the
// hydraulic flag given directly. Each test runs in a fresh process.
#include <gtest/gtest.h>

#include "gear/gear.h"
#include "host/shared_state.h"

namespace {

constexpr double kDt = 0.125;  // a power of two: leg travel adds up exactly

void run(int frames, bool hydraulics_ok, double dt = kDt) {
    for (int i = 0; i < frames; ++i) gear_step(dt, hydraulics_ok);
}

void expect_legs(double position) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(G_Gear.legs[i].position, position) << i;
        EXPECT_EQ(G_Gear.wheels[i].gear_position, position) << i;
        EXPECT_EQ(G_Params.gear_leg_position[i], position) << i;
    }
}

}  // namespace

TEST(Gear, UpInFourSecondsEmergencyDownInEightFrozenOnTheGround) {
    for (Rate_Limiter& leg : G_Gear.legs) leg.position = leg.command = 1.0;
    G_Gear.gear_up_selected = true;
    run(31, true);
    expect_legs(0.25 * kDt);
    EXPECT_FALSE(all_gear_down());
    run(1, true);  // 4 s
    expect_legs(0.0);

    // Handle down without pressure, or the emergency handle half out: frozen.
    G_Gear.gear_up_selected = false;
    G_Gear.emergency_handle = 0.5;
    run(8, false);
    expect_legs(0.0);

    // Pulled with the handle up and no pressure: half speed.
    G_Gear.gear_up_selected = true;
    G_Gear.emergency_handle = 1.0;
    run(63, false);
    expect_legs(1.0 - 0.125 * kDt);
    run(1, false);  // 8 s
    expect_legs(1.0);
    EXPECT_TRUE(all_gear_down());

    // On the ground the gear handle moves nothing.
    G_Gear.emergency_handle = 0.0;
    G_Gear.wheels[LEG_LEFT].compression = 0.1;
    run(40, true);
    expect_legs(1.0);
}

TEST(Gear, SteeringFollowsThePedalAtEachModesAuthority) {
    G_Gear.wheels[LEG_NOSE].compression = 0.05;
    G_Params.pedal_position = -1.0;
    run(40, true, 0.02);
    EXPECT_EQ(G_Gear.steer_target, 0.185);
    EXPECT_NEAR(G_Gear.steer_position, 0.185, 0.01);  // settled in the deadband

    G_Params.pedal_position = 3.0;  // clamped before scaling
    run(1, false);                  // no pressure: target moves, wheel holds
    EXPECT_EQ(G_Gear.steer_target, -0.185);
    EXPECT_NEAR(G_Gear.steer_position, 0.185, 0.01);

    // Bar down: no demand without the mid mode; with it, 20/65 authority;
    // full authority, once selected with the bar up, takes precedence.
    G_Gear.bar.position = 1.0;
    G_Gear.bar_switch = true;
    run(1, true);
    EXPECT_EQ(G_Gear.steer_target, 0.0);
    select_steer_mode(1.0);
    run(1, true);
    EXPECT_EQ(G_Gear.steer_target, -20.0 / 65.0);
    G_Gear.bar.position = 0.0;
    select_steer_mode(1.0);
    run(1, true);
    EXPECT_EQ(G_Gear.steer_target, -1.0);
    select_steer_mode(0.0);
    EXPECT_FALSE(G_Gear.steer_mode_full || G_Gear.steer_mode_mid);

    // Airborne: no demand, the wheel is not centred, the bar goes up.
    const double held = G_Gear.steer_position;
    G_Gear.wheels[LEG_NOSE].compression = 0.0;
    run(8, true);
    EXPECT_EQ(G_Gear.steer_command, 0.0);
    EXPECT_EQ(G_Gear.steer_position, held);
    EXPECT_EQ(G_Gear.bar_position, 0.0);
}

TEST(Gear, HostPostsMapToNoseRightLeftWithCompressionLast) {
    const double right[8] = {1, 2, 3, 4, 5, 6, 7, 0.05};
    suspension_feedback(1, right);
    EXPECT_EQ(G_Gear.wheels[LEG_RIGHT].feedback[6], 7.0);
    EXPECT_TRUE(weight_on_wheels());
    const double left[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    suspension_feedback(2, left);
    EXPECT_EQ(G_Gear.wheels[LEG_LEFT].compression, 9.0);
    const double unloaded[8] = {};
    suspension_feedback(3, unloaded);
    suspension_feedback(-1, unloaded);
    EXPECT_EQ(G_Gear.wheels[LEG_LEFT].compression, 9.0);
    suspension_feedback(1, unloaded);
    suspension_feedback(2, unloaded);
    EXPECT_FALSE(weight_on_wheels());
    EXPECT_EQ(G_Gear.wheels[LEG_NOSE].feedback[0], 0.0);
}

TEST(Gear, SteeringSettlesWithLongFramesInsteadOfSwinging) {
    G_Gear.wheels[LEG_NOSE].compression = 0.05;
    G_Params.pedal_position = -1.0;  // target 0.185
    // At 20 Hz a full step is 0.05, five times the dead band: the wheel
    // must still come to rest inside it rather than swing about the target.
    run(10, true, 0.05);
    const double settled = G_Gear.steer_position;
    EXPECT_NEAR(settled, 0.185, 0.01);
    run(5, true, 0.05);
    EXPECT_EQ(G_Gear.steer_position, settled);
    // At 100 Hz every step ends inside the dead band, as it always did.
    G_Params.pedal_position = 1.0;
    run(100, true, 0.01);
    EXPECT_NEAR(G_Gear.steer_position, -0.185, 0.01);
    EXPECT_NE(G_Gear.steer_position, -0.185);  // stopped on entering the band
}
