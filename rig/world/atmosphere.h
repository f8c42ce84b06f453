// International Standard Atmosphere, from sea level to 32 km (troposphere and
// the first two stratosphere layers), with altitude taken as geopotential.
// Above 32 km the 32-47 km layer continues; below sea level the troposphere
// is extended downward.
#pragma once

namespace rig {

struct Air {
    double temperature = 0.0;     // K
    double pressure = 0.0;        // Pa
    double density = 0.0;         // kg/m^3
    double speed_of_sound = 0.0;  // m/s
};

Air isa(double altitude_m);

// Sea-level standard density, kg/m^3.
constexpr double kSeaLevelDensity = 1.225;

// Calibrated airspeed as the flight model computes it (in a standard
// atmosphere this is the equivalent airspeed, TAS * sqrt(rho / rho0)).
double kcas_from_tas(double tas_mps, double density);
double tas_from_kcas(double kcas, double density);

}  // namespace rig
