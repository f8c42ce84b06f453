// The world around the aircraft as the rig models it: the atmosphere (a
// standard day shifted by a temperature offset), gravity and the wind.
#pragma once

#include "world/atmosphere.h"
#include "world/vec.h"

namespace rig {

struct Environment {
    double temperature_offset = 0.0;    // K added to the standard temperature at every height
    double gravity = kStandardGravity;  // m/s^2, along world -y
    V3 wind_world;                      // steady wind, world axes, m/s (the velocity of the air)
};

// The air at a height above sea level: the standard pressure at that height,
// with the temperature raised by the offset and the density and speed of
// sound that follow from them.
Air environment_air(const Environment& e, double altitude_m);

}  // namespace rig
