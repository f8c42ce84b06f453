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

const char* limit_name(Level_Limit l);

}  // namespace rig
