// The table pass shares one bracket search per breakpoint list and copies the
// clean-reference results from their basic tables. Its slots and the brackets
// the tables keep must be bit for bit those of looking up every table on its
// own (grid_lookup on fresh copies of the tables, with the pass's clamps and
// the 45-degree ceiling), over angles that hit every breakpoint, fall between
// them and lie beyond both ends of every axis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "aero/aero_data.h"
#include "aero/aero_tables.h"
#include "controls/flight_controls.h"
#include "support/fp_traps.h"
#include "support/model_state.h"

namespace {

std::uint64_t bits(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Every breakpoint of the given lists, the midpoints between neighbours of
// their union, values one unit in the last place either side of each
// breakpoint, and the extra values.
std::vector<double> sweep(std::initializer_list<std::pair<const double*, int>> lists,
                          std::initializer_list<double> extra) {
    std::vector<double> points;
    for (const auto& list : lists)
        points.insert(points.end(), list.first, list.first + list.second);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<double> out = points;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        out.push_back(0.5 * (points[i] + points[i + 1]));
    }
    for (double p : points) {
        out.push_back(std::nextafter(p, -1e9));
        out.push_back(std::nextafter(p, 1e9));
    }
    out.insert(out.end(), extra);
    return out;
}

struct TablePassEquivalence : ::testing::Test {
    Grid_Table fresh[AERO_SLOT_COUNT];

    void SetUp() override {
        reset_model();
        // Copies as set up at load, before any lookup of this test.
        std::copy(std::begin(G_Aero.tables), std::end(G_Aero.tables), std::begin(fresh));
    }

    // The straightforward pass: the same clamps, then each table on its own.
    double reference(int slot, double alpha_deg, double beta_deg) {
        Grid_Table& t = fresh[slot];
        double inputs[2] = {std::clamp(alpha_deg, -20.0, 90.0), std::clamp(beta_deg, -30.0, 30.0)};
        if (t.inputCeiling != 0.0 && inputs[0] > t.inputCeiling) inputs[0] = t.inputCeiling;
        return grid_lookup(t, inputs);
    }

    // Runs the pass at (alpha, beta) and compares every slot and bracket.
    void check(double alpha_deg, double beta_deg) {
        Body_Motion motion;
        motion.alpha_deg = alpha_deg;
        motion.beta_deg = beta_deg;
        aero_table_pass(motion, false);
        for (int slot = 0; slot < AERO_SLOT_COUNT; ++slot) {
            if (fresh[slot].dims == 0) continue;
            const double expected = reference(slot, alpha_deg, beta_deg);
            ASSERT_EQ(bits(G_Aero.slots[slot]), bits(expected))
                << "slot " << slot << " alpha " << alpha_deg << " beta " << beta_deg << ": "
                << G_Aero.slots[slot] << " vs " << expected;
            for (int d = 0; d < fresh[slot].dims; ++d) {
                ASSERT_EQ(G_Aero.tables[slot].bracketIndex[d][0], fresh[slot].bracketIndex[d][0])
                    << "slot " << slot << " axis " << d;
                ASSERT_EQ(G_Aero.tables[slot].bracketIndex[d][1], fresh[slot].bracketIndex[d][1])
                    << "slot " << slot << " axis " << d;
            }
        }
    }
};

using namespace aero_tables;

const std::vector<double> kAlphas =
    sweep({{ALPHA_15, 15}, {ALPHA_20, 20}, {ALPHA_14, 14}},
          {-30.0, -25.0, -20.5, 2.8647889756541161, 44.99, 45.01, 60.0, 90.5, 95.0, 100.0});
const std::vector<double> kBetas = sweep({{BETA_7, 7}, {BETA_11, 11}, {BETA_19, 19}},
                                         {-45.0, -35.0, -30.5, 1.234, 30.5, 35.0, 45.0});

}  // namespace

// The shipped tables must take the shared path: were the plan not ready, or
// its search cells unset, every result above would still match while the
// pass quietly fell back to the slow search.
TEST_F(TablePassEquivalence, ShippedTablesBuildTheSharedPlan) {
    const Table_Pass_Plan& plan = G_Aero.table_plan;
    ASSERT_TRUE(plan.ready);
    EXPECT_EQ(plan.axis_count, 6);  // three alpha lists, three beta lists
    int planned = 0;
    for (int g = 0; g < plan.group_count; ++g)
        planned += plan.groups[g].count + plan.groups[g].copy_count;
    int tables = 0;
    for (const Grid_Table& t : G_Aero.tables) tables += t.dims != 0;
    EXPECT_EQ(planned, tables);
    // Each breakpoint's cell starts the search on it or one before it.
    for (int k = 0; k < plan.axis_count; ++k) {
        const Table_Axis& axis = plan.axes[k];
        for (std::uint32_t i = 0; i < axis.size; ++i) {
            const auto cell = static_cast<std::uint32_t>(
                (axis.breakpoints[i] - axis.breakpoints[0]) * axis.cells_per_degree);
            ASSERT_LT(cell, axis.cell_count);
            EXPECT_LE(axis.first_breakpoint[cell], i) << "axis " << k << " breakpoint " << i;
            EXPECT_GE(axis.first_breakpoint[cell] + 1u, i) << "axis " << k << " breakpoint " << i;
        }
    }
}

TEST_F(TablePassEquivalence, EveryBreakpointMidpointAndOutOfRangeAngle) {
    for (double beta : kBetas) {
        for (double alpha : kAlphas) check(alpha, beta);
    }
    // The other way round, so that each axis also moves on its own.
    for (double alpha : kAlphas) {
        for (double beta : kBetas) check(alpha, beta);
    }
}

TEST_F(TablePassEquivalence, ScatteredOrderAndFineSteps) {
    // A fixed linear congruential sequence: the same scattered angles on
    // every run, jumping between distant cells.
    std::uint32_t state = 12345u;
    auto next = [&state](double lo, double hi) {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * (state >> 8) / 16777216.0;
    };
    for (int i = 0; i < 4000; ++i) check(next(-30.0, 100.0), next(-45.0, 45.0));
    for (double alpha = -30.0; alpha <= 100.0; alpha += 0.173) check(alpha, 0.31 * alpha - 12.0);
}

TEST_F(TablePassEquivalence, NanAngleKeepsEachTablesOwnBracket) {
    // A NaN angle finds no bracket: every table extrapolates from the bracket
    // it kept, which may differ from table to table when a table was looked
    // up on its own in between.
    qfm_test::Fp_Traps_Off nan_on_purpose;
    check(17.3, -6.5);
    double inputs[2] = {33.0, 12.0};
    grid_lookup(G_Aero.tables[CX_BASIC], inputs);
    grid_lookup(fresh[CX_BASIC], inputs);
    check(std::nan(""), 3.0);
    check(8.0, std::nan(""));
    check(std::nan(""), std::nan(""));
    check(-4.0, 2.5);
}
