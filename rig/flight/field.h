// Field performance, flown: the take-off from brake release to 15 m and the
// landing from 15 m to a stop, each with one stated technique.
#pragma once

#include <cmath>

#include "analysis/performance.h"
#include "host/model_api.h"

namespace rig {

// The standard technique. Take-off: take-off flaps, brakes on, full
// throttle, brakes released once the engine has spooled up, the nose held
// on the runway heading, rotation at rotate_factor times the lift-off speed
// to the pitch target and held there, gear left down. The lift-off speed is the calibrated
// airspeed at which level trim in the take-off configuration needs the pitch
// target as angle of attack. Landing: full flaps and gear down, trimmed at the
// speed at which level trim in that configuration needs approach_alpha (an
// on-speed angle of attack), a 3 degree path with the speed held by the
// throttle, a flare to 1 m/s of sink at 6 m, then idle and full brakes.
struct Field_Technique {
    double takeoff_flaps = 0.5;  // lever
    double spool_time = 10.0;    // s, brakes held at full throttle
    double rotate_factor = 0.97;
    double pitch_target = 13.0;  // deg
    double landing_flaps = 1.0;
    double approach_alpha = 10.0;  // deg
    double path_deg = 3.0;
    double screen_height = 15.0;  // m, wheels above the runway
};

struct Takeoff_Result {
    bool ok = false;
    std::string why;
    double liftoff_estimate = 0.0;  // kcas, from trim
    double rotate_kcas = 0.0;
    double liftoff_kcas = 0.0;  // flown
    double ground_roll = 0.0;   // m, brake release to lift-off
    double distance = 0.0;      // m, brake release to the screen height
    double screen_kcas = 0.0;
};

struct Landing_Result {
    bool ok = false;
    std::string why;
    double min_kcas = 0.0;  // minimum level speed, landing configuration
    double approach_kcas = 0.0;
    double touchdown_kcas = 0.0;
    double touchdown_sink = 0.0;  // m/s
    double ground_roll = 0.0;     // m, touchdown to a stop
    double distance = 0.0;        // m, from the screen height to a stop
};

// The technique's speeds from level trims: the lift-off speed (kcas at the
// pitch target, take-off configuration) and the approach speed (kcas at the
// approach angle of attack, landing configuration); NaN when not found.
struct Field_Speeds {
    double liftoff = NAN;
    double approach = NAN;
};
Field_Speeds field_speeds(Host& host, const Perf_Condition& c, const Field_Technique& t);

// Each flies one flight on a freshly loaded model, on which nothing else has
// run: a trim before a flight in the same process changes the flight.
Takeoff_Result fly_takeoff(const Model_Api& api, const Perf_Condition& c, const Field_Technique& t,
                           double liftoff_kcas);
Landing_Result fly_landing(const Model_Api& api, const Perf_Condition& c, const Field_Technique& t,
                           double approach_kcas);

}  // namespace rig
