// The scenario language and the autopilot's sense of direction; no model.
#include <gtest/gtest.h>

#include <string>

#include "flight/autopilot.h"
#include "flight/scenario.h"
#include "flight/summary.h"
#include "quillon_fm_ids.h"

namespace rig {
namespace {

TEST(Scenario, ParsesHeaderEventsAndExpectations) {
    const std::string text =
        "# comment line\n"
        "name test flight\n"
        "start air trimmed\n"
        "fuel 1500   # kg\n"
        "mass 7100\n"
        "cg 0.1 0 0\n"
        "position -8000 300 5\n"
        "heading 90\n"
        "speed 160\n"
        "gear down\n"
        "flaps 1\n"
        "wind 3 0 -2\n"
        "dt 0.005\n"
        "end 120\n"
        "at 0 autopilot altitude 300\n"
        "after 2 command throttle_cutoff 1\n"
        "when rpm < 20 throttle 0.5\n"
        "when groundspeed <= 0.5 stop\n"
        "expect altitude 290 310 from 0 to 60\n"
        "expect touchdown_sink 0 2.5 at end\n"
        "expect kcas 150 170 at 30\n";
    Scenario s;
    std::string error;
    ASSERT_TRUE(parse_scenario(text, s, error)) << error;
    // The header's values (the shipped scenarios fly with most of them).
    EXPECT_EQ(s.name, "test flight");
    EXPECT_TRUE(s.start == Start_Mode::Air && s.trimmed && s.gear_down);
    EXPECT_EQ(s.empty_mass, 7100.0);
    EXPECT_EQ(s.center_of_mass.x, 0.1);
    EXPECT_EQ(s.position.y, 300.0);
    EXPECT_EQ(s.env.wind_world.z, -2.0);
    EXPECT_EQ(s.dt, 0.005);
    // Events: trigger kinds, comparisons and actions.
    ASSERT_EQ(s.events.size(), 4u);
    EXPECT_EQ(s.events[0].action.autopilot.vertical, Vertical_Mode::Altitude);
    EXPECT_EQ(s.events[0].action.autopilot.target, 300.0);
    EXPECT_EQ(s.events[1].trigger.kind, Trigger::Kind::After);
    EXPECT_EQ(s.events[1].action.command, QFM_CMD_THROTTLE_CUTOFF);
    EXPECT_EQ(s.events[2].trigger.condition.op, Compare::Less);
    EXPECT_EQ(s.events[2].action.throttle, 0.5);
    EXPECT_EQ(s.events[3].trigger.condition.op, Compare::Less_Equal);
    EXPECT_EQ(s.events[3].action.kind, Action::Kind::Stop);
    // Expectations over a span, at the end and at a time.
    ASSERT_EQ(s.expectations.size(), 3u);
    EXPECT_EQ(s.expectations[0].to, 60.0);
    EXPECT_EQ(s.expectations[1].when, Expectation::When::End);
    EXPECT_EQ(s.expectations[2].from, 30.0);
}

TEST(Scenario, RejectsMistakesWithTheirLineNumber) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"end 10\nstart warm\n", "line 2: start is cold, hot or air"},
        {"when altitdue > 3 stop\n", "line 1: unknown variable 'altitdue'"},
        {"at 5 command start_switch\n", "line 1: expected the command value"},
        {"at 5 command battery9 1\n",
         "line 1: unknown command 'battery9' (the names of quillon_fm_ids.h in lower case, "
         "without QFM_CMD_)"},
        {"at 5 autopilot loop 3\n", "line 1: unknown autopilot mode 'loop'"},
        {"expect liftoff_kcas 1 2 from 0 to 5\n", "line 1: summary values are known only at end"},
        {"expect kcas 300 200 at end\n", "line 1: the lower bound is above the upper bound"},
        {"dt 0.05\n", "line 1: dt must lie between 0.005 and 0.01 s"},
        {"fuel lots\n", "line 1: expected a number for fuel (kg), got 'lots'"},
        {"throttle 2\n", "line 1: unknown keyword 'throttle'"},
        {"at 1 throttle 1.5\n", "line 1: throttle is a fraction 0..1"},
    };
    for (const auto& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(parse_scenario(c.text, s, error)) << c.text;
        EXPECT_EQ(error, c.expected) << c.text;
    }
}

Sample level_sample() {
    Sample s;
    s.tas = 150.0;
    s.kcas = 250.0;
    s.altitude = 3000.0;
    s.heading = 90.0;
    s.pitch = 5.0;
    return s;
}

Axis_Commands engage_and_step(Autopilot& ap, Autopilot_Command c, const Sample& s) {
    autopilot_engage(ap, c, s, 10000.0);
    return autopilot_step(ap, s, 10000.0, 0.01);
}

TEST(Autopilot, EachChannelMovesItsAxisTheWayAPilotWould) {
    const Sample s = level_sample();
    Autopilot_Command c;

    Autopilot ap;
    c.channel = Autopilot_Command::Channel::Vertical;
    c.vertical = Vertical_Mode::Altitude;
    c.target = 3500.0;  // below the target: pull (positive pitch axis)
    Axis_Commands out = engage_and_step(ap, c, s);
    EXPECT_TRUE(out.pitch);
    EXPECT_GT(out.pitch_value, 0.0f);
    EXPECT_FALSE(out.roll);
    c.target = 2500.0;
    autopilot_engage(ap, c, s, 10000.0);
    for (int i = 0; i < 50; ++i) out = autopilot_step(ap, s, 10000.0, 0.01);
    EXPECT_LT(out.pitch_value, 0.0f);

    Autopilot lateral;
    c = Autopilot_Command{};
    c.channel = Autopilot_Command::Channel::Lateral;
    c.lateral = Lateral_Mode::Heading;
    c.target = 120.0;  // to the right: bank right (positive roll axis)
    out = engage_and_step(lateral, c, s);
    EXPECT_GT(out.roll_value, 0.0f);
    EXPECT_EQ(out.rudder_value, 0.0f);
    Sample ground = s;
    ground.on_ground = 1.0;  // on the wheels: right pedal, wings level
    out = autopilot_step(lateral, ground, 10000.0, 0.01);
    EXPECT_GT(out.rudder_value, 0.0f);
    EXPECT_EQ(out.roll_value, 0.0f);
    c.target = 60.0;  // across north the short way round: 350 -> 10 is to the right
    ground.heading = 350.0;
    c.target = 10.0;
    autopilot_engage(lateral, c, ground, 10000.0);
    EXPECT_GT(autopilot_step(lateral, ground, 10000.0, 0.01).rudder_value, 0.0f);

    Autopilot speed;
    c = Autopilot_Command{};
    c.channel = Autopilot_Command::Channel::Speed;
    c.speed = Speed_Mode::Airspeed;
    c.target = 300.0;  // too slow: more throttle, which is a lower axis value
    speed.throttle = 0.5;
    out = engage_and_step(speed, c, s);
    EXPECT_TRUE(out.throttle);
    EXPECT_LT(out.throttle_value, throttle_axis(0.5));

    // Switching everything off centres the sticks once and then sends nothing.
    const Axis_Commands centre = autopilot_engage(ap, Autopilot_Command{}, s, 10000.0);
    EXPECT_TRUE(centre.pitch);
    EXPECT_EQ(centre.pitch_value, 0.0f);
    out = autopilot_step(ap, s, 10000.0, 0.01);
    EXPECT_FALSE(out.pitch || out.roll || out.rudder || out.throttle);
}

TEST(Summary, TakeOffAndLandingAreMeasuredFromTheRecord) {
    Summary_Tracker t;
    Sample s;
    s.on_ground = 1.0;
    s.fuel = 1000.0;
    summary_begin(t, s);
    // Roll from x = 100 at walking pace to lift-off at x = 1300.
    for (int i = 0; i <= 120; ++i) {
        s.t = i * 0.5;
        s.x = 100.0 + 10.0 * i;
        s.groundspeed = i == 0 ? 1.0 : 40.0;
        s.kcas = 150.0;
        summary_update(t, s);
    }
    s.on_ground = 0.0;
    s.t = 61.0;
    s.kcas = 160.0;
    summary_update(t, s);
    // A bounce within seconds is not a landing.
    s.t = 61.5;
    s.on_ground = 1.0;
    summary_update(t, s);
    EXPECT_FALSE(t.summary.set[SUM_touchdown_time]);
    s.on_ground = 0.0;
    for (int i = 0; i < 100; ++i) {
        s.t = 62.0 + i;
        summary_update(t, s);
    }
    s.on_ground = 1.0;
    s.vs = -1.5;
    s.t = 170.0;
    s.x = 5000.0;
    summary_update(t, s);
    s.groundspeed = 0.3;
    s.x = 5800.0;
    s.t = 200.0;
    s.fuel = 900.0;
    summary_update(t, s);
    summary_finish(t, s);
    const Summary& r = t.summary;
    EXPECT_EQ(r.value[SUM_liftoff_time], 61.0);
    EXPECT_EQ(r.value[SUM_liftoff_kcas], 160.0);
    EXPECT_EQ(r.value[SUM_takeoff_roll], 1200.0);
    EXPECT_EQ(r.value[SUM_touchdown_time], 170.0);
    EXPECT_EQ(r.value[SUM_touchdown_sink], 1.5);
    EXPECT_EQ(r.value[SUM_landing_roll], 800.0);
    EXPECT_EQ(r.value[SUM_fuel_used], 100.0);
}

}  // namespace
}  // namespace rig
