// The world around the aircraft as the rig models it: the atmosphere (a
// standard day shifted by a temperature offset), gravity, the wind (steady,
// varying with height, turbulence, gusts), the field and its runway.
#pragma once

#include <cstdint>
#include <vector>

#include "world/atmosphere.h"
#include "world/vec.h"

namespace rig {

enum class Gravity_Model {
    Constant,  // Environment::gravity everywhere
    Latitude,  // WGS-84 normal gravity at the latitude and the height above sea level
};

// The wind at one height; between points it is interpolated linearly, beyond
// the ends held.
struct Wind_Point {
    double height = 0.0;  // m above sea level
    V3 wind;              // world axes, m/s (the velocity of the air)
};

// A discrete gust of the 1-cosine shape: the wind rises from zero at start to
// peak at start + duration / 2 and falls back to zero at start + duration.
struct Gust {
    double start = 0.0;     // s
    double duration = 0.0;  // s
    V3 peak;                // world axes, m/s
};

// Dryden turbulence with the length scales of MIL-F-8785C: 1750 ft (533.4 m)
// from 2000 ft up; below 1000 ft the low-altitude scales and the vertical
// intensity, with the horizontal intensity raised by the low-altitude ratio;
// linear in between. Off when intensity is 0.
struct Turbulence {
    double intensity = 0.0;  // rms of the vertical component, m/s
    std::uint64_t seed = 1;  // the same seed gives the same gusts, bit for bit
};

// Friction coefficients of the runway's tyres.
struct Runway_Friction {
    double rolling = 0.02;  // rolling resistance
    double brake = 0.5;     // added at full brake
    double side = 0.6;      // peak cornering coefficient
};

struct Environment {
    Altitude_Kind altitude_kind = Altitude_Kind::Geometric;  // how the atmosphere reads height
    double temperature_offset = 0.0;                         // K added at every height
    Gravity_Model gravity_model = Gravity_Model::Constant;
    double gravity = kStandardGravity;     // m/s^2, along world -y (Constant)
    double latitude = 0.0;                 // deg (Latitude)
    V3 wind_world;                         // steady wind, world axes, m/s (the velocity of the air)
    std::vector<Wind_Point> wind_profile;  // added to the steady wind; heights ascending
    Turbulence turbulence;
    std::vector<Gust> gusts;
    double field_elevation = 0.0;  // m above sea level of the runway (world y = 0)
    Runway_Friction runway;
};

// The air at a height above sea level: the standard pressure at that height,
// with the temperature raised by the offset and the density and speed of
// sound that follow from them.
Air environment_air(const Environment& e, double altitude_m);

// Gravity at a height above sea level, m/s^2.
double environment_gravity(const Environment& e, double altitude_m);

// Steady, profile and gust wind at a height above sea level and a time.
V3 environment_wind(const Environment& e, double altitude_m, double time);

// The turbulence filters' state: the noise generator and three shaping filters.
struct Dryden_State {
    std::uint64_t rng = 0;
    double u = 0.0;    // along-wind filter output, m/s
    double v[2] = {};  // lateral filter states
    double w[2] = {};  // vertical filter states
    bool started = false;
};

// Advances the turbulence by dt at a height above the ground (m) and an
// airspeed (m/s); returns the turbulent wind in world axes, m/s. The along
// component lies along the mean wind (north when calm), the vertical along y.
V3 dryden_step(Dryden_State& s, const Turbulence& t, double height_above_ground, double airspeed,
               V3 mean_wind, double dt);

}  // namespace rig
