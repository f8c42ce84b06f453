// The per-frame aerodynamics: table lookups at the current angle of attack
// and sideslip, then the coefficient build-up (clean data, slat increment by
// slat travel, aileron and rudder increments as full-deflection tables minus
// their references, fixed flap, elevator and speed-brake terms, and rate
// derivatives with rates normalised by c/(2V) or b/(2V)).
#include <cmath>
#include <cstdint>
#include <cstring>

#include "aero/aero_data.h"
#include "controls/flight_controls.h"

namespace {
constexpr double kAlphaMinDeg = -20.0;
constexpr double kAlphaMaxDeg = 90.0;
constexpr double kBetaMinDeg = -30.0;
constexpr double kBetaMaxDeg = 30.0;
constexpr double kBuffetOnsetDeg = 6.5;
constexpr double kBuffetSpanDeg = 14.0;
// Elevator terms: drag from |deflection|, normal force and pitching moment
// per unit travel, and a fixed pitching-moment offset.
constexpr double kElevatorCX = -0.075;
constexpr double kElevatorCZ = 0.035;
constexpr double kElevatorCm = 0.38;
constexpr double kElevatorCmOffset = 0.2;
// The flap drag increment is resolved with a fixed 1 degree.
constexpr double kFlapDragAngleRad = 0.017453292519943295;
// Weights the model gives two of its terms: CZq enters the normal force
// 4.5 times (3 inside the rate bracket, 1.5 outside, which CZq_slat gets
// alone), and the basic pitching moment 2.5 times (its clean reference in the
// slat increment does not).
constexpr double kCZqRateWeight = 1.5;
constexpr double kCZqCleanWeight = 3.0;
constexpr double kCmBasicWeight = 2.5;
// c/b, the moment-reference transfer of CY into Cn.
constexpr double kChordOverSpan = kMeanChord / kWingSpan;

double limit(double x, double lo, double hi) {
    // Lower limit first, then the upper one.
    x = x < lo ? lo : x;
    return x > hi ? hi : x;
}

// The bracket of one axis of the table pass, shared by every table over it.
// Filled by find_bracket; t and one_minus_t only when blend is set.
struct Axis_Bracket {
    std::uint32_t index[2];  // lower, upper: as a table keeps it
    bool blend;              // the bracket's breakpoint values differ
    double t;                // (x - lower value)/(upper value - lower value)
    double one_minus_t;
};

// The bracket the table's own search finds: an exact hit on breakpoint i
// gives (i, i), an input strictly between a[i] and a[i+1] gives (i, i+1).
// The search starts at the breakpoint the axis's cell for x names and walks
// to the cell with a[i] <= x <= a[i+1]; the exact comparisons then decide the
// pair, so it is the pair a scan from the start finds. False when x is
// outside the axis or NaN: the table then keeps its previous bracket.
bool find_bracket(const Table_Axis& axis, double x, Axis_Bracket& b) {
    const double* a = axis.breakpoints;
    if (!(x >= a[0] && x <= a[axis.size - 1])) return false;
    // x - a[0] lies in [0, a[last] - a[0]]: the cell is in 0..cell_count - 1.
    std::uint32_t cell = static_cast<std::uint32_t>((x - a[0]) * axis.cells_per_degree);
    if (cell >= axis.cell_count) cell = axis.cell_count - 1;
    std::uint32_t i = axis.first_breakpoint[cell];
    while (i > 0 && a[i] > x) --i;
    while (a[i + 1] < x) ++i;
    std::uint32_t lo = i;
    std::uint32_t hi = i + 1;  // a[lo] <= x <= a[hi]
    if (x == a[lo]) {
        hi = lo;
    } else if (x == a[hi]) {
        lo = hi;
    }
    b.index[0] = lo;
    b.index[1] = hi;
    const double lo_value = a[lo];
    const double hi_value = a[hi];
    b.blend = lo_value != hi_value;
    if (b.blend) {
        b.t = (x - lo_value) / (hi_value - lo_value);
        b.one_minus_t = 1.0 - b.t;
    }
    return true;
}

// The table's own lookup, one table at a time.
void lookup_each_table(Aero_Data& a, double alpha, double beta) {
    for (int slot = 0; slot < AERO_SLOT_COUNT; ++slot) {
        Grid_Table& t = a.tables[slot];
        if (t.dims == 0) continue;  // slot 9 has no table
        double inputs[2] = {alpha, beta};
        if (t.inputCeiling != 0.0 && inputs[0] > t.inputCeiling) inputs[0] = t.inputCeiling;
        a.slots[slot] = grid_lookup(t, inputs);
    }
}

// Blend along alpha between the grid values at offsets lower and upper, as
// the table's reduction does: t*upper + (1 - t)*lower.
double blend_alpha(const Axis_Bracket& ab, const double* v, std::uint32_t lower,
                   std::uint32_t upper) {
    return ab.blend ? ab.t * v[upper] + ab.one_minus_t * v[lower] : v[lower];
}

// One group of one-dimensional tables over the same alpha axis.
void lookup_group_1d(Aero_Data& a, const Table_Group& g, const Axis_Bracket& ab) {
    for (int i = 0; i < g.count; ++i) {
        const int slot = g.slots[i];
        Grid_Table& t = a.tables[slot];
        std::memcpy(t.bracketIndex[0], ab.index, sizeof ab.index);
        a.slots[slot] = blend_alpha(ab, t.values, ab.index[0], ab.index[1]);
    }
    for (int i = 0; i < g.copy_count; ++i) {
        std::memcpy(a.tables[g.copy_slots[i]].bracketIndex[0], ab.index, sizeof ab.index);
        a.slots[g.copy_slots[i]] = a.slots[g.copy_from[i]];
    }
}

// One group of two-dimensional tables over the same alpha and beta axes;
// their grids are stored alpha fastest, rows of alpha_size values.
void lookup_group_2d(Aero_Data& a, const Table_Group& g, const Axis_Bracket& ab,
                     const Axis_Bracket& bb, std::uint32_t alpha_size) {
    // Grid offsets of the corners, as the table's flat index computes them.
    const std::uint32_t lower_row = bb.index[0] * alpha_size;
    const std::uint32_t upper_row = bb.index[1] * alpha_size;
    const std::uint32_t c00 = ab.index[0] + lower_row;
    const std::uint32_t c10 = ab.index[1] + lower_row;
    const std::uint32_t c01 = ab.index[0] + upper_row;
    const std::uint32_t c11 = ab.index[1] + upper_row;
    for (int i = 0; i < g.count; ++i) {
        const int slot = g.slots[i];
        Grid_Table& t = a.tables[slot];
        std::memcpy(t.bracketIndex[0], ab.index, sizeof ab.index);
        std::memcpy(t.bracketIndex[1], bb.index, sizeof bb.index);
        const double* v = t.values;
        const double lower = blend_alpha(ab, v, c00, c10);
        a.slots[slot] =
            bb.blend ? bb.t * blend_alpha(ab, v, c01, c11) + bb.one_minus_t * lower : lower;
    }
    for (int i = 0; i < g.copy_count; ++i) {
        Grid_Table& t = a.tables[g.copy_slots[i]];
        std::memcpy(t.bracketIndex[0], ab.index, sizeof ab.index);
        std::memcpy(t.bracketIndex[1], bb.index, sizeof bb.index);
        a.slots[g.copy_slots[i]] = a.slots[g.copy_from[i]];
    }
}
}  // namespace

// Every table over one axis gets the same input, so one search per axis
// serves them all, and each table only gathers its corners and blends them
// with the shared weights: t*upper + (1 - t)*lower, first axis first, with
// the same operations in the same order as the table's own lookup. Each
// table keeps the shared bracket, as its own search would have left it.
void aero_table_pass(const Body_Motion& motion, bool on_ground) {
    Aero_Data& a = G_Aero;
    const double alpha = limit(motion.alpha_deg, kAlphaMinDeg, kAlphaMaxDeg);
    const double beta = limit(motion.beta_deg, kBetaMinDeg, kBetaMaxDeg);
    a.shakeAmplitude =
        on_ground ? 0.0 : limit((alpha - kBuffetOnsetDeg) / kBuffetSpanDeg, 0.0, 1.0);

    const Table_Pass_Plan& plan = a.table_plan;
    Axis_Bracket brackets[Table_Pass_Plan::kMaxAxes];
    bool shared = plan.ready;
    for (int k = 0; shared && k < plan.axis_count; ++k) {
        const Table_Axis& axis = plan.axes[k];
        double x = axis.position == 0 ? alpha : beta;
        if (axis.ceiling != 0.0 && x > axis.ceiling) x = axis.ceiling;
        shared = find_bracket(axis, x, brackets[k]);
    }
    // Only a NaN angle misses an axis after the clamps; each table then
    // extrapolates from the bracket it kept, which its own lookup does.
    if (!shared) {
        lookup_each_table(a, alpha, beta);
        return;
    }

    for (int k = 0; k < plan.group_count; ++k) {
        const Table_Group& g = plan.groups[k];
        const Table_Axis& alpha_axis = plan.axes[g.alpha_axis];
        if (g.beta_axis < 0) {
            lookup_group_1d(a, g, brackets[g.alpha_axis]);
        } else {
            lookup_group_2d(a, g, brackets[g.alpha_axis], brackets[g.beta_axis], alpha_axis.size);
        }
    }
}

void aero_build_coefficients(const Surface_State& sf, const Body_Motion& m) {
    Aero_Data& a = G_Aero;
    const double* s = a.slots;
    const Flight_State& air = *a.state;
    const double qbar = air.dynamic_pressure;
    const double v = air.true_airspeed;
    const double alpha_rad = G_Params.aoa_rad;

    // Rate normalisers; no rate terms at zero airspeed.
    const double two_v = 2.0 * v;
    const double kc = two_v == 0.0 ? 0.0 : kMeanChord / two_v;
    const double kb = two_v == 0.0 ? 0.0 : kWingSpan / two_v;

    // Moment-reference shift.
    a.xm = clamped_line_eval(a.moment_reference, air.mach);
    const double xm = a.xm;

    // Gear-leg drag, every frame, also when zero. G_Params' leg order is
    // nose, left, right, as the lists are.
    for (int leg = 0; leg < 3; ++leg) {
        force_list_push(a.drag[DRAG_GEAR_NOSE + leg],
                        Vec3{-a.gear_drag_area * G_Params.gear_leg_position[leg] * qbar, 0.0, 0.0});
    }

    // Speed-brake drag: each panel carries the full area.
    const Vec3 brake_drag{-a.speed_brake_drag_area * sf.speed_brake_fraction * qbar, 0.0, 0.0};
    force_list_push(a.drag[DRAG_SPEED_BRAKE_LEFT], brake_drag);
    force_list_push(a.drag[DRAG_SPEED_BRAKE_RIGHT], brake_drag);

    const double ds = sf.slat_fraction;
    const double da = sf.aileron_fraction;
    const double dr = sf.rudder_fraction;
    const double de = sf.elevator_fraction;

    // Elevator.
    a.dCX_elevator = kElevatorCX * std::fabs(de);
    a.dCZ_elevator = kElevatorCZ * de;
    a.dCm_elevator = kElevatorCm * de + kElevatorCmOffset;

    // Aileron increments, blended between clean and slat data.
    const double cy_a_clean = s[CY_AILERON] - s[CY_BASIC];
    const double cn_a_clean = s[CN_AILERON] - s[CN_CLEAN_REF];
    const double cl_a_clean = s[CL_AILERON] - s[CL_CLEAN_REF];
    a.dCY_aileron = da * (cy_a_clean + ds * ((s[CY_AILERON_SLAT] - s[CY_SLAT]) - cy_a_clean));
    a.dCn_aileron = da * (cn_a_clean + ds * ((s[CN_AILERON_SLAT] - s[CN_SLAT]) - cn_a_clean));
    a.dCl_aileron = da * (cl_a_clean + ds * ((s[CL_AILERON_SLAT] - s[CL_SLAT]) - cl_a_clean));

    // Rudder increments, clean data only.
    a.dCY_rudder = dr * (s[CY_RUDDER] - s[CY_BASIC]);
    a.dCn_rudder = dr * (s[CN_RUDDER] - s[CN_CLEAN_REF]);
    a.dCl_rudder = dr * (s[CL_RUDDER] - s[CL_CLEAN_REF]);

    // Flaps: lift increment resolved with alpha, drag increment with 1
    // degree; the two sides enter as their mean.
    const double lift = a.flap_lift_increment;
    const double drag = a.flap_drag_increment;
    const double cos_a = std::cos(alpha_rad);
    const double sin_a = std::sin(alpha_rad);
    const double cos_1 = std::cos(kFlapDragAngleRad);
    const double sin_1 = std::sin(kFlapDragAngleRad);
    const double fl = sf.flap_fraction_left;
    const double fr = sf.flap_fraction_right;
    a.dCX_flap_left = -(cos_1 * drag * fl - sin_a * lift * fl);
    a.dCX_flap_right = -(cos_1 * drag * fr - sin_a * lift * fr);
    a.dCZ_flap_left = -(cos_a * lift * fl + sin_1 * drag * fl);
    a.dCZ_flap_right = -(cos_a * lift * fr + sin_1 * drag * fr);
    const double dcx_flap = (a.dCX_flap_left + a.dCX_flap_right) / 2.0;
    const double dcz_flap = (a.dCZ_flap_left + a.dCZ_flap_right) / 2.0;

    const double p = m.roll_rate;
    const double q = m.pitch_rate;
    const double r = m.yaw_rate;
    const double beta = m.beta_deg;  // unclamped in the beta terms

    // Totals.
    a.CX = s[CX_BASIC] + ds * (s[CX_SLAT] - s[CX_CLEAN_REF]) +
           (s[CXQ] + ds * s[CXQ_SLAT]) * kc * q + dcx_flap + a.dCX_elevator;
    a.CZ = s[CZ_BASIC] + ds * (s[CZ_SLAT] - s[CZ_CLEAN_REF]) +
           kCZqRateWeight * kc * q * (kCZqCleanWeight * s[CZQ] + ds * s[CZQ_SLAT]) + dcz_flap +
           a.dCZ_elevator;
    a.Cm = kCmBasicWeight * s[CM_BASIC] + xm * a.CZ + ds * (s[CM_SLAT] - s[CM_CLEAN_REF]) +
           (s[CMQ] + ds * s[CMQ_SLAT]) * kc * q + s[CM_EXTRA] + a.dCm_elevator;
    a.CY = s[CY_BASIC] + ds * (s[CY_SLAT] - s[CY_BASIC]) + a.dCY_aileron +
           (s[CYP] + ds * s[CYP_SLAT]) * kb * p + (s[CYR] + ds * s[CYR_SLAT]) * kb * r +
           a.dCY_rudder;
    a.Cn = s[CN_BASIC] + ds * (s[CN_SLAT] - s[CN_CLEAN_REF]) - a.CY * xm * kChordOverSpan +
           a.dCn_aileron + (s[CNR] + ds * s[CNR_SLAT]) * kb * r +
           (s[CNP] + ds * s[CNP_SLAT]) * kb * p + a.dCn_rudder + s[CN_BETA] * beta;
    a.Cl = s[CL_BASIC] + ds * (s[CL_SLAT] - s[CL_CLEAN_REF]) + a.dCl_aileron +
           (s[CLP] + ds * s[CLP_SLAT]) * kb * p + (s[CLR] + ds * s[CLR_SLAT]) * kb * r +
           a.dCl_rudder + s[CL_BETA] * beta;
}
