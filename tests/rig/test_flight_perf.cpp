// Performance sweeps against direct solves of the same trim, the report in a
// headless browser, and the baseline comparison against a build with the
// flap drag increment changed (QuillonFM_perturbed).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "analysis/performance.h"
#include "host/model_api.h"
#include "rig_process.h"

namespace rig {
namespace {

class Perf_Test : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(load_model(default_library_paths(), api_, error)) << error;
        host_init(host_, api_);
    }
    Model_Api api_;
    Host host_;
    Perf_Condition c_;
};

// The envelope's edges at 6000 m, where it has a gap: each maximum speed
// trims and one resolution step faster full throttle is short of the drag;
// at a trimmed point, the throttle it needs leaves no excess power.
TEST_F(Perf_Test, EnvelopeEdgesAreWhereFullThrottleTrimFailsAndLevelPointsHaveNoExcessPower) {
    Speed_Sweep sweep;
    sweep.min_kcas = 250.0;
    sweep.max_kcas = 350.0;
    const Altitude_Envelope e = altitude_envelope(host_, c_, 6000.0, sweep);
    ASSERT_EQ(e.intervals.size(), 2u) << "the gap between about 282 and 306 kcas";
    for (const Speed_Interval& i : e.intervals) {
        EXPECT_EQ(i.high, Level_Limit::Thrust);
        EXPECT_TRUE(level_point(host_, c_, 6000.0, i.max_kcas).ok);
        const Level_Point beyond = level_point(host_, c_, 6000.0, i.max_kcas + sweep.resolution);
        EXPECT_FALSE(beyond.ok);
        EXPECT_EQ(beyond.limit, Level_Limit::Thrust);
    }
    for (const Level_Point& p : e.sweep) {
        if (!p.ok) continue;
        const Excess_Point x = excess_power(host_, c_, 6000.0, p.kcas, 0.0, p.throttle);
        ASSERT_TRUE(x.ok) << p.kcas;
        // Ps / V = (T - D) / W, in weights.
        EXPECT_NEAR(x.ps / x.tas, 0.0, 1e-3) << p.kcas;
    }
}

// The best climb of the sweep is the climb a direct trim finds at that speed,
// and no neighbouring speed climbs faster. The best glide is flown with the
// engine windmilling (rpm = kcas / 350 x 20, the model's windmill law), no
// neighbouring speed glides further, and idle thrust at that speed stretches
// the glide.
TEST_F(Perf_Test, BestClimbMatchesADirectTrimmedClimbAtItsSpeed) {
    const Climb_Point b = best_climb(host_, c_, 3000.0, 150.0, 250.0, 10.0);
    ASSERT_TRUE(b.ok);
    Trim_Request q = level_request(c_, 3000.0, b.best_kcas);
    q.kind = Trim_Kind::Climb;
    q.throttle = 1.0;
    const Trim_Result r = trim(host_, q);
    ASSERT_TRUE(r.ok) << r.why;
    EXPECT_NEAR(r.tas * std::sin(r.gamma / kDegPerRad), b.rate, 0.02);
    for (double dv : {-10.0, 10.0}) {
        EXPECT_LE(excess_power(host_, c_, 3000.0, b.best_kcas + dv, 0.0, 1.0).ps, b.rate + 1e-6);
    }
    ASSERT_TRUE(b.glide_ok);
    EXPECT_NEAR(b.glide_rpm, b.glide_kcas / 350.0 * 20.0, 0.05);
    for (double dv : {-10.0, 10.0}) {
        const Excess_Point p = excess_power(host_, c_, 3000.0, b.glide_kcas + dv, 0.0, 0.0, true);
        ASSERT_TRUE(p.ok);
        EXPECT_LE(-1.0 / std::tan(p.gamma / kDegPerRad), b.glide_ratio + 1e-6);
    }
    EXPECT_GT(b.idle_ratio, b.glide_ratio + 1.0);
    EXPECT_LT(b.idle_sink, b.glide_sink);
}

// At the maximum level speed full throttle just balances the drag at 1 g:
// the sustained turn rate falls to 0 there, and is well above it slower.
TEST_F(Perf_Test, SustainedTurnRateFallsToZeroAtTheMaximumLevelSpeed) {
    Speed_Sweep sweep;
    sweep.min_kcas = 340.0;
    sweep.max_kcas = 400.0;
    const Altitude_Envelope e = altitude_envelope(host_, c_, 3000.0, sweep);
    ASSERT_FALSE(e.intervals.empty());
    const double vmax = e.intervals.back().max_kcas;
    const Turn_Point edge = turn_point(host_, c_, 3000.0, vmax, 20.0, 7.0);
    ASSERT_TRUE(edge.sustained_ok);
    EXPECT_NEAR(edge.sustained_n, 1.0, 0.01);
    EXPECT_LT(edge.sustained_rate, 0.6);
    EXPECT_GT(turn_point(host_, c_, 3000.0, 240.0, 20.0, 7.0).sustained_rate, 5.0);
    EXPECT_EQ(turn_rate_deg(1.0, 150.0, 9.81), 0.0);
}

using rig_test::run_command;
using rig_test::run_rig;

// With the handling charts and the verification table; the condition and
// the verification are tables, not JSON text.
TEST(Report, RendersInAHeadlessBrowserWithEveryChartDrawn) {
    const std::string dir = rig_test::scratch("rig_report");
    ASSERT_EQ(run_rig("report --only fuel,field,modes --out " + dir).status, 0);
    const std::string page = rig_test::read_file(dir + "/index.html");
    EXPECT_EQ(page.find("{&quot;"), std::string::npos);
    EXPECT_NE(page.find("temperature offset from ISA"), std::string::npos);
    EXPECT_NE(page.find("Short-period frequency and n/alpha"), std::string::npos);
    const std::size_t verification = page.find("id=\"verification\"");
    ASSERT_NE(verification, std::string::npos);
    EXPECT_NE(page.find(" passed, ", verification), std::string::npos);
    EXPECT_NE(page.find("<th>tolerance</th>", verification), std::string::npos);
    const rig_test::Command_Result check = run_command(
        std::string(QFM_SOURCE_DIR) + "/tools/check_report.sh " + dir + "/index.html 2>&1");
    if (check.status == 77) GTEST_SKIP() << "no chromium";
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("charts-ok 5"), std::string::npos) << check.out;
    std::filesystem::remove_all(dir);
}

// Twice the flap drag: every take-off figure (half flaps) moves beyond its
// tolerance; the clean-configuration fuel figures do not move at all.
TEST(Report, ComparisonReportsWhatAChangedConstantMovesAndNothingElse) {
    const rig_test::Command_Result r =
        run_rig("compare --only fuel,field --json --baseline " QFM_RIG_PERTURBED_PATH);
    ASSERT_EQ(r.status, 1) << r.out;
    const nlohmann::json c = nlohmann::json::parse(r.out);
    int takeoff = 0, fuel = 0;
    for (const nlohmann::json& f : c["figures"]) {
        const std::string name = f["name"];
        if (name.rfind("takeoff.", 0) == 0) {
            ++takeoff;
            EXPECT_TRUE(f["moved"].get<bool>()) << name;
        } else if (name.rfind("fuel.", 0) == 0) {
            ++fuel;
            EXPECT_EQ(f["difference"].get<double>(), 0.0) << name;
            EXPECT_FALSE(f["moved"].get<bool>()) << name;
        }
    }
    EXPECT_EQ(takeoff, 8);
    EXPECT_EQ(fuel, 4);
}

}  // namespace
}  // namespace rig
