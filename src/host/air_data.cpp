#include "host/air_data.h"

#include <cmath>

Cabin_State G_Cabin{0.0, &G_FlightState, {}, 0.0, nullptr};

namespace {
// One unit in the last place above the double nearest 2/7: the isentropic
// exponent (gamma - 1)/gamma as the pitot formula is calibrated with.
constexpr double kPitotExponent = 0.28571428571428575;
constexpr double kSeaLevelDensity = 1.225;  // kg/m^3
constexpr double kIcingLowK = 253.0;
constexpr double kIcingHighK = 273.0;

constexpr double kCabinScheduleLowFt = 5000.0;
constexpr double kCabinScheduleHighFt = 40000.0;
constexpr double kCabinLowM = 1524.0;           // 5000 ft
constexpr double kCabinHighM = 6096.0;          // 20000 ft below the aircraft above 40000 ft
constexpr double kSeaLevelPressure = 101325.0;  // Pa
constexpr double kAirMolarMass = 0.02896968;    // kg/mol
// -R * T0 with R = 8.314462618 J/(mol K) and T0 = 288.15 K, as the cabin
// barometric formula writes it.
constexpr double kMinusRT0 = -2395.8947936000004;
constexpr double kMaxCabinDifferential = 33000.0;  // Pa
}  // namespace

void air_data_step() {
    Flight_State& s = G_FlightState;
    const double v2 =
        s.airspeed_x * s.airspeed_x + s.airspeed_y * s.airspeed_y + s.airspeed_z * s.airspeed_z;
    s.true_airspeed = std::sqrt(v2);
    s.dynamic_pressure = s.density * 0.5 * v2;
    if (s.speed_of_sound > 0.0) s.mach = s.true_airspeed / s.speed_of_sound;
    s.total_pressure = std::pow(1.0 + 0.2 * (s.mach * s.mach), 3.5) * s.static_pressure;
    // Without a physical atmosphere (before the host's first call, or a
    // pressure or density that is not positive) the formula divides by zero;
    // the NaN would poison the engine's windmill state for good, so the
    // calibrated airspeed reads 0 instead.
    if (s.static_pressure > 0.0 && s.density > 0.0) {
        s.cas = std::sqrt((std::pow(s.total_pressure / s.static_pressure, kPitotExponent) - 1.0) *
                          (s.static_pressure * 7.0 / s.density)) *
                std::sqrt(s.density / kSeaLevelDensity);
        if (!std::isfinite(s.cas)) s.cas = 0.0;
    } else {
        s.cas = 0.0;
    }
    s.kcas = s.cas * kKnotsPerMps;
    s.icing = s.temperature > kIcingLowK && s.temperature < kIcingHighK;
    s.height_above_surface = s.altitude - s.surface_height;
}

void cabin_step(double canopy_position) {
    Cabin_State& c = G_Cabin;
    const Flight_State& s = *c.state;
    const double h = s.altitude;
    double cabin_pressure;
    if (static_cast<float>(canopy_position) == 0.0f) {
        // Pressurised: the cabin follows the aircraft to 5000 ft, then climbs
        // 15 m per 35 m to 40000 ft, then stays 6096 m below it. On the two
        // boundary altitudes exactly the previous cabin altitude is kept.
        const double h_ft = h * kFtPerM;
        if (h_ft < kCabinScheduleLowFt) {
            c.cabin_altitude = h;
        } else if (h_ft > kCabinScheduleLowFt && h_ft < kCabinScheduleHighFt) {
            c.cabin_altitude = (h - kCabinLowM) * 15.0 / 35.0 + kCabinLowM;
        } else if (h_ft > kCabinScheduleHighFt) {
            c.cabin_altitude = h - kCabinHighM;
        }
        cabin_pressure = kSeaLevelPressure *
                         std::exp(c.cabin_altitude * kStandardGravity * kAirMolarMass / kMinusRT0);
    } else {
        c.cabin_altitude = h;
        cabin_pressure = s.static_pressure;
    }
    const double differential = cabin_pressure - s.static_pressure;
    c.cabin_pressure_differential = differential > kMaxCabinDifferential
                                        ? kMaxCabinDifferential
                                        : (differential > 0.0 ? differential : 0.0);
    cockpit_set(c.api, c.pitot_iced_handle, s.icing ? 1.0 : 0.0);
}
