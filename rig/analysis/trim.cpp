#include "analysis/trim.h"

#include <cmath>
#include <cstdio>

#include "host/pilot_inputs.h"

namespace rig {
namespace {

constexpr double kMeanChord = 1.880362;  // m, the model's reference chord

// Settling times of the held state.
constexpr double kConfigureTime = 10.0;     // s, gear (4 s) and flaps (5.6 s) travel
constexpr double kEngineSettleTime = 30.0;  // s, the slowest power lag is 2 s
constexpr double kSurfaceSettleTime = 2.0;  // s, surfaces move at 60 deg/s

constexpr int kMaxIterations = 25;
constexpr int kMaxHalvings = 6;

constexpr double kMinAlpha = -5.0;              // deg
constexpr double kMaxAlpha = 25.0;              // deg
constexpr double kStep[3] = {0.2, 0.02, 0.02};  // alpha deg, pitch axis, throttle

struct Unknowns {
    double alpha = 5.0;  // deg
    double pitch = 0.0;  // axis
    double throttle = 0.7;
};

struct Residual {
    double r[3] = {};  // world x force, world y force, pitching moment
    double norm() const {
        return std::fmax(std::fabs(r[0]), std::fmax(std::fabs(r[1]), std::fabs(r[2])));
    }
};

struct Trim_Context {
    Host& host;
    const Trim_Request& request;
    double tas = 0.0;
    double weight = 0.0;
    double applied_throttle = -1.0;
};

double clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

void hold_state(Host& host, double alpha_deg, double tas) {
    const double alpha = alpha_deg / kDegPerRad;
    host.body.attitude = from_euler({0.0, alpha, 0.0});
    host.body.velocity = {tas, 0.0, 0.0};
    host.body.omega = {};
    host.last_acceleration_body = {};
    host.last_angular_acceleration = {};
}

void run_held(Host& host, double seconds) {
    const int frames = static_cast<int>(std::ceil(seconds / host.dt));
    for (int i = 0; i < frames; ++i) {
        host_push_state(host);
        host_simulate(host);
    }
}

Residual evaluate(Trim_Context& c, const Unknowns& x) {
    Host& host = c.host;
    const Model_Api& fm = *host.api;
    hold_state(host, x.alpha, c.tas);
    fm.ed_fm_set_command(kCmdPitchAxis, static_cast<float>(x.pitch));
    const float throttle = throttle_axis(x.throttle);
    fm.ed_fm_set_command(kCmdThrottleAxis, throttle);
    const bool engine_moves = c.applied_throttle != static_cast<double>(throttle);
    c.applied_throttle = throttle;
    run_held(host, engine_moves ? kEngineSettleTime : kSurfaceSettleTime);

    const Frame_Outputs& o = host.out;
    const V3 force_body = o.force + o.component_force;
    const V3 moment =
        o.moment + o.component_moment + cross(o.force_point - host.center_of_mass, o.force);
    const V3 force_world = rotate(host.body.attitude, force_body);
    Residual r;
    r.r[0] = force_world.x / c.weight;
    r.r[1] = (force_world.y - c.weight) / c.weight;
    r.r[2] = moment.z / (c.weight * kMeanChord);
    return r;
}

Unknowns bounded(Unknowns x) {
    x.alpha = clamp(x.alpha, kMinAlpha, kMaxAlpha);
    x.pitch = clamp(x.pitch, -1.0, 1.0);
    x.throttle = clamp(x.throttle, 0.0, 1.0);
    return x;
}

Unknowns offset(Unknowns x, const double d[3], double scale) {
    x.alpha += scale * d[0];
    x.pitch += scale * d[1];
    x.throttle += scale * d[2];
    return bounded(x);
}

// Solves J d = b by Cramer's rule; false when J is singular.
bool solve3(const double J[3][3], const double b[3], double d[3]) {
    auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double D = det(J);
    if (!(std::fabs(D) > 1e-12)) return false;
    for (int k = 0; k < 3; ++k) {
        double M[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) M[i][j] = j == k ? b[i] : J[i][j];
        }
        d[k] = det(M) / D;
    }
    return true;
}

std::string no_trim_reason(const Unknowns& x, const Residual& r) {
    char text[200];
    if (x.throttle >= 1.0 && r.r[0] < 0.0) {
        std::snprintf(text, sizeof(text),
                      "no level trim: drag exceeds full-throttle thrust by %.0f %% of the weight "
                      "(beyond the maximum level speed)",
                      -r.r[0] * 100.0);
    } else if (x.throttle <= 0.0 && r.r[0] > 0.0) {
        std::snprintf(text, sizeof(text),
                      "no level trim: idle thrust exceeds drag by %.0f %% of the weight",
                      r.r[0] * 100.0);
    } else if (x.alpha >= kMaxAlpha) {
        std::snprintf(text, sizeof(text),
                      "no level trim: lift short of the weight at %.0f deg angle of attack "
                      "(below the minimum level speed)",
                      kMaxAlpha);
    } else if (std::fabs(x.pitch) >= 1.0) {
        std::snprintf(text, sizeof(text), "no level trim: the elevator is at its stop");
    } else {
        std::snprintf(text, sizeof(text),
                      "no level trim: the iteration did not converge (residual %.2g weights)",
                      r.norm());
    }
    return text;
}

}  // namespace

Trim_Result trim_level_flight(Host& host, const Trim_Request& q) {
    const Model_Api& fm = *host.api;
    Trim_Result result;
    host.dt = q.dt;
    host.center_of_mass = q.center_of_mass;
    host.mass_properties.mass = q.empty_mass + q.fuel;
    host.body.position = {0.0, q.altitude, 0.0};
    host.env.wind_world = {};
    const Air air = environment_air(host.env, q.altitude);
    Trim_Context c{host, q, q.tas > 0.0 ? q.tas : tas_from_kcas(q.kcas, air.density),
                   host.mass_properties.mass * environment_gravity(host.env, q.altitude)};
    result.tas = c.tas;

    fm.ed_fm_set_internal_fuel(q.fuel);
    fm.ed_fm_unlimited_fuel(true);
    fm.ed_fm_hot_start_in_air();
    fm.ed_fm_set_command(kCmdFlapLever, static_cast<float>(q.flaps));
    fm.ed_fm_set_command(kCmdGearHandle, q.gear_down ? 1.0f : 0.0f);
    Unknowns x;
    hold_state(host, x.alpha, c.tas);
    run_held(host, kConfigureTime);

    Residual r = evaluate(c, x);
    int iteration = 0;
    for (; iteration < kMaxIterations && r.norm() > q.tolerance; ++iteration) {
        double J[3][3];
        const Unknowns base = x;
        for (int k = 0; k < 3; ++k) {
            double d[3] = {0.0, 0.0, 0.0};
            d[k] = kStep[k];
            Unknowns probe = offset(base, d, 1.0);
            double h =
                (k == 0 ? probe.alpha - base.alpha
                        : (k == 1 ? probe.pitch - base.pitch : probe.throttle - base.throttle));
            if (h == 0.0) {  // at the upper bound: difference backwards
                probe = offset(base, d, -1.0);
                h = k == 0 ? probe.alpha - base.alpha
                           : (k == 1 ? probe.pitch - base.pitch : probe.throttle - base.throttle);
            }
            const Residual rp = evaluate(c, probe);
            for (int i = 0; i < 3; ++i) J[i][k] = (rp.r[i] - r.r[i]) / h;
        }
        double b[3] = {-r.r[0], -r.r[1], -r.r[2]};
        double step[3];
        if (!solve3(J, b, step)) break;
        // Backtrack until the residual falls.
        Unknowns next = x;
        Residual rn;
        double scale = 1.0;
        bool improved = false;
        for (int h = 0; h <= kMaxHalvings; ++h, scale *= 0.5) {
            next = offset(x, step, scale);
            rn = evaluate(c, next);
            if (rn.norm() < r.norm()) {
                improved = true;
                break;
            }
        }
        x = next;
        r = rn;
        if (!improved) break;
    }
    // Leave the model and host at the last evaluated point, settled.
    r = evaluate(c, x);
    result.iterations = iteration;
    result.residual = r.norm();
    result.alpha = x.alpha;
    result.pitch_axis = static_cast<float>(x.pitch);
    result.throttle = x.throttle;
    const Sample settled = host_sample(host);
    result.elevator = settled.elevator;
    result.thrust = settled.thrust;
    result.fuel_flow = settled.fuel_flow;
    result.rpm = settled.rpm;
    result.ok = r.norm() <= q.tolerance;
    if (!result.ok) result.why = no_trim_reason(x, r);
    fm.ed_fm_unlimited_fuel(false);
    fm.ed_fm_set_internal_fuel(q.fuel);
    return result;
}

void print_trim(std::FILE* out, const Trim_Request& q, const Trim_Result& r) {
    char speed[64];
    if (q.tas > 0.0) {
        std::snprintf(speed, sizeof(speed), "%.4f m/s true", r.tas);
    } else {
        std::snprintf(speed, sizeof(speed), "%.1f kcas (%.1f m/s true)", q.kcas, r.tas);
    }
    std::fprintf(out, "trim: %s at %.0f m, flaps %.2f, gear %s, mass %.0f kg\n", speed, q.altitude,
                 q.flaps, q.gear_down ? "down" : "up", q.empty_mass + q.fuel);
    if (!r.ok) {
        std::fprintf(out, "%s\n", r.why.c_str());
        std::fprintf(out, "  (last point: alpha %.2f deg, pitch axis %.3f, throttle %.3f)\n",
                     r.alpha, r.pitch_axis, r.throttle);
        return;
    }
    std::fprintf(out, "  %-26s %10.3f deg\n", "angle of attack", r.alpha);
    std::fprintf(out, "  %-26s %10.4f (elevator travel %.3f)\n", "pitch axis (2001)", r.pitch_axis,
                 r.elevator);
    std::fprintf(out, "  %-26s %10.4f (%.1f %%)\n", "throttle", r.throttle, r.throttle * 100.0);
    std::fprintf(out, "  %-26s %10.0f N\n", "thrust", r.thrust);
    std::fprintf(out, "  %-26s %10.4f kg/s\n", "fuel flow (112)", r.fuel_flow);
    std::fprintf(out, "  %-26s %10.2f %%\n", "rpm (100 x 100)", r.rpm);
    std::fprintf(out, "  %-26s %10d (residual %.1e weights)\n", "iterations", r.iterations,
                 r.residual);
}

}  // namespace rig
