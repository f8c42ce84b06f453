// Steady level flight: the angle of attack, pitch stick and throttle at which
// the model's forces and pitching moment balance the weight at a given
// airspeed and altitude, wings level and without sideslip.
//
// The host state is held fixed while the model's actuators and engine settle
// (repeated frames at the same pushed state); a Newton iteration with a
// finite-difference Jacobian and a backtracking line search works on the
// three unknowns.
#pragma once

#include <string>

#include "host/host_loop.h"

namespace rig {

struct Trim_Request {
    double kcas = 250.0;
    double tas = 0.0;          // m/s; > 0 replaces kcas
    double altitude = 3000.0;  // m
    double flaps = 0.0;        // lever 0..1
    bool gear_down = false;
    double fuel = 2000.0;        // kg
    double empty_mass = 7000.0;  // kg
    V3 center_of_mass;
    double dt = 0.01;  // s
    // Largest force residual accepted, in weights (the pitching moment in
    // weight x the model's chord of 1.88 m).
    double tolerance = 1e-4;
};

struct Trim_Result {
    bool ok = false;
    std::string why;          // when not ok
    double alpha = 0.0;       // deg
    double pitch_axis = 0.0;  // pitch axis value (command 2001), -1..1
    double elevator = 0.0;    // elevator travel fraction the model reports
    double throttle = 0.0;    // 0..1
    double thrust = 0.0;      // N
    double fuel_flow = 0.0;   // kg/s
    double rpm = 0.0;         // %
    double tas = 0.0;         // m/s
    double residual = 0.0;    // largest force or moment residual, in weights
    int iterations = 0;
};

// Starts the model in the air (hot start), configures it and trims. The host
// must be bound to a loaded model; afterwards it holds the trimmed state
// (heading 0, position (0, altitude, 0)) and the model sits at the trimmed
// inputs with unlimited fuel switched off again.
Trim_Result trim_level_flight(Host& host, const Trim_Request& request);

void print_trim(std::FILE* out, const Trim_Request& request, const Trim_Result& result);

}  // namespace rig
