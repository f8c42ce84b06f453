#include "analysis/performance.h"

#include <cmath>
#include <vector>

namespace rig {
namespace {

constexpr double kTrimMaxAlpha = 30.0 - 1e-9;  // deg, the trim's angle-of-attack bound

// Trim at an altitude: any trimmed speed between lo and hi kcas at step kt.
bool any_trim(Host& host, const Perf_Condition& c, double altitude, double lo, double hi,
              double step) {
    for (double v = lo; v <= hi + 1e-9; v += step) {
        if (level_point(host, c, altitude, v).ok) return true;
    }
    return false;
}

// Refines the edge between a trimmed speed and an untrimmed one; returns the
// trimmed side and the limit met on the other.
double refine_edge(Host& host, const Perf_Condition& c, double altitude, double ok_kcas,
                   double fail_kcas, Level_Limit& limit, double resolution) {
    while (std::fabs(fail_kcas - ok_kcas) > resolution) {
        const double mid = 0.5 * (ok_kcas + fail_kcas);
        const Level_Point p = level_point(host, c, altitude, mid);
        if (p.ok) {
            ok_kcas = mid;
        } else {
            fail_kcas = mid;
            limit = p.limit;
        }
    }
    return ok_kcas;
}

// The vertex of the parabola through three points (Newton form), when it
// bends toward the middle point and lies between the outer two; else the
// middle point.
void vertex(const double x[3], const double y[3], double& xv, double& yv) {
    const double d0 = (y[1] - y[0]) / (x[1] - x[0]);
    const double a = ((y[2] - y[1]) / (x[2] - x[1]) - d0) / (x[2] - x[0]);
    xv = x[1];
    yv = y[1];
    if (a == 0.0) return;
    const double xp = 0.5 * (x[0] + x[1]) - d0 / (2.0 * a);
    if (!(xp > x[0] && xp < x[2])) return;
    xv = xp;
    yv = y[0] + d0 * (xp - x[0]) + a * (xp - x[0]) * (xp - x[1]);
}

}  // namespace

const char* limit_name(Level_Limit l) {
    switch (l) {
        case Level_Limit::None:
            return "none";
        case Level_Limit::Thrust:
            return "thrust";
        case Level_Limit::Lift:
            return "lift";
        case Level_Limit::Other:
            return "other";
    }
    return "other";
}

Trim_Request level_request(const Perf_Condition& c, double altitude, double kcas) {
    Trim_Request q;
    q.kcas = kcas;
    q.altitude = altitude;
    q.flaps = c.flaps;
    q.gear_down = c.gear_down;
    q.fuel = c.fuel;
    q.empty_mass = c.mass - c.fuel;
    q.retry = false;  // the sweeps find the envelope's edges themselves
    return q;
}

Level_Point level_point(Host& host, const Perf_Condition& c, double altitude, double kcas) {
    host.env.temperature_offset = c.temperature_offset;
    const Trim_Result r = trim_level_flight(host, level_request(c, altitude, kcas));
    Level_Point p;
    p.altitude = altitude;
    p.kcas = kcas;
    p.ok = r.ok;
    if (!r.ok) {
        p.limit = r.at_stop[3] && r.residuals[0] < 0.0
                      ? Level_Limit::Thrust
                      : (r.at_stop[0] || r.alpha >= kTrimMaxAlpha ? Level_Limit::Lift
                                                                  : Level_Limit::Other);
    }
    p.tas = r.tas;
    p.mach = r.tas / environment_air(host.env, altitude).speed_of_sound;
    p.alpha = r.alpha;
    p.throttle = r.throttle;
    p.elevator = r.elevator;
    p.fuel_flow = r.fuel_flow;
    return p;
}

Altitude_Envelope altitude_envelope(Host& host, const Perf_Condition& c, double altitude,
                                    const Speed_Sweep& s) {
    Altitude_Envelope e;
    e.altitude = altitude;
    for (double v = s.min_kcas; v <= s.max_kcas + 1e-9; v += s.step) {
        e.sweep.push_back(level_point(host, c, altitude, v));
    }
    Speed_Interval current;
    bool inside = false;
    for (std::size_t i = 0; i < e.sweep.size(); ++i) {
        const Level_Point& p = e.sweep[i];
        if (p.ok && !inside) {
            inside = true;
            current = Speed_Interval{};
            if (i == 0) {
                current.min_kcas = p.kcas;  // trimmed at the sweep's lower end
            } else {
                current.low = e.sweep[i - 1].limit;
                current.min_kcas = refine_edge(host, c, altitude, p.kcas, e.sweep[i - 1].kcas,
                                               current.low, s.resolution);
            }
        }
        if (inside && (!p.ok || i + 1 == e.sweep.size())) {
            inside = false;
            if (p.ok) {
                current.max_kcas = p.kcas;  // trimmed at the sweep's upper end
            } else {
                current.high = p.limit;
                current.max_kcas = refine_edge(host, c, altitude, e.sweep[i - 1].kcas, p.kcas,
                                               current.high, s.resolution);
            }
            e.intervals.push_back(current);
        }
    }
    return e;
}

double absolute_ceiling(Host& host, const Perf_Condition& c, const Altitude_Envelope& below,
                        double above, double resolution) {
    if (below.intervals.empty()) return NAN;
    // Near the ceiling the envelope shrinks around the speed of least power.
    double lo = below.intervals.front().min_kcas, hi = below.intervals.back().max_kcas;
    double ok = below.altitude, fail = above;
    while (fail - ok > resolution) {
        const double mid = 0.5 * (ok + fail);
        if (any_trim(host, c, mid, lo, hi, std::fmax(1.0, (hi - lo) / 12.0))) {
            ok = mid;
        } else {
            fail = mid;
        }
    }
    return ok;
}

Fuel_Point fuel_point(const Level_Point& p) {
    Fuel_Point f;
    f.kcas = p.kcas;
    f.tas = p.tas;
    f.fuel_flow = p.fuel_flow;
    if (p.fuel_flow > 0.0) {
        f.specific_range = p.tas / p.fuel_flow;
        f.specific_endurance = 1.0 / p.fuel_flow;
    }
    return f;
}

Fuel_Best best_fuel(const std::vector<Fuel_Point>& points) {
    Fuel_Best b;
    if (points.empty()) return b;
    std::size_t ir = 0, ie = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (points[i].specific_range > points[ir].specific_range) ir = i;
        if (points[i].specific_endurance > points[ie].specific_endurance) ie = i;
    }
    auto refine = [&](std::size_t i, double Fuel_Point::*y, double& x_best, double& y_best) {
        x_best = points[i].kcas;
        y_best = points[i].*y;
        if (i == 0 || i + 1 == points.size()) return;
        const double xs[3] = {points[i - 1].kcas, points[i].kcas, points[i + 1].kcas};
        const double ys[3] = {points[i - 1].*y, points[i].*y, points[i + 1].*y};
        vertex(xs, ys, x_best, y_best);
    };
    refine(ir, &Fuel_Point::specific_range, b.range_kcas, b.specific_range);
    refine(ie, &Fuel_Point::specific_endurance, b.endurance_kcas, b.specific_endurance);
    b.ok = points[ir].specific_range > 0.0;
    return b;
}

Excess_Point excess_power(Host& host, const Perf_Condition& c, double altitude, double kcas,
                          double tas, double throttle, bool engine_off) {
    host.env.temperature_offset = c.temperature_offset;
    Trim_Request q = level_request(c, altitude, kcas);
    q.tas = tas;
    q.throttle = throttle;
    q.engine_off = engine_off;
    const Trim_Result r = trim(host, q);
    Excess_Point p;
    p.altitude = altitude;
    p.kcas = r.kcas;
    p.tas = r.tas;
    p.mach = r.mach;
    p.ok = r.ok;
    p.gamma = r.gamma;
    p.ps = r.tas * std::sin(r.gamma / kDegPerRad);
    p.alpha = r.alpha;
    p.fuel_flow = r.fuel_flow;
    p.rpm = r.rpm;
    return p;
}

Climb_Point best_climb(Host& host, const Perf_Condition& c, double altitude, double lo, double hi,
                       double step) {
    Climb_Point b;
    b.altitude = altitude;
    // The best of a sweep, refined by the parabola through it and its
    // neighbours; y of a point is its climb rate (or, for the glide, the
    // glide ratio).
    auto best_of = [&](double throttle, bool glide, double& best_kcas) {
        std::vector<double> v, y;
        for (double k = lo; k <= hi + 1e-9; k += step) {
            const Excess_Point p = excess_power(host, c, altitude, k, 0.0, throttle, glide);
            if (!p.ok) continue;
            v.push_back(k);
            y.push_back(glide ? (p.gamma < 0.0 ? -1.0 / std::tan(p.gamma / kDegPerRad) : 0.0)
                              : p.ps);
        }
        if (v.empty()) return false;
        std::size_t i = 0;
        for (std::size_t k = 1; k < y.size(); ++k) {
            if (y[k] > y[i]) i = k;
        }
        best_kcas = v[i];
        if (i > 0 && i + 1 < v.size() && v[i + 1] - v[i - 1] < 2.5 * step) {
            const double xs[3] = {v[i - 1], v[i], v[i + 1]}, ys[3] = {y[i - 1], y[i], y[i + 1]};
            double unused;
            vertex(xs, ys, best_kcas, unused);
        }
        return true;
    };
    double climb_kcas = 0.0, glide_kcas = 0.0;
    if (best_of(1.0, false, climb_kcas)) {
        const Excess_Point p = excess_power(host, c, altitude, climb_kcas, 0.0, 1.0);
        b.ok = p.ok;
        b.best_kcas = climb_kcas;
        b.rate = p.ps;
        b.fuel_flow = p.fuel_flow;
    }
    if (best_of(0.0, true, glide_kcas)) {
        const Excess_Point p = excess_power(host, c, altitude, glide_kcas, 0.0, 0.0, true);
        if (p.ok && p.gamma < 0.0) {
            b.glide_ok = true;
            b.glide_kcas = glide_kcas;
            b.glide_ratio = -1.0 / std::tan(p.gamma / kDegPerRad);
            b.glide_sink = -p.ps;
            b.glide_rpm = p.rpm;
            // The same speed with the engine running at idle.
            const Excess_Point idle = excess_power(host, c, altitude, glide_kcas, 0.0, 0.0);
            if (idle.ok && idle.gamma < 0.0) {
                b.idle_ratio = -1.0 / std::tan(idle.gamma / kDegPerRad);
                b.idle_sink = -idle.ps;
            }
        }
    }
    return b;
}

double turn_rate_deg(double n, double tas, double gravity) {
    return n > 1.0 ? gravity * std::sqrt(n * n - 1.0) / tas * kDegPerRad : 0.0;
}

double turn_radius(double n, double tas, double gravity) {
    return n > 1.0 ? tas * tas / (gravity * std::sqrt(n * n - 1.0)) : INFINITY;
}

Turn_Point turn_point(Host& host, const Perf_Condition& c, double altitude, double kcas,
                      double max_alpha, double load_limit) {
    Turn_Point t;
    t.kcas = kcas;
    host.env.temperature_offset = c.temperature_offset;
    const double g = host.env.gravity;
    // The lift at the angle-of-attack limit, the controls as level trim left them.
    const Trim_Result level = trim_level_flight(host, level_request(c, altitude, kcas));
    t.tas = level.tas;
    const double a = max_alpha / kDegPerRad;
    host.body.attitude = from_euler({0.0, a, 0.0});
    host.body.velocity = {level.tas, 0.0, 0.0};
    host.body.omega = {};
    run_held(host, kSurfaceSettleTime);
    const Held_Loads loads = held_loads(host);
    const double weight = host.mass_properties.mass * g;
    t.alpha_n = (loads.force.x * std::sin(a) + loads.force.y * std::cos(a)) / weight;
    t.instantaneous_ok = t.alpha_n > 1.0;
    t.instantaneous_n = std::fmin(t.alpha_n, load_limit);
    t.instantaneous_rate = turn_rate_deg(t.instantaneous_n, level.tas, g);
    t.instantaneous_radius = turn_radius(t.instantaneous_n, level.tas, g);
    // Without level flight at this speed there is no sustained turn either.
    if (!level.ok) return t;
    Trim_Request q = level_request(c, altitude, kcas);
    q.kind = Trim_Kind::Turn;
    q.throttle = 1.0;
    q.retry = true;  // from the default start the iteration misses some turns
    const Trim_Result s = trim(host, q);
    if (s.ok && s.alpha <= max_alpha) {
        t.sustained_ok = true;
        // Level turn: the load factor along the lift is 1 / cos(bank).
        t.sustained_n = 1.0 / std::cos(s.bank / kDegPerRad);
        t.sustained_rate = std::fabs(s.turn_rate);
        if (t.sustained_n > load_limit) {
            t.sustained_n = load_limit;
            t.sustained_rate = turn_rate_deg(load_limit, s.tas, g);
        }
    }
    return t;
}

}  // namespace rig
