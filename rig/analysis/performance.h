// Performance from steady flight: the level-flight envelope (every speed
// interval where level trim exists), its ceilings, and fuel flow, specific
// range and endurance against speed.
#pragma once

#include <string>
#include <vector>

#include "analysis/trim.h"
#include "host/host_loop.h"

namespace rig {

// The aircraft and the day every sweep point is computed for.
struct Perf_Condition {
    double mass = 9000.0;  // kg, with the fuel
    double fuel = 2000.0;  // kg
    double flaps = 0.0;    // lever 0..1
    bool gear_down = false;
    double temperature_offset = 0.0;  // K from the standard day
};

// Why level trim failed at a point.
enum class Level_Limit { None, Thrust, Lift, Other };

struct Level_Point {
    double altitude = 0.0;  // m
    double kcas = 0.0;
    bool ok = false;
    Level_Limit limit = Level_Limit::None;
    double tas = 0.0, mach = 0.0;
    double alpha = 0.0;      // deg
    double throttle = 0.0;   // 0..1
    double elevator = 0.0;   // travel fraction
    double fuel_flow = 0.0;  // kg/s
};

// Level trim at one speed and altitude; the host's environment is set from
// the condition.
Trim_Request level_request(const Perf_Condition& c, double altitude, double kcas);
Level_Point level_point(Host& host, const Perf_Condition& c, double altitude, double kcas);

struct Speed_Sweep {
    double min_kcas = 80.0;
    double max_kcas = 480.0;
    double step = 10.0;       // kt between sweep points
    double resolution = 1.0;  // kt to which each edge is refined
};

struct Speed_Interval {
    double min_kcas = 0.0, max_kcas = 0.0;  // the outermost trimmed speeds
    Level_Limit low = Level_Limit::None;    // what ends it below and above
    Level_Limit high = Level_Limit::None;
};

struct Altitude_Envelope {
    double altitude = 0.0;
    std::vector<Speed_Interval> intervals;
    std::vector<Level_Point> sweep;  // the sweep points (not the refinement)
};

// Sweeps the speeds, then bisects every change between trimmed and
// untrimmed neighbours to the sweep's resolution, so that a gap inside the
// envelope is found as well as its two ends.
Altitude_Envelope altitude_envelope(Host& host, const Perf_Condition& c, double altitude,
                                    const Speed_Sweep& sweep);

// The highest altitude with a trimmed speed, bisected between an altitude
// that has one (with its envelope) and one that has none, to resolution m.
double absolute_ceiling(Host& host, const Perf_Condition& c, const Altitude_Envelope& below,
                        double above, double resolution);

// Fuel figures of a trimmed point and the best of a sweep.
struct Fuel_Point {
    double kcas = 0.0, tas = 0.0;
    double fuel_flow = 0.0;           // kg/s
    double specific_range = 0.0;      // m of air distance per kg
    double specific_endurance = 0.0;  // s per kg
};
struct Fuel_Best {
    bool ok = false;
    double range_kcas = 0.0, specific_range = 0.0;          // best range
    double endurance_kcas = 0.0, specific_endurance = 0.0;  // best endurance
};
Fuel_Point fuel_point(const Level_Point& p);
// The extremes, refined by a parabola through the best point and its neighbours.
Fuel_Best best_fuel(const std::vector<Fuel_Point>& points);

// Steady straight flight with the throttle held (full throttle: the most
// the aircraft can climb): the flight-path angle that balances the forces.
// Its rate of climb V sin(gamma) is the specific excess power
// Ps = V (T - D) / W, at a load factor of cos(gamma) rather than exactly 1.
struct Excess_Point {
    double altitude = 0.0, kcas = 0.0, tas = 0.0, mach = 0.0;
    bool ok = false;
    double gamma = 0.0;      // deg
    double ps = 0.0;         // m/s, V sin(gamma)
    double alpha = 0.0;      // deg
    double fuel_flow = 0.0;  // kg/s
    double rpm = 0.0;        // %
};
// At a calibrated airspeed, or (tas > 0) a true airspeed; engine_off: the
// engine shut down and windmilling (the throttle then does nothing).
Excess_Point excess_power(Host& host, const Perf_Condition& c, double altitude, double kcas,
                          double tas, double throttle, bool engine_off = false);

// The best rate of climb at full throttle over the speeds lo..hi kcas (a
// sweep at step kt, its best point refined by a parabola), confirmed by a
// direct trim at the best speed; also the best glide with the engine shut
// down and windmilling (found the same way), and at that speed the descent
// with the engine running at idle.
struct Climb_Point {
    double altitude = 0.0;
    bool ok = false;
    double best_kcas = 0.0, rate = 0.0, fuel_flow = 0.0;  // m/s, kg/s
    bool glide_ok = false;
    double glide_kcas = 0.0, glide_ratio = 0.0, glide_sink = 0.0;  // engine windmilling; m/s
    double glide_rpm = 0.0;                                        // %, windmilling
    double idle_ratio = 0.0, idle_sink = 0.0;  // engine at idle, at glide_kcas; m/s
};
Climb_Point best_climb(Host& host, const Perf_Condition& c, double altitude, double lo, double hi,
                       double step);

// Turn performance at one speed: the sustained turn (full throttle, level,
// the bank solved), and the instantaneous turn at the largest usable angle
// of attack (lift at that angle with the elevator of level trim, no pitch
// rate), each limited to the load-factor limit.
struct Turn_Point {
    double kcas = 0.0, tas = 0.0;
    bool sustained_ok = false;
    double sustained_n = 0.0, sustained_rate = 0.0;  // g, deg/s
    bool instantaneous_ok = false;
    double alpha_n = 0.0;  // g, the lift at the angle-of-attack limit
    double instantaneous_n = 0.0, instantaneous_rate = 0.0, instantaneous_radius = 0.0;  // m
};
Turn_Point turn_point(Host& host, const Perf_Condition& c, double altitude, double kcas,
                      double max_alpha, double load_limit);

// Turn rate (deg/s) and radius (m) of a level turn at load factor n and true
// airspeed tas.
double turn_rate_deg(double n, double tas, double gravity);
double turn_radius(double n, double tas, double gravity);

const char* limit_name(Level_Limit l);

}  // namespace rig
