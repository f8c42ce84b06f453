// The records more than one subsystem reads within a frame: the host's last
// reported state (G_Params, exported), the air data derived from it
// (G_FlightState) and the mass state with the frame's force and moment sums
// (G_Airframe). Plain data with static storage; nothing allocates them.
#pragma once

#include <cstdint>

#include "quillon_fm.h"

// Force (N), moment (N*m), point (m) or velocity (m/s), body axes unless a
// name says otherwise: x forward, y up, z right.
struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct Flight_State {
    // Wind in body axes (m/s), as the host sent it.
    double wind_x = 0.0, wind_y = 0.0, wind_z = 0.0;
    // Velocity over the ground, body axes (m/s); a copy of G_Params'.
    double body_vel_x = 0.0, body_vel_y = 0.0, body_vel_z = 0.0;
    // Air-relative velocity, body axes: body velocity minus wind, per axis.
    double airspeed_x = 0.0, airspeed_y = 0.0, airspeed_z = 0.0;
    double temperature = 0.0;       // K
    double density = 0.0;           // kg/m^3
    double dynamic_pressure = 0.0;  // Pa
    double speed_of_sound = 0.0;    // m/s
    double static_pressure = 0.0;   // Pa
    double altitude = 0.0;          // m above sea level
    double true_airspeed = 0.0;     // m/s
    double mach = 0.0;
    double total_pressure = 0.0;  // pitot total pressure, Pa
    double cas = 0.0;             // calibrated airspeed, m/s
    double kcas = 0.0;            // calibrated airspeed, knots
    bool icing = false;           // outside air between 253 K and 273 K
    double surface_height = 0.0;  // terrain under the aircraft, m
    double surface_object_height = 0.0;
    std::uint32_t surface_type = 0;
    double surface_normal_x = 0.0, surface_normal_y = 0.0, surface_normal_z = 0.0;
    double height_above_surface = 0.0;  // altitude - surface_height, m
};

extern Flight_State G_FlightState;

struct Airframe {
    Flight_State* state = nullptr;  // G_FlightState, fixed at load
    Vec3 moment;                    // frame sum about the centre of mass, N*m
    Vec3 force;                     // frame sum, N
    Vec3 force_point;               // where force acts: the centre of mass, m
    Vec3 inertia;                   // principal moments from the host, kg*m^2
    double mass_change = 0.0;       // fuel burned, to report, kg
    double mass = 0.0;              // kg, from the host
    Vec3 center_of_mass;            // m, body axes
};

extern Airframe G_Airframe;

// Adds F acting at the body-axis origin to the frame sums, with its moment
// about the centre of mass (the lever runs from force_point to the origin).
void add_force(const Vec3& force);

// Degrees per radian, as the host-facing conversions use it.
constexpr double kDegPerRad = 57.29577951308232;
// Knots per m/s.
constexpr double kKnotsPerMps = 1.943844;
// Feet per metre.
constexpr double kFtPerM = 3.28084;
// Kilograms per pound.
constexpr double kKgPerLb = 0.45359237;
// Standard acceleration of gravity, m/s^2.
constexpr double kStandardGravity = 9.80665;
