// The aircraft's aerodynamic data set and the per-frame build-up. Coefficients
// are dimensionless, body axes: CX positive forward, CZ positive downward
// (lift is -qS*CZ), Cm positive nose up, CY positive right, Cn positive nose
// right, Cl positive right wing down. Table inputs are alpha and beta in
// degrees.
#pragma once

#include <cstdint>

#include "aero/grid_table.h"
#include "host/force_list.h"
#include "host/shared_state.h"

struct Body_Motion;
struct Surface_State;

// y = slope*x + offset held between outputMin and outputMax, with the input
// range check of the moment-reference schedule.
struct Clamped_Line {
    double slope = 0.0;
    double offset = 0.0;
    double inputMin = 0.0;
    double inputMax = 0.0;
    unsigned char rangeCheck = 0;
    double outputMin = 0.0;
    double outputMax = 0.0;
};

double clamped_line_eval(const Clamped_Line& line, double x);

// Table result slots (slot 9 is never written).
enum Aero_Slot : int {
    CX_BASIC = 0,
    CZ_BASIC,
    CM_BASIC,
    CY_BASIC,
    CN_BASIC,
    CL_BASIC,
    CX_CLEAN_REF,
    CZ_CLEAN_REF,
    CM_CLEAN_REF,
    SLOT_UNUSED_9,
    CN_CLEAN_REF,
    CL_CLEAN_REF,
    CX_SLAT,
    CZ_SLAT,
    CM_SLAT,
    CY_SLAT,
    CN_SLAT,
    CL_SLAT,
    CXQ,
    CZQ,
    CMQ,
    CYP,
    CYR,
    CNR,
    CNP,
    CLP,
    CLR,
    CXQ_SLAT,
    CZQ_SLAT,
    CMQ_SLAT,
    CYP_SLAT,
    CYR_SLAT,
    CNR_SLAT,
    CNP_SLAT,
    CLP_SLAT,
    CLR_SLAT,
    CY_RUDDER,
    CN_RUDDER,
    CL_RUDDER,
    CY_AILERON,
    CN_AILERON,
    CL_AILERON,
    CY_AILERON_SLAT,
    CN_AILERON_SLAT,
    CL_AILERON_SLAT,
    CN_BETA,
    CL_BETA,
    CM_EXTRA,
    AERO_SLOT_COUNT
};

enum Drag_List : int {
    DRAG_SPEED_BRAKE_LEFT = 0,
    DRAG_SPEED_BRAKE_RIGHT,
    DRAG_GEAR_NOSE,
    DRAG_GEAR_LEFT,
    DRAG_GEAR_RIGHT,
    DRAG_LIST_COUNT
};

// One axis of the table pass: a breakpoint list in a given axis position,
// with the input ceiling its tables apply (alpha axis only). Every table over
// the same axis gets the same input and therefore the same bracket.
struct Table_Axis {
    static constexpr int kMaxCells = 64;
    const double* breakpoints = nullptr;  // degrees, strictly ascending
    std::uint32_t size = 0;
    int position = 0;      // 0: alpha (first input), 1: beta (second input)
    double ceiling = 0.0;  // the tables' inputCeiling, degrees; 0 = none
    // Where the bracket search starts: the axis cut into cells no wider than
    // the closest two breakpoints (cell = (x - first) * cells_per_degree,
    // truncated), and for each cell the last breakpoint that falls in it or
    // in an earlier one. A cell holds at most one breakpoint, so the search
    // moves about one step from there.
    double cells_per_degree = 0.0;
    std::uint32_t cell_count = 0;
    std::uint8_t first_breakpoint[kMaxCells] = {};
};

// Tables over the same pair of axes (or the same single axis): they share
// the bracket, the weights and the grid offsets of the four (or two) corners.
// A table whose grid repeats an earlier table's of the group (the clean
// references) takes that table's result.
struct Table_Group {
    std::int8_t alpha_axis = -1;  // index into the plan's axes
    std::int8_t beta_axis = -1;   // -1: one-dimensional tables
    int count = 0;
    std::int8_t slots[AERO_SLOT_COUNT] = {};
    int copy_count = 0;
    std::int8_t copy_slots[AERO_SLOT_COUNT] = {};
    std::int8_t copy_from[AERO_SLOT_COUNT] = {};
};

// How the table pass shares its work, derived from the tables when they are
// set up: one bracket search per distinct axis serves every table over it,
// and tables over the same axes are blended group by group. Results and kept
// brackets are those of looking every table up on its own.
struct Table_Pass_Plan {
    static constexpr int kMaxAxes = 8;
    static constexpr int kMaxGroups = 8;
    bool ready = false;  // false: every table is looked up on its own
    int axis_count = 0;
    Table_Axis axes[kMaxAxes];
    int group_count = 0;
    Table_Group groups[kMaxGroups];
};

struct Aero_Data {
    Flight_State* state = nullptr;

    double CX = 0.0, CZ = 0.0, Cm = 0.0, CY = 0.0, Cn = 0.0, Cl = 0.0;

    double slots[AERO_SLOT_COUNT] = {};
    // Indexed by slot; tables[SLOT_UNUSED_9] stays zeroed (dims 0).
    Grid_Table tables[AERO_SLOT_COUNT];

    Clamped_Line moment_reference;

    // Intermediate terms of the last build-up.
    double dCY_aileron = 0.0, dCn_aileron = 0.0, dCl_aileron = 0.0;
    double dCY_rudder = 0.0, dCn_rudder = 0.0, dCl_rudder = 0.0;
    double dCX_flap_left = 0.0, dCX_flap_right = 0.0;
    double dCZ_flap_left = 0.0, dCZ_flap_right = 0.0;
    double xm = 0.0;  // moment-reference shift, mean chords
    double dCX_elevator = 0.0, dCZ_elevator = 0.0, dCm_elevator = 0.0;

    double shakeAmplitude = 0.0;  // buffet, 0..1

    Force_List drag[DRAG_LIST_COUNT];
    Vec3 drag_point[DRAG_LIST_COUNT];
    double speed_brake_drag_area = 0.0;  // m^2 per panel at full extension
    double gear_drag_area = 0.0;         // m^2 per leg at full extension

    double flap_drag_increment = 0.0;
    double flap_lift_increment = 0.0;

    Table_Pass_Plan table_plan;
};

extern Aero_Data G_Aero;

// Reference geometry.
constexpr double kWingArea = 19.5;       // m^2
constexpr double kWingSpan = 9.3978984;  // m
constexpr double kMeanChord = 1.880362;  // m

// Load: constants, points, schedule, then every table's set-up.
void aero_data_construct();
// Unload: frees the drag lists and releases the tables.
void aero_data_destroy();

// The 47 lookups at the clamped alpha and beta, and the buffet amplitude.
void aero_table_pass(const Body_Motion& motion, bool on_ground);
// The six coefficient totals; pushes the gear-leg and speed-brake drag.
void aero_build_coefficients(const Surface_State& surfaces, const Body_Motion& motion);
