// The performance measurements of one model build, spread over worker
// processes and gathered as JSON: what the sweep commands print, what the
// report draws and what the comparison compares.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/parallel.h"
#include "analysis/performance.h"
#include "flight/field.h"

namespace rig {

struct Perf_Settings {
    Perf_Condition condition;
    Speed_Sweep sweep;
    double altitude_step = 1000.0;     // m between envelope altitudes
    double max_altitude = 15000.0;     // m, the highest swept
    double ceiling_resolution = 50.0;  // m
    double fuel_altitude = 6000.0;     // m
    double fuel_step = 10.0;           // kt
    double mach_step = 0.05;           // Ps grid
    double max_mach = 0.9;
    double climb_step = 10.0;           // kt
    double turn_altitude = 3000.0;      // m
    double turn_step = 20.0;            // kt
    double max_alpha = 20.0;            // deg, the largest usable angle of attack
    double load_limit = 7.0;            // g
    double handling_altitude = 3000.0;  // m, modes and derivatives
    std::vector<double> handling_speeds = {200.0, 350.0, 50.0};           // kcas: from, to, step
    double derivative_speed = 250.0;                                      // kcas
    std::vector<double> field_masses = {8000.0, 8500.0, 9000.0, 9500.0};  // kg
    Field_Technique technique;
    Pool_Options pool;
};

// Every result carries "ok" and, when false, "error" (the first failed task).
// {"altitudes": [{"altitude_m", "intervals": [{"min_kcas", "max_kcas", "low",
// "high"}], "sweep": [...]}], "absolute_ceiling_m"}; only the one altitude
// when altitude is finite.
nlohmann::json measure_envelope(const Library_Paths& paths, const Perf_Settings& s,
                                double altitude);
// {"altitude_m", "points": [{"kcas", "tas", "fuel_flow", "specific_range",
// "specific_endurance"}], "best_range_kcas", ...}
nlohmann::json measure_fuel(const Library_Paths& paths, const Perf_Settings& s, double altitude);
// From an envelope: per altitude the best climb (rate, speed, fuel flow),
// the best glide with the engine windmilling ("glide_kcas", "glide_ratio",
// "glide_sink", "glide_rpm") and at that speed the descent at idle
// ("idle_ratio", "idle_sink"); time and fuel to climb; the service ceiling
// (0.5 m/s).
nlohmann::json measure_climb(const Library_Paths& paths, const Perf_Settings& s,
                             const nlohmann::json& envelope);
// Ps at full throttle over Mach and altitude: {"mach": [...], "altitude_m":
// [...], "ps": [[per altitude, per Mach, null where no steady flight]]}
nlohmann::json measure_ps(const Library_Paths& paths, const Perf_Settings& s);
// The doghouse at one altitude: per speed the sustained and instantaneous
// turn; the corner speed.
nlohmann::json measure_turn(const Library_Paths& paths, const Perf_Settings& s, double altitude);
// {"takeoff": [...per mass], "landing": [...]}
nlohmann::json measure_field(const Library_Paths& paths, const Perf_Settings& s);

// Flies every shipped scenario in dir: {"scenarios": [{"file", "name",
// "description", "completed", "failure", "summary": {...}, "expectations":
// [{"text", "evaluated", "passed", "value"}]}]}
nlohmann::json measure_scenarios(const Library_Paths& paths, const std::string& dir,
                                 const Pool_Options& pool);

// The measurement groups, by name, that measure_all knows.
const std::vector<std::string>& measurement_groups();

// Every group named in groups (all when empty): {"envelope": ..., "fuel":
// ..., "field": ..., "scenarios": ...}; "ok" false with "error" when one
// failed.
nlohmann::json measure_all(const Library_Paths& paths, const Perf_Settings& s,
                           const std::string& scenario_dir, const std::vector<std::string>& groups);

// The options of the pool, with the label set.
Pool_Options pool_labelled(const Perf_Settings& s, const char* label);

}  // namespace rig
