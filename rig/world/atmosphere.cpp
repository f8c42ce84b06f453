#include "world/atmosphere.h"

#include <cmath>

#include "world/environment.h"
#include "world/vec.h"

namespace rig {
namespace {

constexpr double kGasConstant = 287.05287;  // J/(kg K), dry air
constexpr double kGamma = 1.4;

struct Layer {
    double base_altitude;  // m, geopotential
    double lapse;          // K/m
};

// Base temperature and pressure of each layer follow from the one below.
// Above the last base the 71 km layer continues.
constexpr Layer kLayers[] = {
    {0.0, -0.0065}, {11000.0, 0.0},     {20000.0, 0.001},  {32000.0, 0.0028},
    {47000.0, 0.0}, {51000.0, -0.0028}, {71000.0, -0.002},
};
constexpr int kLayerCount = sizeof(kLayers) / sizeof(kLayers[0]);
constexpr double kSeaLevelTemperature = 288.15;  // K
constexpr double kSeaLevelPressure = 101325.0;   // Pa

// Hydrostatic pressure ratio across dh of a layer starting at temperature t0.
double pressure_ratio(double t0, double lapse, double dh) {
    constexpr double kGOverR = kStandardGravity / kGasConstant;
    if (lapse == 0.0) return std::exp(-kGOverR * dh / t0);
    return std::pow((t0 + lapse * dh) / t0, -kGOverR / lapse);
}

}  // namespace

double geopotential_altitude(double geometric_m) {
    return kGeopotentialRadius * geometric_m / (kGeopotentialRadius + geometric_m);
}

Air isa(double altitude_in, Altitude_Kind kind) {
    const double altitude_m =
        kind == Altitude_Kind::Geometric ? geopotential_altitude(altitude_in) : altitude_in;
    double t = kSeaLevelTemperature;
    double p = kSeaLevelPressure;
    int layer = 0;
    while (layer + 1 < kLayerCount && altitude_m > kLayers[layer + 1].base_altitude) {
        const double dh = kLayers[layer + 1].base_altitude - kLayers[layer].base_altitude;
        p *= pressure_ratio(t, kLayers[layer].lapse, dh);
        t += kLayers[layer].lapse * dh;
        ++layer;
    }
    const double dh = altitude_m - kLayers[layer].base_altitude;
    p *= pressure_ratio(t, kLayers[layer].lapse, dh);
    t += kLayers[layer].lapse * dh;

    Air air;
    air.temperature = t;
    air.pressure = p;
    air.density = p / (kGasConstant * t);
    air.speed_of_sound = std::sqrt(kGamma * kGasConstant * t);
    return air;
}

Air environment_air(const Environment& e, double altitude_m) {
    Air air = isa(altitude_m, e.altitude_kind);
    if (e.temperature_offset == 0.0) return air;
    air.temperature += e.temperature_offset;
    air.density = air.pressure / (kGasConstant * air.temperature);
    air.speed_of_sound = std::sqrt(kGamma * kGasConstant * air.temperature);
    return air;
}

double kcas_from_tas(double tas_mps, double density) {
    return tas_mps * std::sqrt(density / kSeaLevelDensity) * kKnotsPerMps;
}

double tas_from_kcas(double kcas, double density) {
    return kcas / kKnotsPerMps / std::sqrt(density / kSeaLevelDensity);
}

}  // namespace rig
