// Check vehicles: tiny flight models behind the same C exports as the
// aircraft, for flying published check cases in the rig. Each vehicle
// supplies its loads and its command mapping; check_vehicle.cpp holds the
// exports and the state the host pushes.
//
// Axes are the host's: body x forward, y up, z right. SI units.
#pragma once

namespace check_vehicle {

constexpr double kFoot = 0.3048;                    // m
constexpr double kSquareFoot = kFoot * kFoot;       // m^2
constexpr double kSlug = 14.59390294;               // kg
constexpr double kSlugFoot2 = kSlug * kSquareFoot;  // kg m^2
constexpr double kPound = 4.4482216152605;          // N

// What the host pushes.
struct State {
    double air_body[3] = {};         // air-relative velocity, body axes, m/s
    double omega[3] = {};            // body rates about x, y, z, rad/s
    double pitch = 0.0, roll = 0.0;  // rad, the host's attitude
    double alpha = 0.0, beta = 0.0;  // rad, as the host reckons them
    double density = 0.0;            // kg/m^3
    double altitude = 0.0;           // m above sea level
    double speed_of_sound = 0.0;     // m/s
    double mass = 0.0;               // kg, the host's
    double inertia[3] = {};          // kg m^2, the host's principal moments about x, y, z
};

// What a vehicle answers for a frame; cleared before every frame.
struct Output {
    double force[3] = {};   // N, body axes, at the centre of mass
    double moment[3] = {};  // N m
    // The vehicle's own mass (kg) and principal moments (kg m^2 about x, y,
    // z), to which the host is moved; a mass of 0 keeps the host's.
    double mass = 0.0;
    double inertia[3] = {};
    // Animation, written only when animated: elevator, aileron and rudder as
    // fractions of their full travel, the throttle from idle 0 to full 1.
    bool animated = false;
    double surfaces[3] = {};
    double throttle = 0.0;
};

// The vehicle's loads (and mass and animation) in the pushed state.
void vehicle_simulate(const State& s, Output& out);

// A pilot command; vehicles without controls ignore it.
void vehicle_command(int command, float value);

}  // namespace check_vehicle
