// The parts of the performance report that stand without a flight: worker
// processes, the chart's contours and line breaks, the parabola refinement
// and the comparison's verdicts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <stdexcept>

#include "analysis/parallel.h"
#include "analysis/performance.h"
#include "report/chart.h"
#include "report/compare.h"

namespace rig {
namespace {

using nlohmann::json;

std::size_t count(const std::string& svg, const char* tag) {
    std::size_t n = 0;
    for (std::size_t p = svg.find(tag); p != std::string::npos; p = svg.find(tag, p + 1)) ++n;
    return n;
}

// Results come back in the tasks' order whatever order the workers finish
// in; a worker that throws or dies takes only its own task with it.
TEST(Workers, ResultsInOrderAndAFailedWorkerFailsOnlyItsTask) {
    std::vector<Task> tasks;
    for (int i = 0; i < 6; ++i) {
        tasks.push_back([i](const Model_Api& api) -> json {
            if (!api.ed_fm_simulate) throw std::runtime_error("no model");
            if (i == 2) throw std::runtime_error("task two fails");
            // SIGKILL: no handler, a sanitizer's included, can turn it into an exit.
            if (i == 4) std::raise(SIGKILL);
            usleep(static_cast<useconds_t>((6 - i) * 20000));  // the last ones finish first
            return i * 10;
        });
    }
    Pool_Options o;
    o.jobs = 3;
    const std::vector<Task_Outcome> out = run_tasks(default_library_paths(), tasks, o);
    ASSERT_EQ(out.size(), 6u);
    for (int i : {0, 1, 3, 5}) {
        ASSERT_TRUE(out[i].ok) << i << " " << out[i].error;
        EXPECT_EQ(out[i].result.get<int>(), i * 10);
    }
    EXPECT_FALSE(out[2].ok);
    EXPECT_EQ(out[2].error, "task two fails");
    EXPECT_FALSE(out[4].ok);
    EXPECT_NE(out[4].error.find("signal"), std::string::npos);
    Library_Paths missing = default_library_paths();
    missing.model = "/nonexistent/libnothing.so";
    const std::vector<Task_Outcome> none = run_tasks(missing, {tasks[0]}, o);
    EXPECT_FALSE(none[0].ok);
}

// A plane z = x + 2y crosses each level along the line x + 2y = level.
TEST(Chart, ContoursLieOnTheLevelAndNonFiniteValuesBreakLines) {
    const std::vector<double> x = {0, 1, 2, 3}, y = {0, 0.5, 1, 1.5};
    std::vector<std::vector<double>> z(y.size(), std::vector<double>(x.size()));
    for (std::size_t j = 0; j < y.size(); ++j)
        for (std::size_t i = 0; i < x.size(); ++i) z[j][i] = x[i] + 2.0 * y[j];
    z[3][3] = NAN;  // that cell is left out
    std::vector<double> sx, sy;
    contour_segments(x, y, z, 2.5, sx, sy);
    ASSERT_GE(sx.size(), 4u);
    ASSERT_EQ(sx.size() % 2, 0u);
    for (std::size_t k = 0; k < sx.size(); ++k) EXPECT_NEAR(sx[k] + 2.0 * sy[k], 2.5, 1e-12);

    Chart c;
    c.title = "t";
    c.x_label = "speed (kt)";
    c.y_label = "rate (m/s)";
    c.series.push_back({"a", "", {0, 1, 2, 3, 4}, {1, 2, NAN, 3, 4}, false, false, false});
    const std::string svg = chart_svg(c);
    EXPECT_EQ(count(svg, "<polyline"), 2u);
    EXPECT_NE(svg.find("speed (kt)"), std::string::npos);
    EXPECT_NE(svg.find(">a</text>"), std::string::npos);  // the legend
}

// On log axes fixed at 1..100 a decade is half the plot: (10, 10) sits at its
// centre; a dot beyond the range sits on its corner, one at 0 is not drawn;
// a region is one polygon per finite stretch.
TEST(Chart, LogAxesPlaceDecadesEvenlyAndDotsOutsideOnTheEdge) {
    Chart c;
    c.log_x = c.log_y = true;
    c.x_min = c.y_min = 1.0;
    c.x_max = c.y_max = 100.0;
    Chart_Series dots{"dots", "", {10, 1000, 0}, {10, 0.01, 5}, false, true, false};
    dots.point_labels = {"a", "b", "c"};
    Chart_Series region{"r", "", {2, 3, 3, NAN, 5, 6, 6}, {2, 2, 3, NAN, 5, 5, 6}};
    region.region = true;
    c.series = {dots, region};
    const std::string svg = chart_svg(c);
    double x, y, w, h;
    const std::size_t frame = svg.find("<rect x=");
    ASSERT_NE(frame, std::string::npos);
    ASSERT_EQ(std::sscanf(svg.c_str() + frame,
                          "<rect x=\"%lf\" y=\"%lf\" width=\"%lf\" height=\"%lf\"", &x, &y, &w, &h),
              4);
    char centre[64], corner[64];
    std::snprintf(centre, sizeof centre, "cx=\"%.1f\" cy=\"%.1f\"", x + w / 2.0, y + h / 2.0);
    std::snprintf(corner, sizeof corner, "cx=\"%.1f\" cy=\"%.1f\"", x + w, y + h);
    EXPECT_NE(svg.find(centre), std::string::npos) << svg;
    EXPECT_NE(svg.find(corner), std::string::npos) << svg;
    EXPECT_EQ(count(svg, "<circle"), 3u);  // two dots and the legend's
    EXPECT_EQ(count(svg, "<polygon"), 2u);
    EXPECT_EQ(svg.find(">c</text>"), std::string::npos);
}

// The refinement finds a parabola's vertex between sweep points exactly.
TEST(Fuel, BestSpeedsAreTheVertexOfTheParabolaThroughTheBestPoints) {
    std::vector<Fuel_Point> points;
    for (double v = 150.0; v <= 250.0; v += 10.0) {
        Fuel_Point f;
        f.kcas = v;
        f.specific_range = 800.0 - 0.05 * (v - 193.0) * (v - 193.0);
        f.specific_endurance = 6.0 - 1e-4 * (v - 178.0) * (v - 178.0);
        points.push_back(f);
    }
    const Fuel_Best b = best_fuel(points);
    ASSERT_TRUE(b.ok);
    EXPECT_NEAR(b.range_kcas, 193.0, 1e-9);
    EXPECT_NEAR(b.specific_range, 800.0, 1e-9);
    EXPECT_NEAR(b.endurance_kcas, 178.0, 1e-9);
}

// Moved: beyond the tolerance, or present in one build only.
TEST(Compare, FiguresBeyondToleranceOrMissingOnOneSideAreMoved) {
    auto fuel = [](double range_kcas, double sr) {
        return json{{"fuel",
                     {{"altitude_m", 6000.0},
                      {"best_range_kcas", range_kcas},
                      {"best_specific_range", sr},
                      {"best_endurance_kcas", nullptr},
                      {"best_specific_endurance", 6.0}}}};
    };
    const json same = compare_figures(fuel(193.0, 800.0), fuel(196.0, 803.9));
    EXPECT_EQ(same["moved"], 0);  // 3 kt < 4 kt, 3.9 < 0.5 % of 800
    const json moved = compare_figures(fuel(193.0, 800.0), fuel(198.0, 805.0));
    EXPECT_EQ(moved["moved"], 2);
    json gone = fuel(193.0, 800.0);
    gone["fuel"]["best_endurance_kcas"] = 180.0;
    const json appeared = compare_figures(fuel(193.0, 800.0), gone);
    EXPECT_EQ(appeared["moved"], 1);
}

}  // namespace
}  // namespace rig
