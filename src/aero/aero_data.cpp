#include "aero/aero_data.h"

#include <cmath>

#include "aero/aero_tables.h"

Aero_Data G_Aero;

namespace {

constexpr double kAlphaCeilingDeg = 45.0;  // tables whose alpha axis ends at 45

struct Table_Entry {
    int slot;
    const double* values;
    const double* alpha;
    std::uint32_t alpha_size;
    const double* beta;  // null for a table over alpha alone
    std::uint32_t beta_size;
};

using namespace aero_tables;

// The clean-reference tables are separate tables over the grids of their
// basic tables; CY_basic serves as its own reference.
const Table_Entry kTables[] = {
    {CX_BASIC, CX_basic, ALPHA_15, 15, BETA_7, 7},
    {CZ_BASIC, CZ_basic, ALPHA_15, 15, BETA_7, 7},
    {CM_BASIC, Cm_basic, ALPHA_20, 20, BETA_11, 11},
    {CY_BASIC, CY_basic, ALPHA_20, 20, BETA_11, 11},
    {CN_BASIC, Cn_basic, ALPHA_20, 20, BETA_11, 11},
    {CL_BASIC, Cl_basic, ALPHA_15, 15, BETA_7, 7},
    {CX_CLEAN_REF, CX_basic, ALPHA_15, 15, BETA_7, 7},
    {CZ_CLEAN_REF, CZ_basic, ALPHA_15, 15, BETA_7, 7},
    {CM_CLEAN_REF, Cm_basic, ALPHA_20, 20, BETA_11, 11},
    {CN_CLEAN_REF, Cn_basic, ALPHA_20, 20, BETA_11, 11},
    {CL_CLEAN_REF, Cl_basic, ALPHA_15, 15, BETA_7, 7},
    {CX_SLAT, CX_slat, ALPHA_14, 14, BETA_19, 19},
    {CZ_SLAT, CZ_slat, ALPHA_14, 14, BETA_19, 19},
    {CM_SLAT, Cm_slat, ALPHA_14, 14, BETA_19, 19},
    {CY_SLAT, CY_slat, ALPHA_14, 14, BETA_19, 19},
    {CN_SLAT, Cn_slat, ALPHA_14, 14, BETA_19, 19},
    {CL_SLAT, Cl_slat, ALPHA_14, 14, BETA_19, 19},
    {CXQ, CXq, ALPHA_20, 20, nullptr, 0},
    {CZQ, CZq, ALPHA_20, 20, nullptr, 0},
    {CMQ, Cmq, ALPHA_20, 20, nullptr, 0},
    {CYP, CYp, ALPHA_20, 20, nullptr, 0},
    {CYR, CYr, ALPHA_20, 20, nullptr, 0},
    {CNR, Cnr, ALPHA_20, 20, nullptr, 0},
    {CNP, Cnp, ALPHA_20, 20, nullptr, 0},
    {CLP, Clp, ALPHA_20, 20, nullptr, 0},
    {CLR, Clr, ALPHA_20, 20, nullptr, 0},
    {CXQ_SLAT, CXq_slat, ALPHA_14, 14, nullptr, 0},
    {CZQ_SLAT, CZq_slat, ALPHA_14, 14, nullptr, 0},
    {CMQ_SLAT, Cmq_slat, ALPHA_14, 14, nullptr, 0},
    {CYP_SLAT, CYp_slat, ALPHA_14, 14, nullptr, 0},
    {CYR_SLAT, CYr_slat, ALPHA_14, 14, nullptr, 0},
    {CNR_SLAT, Cnr_slat, ALPHA_14, 14, nullptr, 0},
    {CNP_SLAT, Cnp_slat, ALPHA_14, 14, nullptr, 0},
    {CLP_SLAT, Clp_slat, ALPHA_14, 14, nullptr, 0},
    {CLR_SLAT, Clr_slat, ALPHA_14, 14, nullptr, 0},
    {CY_RUDDER, CY_rudder, ALPHA_20, 20, BETA_19, 19},
    {CN_RUDDER, Cn_rudder, ALPHA_20, 20, BETA_19, 19},
    {CL_RUDDER, Cl_rudder, ALPHA_20, 20, BETA_19, 19},
    {CY_AILERON, CY_aileron, ALPHA_20, 20, BETA_19, 19},
    {CN_AILERON, Cn_aileron, ALPHA_20, 20, BETA_19, 19},
    {CL_AILERON, Cl_aileron, ALPHA_20, 20, BETA_19, 19},
    {CY_AILERON_SLAT, CY_aileron_slat, ALPHA_14, 14, BETA_19, 19},
    {CN_AILERON_SLAT, Cn_aileron_slat, ALPHA_14, 14, BETA_19, 19},
    {CL_AILERON_SLAT, Cl_aileron_slat, ALPHA_14, 14, BETA_19, 19},
    {CN_BETA, Cn_beta, ALPHA_20, 20, nullptr, 0},
    {CL_BETA, Cl_beta, ALPHA_20, 20, nullptr, 0},
    {CM_EXTRA, Cm_extra, ALPHA_20, 20, nullptr, 0},
};

static_assert(sizeof(kTables) / sizeof(kTables[0]) == 47, "47 tables, slot 9 unused");

// Fills the search cells of an axis; false when the axis needs more cells
// than the plan holds.
bool plan_cells(Table_Axis& axis) {
    const double* a = axis.breakpoints;
    const std::uint32_t last = axis.size - 1;
    double closest = a[last] - a[0];
    for (std::uint32_t i = 0; i < last; ++i) {
        if (a[i + 1] - a[i] < closest) closest = a[i + 1] - a[i];
    }
    // Cells of at most the closest spacing, and one more for the last
    // breakpoint itself.
    const double span = a[last] - a[0];
    const double cells = std::ceil(span / closest);
    if (!(cells >= 1.0) || cells + 1.0 > Table_Axis::kMaxCells) return false;
    axis.cell_count = static_cast<std::uint32_t>(cells) + 1;
    axis.cells_per_degree = cells / span;
    for (std::uint32_t cell = 0; cell < axis.cell_count; ++cell) {
        // The lower edge of the cell, as the search computes cells.
        std::uint32_t i = 0;
        while (i + 1 < last &&
               static_cast<std::uint32_t>((a[i + 1] - a[0]) * axis.cells_per_degree) <= cell) {
            ++i;
        }
        axis.first_breakpoint[cell] = static_cast<std::uint8_t>(i);
    }
    return true;
}

// The index of the plan's axis for axis position d of table t, added if
// new; -1 when the plan has no room.
int plan_axis(Table_Pass_Plan& plan, const Grid_Table& t, int d) {
    const double ceiling = d == 0 ? t.inputCeiling : 0.0;
    for (int k = 0; k < plan.axis_count; ++k) {
        const Table_Axis& axis = plan.axes[k];
        if (axis.breakpoints == t.axes[d] && axis.size == t.axisSizes[d] && axis.position == d &&
            axis.ceiling == ceiling) {
            return k;
        }
    }
    if (plan.axis_count == Table_Pass_Plan::kMaxAxes || t.axisSizes[d] < 2) return -1;
    Table_Axis& axis = plan.axes[plan.axis_count];
    axis = Table_Axis{};
    axis.breakpoints = t.axes[d];
    axis.size = t.axisSizes[d];
    axis.position = d;
    axis.ceiling = ceiling;
    if (!plan_cells(axis)) return -1;
    return plan.axis_count++;
}

// Derives the table pass's plan from the tables as set up. Left not ready
// (every table then looked up on its own) if a table has more than two axes
// or the tables use more distinct axes or axis pairs than the plan holds.
void plan_table_pass(Aero_Data& a) {
    Table_Pass_Plan& plan = a.table_plan;
    plan = Table_Pass_Plan{};
    for (int slot = 0; slot < AERO_SLOT_COUNT; ++slot) {
        const Grid_Table& t = a.tables[slot];
        if (t.dims == 0) continue;
        if (t.dims > 2) return;
        const int alpha = plan_axis(plan, t, 0);
        const int beta = t.dims == 2 ? plan_axis(plan, t, 1) : -1;
        if (alpha < 0 || (t.dims == 2 && beta < 0)) return;

        int g = 0;
        while (g < plan.group_count &&
               (plan.groups[g].alpha_axis != alpha || plan.groups[g].beta_axis != beta)) {
            ++g;
        }
        if (g == plan.group_count) {
            if (g == Table_Pass_Plan::kMaxGroups) return;
            plan.groups[g].alpha_axis = static_cast<std::int8_t>(alpha);
            plan.groups[g].beta_axis = static_cast<std::int8_t>(beta);
            ++plan.group_count;
        }
        Table_Group& group = plan.groups[g];

        int repeats = -1;
        for (int i = 0; i < group.count && repeats < 0; ++i) {
            if (a.tables[group.slots[i]].values == t.values) repeats = group.slots[i];
        }
        if (repeats >= 0) {
            group.copy_slots[group.copy_count] = static_cast<std::int8_t>(slot);
            group.copy_from[group.copy_count] = static_cast<std::int8_t>(repeats);
            ++group.copy_count;
        } else {
            group.slots[group.count++] = static_cast<std::int8_t>(slot);
        }
    }
    plan.ready = true;
}

}  // namespace

double clamped_line_eval(const Clamped_Line& line, double x) {
    if (line.rangeCheck == 1 && x < line.inputMin) return line.outputMin;
    if (line.rangeCheck == 1 && x > line.inputMax) return line.outputMax;
    const double y = line.slope * x + line.offset;
    if (y > line.outputMax) return line.outputMax;
    return line.outputMin > y ? line.outputMin : y;
}

void aero_data_construct() {
    Aero_Data& a = G_Aero;
    a = Aero_Data{};
    a.state = &G_FlightState;
    for (const Table_Entry& entry : kTables) {
        Grid_Table& t = a.tables[entry.slot];
        t.dims = entry.beta ? 2 : 1;
        t.values = entry.values;
    }
    a.moment_reference = Clamped_Line{0.05, 0.3, 0.0, 2.0, 1, 0.3, 0.39};
    a.drag_point[DRAG_SPEED_BRAKE_LEFT] = Vec3{-3.5, -0.19, -0.68};
    a.drag_point[DRAG_SPEED_BRAKE_RIGHT] = Vec3{-3.5, -0.19, 0.68};
    a.drag_point[DRAG_GEAR_NOSE] = Vec3{3.78, -1.3, 0.0};
    a.drag_point[DRAG_GEAR_LEFT] = Vec3{-0.05, -1.2, -1.88};
    a.drag_point[DRAG_GEAR_RIGHT] = Vec3{-0.05, -1.2, 1.88};
    a.speed_brake_drag_area = 0.585;
    a.gear_drag_area = 0.17;
#ifdef QFM_TEST_FLAP_DRAG_INCREMENT
    // Only in the test-only copy of the library (QuillonFM_perturbed), whose
    // comparison against this build must report what the change moves.
    a.flap_drag_increment = QFM_TEST_FLAP_DRAG_INCREMENT;
#else
    a.flap_drag_increment = 0.125;
#endif
    a.flap_lift_increment = 0.35;

    // Table set-up runs last, after every other field is set.
    for (const Table_Entry& entry : kTables) {
        Grid_Table& t = a.tables[entry.slot];
        grid_allocate_work(t);
        t.axisSizes[0] = entry.alpha_size;
        t.axes[0] = entry.alpha;
        if (entry.beta) {
            t.axisSizes[1] = entry.beta_size;
            t.axes[1] = entry.beta;
        }
        if (entry.alpha == ALPHA_14) t.inputCeiling = kAlphaCeilingDeg;
    }
    plan_table_pass(a);
}

void aero_data_destroy() {
    Aero_Data& a = G_Aero;
    for (Force_List& list : a.drag) force_list_free(list);
    for (Grid_Table& t : a.tables) grid_release(t);
}
