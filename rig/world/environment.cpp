#include "world/environment.h"

#include <algorithm>
#include <cmath>

namespace rig {
namespace {

// WGS-84 normal gravity (Somigliana) and its second-order change with height.
constexpr double kEquatorialGravity = 9.7803253359;  // m/s^2
constexpr double kSomiglianaK = 0.00193185265241;    // -
constexpr double kFirstEccentricitySq = 0.00669437999013;
constexpr double kSemiMajorAxis = 6378137.0;  // m
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kGravityRatio = 0.00344978650684;  // omega^2 a^2 b / GM

constexpr double kFeet = 0.3048;  // m
// MIL-F-8785C turbulence altitudes and scales, in feet.
constexpr double kLowAltitudeTop = 1000.0;
constexpr double kHighAltitudeBase = 2000.0;
constexpr double kHighAltitudeScale = 1750.0;
constexpr double kMinScaleHeight = 10.0;  // ft; the low-altitude scales vanish at the ground
constexpr double kMinAirspeed = 1.0;      // m/s; the filters' time constants are L / V

double low_altitude_ratio(double h_ft) { return 0.177 + 0.000823 * h_ft; }

// Length scales (m) and intensity ratio of the horizontal components to the
// vertical at a height above the ground.
struct Scales {
    double along, lateral, vertical;  // m
    double horizontal_ratio;          // sigma_u / sigma_w
};

Scales scales_at(double height_m) {
    const double h_low = std::clamp(height_m / kFeet, kMinScaleHeight, kLowAltitudeTop);
    const double l_low = h_low / std::pow(low_altitude_ratio(h_low), 1.2);
    const double ratio_low = 1.0 / std::pow(low_altitude_ratio(h_low), 0.4);
    const double h_ft = height_m / kFeet;
    double blend = (h_ft - kLowAltitudeTop) / (kHighAltitudeBase - kLowAltitudeTop);
    blend = std::clamp(blend, 0.0, 1.0);
    auto mix = [blend](double low, double high) { return low + blend * (high - low); };
    Scales s;
    s.along = kFeet * mix(l_low, kHighAltitudeScale);
    s.lateral = s.along;
    s.vertical = kFeet * mix(h_low, kHighAltitudeScale);
    s.horizontal_ratio = mix(ratio_low, 1.0);
    return s;
}

// splitmix64: small, fast and the same on every platform.
std::uint64_t next_random(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Uniform in (0, 1], never 0.
double uniform(std::uint64_t& state) {
    return (static_cast<double>(next_random(state) >> 11) + 1.0) * 0x1.0p-53;
}

// One standard normal number (Box-Muller, one of the pair).
double normal(std::uint64_t& state) {
    const double r = std::sqrt(-2.0 * std::log(uniform(state)));
    return r * std::cos(2.0 * kPi * uniform(state));
}

// One step of the Dryden lateral/vertical shape
// sigma sqrt(tau) (1 + sqrt(3) tau s) / (1 + tau s)^2 driven by white noise of
// unit two-sided spectral density: two first-order lags in series.
double second_order_step(double state[2], double sigma, double tau, double noise, double dt) {
    const double phi = std::exp(-dt / tau);
    const double a = state[0];
    state[0] = phi * a + (1.0 - phi) * noise;
    state[1] = phi * state[1] + (1.0 - phi) * a;
    const double root3 = std::sqrt(3.0);
    return sigma * std::sqrt(tau) * (root3 * state[0] + (1.0 - root3) * state[1]);
}

}  // namespace

double environment_gravity(const Environment& e, double altitude_m) {
    if (e.gravity_model == Gravity_Model::Constant) return e.gravity;
    const double s = std::sin(e.latitude / kDegPerRad);
    const double s2 = s * s;
    const double surface =
        kEquatorialGravity * (1.0 + kSomiglianaK * s2) / std::sqrt(1.0 - kFirstEccentricitySq * s2);
    const double h = altitude_m / kSemiMajorAxis;
    return surface * (1.0 - 2.0 * (1.0 + kFlattening + kGravityRatio - 2.0 * kFlattening * s2) * h +
                      3.0 * h * h);
}

V3 environment_wind(const Environment& e, double altitude_m, double time) {
    V3 wind = e.wind_world;
    const std::vector<Wind_Point>& p = e.wind_profile;
    if (!p.empty()) {
        if (altitude_m <= p.front().height) {
            wind += p.front().wind;
        } else if (altitude_m >= p.back().height) {
            wind += p.back().wind;
        } else {
            std::size_t i = 1;
            while (p[i].height < altitude_m) ++i;
            const double f = (altitude_m - p[i - 1].height) / (p[i].height - p[i - 1].height);
            wind += p[i - 1].wind + f * (p[i].wind - p[i - 1].wind);
        }
    }
    for (const Gust& g : e.gusts) {
        const double phase = (time - g.start) / g.duration;
        if (phase <= 0.0 || phase >= 1.0) continue;
        wind += (0.5 * (1.0 - std::cos(2.0 * kPi * phase))) * g.peak;
    }
    return wind;
}

V3 dryden_step(Dryden_State& s, const Turbulence& t, double height_above_ground, double airspeed,
               V3 mean_wind, double dt) {
    if (t.intensity <= 0.0) return {};
    if (!s.started) {
        s = Dryden_State{};
        s.rng = t.seed;
        s.started = true;
    }
    const Scales sc = scales_at(std::max(height_above_ground, 0.0));
    const double v = std::max(airspeed, kMinAirspeed);
    const double sigma_w = t.intensity;
    const double sigma_h = t.intensity * sc.horizontal_ratio;
    const double scale = 1.0 / std::sqrt(dt);  // white noise of unit spectral density

    // Along: first order, stepped exactly so the stationary rms is sigma.
    const double phi_u = std::exp(-dt * v / sc.along);
    s.u = phi_u * s.u + sigma_h * std::sqrt(1.0 - phi_u * phi_u) * normal(s.rng);
    const double lateral =
        second_order_step(s.v, sigma_h, sc.lateral / v, scale * normal(s.rng), dt);
    const double vertical =
        second_order_step(s.w, sigma_w, sc.vertical / v, scale * normal(s.rng), dt);

    V3 along{mean_wind.x, 0.0, mean_wind.z};
    const double n = norm(along);
    along = n > 0.0 ? (1.0 / n) * along : V3{1.0, 0.0, 0.0};
    const V3 side = cross(along, V3{0.0, 1.0, 0.0});
    return s.u * along + lateral * side + V3{0.0, vertical, 0.0};
}

}  // namespace rig
