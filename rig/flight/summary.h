// What a flight showed, boiled down: take-off, climb, cruise, landing, fuel
// and the notable events, gathered frame by frame from the flight record.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/sample.h"
#include "world/vec.h"

namespace rig {

// name, unit, meaning
#define RIG_SUMMARY(X)                                                              \
    X(liftoff_time, "s", "first frame with no strut compressed after a ground run") \
    X(liftoff_kcas, "kt", "airspeed at lift-off")                                   \
    X(takeoff_roll, "m", "ground distance from the last standstill to lift-off")    \
    X(climb_target, "m", "altitude target of the last altitude hold")               \
    X(climb_time, "s", "from lift-off (or start) to within 30 m of the target")     \
    X(cruise_duration, "s", "length of the last level stretch (|vs| < 2 m/s)")      \
    X(cruise_altitude, "m", "mean altitude in it")                                  \
    X(cruise_altitude_dev, "m", "largest deviation from that mean")                 \
    X(cruise_kcas, "kt", "mean airspeed in it")                                     \
    X(cruise_alpha, "deg", "mean angle of attack in it")                            \
    X(cruise_throttle, "-", "mean throttle in it")                                  \
    X(cruise_rpm, "%", "mean rpm in it")                                            \
    X(touchdown_time, "s", "first ground contact after being airborne")             \
    X(touchdown_sink, "m/s", "sink rate at touchdown")                              \
    X(touchdown_kcas, "kt", "airspeed at touchdown")                                \
    X(landing_roll, "m", "ground distance from touchdown to a standstill")          \
    X(engine_lit_time, "s", "rpm reached idle (55 %)")                              \
    X(flameout_time, "s", "rpm fell below 50 % after running")                      \
    X(relight_time, "s", "rpm back at idle after a flame-out")                      \
    X(gear_up_time, "s", "all three legs retracted")                                \
    X(fuel_used, "kg", "fuel burned over the flight")                               \
    X(max_altitude, "m", "highest altitude")                                        \
    X(max_kcas, "kt", "highest airspeed")                                           \
    X(max_alpha, "deg", "highest angle of attack in the air")                       \
    X(min_nz, "g", "lowest load factor in the air")                                 \
    X(max_nz, "g", "highest load factor in the air")                                \
    X(end_time, "s", "time the flight ended")                                       \
    X(mode_omega_n, "rad/s", "natural frequency fitted after the last test input")  \
    X(mode_zeta, "-", "its damping ratio (above 1: two real roots)")                \
    X(overshoot, "-", "of the last pitch step, beyond the settled value")           \
    X(stick_per_g, "axis/g", "of the last pitch step")                              \
    X(time_to_bank_30, "s", "of the last roll step, from its start")                \
    X(time_to_bank_90, "s", "of the last roll step, from its start")                \
    X(roll_time_constant, "s", "of the last roll step's roll rate")                 \
    X(spiral_growth, "1/s", "of the bank angle after the last lateral input")

enum Summary_Index {
#define RIG_INDEX(name, unit, meaning) SUM_##name,
    RIG_SUMMARY(RIG_INDEX)
#undef RIG_INDEX
        SUM_COUNT
};

struct Summary {
    double value[SUM_COUNT] = {};
    bool set[SUM_COUNT] = {};
    std::vector<std::string> events;  // "t=... s what", in order
};

// Index of a summary value by name, or -1.
int find_summary_value(const std::string& name);
const char* summary_name(int index);
const char* summary_unit(int index);

// Frame-by-frame bookkeeping behind the summary.
struct Summary_Tracker {
    Summary summary;
    bool started = false;
    bool was_on_ground = false;
    bool airborne = false;         // has flown (for the landing)
    double airborne_since = -1.0;  // start of the current stretch without contact
    bool engine_running = false;
    bool flamed_out = false;
    bool gear_retracted = false;
    double initial_fuel = 0.0;
    V3 last_standstill;  // last ground position at walking pace, m
    V3 touchdown_position;
    bool rolling_out = false;
    double altitude_target = 0.0;
    bool has_altitude_target = false;
    bool climbing = false;
    double climb_start = 0.0;
    // The current level stretch.
    double level_start = -1.0;
    double level_samples = 0.0;
    double sum_altitude = 0.0, sum_kcas = 0.0, sum_alpha = 0.0, sum_throttle = 0.0, sum_rpm = 0.0;
    double min_level_altitude = 0.0, max_level_altitude = 0.0;
};

void summary_begin(Summary_Tracker& t, const Sample& first);
void summary_note(Summary_Tracker& t, double time, const std::string& what);
void summary_altitude_target(Summary_Tracker& t, double time, double target);
void summary_update(Summary_Tracker& t, const Sample& s);
void summary_finish(Summary_Tracker& t, const Sample& last);

// The summary as a table for the terminal.
void print_summary(std::FILE* out, const Summary& s);

}  // namespace rig
