#include "analysis/performance.h"

#include <cmath>

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

}  // namespace rig
