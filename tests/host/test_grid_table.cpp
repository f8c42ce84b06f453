// Grid_Table: search, gather and multilinear reduction, including the kept
// bracket that makes out-of-range lookups extrapolate.
#include <gtest/gtest.h>

#include <utility>

#include "aero/grid_table.h"
#include "support/fp_traps.h"

namespace {

const double kAxisA[] = {0.0, 10.0, 20.0, 40.0};
const double kAxisB[] = {-1.0, 0.0, 1.0};
// value(i, j) = 100 * j + i-th breakpoint of A, first axis fastest.
const double kGrid2[] = {
    0.0,   10.0,  20.0,  40.0,   // b = -1
    100.0, 110.0, 120.0, 140.0,  // b = 0
    200.0, 210.0, 220.0, 240.0,  // b = 1
};
const double kGrid1[] = {5.0, 7.0, 3.0, -1.0};

// A table over the given grid and one or two axes of the given lengths.
Grid_Table make(const double* values, const double* a, std::uint32_t na, const double* b = nullptr,
                std::uint32_t nb = 0) {
    Grid_Table t{};
    t.dims = b ? 2 : 1;
    t.values = values;
    EXPECT_TRUE(grid_allocate_work(t));
    t.axisSizes[0] = na;
    t.axes[0] = a;
    t.axisSizes[1] = nb;
    t.axes[1] = b;
    return t;
}
Grid_Table make_2d() { return make(kGrid2, kAxisA, 4, kAxisB, 3); }
Grid_Table make_1d() { return make(kGrid1, kAxisA, 4); }

// The lower and upper bracket index kept on one axis.
std::pair<std::uint32_t, std::uint32_t> bracket(const Grid_Table& t, int axis) {
    return {t.bracketIndex[axis][0], t.bracketIndex[axis][1]};
}

double lookup(Grid_Table& t, double a, double b) {
    const double in[2] = {a, b};
    return grid_lookup(t, in);
}

}  // namespace

TEST(GridTable, BreakpointHitsReturnGridValuesWithDegenerateBrackets) {
    Grid_Table t = make_2d();
    EXPECT_EQ(lookup(t, 0.0, -1.0), 0.0);
    EXPECT_EQ(lookup(t, 40.0, 1.0), 240.0);
    EXPECT_EQ(lookup(t, 20.0, 0.0), 120.0);
    // An interior breakpoint is matched by the first interval touching it.
    EXPECT_EQ(bracket(t, 0), std::make_pair(2u, 2u));
    EXPECT_EQ(bracket(t, 1), std::make_pair(1u, 1u));
}

TEST(GridTable, MidpointsInterpolateLinearlyOnEachAxis) {
    Grid_Table t = make_2d();
    // Halfway on both axes: the mean of the four corners.
    EXPECT_DOUBLE_EQ(lookup(t, 5.0, -0.5), (0.0 + 10.0 + 100.0 + 110.0) / 4.0);
    EXPECT_DOUBLE_EQ(lookup(t, 30.0, 0.25), 130.0 + 25.0);
}

TEST(GridTable, BlendIsUpperTimesTPlusLowerTimesOneMinusT) {
    // The order of operations is part of the result: t*hi + (1-t)*lo can
    // differ from lo + t*(hi-lo) in the last bit.
    const double axis[] = {0.0, 3.0};
    const double values[] = {0.1, 0.7};
    Grid_Table t = make(values, axis, 2);
    for (double x = 0.05; x < 3.0; x += 0.37) {
        const double tt = (x - 0.0) / (3.0 - 0.0);
        EXPECT_EQ(grid_lookup(t, &x), tt * 0.7 + (1.0 - tt) * 0.1);
    }
}

TEST(GridTable, OutOfRangeKeepsTheLastBracketAndExtrapolates) {
    Grid_Table t = make_1d();
    double x = 15.0;  // brackets (1, 2): midway between 7 and 3
    EXPECT_DOUBLE_EQ(grid_lookup(t, &x), 5.0);
    x = -10.0;  // below the axis: the kept bracket extrapolates along 7 .. 3
    EXPECT_DOUBLE_EQ(grid_lookup(t, &x), 7.0 + (-10.0 - 10.0) / 10.0 * (3.0 - 7.0));

    // After an exact hit the kept bracket is degenerate: no extrapolation.
    x = 20.0;
    EXPECT_EQ(grid_lookup(t, &x), 3.0);
    x = 99.0;
    EXPECT_EQ(grid_lookup(t, &x), 3.0);

    // NaN compares unequal to everything and also keeps the bracket.
    {
        qfm_test::Fp_Traps_Off nan_on_purpose;
        x = __builtin_nan("");
        grid_lookup(t, &x);
    }
    EXPECT_EQ(t.bracketIndex[0][0], 2u);
}

TEST(GridTable, OneAxisOutOfRangeKeepsOnlyThatAxisBracket) {
    Grid_Table t = make_2d();
    lookup(t, 15.0, 0.5);                   // a: (1, 2), b: (1, 2)
    const double v = lookup(t, 35.0, 7.0);  // b out of range: keeps (1, 2)
    EXPECT_EQ(bracket(t, 0), std::make_pair(2u, 3u));
    EXPECT_EQ(bracket(t, 1), std::make_pair(1u, 2u));
    // Along b the plane value(a, b) = a + 100 * (b + 1) extrapolates exactly.
    EXPECT_DOUBLE_EQ(v, 35.0 + 800.0);
}

TEST(GridTable, SetUpRejectsDimensionCountsItCannotHold) {
    Grid_Table t{};
    t.dims = 0;
    EXPECT_FALSE(grid_allocate_work(t));
    t.dims = Grid_Table::kMaxDims + 1;
    EXPECT_FALSE(grid_allocate_work(t));
    const double x[1] = {1.0};
    EXPECT_EQ(grid_lookup(t, x), 0.0);  // an unusable table answers 0
}
