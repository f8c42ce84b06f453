#include <utility>

#include "controls_test_support.h"

namespace {

using FlightControls = ControlsTest;

// Frames of the control laws followed by the actuators.
void fly(int frames, bool primary, bool main, bool brake, double kcas) {
    for (int i = 0; i < frames; ++i) {
        control_step(kFrame);
        surface_step(kFrame, primary, main, brake, kcas);
    }
}

TEST_F(FlightControls, ControlLawGearingsDeadBandAndInterconnect) {
    Flight_Controls& fcs = G_FlightControls;
    const Surface_State& s = fcs.surfaces;

    set_gear(1.0);
    fcs.pitch_stick = -1.0;
    fcs.roll_stick = -1.0;
    control_step(kFrame);
    EXPECT_EQ(s.elevator_command, 15.0);
    EXPECT_EQ(s.aileron_command, 15.5);
    set_gear(0.0);
    control_step(kFrame);
    EXPECT_EQ(s.aileron_command, 12.5);
    G_Gear.legs[LEG_RIGHT].position = 0.001;  // one leg off its up stop
    control_step(kFrame);
    EXPECT_EQ(s.aileron_command, 15.5);

    fcs.roll_stick = 0.0;
    fcs.roll_trim = 1.0;
    control_step(kFrame);
    EXPECT_EQ(s.aileron_command, -9.0);
    set_gear(0.0);
    control_step(kFrame);
    EXPECT_EQ(s.aileron_command, -6.0);
    fcs.roll_trim = 0.0;

    // Pedal: dead band up to |p| = 44 (p = 450 * pedal), then clamped at 30.
    for (auto [pedal, rudder] : {std::pair{0.09, 0.0}, {0.1, 0.0743}, {1.0, 30.0}, {-1.0, -30.0}}) {
        G_Params.pedal_position = pedal;
        control_step(kFrame);
        EXPECT_NEAR(s.rudder_command, rudder, 1e-12) << "pedal " << pedal;
    }
    G_Params.pedal_position = 0.0;

    // At 30 deg alpha the interconnect gain is 1.5; the stability-axis
    // term uses 1/57.3 (with the exact factor it would be 6.0, not 5.9996).
    fcs.motion.alpha_deg = fcs.alpha_filtered = 30.0;
    fcs.roll_stick = -1.0;
    fcs.motion.yaw_rate = 0.1;
    fcs.motion.roll_rate = 0.2;
    control_step(kFrame);
    EXPECT_NEAR(s.rudder_command, 18.48001988711113, 1e-12);
}

TEST_F(FlightControls, AlphaLagNeverPassesThirtyAndSurvivesLongFrames) {
    Flight_Controls& fcs = G_FlightControls;
    fcs.motion.alpha_deg = 100.0;
    control_step(kFrame);
    EXPECT_DOUBLE_EQ(fcs.alpha_filtered, 6.0);  // 30 * 10 * 0.02
    for (int i = 0; i < 500; ++i) {
        control_step(kFrame);
        ASSERT_LE(fcs.alpha_filtered, 30.0);
    }
    EXPECT_NEAR(fcs.alpha_filtered, 30.0, 1e-9);

    // Plain Euler at dt = 10 s would read 30 + 100 * (-5 - 30) = -3470
    // after one frame and swing 99 times further out on every frame after
    // (infinite after about 155); the step factor is held at 1.
    fcs.motion.alpha_deg = -40.0;
    control_step(10.0);
    EXPECT_EQ(fcs.alpha_filtered, -5.0);
    fcs.motion.alpha_deg = 20.0;
    for (int i = 0; i < 20; ++i) control_step(0.3);
    EXPECT_EQ(fcs.alpha_filtered, 20.0);
    // Up to dt = 0.1 s the Euler step is unchanged.
    fcs.alpha_filtered = 0.0;
    control_step(0.1);
    EXPECT_EQ(fcs.alpha_filtered, 20.0 * 10.0 * 0.1);
}

TEST_F(FlightControls, SpeedBrakeAirspeedScheduleForAllThreeSwitchPositions) {
    Flight_Controls& fcs = G_FlightControls;
    // Switch, kcas, position from and the position it settles at (deg).
    const double cases[][4] = {
        // Extend: full up to 340 kn, held from there to 380, then blown
        // back to 0 at 440.
        {1.0, 300.0, 0.0, 60.0},
        {1.0, 340.0, 0.0, 60.0},
        {1.0, 350.0, 0.0, 0.0},
        {1.0, 350.0, 20.0, 20.0},
        {1.0, 380.0, 0.0, 60.0},
        {1.0, 400.0, 60.0, 40.0},
        {1.0, 410.0, 0.0, 30.0},
        {1.0, 450.0, 60.0, 0.0},
        // Stop holds, until the blow-back term, scaled by the -1 marker,
        // closes it; beyond 440 kn it opens a little.
        {0.0, 370.0, 20.0, 20.0},
        {0.0, 390.0, 20.0, 0.0},
        {0.0, 500.0, 0.0, 1.0},
        // Retract at every speed.
        {-1.0, 300.0, 60.0, 0.0},
        {-1.0, 420.0, 60.0, 0.0},
        {-1.0, 500.0, 60.0, 0.0},
    };
    for (const auto& [sw, kcas, from, settles_at] : cases) {
        fcs.speed_brake_switch = sw;
        fcs.speed_brake_actuator.position = from;
        fly(200, true, true, false, kcas);  // longer than full travel
        EXPECT_NEAR(fcs.surfaces.speed_brake_position, settles_at, 1e-9)
            << "switch " << sw << " at " << kcas << " kn from " << from;
        EXPECT_NEAR(fcs.surfaces.speed_brake_fraction, settles_at / 60.0, 1e-9);
    }
}

}  // namespace
