#include <cmath>
#include <utility>

#include "propulsion_test_support.h"

namespace {

constexpr double kDt = 0.01;
constexpr double kFrameSlack = 2.5 * kDt;  // the frame an event lands in

}  // namespace

TEST_F(PropulsionTest, StarterRefusesWithoutBusOrBeforeSixtyFivePercent) {
    Engine& e = G_Engine;
    start_aircraft(Start_Mode::Cold);
    fill_tanks(1000.0);

    // Bus unpowered: no GTS; in the air the button still asks for a relight.
    weight_on_wheels = false;
    frame(kDt);
    set_start_switch(0.5);
    press_gts_start();
    EXPECT_FALSE(e.gts_starting);
    EXPECT_TRUE(e.core.start_requested);

    // Switch to start before the GTS reaches 65: only the switch moves.
    set_start_switch(0.0);
    EXPECT_FALSE(e.core.start_requested);
    G_Electrical.battery1_on = true;
    frame(kDt);
    set_start_switch(0.5);
    weight_on_wheels = true;
    frame(kDt);
    press_gts_start();
    ASSERT_TRUE(e.gts_starting);
    run(5.0);
    set_start_switch(1.0);
    EXPECT_EQ(e.start_switch, 1.0);
    EXPECT_FALSE(e.gts_engaged);
    EXPECT_FALSE(e.core.start_requested);

    // Switch off: the GTS spools down at 20 %/s; a press meanwhile is ignored.
    set_start_switch(0.5);
    run(10.0);
    ASSERT_EQ(e.gts_rpm, 65.0);
    set_start_switch(0.0);
    EXPECT_TRUE(e.gts_spool_down);
    EXPECT_FALSE(e.gts_starting);
    set_start_switch(0.5);
    press_gts_start();
    EXPECT_FALSE(e.gts_starting);
    const double down = run_until([&] { return e.gts_rpm == 0.0; }, 10.0);
    EXPECT_NEAR(down, 65.0 / 20.0, kFrameSlack);
    frame(kDt);
    EXPECT_FALSE(e.gts_spool_down);
}

TEST_F(PropulsionTest, CutoffToggleWorksOnlyFromCutoffOrIdleDetent) {
    Engine& e = G_Engine;
    toggle_cutoff();
    EXPECT_EQ(e.throttle_lever, 0.2);
    EXPECT_TRUE(e.fuel_on);
    toggle_cutoff();
    EXPECT_EQ(e.throttle_lever, 0.0);
    EXPECT_FALSE(e.fuel_on);
    e.throttle_lever = 0.6;
    e.fuel_on = true;
    toggle_cutoff();
    EXPECT_EQ(e.throttle_lever, 0.6);
    EXPECT_TRUE(e.fuel_on);
}

TEST_F(PropulsionTest, FuelFlowFollowsTableAndHalvesBy40000Feet) {
    Engine_Core& core = G_Engine.core;
    hot_start();
    // Power 33.3 % gives rpm 55 + 0.45 x 33.3 = 70, a breakpoint: 1000 lb/h.
    core.throttle = core.power = 100.0 * 15.0 / 45.0;
    frame(kDt);
    ASSERT_NEAR(core.rpm, 70.0, 1e-9);
    const double sea_flow = core.fuel_flow;
    EXPECT_NEAR(sea_flow, 1000.0 * 0.45359237 / 3600.0, 1e-9);
    // Altitude factor: 0.75 at 20000 ft, floor 0.5 from 40000 ft.
    for (auto [feet, factor] : {std::pair{20000.0, 0.75}, {40000.0, 0.5}, {65000.0, 0.5}}) {
        G_FlightState.altitude = feet / 3.28084;
        frame(kDt);
        EXPECT_NEAR(core.fuel_flow, factor * sea_flow, 1e-12) << feet;
    }
}

TEST_F(PropulsionTest, MaxThrustAtReferenceConditionsAndItsLimits) {
    Engine_Core& core = G_Engine.core;
    Flight_State& s = G_FlightState;
    hot_start();

    // Sea level static: 24461.8 N, under the 24590 N cap.
    frame(kDt);
    EXPECT_NEAR(core.max_thrust, 24461.8, 0.05);
    // Idle delivers 1.3 * max_thrust * 0.55^3.5, at the thrust point.
    EXPECT_NEAR(core.thrust, 1.3 * core.max_thrust * std::pow(0.55, 3.5), 1e-9);
    Vec3 pushed;
    ASSERT_TRUE(force_list_pop(core.forces, pushed));
    EXPECT_TRUE(pushed.x == core.thrust && pushed.y == 0.0 && pushed.z == 0.0);
    EXPECT_EQ(G_Params.engine_rpm_percent, 55.0);

    // Mach 0.8 at 10000 m, 223.15 K: cycle 18661.2 N, lapse 0.6795 -> 12679.3 N.
    air(223.15, 299.46, 10000.0, 0.8);
    frame(kDt);
    EXPECT_NEAR(core.max_thrust, 12679.3, 0.05);

    // Cold dense air hits the cap; from 65000 ft the lapse floor is 10 %.
    air(216.65, 295.07, 0.0, 0.0);
    frame(kDt);
    EXPECT_EQ(core.max_thrust, 24590.0);
    s.altitude = 65000.0 / 3.28084;
    frame(kDt);
    EXPECT_NEAR(core.max_thrust, 2459.0, 1e-9);
    s.altitude = 30000.0;
    frame(kDt);
    EXPECT_NEAR(core.max_thrust, 2459.0, 1e-9);

    // Outside the cycle: no atmosphere yet (0 K), or a Mach number at which
    // the core jet cannot form. No thrust, and no NaN (traps are on).
    s = Flight_State{};
    frame(kDt);
    EXPECT_EQ(core.max_thrust, 0.0);
    EXPECT_EQ(core.thrust, 0.0);
    sea_level(0.0);
    s.mach = 3.6;
    frame(kDt);
    EXPECT_EQ(core.max_thrust, 0.0);
    s.mach = 3.3;  // still inside
    frame(kDt);
    EXPECT_GE(core.max_thrust, 0.0);
    EXPECT_TRUE(std::isfinite(core.max_thrust));
}

// Throttle slam from idle to full: power climbs at 0.2 x error below 10 %,
// 24 %/s in the middle band while the error exceeds 40, 0.7 x error after
// that and 0.5 x error above 90; rpm = 55 + 0.45 x power.
TEST_F(PropulsionTest, ThrottleSlamPassesThroughEachPowerBandAtItsRate) {
    Engine_Core& core = G_Engine.core;
    hot_start();
    core.throttle = 100.0;
    frame(kDt);
    EXPECT_NEAR(core.power, 100.0 * 0.2 * kDt, 1e-12);

    const double t10 = run_until([&] { return core.power >= 10.0; }, 5.0) + kDt;
    EXPECT_NEAR(t10, -std::log(0.9) / 0.2, kFrameSlack);
    const double before = core.power;
    frame(kDt);
    EXPECT_NEAR(core.power - before, 24.0 * kDt, 1e-12);
    const double t60 = run_until([&] { return core.power >= 60.0; }, 5.0) + kDt;
    EXPECT_NEAR(t60, (60.0 - before) / 24.0, kFrameSlack);
    const double t90 = run_until([&] { return core.power > 90.0; }, 5.0);
    EXPECT_NEAR(t90, std::log(40.0 / 10.0) / 0.7, 3 * kFrameSlack);
    const double above = core.power;
    frame(kDt);
    EXPECT_NEAR(core.power - above, (100.0 - above) * 0.5 * kDt, 1e-12);
    EXPECT_NEAR(core.rpm, 55.0 + 0.45 * core.power, 1e-12);

    run(20.0);
    EXPECT_GT(core.power, 99.99);
    EXPECT_LE(core.power, 100.0);
    EXPECT_NEAR(core.thrust, 1.3 * core.max_thrust, 0.5);
    // rpm 100 at 15 C ambient: EGT 90 + 320 + 15.
    EXPECT_NEAR(core.egt, 425.0, 0.1);

    // Chop to idle: the power comes back down, never below the throttle.
    core.throttle = 0.0;
    run(30.0);
    EXPECT_GE(core.power, 0.0);
    EXPECT_LT(core.power, 1.0);
    EXPECT_NEAR(core.rpm, 55.0, 0.5);
}

TEST_F(PropulsionTest, UnlitEngineEgtRisesWithFuelAndCoolsWithout) {
    Engine_Core& core = G_Engine.core;
    fill_tanks(100.0);
    // Cold engine on the ground at 15 C: target 15 C at rpm 0; EGT 25 at load.
    core.egt = 25.0;
    frame(1.0);
    EXPECT_DOUBLE_EQ(core.egt, 25.0 - 2.4);
    // With fuel admitted it only climbs toward its target, never down.
    G_Engine.fuel_on = true;
    G_Engine.start_switch = 0.5;
    frame(1.0);
    EXPECT_DOUBLE_EQ(core.egt, 25.0 - 2.4);
    core.egt = 0.0;
    frame(0.5);
    EXPECT_DOUBLE_EQ(core.egt, 12.0);
}

// Ten-second frames: a slam and a chop land on the throttle instead of
// swinging past it, and a flame-out winds down to the windmill speed.
// (Finite outputs at any frame time are the robustness tests' to check.)
TEST_F(PropulsionTest, HugeFrameTimesLandOnTheirTargets) {
    Engine_Core& core = G_Engine.core;
    hot_start(3000.0);
    constexpr double kHuge = 10.0;
    core.throttle = 60.0;
    for (int i = 0; i < 4; ++i) {
        frame(kHuge);
        EXPECT_LE(core.power, 60.0);
    }
    EXPECT_EQ(core.power, 60.0);
    core.throttle = 0.0;
    frame(kHuge);
    EXPECT_EQ(core.power, 0.0);
    sea_level(300.0);
    toggle_cutoff();
    for (int i = 0; i < 4; ++i) frame(kHuge);
    EXPECT_NEAR(core.rpm, 300.0 / 350.0 * 20.0, 1e-12);
}
