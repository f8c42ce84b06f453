// The shipped scenarios flown through the real model, each in a process of
// its own (a fresh library), with the summary held to plausible bounds; the
// rig's determinism; trim; crash detection. These need the complete model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "flight/runner.h"
#include "flight/scenario.h"
#include "host/model_api.h"
#include "rig_process.h"

namespace rig {
namespace {

class Flight : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(load_model(default_library_paths(), api_, error)) << error;
    }

    Run_Result fly(const std::string& name) {
        Scenario s;
        std::string error;
        EXPECT_TRUE(
            load_scenario(std::string(QFM_RIG_SCENARIO_DIR) + "/" + name + ".txt", s, error))
            << error;
        return fly_scenario(s);
    }

    Run_Result fly_scenario(const Scenario& s) {
        Run_Options options;
        Run_Result r = run_scenario(s, api_, options);
        for (const Expectation_Result& e : r.expectations) {
            EXPECT_TRUE(e.evaluated && e.passed)
                << e.expectation->text << " (value " << e.worst << ")";
        }
        return r;
    }

    static double value(const Run_Result& r, Summary_Index i) {
        EXPECT_TRUE(r.summary.set[i]) << summary_name(i);
        return r.summary.value[i];
    }

    // lo < value < hi, naming the summary entry on failure.
    static void expect_between(const Run_Result& r, Summary_Index i, double lo, double hi) {
        const double v = value(r, i);
        EXPECT_GT(v, lo) << summary_name(i);
        EXPECT_LT(v, hi) << summary_name(i);
    }

    Model_Api api_;
};

// Each flight must meet its file's expectations (fly() checks them); the
// tests add what the files do not say.
TEST_F(Flight, ColdStartTaxiTakeOffClimbAndCruise) {
    const Run_Result r = fly("a_cold_start_climb");
    ASSERT_TRUE(r.completed) << r.failure;
    EXPECT_GT(value(r, SUM_gear_up_time), value(r, SUM_liftoff_time));
    // Holds 250 kcas at 3000 m at a plausible angle of attack and throttle.
    EXPECT_NEAR(value(r, SUM_cruise_kcas), 250.0, 5.0);
    expect_between(r, SUM_cruise_alpha, 0.0, 15.0);
    expect_between(r, SUM_cruise_throttle, 0.3, 1.0);
    expect_between(r, SUM_fuel_used, 100.0, 1000.0);
    EXPECT_FALSE(r.summary.set[SUM_touchdown_time]);
}

TEST_F(Flight, HotStartInTheAirHoldsLevelFlight) {
    const Run_Result r = fly("b_air_start_level");
    ASSERT_TRUE(r.completed) << r.failure;
    EXPECT_GT(value(r, SUM_fuel_used), 10.0);
    EXPECT_LT(value(r, SUM_min_nz), 1.0);
    EXPECT_GT(value(r, SUM_min_nz), 0.8);
}

TEST_F(Flight, FlameOutWindmillAndAirRelight) {
    const Run_Result r = fly("c_flameout_relight");
    ASSERT_TRUE(r.completed) << r.failure;
    EXPECT_GT(value(r, SUM_relight_time), value(r, SUM_flameout_time));
    EXPECT_LT(value(r, SUM_relight_time) - value(r, SUM_flameout_time), 90.0);
}

TEST_F(Flight, ApproachLandingAndBrakedRollToAStop) {
    const Run_Result r = fly("d_approach_landing");
    ASSERT_TRUE(r.completed) << r.failure;
    EXPECT_LT(value(r, SUM_end_time), 400.0);  // stopped before the time ran out
}

TEST_F(Flight, TestInputsFromTrimGiveTheShortPeriodAndTheRollPerformance) {
    // Expectations in the files hold the metrics; here, what the rig did.
    const Run_Result r = fly("e_pitch_doublet");
    ASSERT_TRUE(r.completed) << r.failure;
    ASSERT_EQ(r.manoeuvres.size(), 1u);
    const Manoeuvre_Result& d = r.manoeuvres.front();
    EXPECT_GT(d.metrics.oscillation.fit_quality, 0.99);
    // The doublet as sent: +0.02 for 0.5 s, -0.02 for 0.5 s, nothing after.
    double area = 0.0, peak = 0.0;
    int frames = 0;
    for (const Response_Point& p : d.response) {
        area += p.input;
        peak = std::fmax(peak, std::fabs(p.input));
        frames += p.input != 0.0;
    }
    EXPECT_NEAR(area, 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(peak, 0.02);
    EXPECT_EQ(frames, 100);
    // Only the vertical channel gave way: the wings stayed level.
    EXPECT_LT(std::fabs(d.response.back().roll), 1.0);
    // The roll step's metrics are in its file's expectations.
    EXPECT_TRUE(fly("f_roll_step").completed);
}

TEST_F(Flight, BellyContactWithTheGearUpIsACrash) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(
        parse_scenario("start air trimmed\naltitude 60\nspeed 200\nend 60\n"
                       "at 0 autopilot climb -3\nafter 0 autopilot wings_level\n",
                       s, error))
        << error;
    const Run_Result r = run_scenario(s, api_, Run_Options{});
    EXPECT_FALSE(r.completed);
    EXPECT_NE(r.failure.find("crash"), std::string::npos) << r.failure;
    EXPECT_LT(value(r, SUM_end_time), 30.0);
}

using rig_test::read_file;
using rig_test::scratch;

int run_rig(const std::string& arguments) { return rig_test::run_rig(arguments).status; }

TEST(Rig, TheSameScenarioFlownTwiceGivesABitIdenticalRecord) {
    const std::string first = scratch("rig_determinism_1.csv");
    const std::string second = scratch("rig_determinism_2.csv");
    ASSERT_EQ(run_rig("fly d_approach_landing --quiet --csv " + first), 0);
    ASSERT_EQ(run_rig("fly d_approach_landing --quiet --csv " + second), 0);
    const std::string a = read_file(first), b = read_file(second);
    EXPECT_GT(a.size(), 100000u);
    EXPECT_TRUE(a == b);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(Rig, TrimFindsLevelFlightAndSaysPlainlyWhenThereIsNone) {
    EXPECT_EQ(run_rig("trim --speed 250 --altitude 3000"), 0);
    EXPECT_EQ(run_rig("trim --speed 160 --altitude 300 --flaps 1 --gear down"), 0);
    EXPECT_EQ(run_rig("trim --speed 600 --altitude 3000"), 1);
    EXPECT_EQ(run_rig("trim --speed 250"), 3);
}

TEST(Rig, PlotsAndCsvAreWrittenAndUnknownScenariosRefused) {
    const std::string dir = scratch("rig_plots");
    const std::string csv = scratch("rig_plots.csv");
    ASSERT_EQ(
        run_rig("fly b_air_start_level --quiet --csv-every 10 --csv " + csv + " --plot " + dir), 0);
    const std::string index = read_file(dir + "/index.html");
    EXPECT_NE(index.find("altitude.svg"), std::string::npos);
    EXPECT_NE(read_file(dir + "/engine.svg").find("<polyline"), std::string::npos);
    const std::string record = read_file(csv);
    EXPECT_EQ(record.rfind("t,x,altitude,", 0), 0u);
    // 300 s at 100 frames a second, every tenth row, plus the header.
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 3001);
    EXPECT_EQ(run_rig("fly no_such_scenario"), 3);
    std::filesystem::remove_all(dir);
    std::remove(csv.c_str());
}

}  // namespace
}  // namespace rig
