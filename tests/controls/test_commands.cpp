#include <utility>

#include "controls_test_support.h"

namespace {

using Commands = ControlsTest;

TEST_F(Commands, ValuesAboveOneArriveEncoded) {
    for (auto [sent, meant] :
         {std::pair{1.5f, 2.0f}, {1.25f, 0.0f}, {3.125f, -1.0f}, {1.0f, 1.0f}, {-7.5f, -7.5f}}) {
        EXPECT_EQ(command_preconvert(sent), meant) << sent;
    }
    command_input(QFM_CMD_SPEED_BRAKE, 1.5f);
    EXPECT_EQ(G_FlightControls.speed_brake_switch, 2.0);
    command_input(QFM_CMD_SPEED_BRAKE, 1.0f);
    EXPECT_EQ(G_FlightControls.speed_brake_switch, 1.0);
}

TEST_F(Commands, AxesKeepTheirSignsAndTrimsHoldAtTheirLimits) {
    Flight_Controls& fcs = G_FlightControls;
    command_input(QFM_CMD_PITCH_AXIS, 0.3f);
    command_input(QFM_CMD_ROLL_AXIS, 0.3f);
    command_input(QFM_CMD_RUDDER_AXIS, -0.7f);
    EXPECT_EQ(fcs.pitch_stick, -static_cast<double>(0.3f));
    EXPECT_EQ(fcs.roll_stick, static_cast<double>(0.3f));
    EXPECT_EQ(G_Params.pedal_position, static_cast<double>(0.7f));

    command_input(QFM_CMD_PITCH_TRIM_UP, 0.0f);
    EXPECT_EQ(fcs.pitch_trim, 0.0008);
    for (int i = 0; i < 2000; ++i) {
        command_input(QFM_CMD_PITCH_TRIM_UP, 0.0f);
        ASSERT_LE(fcs.pitch_trim, 1.0);
    }
    EXPECT_EQ(fcs.pitch_trim, 1.0);
    fcs.roll_trim = -1.0;
    command_input(QFM_CMD_ROLL_TRIM_LEFT, 0.0f);
    EXPECT_EQ(fcs.roll_trim, -1.0);
    G_Params.pedal_position = 0.995;
    command_input(QFM_CMD_PEDAL_RIGHT, 0.0f);
    EXPECT_EQ(G_Params.pedal_position, 1.0);
}

TEST_F(Commands, ThrottleHasApproachIdleFloor) {
    double& throttle = G_Engine.core.throttle;
    command_input(QFM_CMD_THROTTLE_AXIS, 1.0f);
    EXPECT_EQ(throttle, 0.0);
    command_input(QFM_CMD_THROTTLE_AXIS, -1.0f);
    EXPECT_EQ(throttle, 100.0);
    command_input(QFM_CMD_THROTTLE_UP, 0.0f);
    EXPECT_EQ(throttle, 100.0);
    G_Engine.approach_idle = true;
    command_input(QFM_CMD_THROTTLE_AXIS, 1.0f);
    EXPECT_EQ(throttle, 37.7);
    command_input(QFM_CMD_THROTTLE_DOWN, 0.0f);
    EXPECT_EQ(throttle, 37.7);
}

TEST_F(Commands, BrakesAndSwitchesCompareExactly) {
    Wheel_Contact* w = G_Gear.wheels;
    command_input(QFM_CMD_BRAKES_AXIS, -1.0f);
    command_input(QFM_CMD_LEFT_BRAKE_AXIS, 0.0f);
    EXPECT_EQ(w[LEG_LEFT].brake, 0.5);
    EXPECT_EQ(w[LEG_RIGHT].brake, 1.0);
    // Parking brake: 0.5 sets it and leaves the brakes, -1 clears only the
    // flag, exactly 0 also releases both brakes.
    command_input(QFM_CMD_PARKING_BRAKE, 0.5f);
    EXPECT_TRUE(G_Gear.parking_brake);
    command_input(QFM_CMD_PARKING_BRAKE, -1.0f);
    EXPECT_FALSE(G_Gear.parking_brake);
    EXPECT_EQ(w[LEG_RIGHT].brake, 1.0);
    command_input(QFM_CMD_PARKING_BRAKE, 0.0f);
    EXPECT_EQ(w[LEG_LEFT].brake, 0.0);
    EXPECT_EQ(w[LEG_RIGHT].brake, 0.0);

    command_input(QFM_CMD_GENERATOR_ALT, 0.5f);
    EXPECT_TRUE(G_Electrical.generator_switch);
    command_input(QFM_CMD_GENERATOR, 1.0f);  // not a position of this switch
    EXPECT_TRUE(G_Electrical.generator_switch);
    command_input(QFM_CMD_GENERATOR, 0.0f);
    EXPECT_FALSE(G_Electrical.generator_switch);
    command_input(QFM_CMD_LIGHT_A, -1.0f);  // the half-bright position
    command_input(QFM_CMD_LIGHT_B, 1.0f);
    EXPECT_EQ(G_Lights.level_a, 0.5f);
    EXPECT_EQ(G_Lights.level_b, 1.0f);
}

}  // namespace
