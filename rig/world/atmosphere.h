// U.S. Standard Atmosphere, 1976: the seven layers from sea level to 84.852 km
// geopotential (86 km geometric), extended downward below sea level with the
// first layer's lapse rate.
//
// A host's altitude is geometric (a distance above sea level); the layers are
// defined in geopotential altitude, which takes the fall of gravity with
// height into account. isa() converts.
#pragma once

namespace rig {

struct Air {
    double temperature = 0.0;     // K
    double pressure = 0.0;        // Pa
    double density = 0.0;         // kg/m^3
    double speed_of_sound = 0.0;  // m/s
};

enum class Altitude_Kind { Geometric, Geopotential };

// Effective Earth radius of the geopotential conversion, m.
constexpr double kGeopotentialRadius = 6356766.0;

// Geopotential altitude of a geometric altitude (both m).
double geopotential_altitude(double geometric_m);

// The standard day at an altitude of the given kind (m).
Air isa(double altitude_m, Altitude_Kind kind = Altitude_Kind::Geometric);

// Sea-level standard density, kg/m^3.
constexpr double kSeaLevelDensity = 1.225;

// Calibrated airspeed as the flight model computes it (in a standard
// atmosphere this is the equivalent airspeed, TAS * sqrt(rho / rho0)).
double kcas_from_tas(double tas_mps, double density);
double tas_from_kcas(double kcas, double density);

}  // namespace rig
