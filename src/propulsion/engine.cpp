// The turbofan and its gas-turbine starter (GTS), stepped once per frame.
//
// Phases: off (rpm follows windmilling), cranking (GTS at 100 % drives n1 and
// holds rpm at n1/3.125 up to 32 %), light-off (rpm ramps to 55 %), running
// (rpm 55..100 % from the lagged power setting) and flamed out (rpm runs down
// to the windmill value). The state machines rely on clamped ramps landing
// exactly on their end values (GTS at 65 and 100 %, rpm at 55 %), so those
// are compared with ==.
#include "propulsion/engine.h"

#include <cmath>
#include <cstdint>

#include "aero/grid_table.h"
#include "propulsion/electrical.h"

Engine G_Engine;

namespace {

// ---- Fuel-flow curve: rpm per cent -> lb/h --------------------------------
constexpr std::uint32_t kFuelCurvePoints = 6;
constexpr double kFuelCurveRpm[kFuelCurvePoints] = {0.0, 56.5, 70.0, 95.0, 100.0, 102.0};
constexpr double kFuelCurveLbPerHour[kFuelCurvePoints] = {0.0,    600.0,  1000.0,
                                                          3000.0, 4500.0, 4700.0};
constexpr std::uint32_t kFuelCurveSizes[1] = {kFuelCurvePoints};
constexpr const double* kFuelCurveAxes[1] = {kFuelCurveRpm};

// Built on the first lookup and kept; it only points at the constant data
// above, so it carries no state between frames.
Grid_Descriptor g_fuel_curve;
bool g_fuel_curve_ready = false;

double fuel_curve_lb_per_hour(double rpm) {
    if (!g_fuel_curve_ready) {
        g_fuel_curve.dims = 1;
        g_fuel_curve.axisSizes = kFuelCurveSizes;
        g_fuel_curve.axes = kFuelCurveAxes;
        g_fuel_curve.values = kFuelCurveLbPerHour;
        g_fuel_curve_ready = true;
    }
    const double input = clamp(rpm, kFuelCurveRpm[0], kFuelCurveRpm[kFuelCurvePoints - 1]);
    return grid_lookup_once(g_fuel_curve, &input);
}

// ---- Speeds, per cent ---------------------------------------------------------
constexpr double kGtsHold = 65.0;         // GTS waits here to be engaged
constexpr double kGtsFull = 100.0;        // GTS cranking speed
constexpr double kGtsSpoolUp = 4.5;       // %/s, 0 -> 65
constexpr double kGtsEngaged = 20.0;      // %/s, 65 -> 100
constexpr double kGtsSpoolDown = 20.0;    // %/s
constexpr double kCrankN1Rate = 12.5;     // %/s of n1 while the GTS cranks
constexpr double kCrankRpmMax = 32.0;     // the GTS alone turns rpm this far
constexpr double kN1PerRpm = 3.125;       // n1 = 3.125 * rpm while cranked or windmilled
constexpr double kLightOffN1 = 46.0;      // light-off needs n1 above this
constexpr double kSelfSustainRpm = 45.0;  // past this the start cycle ends
constexpr double kLightOffRate = 1.8;     // %/s
constexpr double kIdleRpm = 55.0;         // lit here
constexpr double kFullRpm = 100.0;
constexpr double kRunDownRate = 5.0;  // %/s while flamed out
constexpr double kStartCycleMinRpm = 10.0;
// Windmilling: 20 % rpm at 350 kcas, linear in airspeed.
constexpr double kWindmillRefKcas = 350.0;
constexpr double kWindmillRefRpm = 20.0;

// ---- Switches ---------------------------------------------------------------
constexpr double kSwitchOff = 0.0;
constexpr double kSwitchRun = 0.5;
constexpr double kSwitchStart = 1.0;
constexpr double kLeverCutoff = 0.0;
constexpr double kLeverIdle = 0.2;  // idle detent
constexpr double kLeverSpan = 0.8;  // idle detent to full

constexpr double kStarvationKg = 0.5;  // less than this in the tanks cuts the fuel

// ---- Ideal turbofan cycle ----------------------------------------------------
constexpr double kGamma = 1.4;
constexpr double kG1 = (kGamma - 1.0) / 2.0;
constexpr double kK = 2.0 / (kGamma - 1.0);
constexpr double kE = (kGamma - 1.0) / kGamma;
static_assert(kG1 == 0.19999999999999996, "(gamma - 1)/2 as double arithmetic gives it");
static_assert(kK == 5.000000000000001, "2/(gamma - 1) as double arithmetic gives it");
static_assert(kE == 0.28571428571428564, "(gamma - 1)/gamma as double arithmetic gives it");
constexpr double kBurnerTotalTempR = 2250.0;  // turbine inlet temperature, deg R
constexpr double kRankinePerKelvin = 1.8;
constexpr double kCompressorPressureRatio = 11.3;
constexpr double kFanPressureRatio = 1.5;
constexpr double kBypassRatio = 0.8;
// The free-stream speed term (a in ft/s over 1.8) and 3.015, the airflow
// scale the engine is tuned with, turn the two specific jet-speed excesses
// into pounds of thrust.
constexpr double kSpeedTermDivisor = 1.8;
constexpr double kAirflowScale = 3.015;
constexpr double kNPerLbf = 4.44822162825;
constexpr double kMaxCycleThrust = 24590.0;  // N
constexpr double kThrustAtFullRpm = 1.3;     // delivered thrust at 100 % over max_thrust
// Full thrust to 15000 ft, then 0.9 lost linearly over 50000 ft, floor 10 %.
constexpr double kLapseStartFt = 15000.0;
constexpr double kLapseSpanFt = 50000.0;
constexpr double kLapseDepth = 0.9;
constexpr double kLapseFloor = 0.1;

// ---- Fuel flow and EGT --------------------------------------------------------
constexpr double kSecondsPerHour = 3600.0;
// Fuel flow falls by half over 40000 ft and stays there.
constexpr double kFuelLapseSpanFt = 40000.0;
constexpr double kFuelLapseDepth = 0.5;
constexpr double kFuelLapseFloor = 0.5;
constexpr double kCelsiusOffset = 273.15;
constexpr double kEgtRunningSpan = 90.0;  // deg C at full rpm, times the thrust fraction
constexpr double kEgtBase = 320.0;        // deg C above ambient
constexpr double kEgtRise = 24.0;         // deg C/s while fuel is admitted
constexpr double kEgtFall = 2.4;          // deg C/s without fuel

void gts_shutdown(Engine& e) {
    e.gts_ready = false;
    e.gts_spool_down = true;
    e.gts_starting = false;
    e.gts_engaged = false;
}

// Light-off ramp toward idle; lit once it lands on idle exactly.
void light_off_ramp(Engine_Core& core, double dt) {
    core.rpm = clamp(core.rpm + kLightOffRate * dt, 0.0, kIdleRpm);
    if (core.rpm == kIdleRpm) core.lit = true;
}

void windmill(Engine_Core& core, double dt, double kcas) {
    core.windmill_rpm = kcas / kWindmillRefKcas * kWindmillRefRpm;
    if (core.rpm > core.windmill_rpm) {
        // No floor here: the core step keeps rpm at or above 0, and the next
        // step settles on the windmill value.
        core.rpm -= kRunDownRate * dt;
    } else {
        core.n1_rpm = clamp(kN1PerRpm * core.windmill_rpm, 0.0, 100.0);
        core.rpm = clamp(core.windmill_rpm, 0.0, 100.0);
    }
    core.lit = false;
}

// Thrust the ideal cycle makes at the flight condition, with the altitude
// lapse, in N. Without an atmosphere (temperature not above 0 K) it makes no
// thrust. Where the core jet cannot form (a temperature or Mach number at
// which its speed would be the root of a negative number) the core jet speed
// is taken as 0 and the fan alone counts; the clamp keeps the result between
// 0 and the cap. Either way the result is never NaN.
double cycle_max_thrust(const Flight_State& air) {
    const double M = air.mach;
    const double T = air.temperature;
    const double a = air.speed_of_sound;
    const double h = air.altitude;
    if (!(T > 0.0)) return 0.0;

    const double tau_r = 1.0 + kG1 * (M * M);
    const double tau_lambda = kBurnerTotalTempR / (kRankinePerKelvin * T);
    const double tau_c = std::pow(kCompressorPressureRatio, kE);
    const double tau_f = std::pow(kFanPressureRatio, kE);
    const double X = (tau_c - 1.0) + kBypassRatio * (tau_f - 1.0);

    const double core_radicand =
        kK * tau_lambda / (tau_r * tau_c) * (tau_r * tau_c * (1.0 - X * tau_r / tau_lambda) - 1.0);
    const double u9 = core_radicand > 0.0 ? std::sqrt(core_radicand) : 0.0;
    const double u19 = std::sqrt(kK * (tau_r * tau_f - 1.0));

    double F = ((u9 - M) + kBypassRatio * (u19 - M)) * (a * kFtPerM / kSpeedTermDivisor) *
               kAirflowScale * kNPerLbf;
    F = std::isfinite(F) ? clamp(F, 0.0, kMaxCycleThrust) : 0.0;

    double L = 1.0 - kLapseDepth * (h * kFtPerM - kLapseStartFt) / kLapseSpanFt;
    if (L > 1.0) L = 1.0;
    if (L < kLapseFloor) L = kLapseFloor;
    return F * L;
}

// The power setting moves toward the throttle at a rate set by the band of
// the current setting, in per cent per second: slow to leave the bottom of
// the range on a large demand, at most 24 %/s through the middle, and a
// first-order lag near the command.
double power_rate(double base, double error) {
    if (base < 10.0) return error < 30.0 ? error * 0.7 : error * 0.2;
    if (base <= 90.0) return error > 40.0 ? 24.0 : error * 0.7;
    return error < 30.0 ? error * 0.5 : error;
}

// burning: combustion this frame, either lit or in the light-off ramp with
// fuel admitted. Only then does fuel flow.
void core_step(Engine_Core& core, double dt, bool fuel_on, bool burning, const Flight_State& air) {
    const double base = core.lit ? core.power : 0.0;
    const double error = core.throttle - base;
    double power = base + power_rate(base, error) * dt;
    // A lag never passes its command. At frame times below about 1.4 s the
    // rates cannot overshoot anyway; a long frame would otherwise swing the
    // setting past the throttle and back.
    if ((error > 0.0 && power > core.throttle) || (error < 0.0 && power < core.throttle)) {
        power = core.throttle;
    }
    core.power = clamp(power, 0.0, 100.0);

    if (core.rpm >= kIdleRpm && core.lit) {
        core.rpm = clamp(core.power / 100.0 * (kFullRpm - kIdleRpm) + kIdleRpm, 0.0, 100.0);
    } else {
        core.rpm = clamp(core.rpm, 0.0, 100.0);
    }

    // (rpm/100)^3.5, written as the curve is defined.
    const double f = std::pow(core.rpm, 3.5) * 1e-5 / 100.0;
    core.thrust = core.max_thrust * kThrustAtFullRpm * f;
    G_Params.engine_rpm_percent = core.rpm;
    force_list_push(core.forces, Vec3{core.thrust, 0.0, 0.0});

    double A = 1.0 - kFuelLapseDepth * (air.altitude * kFtPerM) / kFuelLapseSpanFt;
    if (A > 1.0) A = 1.0;
    if (A < kFuelLapseFloor) A = kFuelLapseFloor;
    core.fuel_flow =
        burning ? fuel_curve_lb_per_hour(core.rpm) * kKgPerLb / kSecondsPerHour * A : 0.0;

    const double ambient_c = air.temperature - kCelsiusOffset;
    if (core.lit) {
        core.egt = kEgtRunningSpan * f + kEgtBase + ambient_c;
    } else {
        const double target = core.rpm / kIdleRpm * kEgtBase + ambient_c;
        if (fuel_on) {
            if (core.egt < target) core.egt += kEgtRise * dt;
        } else if (core.egt > target) {
            core.egt -= kEgtFall * dt;
        }
    }
    cockpit_set(core.egt_api, core.egt_handle, core.egt);
}

void gts_step(Engine& e, double dt) {
    if (e.gts_starting) {
        if (e.gts_rpm <= kGtsHold && !e.gts_engaged) {
            e.gts_rpm = clamp(e.gts_rpm + kGtsSpoolUp * dt, 0.0, kGtsHold);
        } else if (e.gts_engaged && e.gts_rpm < kGtsFull) {
            e.gts_rpm = clamp(e.gts_rpm + kGtsEngaged * dt, 0.0, kGtsFull);
        } else {
            e.gts_starting = false;
            e.gts_engaged = false;
        }
    } else if (e.gts_spool_down && e.gts_rpm > 0.0) {
        e.gts_rpm = clamp(e.gts_rpm - kGtsSpoolDown * dt, 0.0, kGtsFull);
    } else {
        e.gts_spool_down = false;
    }
    cockpit_set(e.gts_api, e.gts_rpm_handle, e.gts_rpm);
}

}  // namespace

void engine_step(double dt, double total_internal_fuel, bool all_gear_down, bool weight_on_wheels) {
    Engine& e = G_Engine;
    Engine_Core& core = e.core;
    const Flight_State& air = *core.state;

    // Fuel starvation.
    if (total_internal_fuel < kStarvationKg) {
        e.fuel_on = false;
        gts_shutdown(e);
        core.lit = false;
    }

    // Cranking by the GTS at full speed.
    if (e.gts_rpm == kGtsFull) {
        core.n1_rpm = clamp(core.n1_rpm + kCrankN1Rate * dt, 0.0, 100.0);
        if (core.rpm < kCrankRpmMax) core.rpm = clamp(core.n1_rpm / kN1PerRpm, 0.0, kCrankRpmMax);
    }

    // Light-off, windmilling or hold: exactly one applies.
    bool lighting = false;
    if (e.fuel_on && core.start_requested && e.start_switch == kSwitchRun) {
        if (core.n1_rpm > kLightOffN1) {
            light_off_ramp(core, dt);
            lighting = true;
        }
    } else if (e.fuel_on && core.rpm >= kSelfSustainRpm && e.start_switch == kSwitchRun) {
        light_off_ramp(core, dt);
        lighting = true;
    } else if (e.start_switch == kSwitchOff || (!e.fuel_on && e.gts_rpm <= kGtsHold)) {
        windmill(core, dt, air.kcas);
    }

    // Start bookkeeping.
    if (core.rpm > kSelfSustainRpm) {
        gts_shutdown(e);
        core.start_requested = false;
    }
    if (core.rpm >= kIdleRpm) core.start_in_progress = false;
    if (core.rpm > kStartCycleMinRpm && core.rpm < kIdleRpm && e.gts_ready) {
        core.start_in_progress = true;
    }

    // Thrust available.
    core.max_thrust = cycle_max_thrust(air);

    // Total air temperature, deg C.
    const double tat_c = air.temperature * (1.0 + kG1 * (air.mach * air.mach)) - kCelsiusOffset;
    cockpit_set(core.egt_api, core.tat_handle, tat_c);

    // Core: power, rpm, thrust, fuel flow, EGT.
    core_step(core, dt, e.fuel_on, e.fuel_on && (core.lit || lighting), air);

    // GTS.
    gts_step(e, dt);
    e.gts_ready = e.gts_rpm >= kGtsHold;

    // Throttle lever for animation, once out of cut-off.
    if (e.throttle_lever >= kLeverIdle) {
        e.throttle_lever = core.throttle / 100.0 * kLeverSpan + kLeverIdle;
    }

    // Approach idle: gear down in the air.
    e.approach_idle = all_gear_down && !weight_on_wheels;
    e.weight_on_wheels = weight_on_wheels;

    // n1 to the cockpit.
    cockpit_set(e.n1_api, e.n1_handle, core.n1_rpm);
}

void set_start_switch(double v) {
    Engine& e = G_Engine;
    if (v == kSwitchStart && e.gts_ready) {
        if (e.gts_starting && e.gts_rpm == kGtsHold) e.gts_engaged = true;
        e.start_switch = kSwitchStart;
        e.core.start_requested = true;
        return;
    }
    if (v == kSwitchOff) {
        gts_shutdown(e);
        e.core.start_requested = false;
    }
    e.start_switch = v;
}

void press_gts_start() {
    Engine& e = G_Engine;
    const bool bus_powered = e.electrical && e.electrical->essential_bus_powered;
    if (e.start_switch == kSwitchRun && bus_powered && !e.gts_spool_down) e.gts_starting = true;
    // In the air the button also asks for a relight.
    if (!e.weight_on_wheels) e.core.start_requested = true;
}

void toggle_cutoff() {
    Engine& e = G_Engine;
    if (e.throttle_lever == kLeverCutoff) {
        e.throttle_lever = kLeverIdle;
        e.fuel_on = true;
    } else if (e.throttle_lever == kLeverIdle) {
        e.throttle_lever = kLeverCutoff;
        e.fuel_on = false;
    }
}
