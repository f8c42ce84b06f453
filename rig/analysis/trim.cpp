#include "analysis/trim.h"

#include <Eigen/Dense>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/pilot_inputs.h"

namespace rig {
namespace {

constexpr double kConfigureTime = 10.0;  // s, gear (4 s) and flaps (5.6 s) travel
constexpr double kSettleChunk = 0.5;     // s
// Settled when the loads change by less than this (in weights, or weight x
// span) over a chunk; the slowest lag (2 s) leaves then less than half of it.
constexpr double kSettleChange = 1e-7;

constexpr int kMaxIterations = 40;
constexpr int kMaxHalvings = 8;

// Retry and envelope search, kcas: every 5 kt up to 160 kt either side.
constexpr double kSearchStep = 5.0;
constexpr double kSearchRange = 160.0;
constexpr double kContinuationStep = 2.0;
constexpr double kMinSearchSpeed = 60.0;

// The held flight condition; angles in degrees, rates in deg/s.
struct Condition {
    double alpha = 5.0;
    double beta = 0.0;
    double bank = 0.0;
    double gamma = 0.0;
    double turn_rate = 0.0;  // heading rate, positive right
    double pull_rate = 0.0;  // body pitch rate of a pull-up
    double axis[3] = {};     // pitch, roll, rudder axes
    double throttle = 0.7;
};

enum Var { ALPHA, BETA, BANK, GAMMA, TURN, PITCH, ROLL, RUDDER, THROTTLE };

struct Var_Info {
    double lo, hi, step;
};
constexpr Var_Info kVars[] = {
    {-10.0, 30.0, 0.05},  // alpha, deg
    {-30.0, 30.0, 0.05},  // beta, deg
    {-88.0, 88.0, 0.1},   // bank, deg
    {-80.0, 80.0, 0.05},  // gamma, deg
    {-90.0, 90.0, 0.02},  // turn rate, deg/s
    {-1.0, 1.0, 0.005},   // pitch axis
    {-1.0, 1.0, 0.005},   // roll axis
    {-1.0, 1.0, 0.005},   // rudder axis
    {0.0, 1.0, 0.005},    // throttle
};

double& ref(Condition& c, Var v) {
    switch (v) {
        case ALPHA:
            return c.alpha;
        case BETA:
            return c.beta;
        case BANK:
            return c.bank;
        case GAMMA:
            return c.gamma;
        case TURN:
            return c.turn_rate;
        case PITCH:
            return c.axis[0];
        case ROLL:
            return c.axis[1];
        case RUDDER:
            return c.axis[2];
        case THROTTLE:
            break;
    }
    return c.throttle;
}

double clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

struct Setup {
    double tas = 0.0;        // m/s
    double weight = 0.0;     // N
    double gravity = 0.0;    // m/s^2 at the trim's altitude
    double tolerance = 0.0;  // largest residual accepted
    std::vector<Var> unknowns;
    Condition start;
    double dead[3][2] = {};  // dead band of the pitch, roll and rudder axes, below and above 0
};

// Attitude and velocity of the held state: heading 0, the pitch attitude
// that puts the velocity on the flight-path angle.
void hold(Host& host, const Condition& c, double tas) {
    const double a = c.alpha / kDegPerRad, b = c.beta / kDegPerRad;
    const double phi = c.bank / kDegPerRad, gamma = c.gamma / kDegPerRad;
    const V3 air_body{tas * std::cos(a) * std::cos(b), -tas * std::sin(a) * std::cos(b),
                      tas * std::sin(b)};
    // Climb rate over speed = ca sin(theta) - cb cos(theta) with the
    // body-axis velocity rolled through the bank.
    const double ca = std::cos(a) * std::cos(b);
    const double cb = std::sin(phi) * std::sin(b) + std::cos(phi) * std::sin(a) * std::cos(b);
    const double s = clamp(std::sin(gamma) / std::hypot(ca, cb), -1.0, 1.0);
    const double theta = std::atan2(cb, ca) + std::asin(s);
    Body_State& body = host.body;
    body.attitude = from_euler({0.0, theta, phi});
    body.velocity = rotate(body.attitude, air_body);
    // A right turn rotates about world -y (yaw is positive nose left).
    body.omega = unrotate(body.attitude, V3{0.0, -c.turn_rate / kDegPerRad, 0.0}) +
                 V3{0.0, 0.0, c.pull_rate / kDegPerRad};
    host.last_acceleration_body = {};
    host.last_angular_acceleration = {};
}

void apply_inputs(const Model_Api& fm, const Condition& c) {
    fm.ed_fm_set_command(QFM_CMD_PITCH_AXIS, static_cast<float>(c.axis[0]));
    fm.ed_fm_set_command(QFM_CMD_ROLL_AXIS, static_cast<float>(c.axis[1]));
    fm.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, static_cast<float>(c.axis[2]));
    fm.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, throttle_axis(c.throttle));
}

// The six residuals of steady motion at the settled held state.
void residuals(const Host& host, double weight, double r[6]) {
    const Held_Loads l = held_loads(host);
    const Body_State& b = host.body;
    const double m = host.mass_properties.mass;
    const V3 v = unrotate(b.attitude, b.velocity);
    const V3 g = unrotate(b.attitude, V3{0.0, -environment_gravity(host.env, b.position.y), 0.0});
    const V3 f = l.force + m * g - m * cross(b.omega, v);
    const V3 in = host.mass_properties.inertia;
    const V3 w = b.omega;
    const V3 m_net = l.moment - cross(w, V3{in.x * w.x, in.y * w.y, in.z * w.z});
    const double ms = weight * kReferenceSpan;
    r[0] = f.x / weight;
    r[1] = f.y / weight;
    r[2] = f.z / weight;
    r[3] = m_net.x / ms;
    r[4] = m_net.z / ms;
    r[5] = -m_net.y / ms;
}

double max_abs(const double r[6]) {
    double m = 0.0;
    for (int i = 0; i < 6; ++i) m = std::fmax(m, std::fabs(r[i]));
    return m;
}

struct Evaluation {
    Condition c;
    double r[6] = {};
    double norm = 0.0;
};

Evaluation evaluate(Host& host, const Setup& s, const Condition& c) {
    hold(host, c, s.tas);
    apply_inputs(*host.api, c);
    settle_held(host, s.weight);
    Evaluation e;
    e.c = c;
    residuals(host, s.weight, e.r);
    e.norm = max_abs(e.r);
    return e;
}

// The solver works on each pilot axis with its dead band taken out, so that
// a control that does nothing near its centre (a pedal dead band) is still
// seen, and solved for, as the linear control it is beyond the band.
bool is_axis(Var v) { return v == PITCH || v == ROLL || v == RUDDER; }

double get(const Setup& s, Condition& c, Var v) {
    const double x = ref(c, v);
    if (!is_axis(v)) return x;
    const double* band = s.dead[v - PITCH];
    return x > band[1] ? x - band[1] : (x < -band[0] ? x + band[0] : 0.0);
}

double lower(const Setup& s, Var v) {
    return is_axis(v) ? -1.0 + s.dead[v - PITCH][0] : kVars[v].lo;
}
double upper(const Setup& s, Var v) {
    return is_axis(v) ? 1.0 - s.dead[v - PITCH][1] : kVars[v].hi;
}

void set(const Setup& s, Condition& c, Var v, double u) {
    u = clamp(u, lower(s, v), upper(s, v));
    if (!is_axis(v)) {
        ref(c, v) = u;
        return;
    }
    const double* band = s.dead[v - PITCH];
    ref(c, v) = u > 0.0 ? u + band[1] : (u < 0.0 ? u - band[0] : 0.0);
}

Condition moved(const Setup& s, Condition c, const Eigen::VectorXd& d, double scale) {
    for (size_t k = 0; k < s.unknowns.size(); ++k) {
        const Var v = s.unknowns[k];
        set(s, c, v, get(s, c, v) + scale * d[static_cast<int>(k)] * kVars[v].step);
    }
    return c;
}

// The dead band of each pilot axis around its centre, each way: the largest
// deflection that leaves every moment unchanged (bisection to 1e-6).
void find_dead_bands(Host& host, Setup& s) {
    constexpr double kEffect = 1e-8;  // weight x span
    Condition centre = s.start;
    for (int k = 0; k < 3; ++k) centre.axis[k] = 0.0;
    const Evaluation base = evaluate(host, s, centre);
    auto moves = [&](int k, double x) {
        Condition c = centre;
        c.axis[k] = x;
        const Evaluation e = evaluate(host, s, c);
        double m = 0.0;
        for (int i = 3; i < 6; ++i) m = std::fmax(m, std::fabs(e.r[i] - base.r[i]));
        return m > kEffect;
    };
    for (int k = 0; k < 3; ++k) {
        for (int side = 0; side < 2; ++side) {
            const double sign = side == 0 ? -1.0 : 1.0;
            double lo = 1e-3, hi = 1.0;
            if (moves(k, sign * lo) || !moves(k, sign * hi)) continue;
            while (hi - lo > 1e-6) {
                const double mid = 0.5 * (lo + hi);
                (moves(k, sign * mid) ? hi : lo) = mid;
            }
            s.dead[k][side] = lo;
        }
    }
}

// Jacobian in units of each unknown's step; forward differences, backward
// at an upper bound.
Eigen::MatrixXd jacobian(Host& host, const Setup& s, const Evaluation& at) {
    const int n = static_cast<int>(s.unknowns.size());
    Eigen::MatrixXd J(6, n);
    for (int k = 0; k < n; ++k) {
        const Var v = s.unknowns[k];
        Condition probe = at.c;
        const double u0 = get(s, probe, v);
        const double h = u0 + kVars[v].step > upper(s, v) ? -1.0 : 1.0;
        set(s, probe, v, u0 + h * kVars[v].step);
        const Evaluation e = evaluate(host, s, probe);
        for (int i = 0; i < 6; ++i) J(i, k) = (e.r[i] - at.r[i]) / h;
    }
    return J;
}

struct Solve {
    Evaluation e;
    int iterations = 0;
    double condition = 0.0;
};

Solve newton(Host& host, const Setup& s) {
    Solve out;
    out.e = evaluate(host, s, s.start);
    Eigen::MatrixXd J;
    int stalled = 0;
    for (; out.iterations < kMaxIterations && out.e.norm > s.tolerance; ++out.iterations) {
        J = jacobian(host, s, out.e);
        Eigen::VectorXd b(6);
        for (int i = 0; i < 6; ++i) b[i] = -out.e.r[i];
        const Eigen::VectorXd d = J.colPivHouseholderQr().solve(b);
        Evaluation next;
        bool improved = false;
        double scale = 1.0;
        for (int h = 0; h <= kMaxHalvings && !improved; ++h, scale *= 0.5) {
            next = evaluate(host, s, moved(s, out.e.c, d, scale));
            improved = next.norm < out.e.norm;
        }
        if (!improved) break;
        // A point that cannot trim (a control at its stop) stops improving.
        stalled = next.norm > 0.9 * out.e.norm ? stalled + 1 : 0;
        out.e = next;
        if (stalled >= 3) break;
    }
    if (J.size() == 0 || out.iterations > 0) J = jacobian(host, s, out.e);
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(J);
    const Eigen::VectorXd sv = svd.singularValues();
    out.condition = sv[sv.size() - 1] > 0.0 ? sv[0] / sv[sv.size() - 1] : INFINITY;
    // Leave the model settled at the solution.
    out.e = evaluate(host, s, out.e.c);
    return out;
}

double resolved_tas(const Host& host, const Trim_Request& q) {
    if (q.tas > 0.0) return q.tas;
    return tas_from_kcas(q.kcas, environment_air(host.env, q.altitude).density);
}

Setup setup(const Host& host, const Trim_Request& q) {
    Setup s;
    s.tas = resolved_tas(host, q);
    s.gravity = environment_gravity(host.env, q.altitude);
    s.tolerance = q.tolerance;
    s.weight = host.mass_properties.mass * s.gravity;
    Condition& c = s.start;
    const bool hold_throttle = q.throttle >= 0.0;
    if (hold_throttle) c.throttle = clamp(q.throttle, 0.0, 1.0);
    const Var lateral = q.lateral == Lateral_Trim::Zero_Sideslip ? BANK : BETA;
    switch (q.kind) {
        case Trim_Kind::Level:
        case Trim_Kind::Climb:
            if (q.kind == Trim_Kind::Climb) {
                c.gamma = std::isfinite(q.vertical_speed)
                              ? std::asin(clamp(q.vertical_speed / s.tas, -1.0, 1.0)) * kDegPerRad
                              : q.gamma_deg;
            }
            s.unknowns = {ALPHA, lateral, PITCH, ROLL, RUDDER, hold_throttle ? GAMMA : THROTTLE};
            break;
        case Trim_Kind::Turn: {
            c.bank = q.load_factor > 0.0
                         ? std::acos(1.0 / std::fmax(q.load_factor, 1.0)) * kDegPerRad
                         : q.bank_deg;
            if (hold_throttle && c.bank == 0.0) c.bank = 20.0;
            c.turn_rate = s.gravity * std::tan(c.bank / kDegPerRad) / s.tas * kDegPerRad;
            s.unknowns = {ALPHA, TURN, PITCH, ROLL, RUDDER, hold_throttle ? BANK : THROTTLE};
            break;
        }
        case Trim_Kind::Pull_Up:
            c.gamma = q.gamma_deg;
            // Unset (0) is 1 g; below 1 g the pitch rate is negative: the top
            // of a push-over.
            c.pull_rate = ((q.load_factor > 0.0 ? q.load_factor : 1.0) - 1.0) * s.gravity / s.tas *
                          kDegPerRad;
            s.unknowns = {ALPHA, BETA, PITCH, ROLL, RUDDER, hold_throttle ? GAMMA : THROTTLE};
            break;
        case Trim_Kind::Sideslip:
            c.beta = q.beta_deg;
            s.unknowns = {ALPHA, BANK, PITCH, ROLL, RUDDER, hold_throttle ? GAMMA : THROTTLE};
            break;
    }
    if (const Trim_Result* w = q.warm_start) {
        // Only the solved quantities come from the neighbour.
        for (Var v : s.unknowns) {
            switch (v) {
                case ALPHA:
                    c.alpha = w->alpha;
                    break;
                case BETA:
                    c.beta = w->beta;
                    break;
                case BANK:
                    c.bank = w->bank;
                    break;
                case GAMMA:
                    c.gamma = w->gamma;
                    break;
                case TURN:
                    c.turn_rate = w->turn_rate;
                    break;
                case PITCH:
                    c.axis[0] = w->pitch_axis;
                    break;
                case ROLL:
                    c.axis[1] = w->roll_axis;
                    break;
                case RUDDER:
                    c.axis[2] = w->rudder_axis;
                    break;
                case THROTTLE:
                    c.throttle = w->throttle;
                    break;
            }
        }
    }
    return s;
}

std::string percent(double fraction) {
    char text[32];
    const double p = std::fabs(fraction) * 100.0;
    std::snprintf(text, sizeof(text), p >= 1.0 ? "%.0f" : "%.2g", p);
    return text;
}

bool at_limit(double v, const Var_Info& i) { return v <= i.lo + 1e-9 || v >= i.hi - 1e-9; }

// What kept the point from trimming, without the envelope context.
std::string cause(const Trim_Result& r) {
    const Var_Info& a = kVars[ALPHA];
    if (r.at_stop[3] && r.throttle >= 1.0 && r.residuals[0] < 0.0) {
        return "drag exceeds full-throttle thrust by " + percent(r.residuals[0]) +
               " % of the weight";
    }
    if (r.at_stop[3] && r.throttle <= 0.0 && r.residuals[0] > 0.0) {
        return "idle thrust exceeds drag by " + percent(r.residuals[0]) + " % of the weight";
    }
    if (r.alpha >= a.hi - 1e-9) return "lift short of the weight at the angle-of-attack limit";
    if (r.at_stop[0]) return "the pitch control is at its stop";
    if (r.at_stop[1]) return "the roll control is at its stop";
    if (r.at_stop[2]) return "the rudder is at its stop";
    char text[120];
    std::snprintf(text, sizeof(text), "the iteration did not converge (largest residual %.2g)",
                  r.residual);
    return text;
}

Trim_Result trim_once(Host& host, const Trim_Request& q) {
    const Model_Api& fm = *host.api;
    host.dt = q.dt;
    host.center_of_mass = q.center_of_mass;
    host.mass_properties.mass = q.empty_mass + q.fuel;
    host.body.position = {0.0, q.altitude, 0.0};
    Setup s = setup(host, q);
    // Trimmed in still air; a steady wind changes nothing relative to the air.
    const V3 wind = host.env.wind_world;
    host.env.wind_world = {};

    fm.ed_fm_set_internal_fuel(q.fuel);
    fm.ed_fm_unlimited_fuel(true);
    fm.ed_fm_hot_start_in_air();
    fm.ed_fm_set_command(QFM_CMD_FLAP_LEVER, static_cast<float>(q.flaps));
    fm.ed_fm_set_command(QFM_CMD_GEAR_HANDLE, q.gear_down ? 1.0f : 0.0f);
    // A stopped engine runs down at 5 % rpm a second from idle (55 %) to its
    // windmill rpm, within the configuration time above 90 kcas; the settle
    // loops hold what is left.
    if (q.engine_off) fm.ed_fm_set_command(QFM_CMD_START_SWITCH, 0.0f);
    hold(host, s.start, s.tas);
    apply_inputs(fm, s.start);
    run_held(host, kConfigureTime);
    find_dead_bands(host, s);

    const Solve solve = newton(host, s);
    const Condition& c = solve.e.c;
    Trim_Result r;
    r.iterations = solve.iterations;
    r.condition = solve.condition;
    for (int i = 0; i < 6; ++i) r.residuals[i] = solve.e.r[i];
    r.residual = solve.e.norm;
    r.alpha = c.alpha;
    r.beta = c.beta;
    r.bank = c.bank;
    r.gamma = c.gamma;
    r.turn_rate = c.turn_rate;
    r.pitch_axis = c.axis[0];
    r.roll_axis = c.axis[1];
    r.rudder_axis = c.axis[2];
    r.throttle = c.throttle;
    r.tas = s.tas;
    const Sample settled = host_sample(host);
    r.kcas = settled.kcas;
    r.mach = settled.mach;
    r.pitch_attitude = settled.pitch;
    r.elevator = settled.elevator;
    r.aileron = settled.aileron;
    r.rudder = settled.rudder;
    r.thrust = settled.thrust;
    r.fuel_flow = settled.fuel_flow;
    r.rpm = settled.rpm;
    r.omega_body = host.body.omega;
    const Held_Loads l = held_loads(host);
    r.load_factor = l.force.y / s.weight;
    // A surface at the end of its travel is at a stop even when the axis is
    // not (the elevator's lower stop is at -0.44 of its travel).
    constexpr double kSurfaceStop = 0.999;
    r.at_stop[0] = at_limit(c.axis[0], kVars[PITCH]) || settled.elevator >= kSurfaceStop ||
                   settled.elevator <= -0.4399;
    r.at_stop[1] = at_limit(c.axis[1], kVars[ROLL]) || std::fabs(settled.aileron) >= kSurfaceStop;
    r.at_stop[2] = at_limit(c.axis[2], kVars[RUDDER]) || std::fabs(settled.rudder) >= kSurfaceStop;
    r.at_stop[3] = at_limit(c.throttle, kVars[THROTTLE]);
    r.ok = r.residual <= q.tolerance;
    if (!r.ok) r.why = cause(r);
    fm.ed_fm_unlimited_fuel(false);
    fm.ed_fm_set_internal_fuel(q.fuel);
    host.env.wind_world = wind;
    return r;
}

// trim_once, and once more from the defaults when a warm start led astray.
Trim_Result trim_point(Host& host, const Trim_Request& q) {
    Trim_Result r = trim_once(host, q);
    if (r.ok || !q.warm_start) return r;
    Trim_Request cold = q;
    cold.warm_start = nullptr;
    Trim_Result again = trim_once(host, cold);
    return again.ok ? again : r;
}

// Trims at another calibrated airspeed, warm-started.
Trim_Result trim_at(Host& host, Trim_Request q, double kcas, const Trim_Result* from) {
    q.tas = 0.0;
    q.kcas = kcas;
    q.warm_start = from;
    return trim_point(host, q);
}

// Walks from a trimmed point toward the target speed; returns the last
// trimmed point (the target's own when it trims).
Trim_Result walk(Host& host, const Trim_Request& q, Trim_Result from, double target) {
    const double direction = target > from.kcas ? 1.0 : -1.0;
    double k = from.kcas;
    while ((target - k) * direction > 1e-9) {
        const double next = (target - k) * direction > kContinuationStep
                                ? k + direction * kContinuationStep
                                : target;
        Trim_Result r = trim_at(host, q, next, &from);
        if (!r.ok) break;
        from = r;
        from.kcas = next;
        k = next;
    }
    return from;
}

// The nearest speed on one side (direction +1 faster, -1 slower) that trims.
bool nearest_trim(Host& host, const Trim_Request& q, double kcas, double direction,
                  Trim_Result& found) {
    for (double d = kSearchStep; d <= kSearchRange; d += kSearchStep) {
        const double k = kcas + direction * d;
        if (k < kMinSearchSpeed) return false;
        found = trim_at(host, q, k, nullptr);
        if (found.ok) {
            found.kcas = k;
            return true;
        }
    }
    return false;
}

// A turn at a load factor: the bank that gives it on the g meter (the
// body-normal specific force), by secant steps on the bank.
Trim_Result trim_load_factor_turn(Host& host, const Trim_Request& request) {
    const double target = request.load_factor;
    Trim_Request q = request;
    q.load_factor = 0.0;
    double b0 = std::acos(1.0 / std::fmax(target, 1.0)) * kDegPerRad;
    q.bank_deg = b0;
    Trim_Result r0 = trim_once(host, q);
    if (!r0.ok) return r0;
    double b1 = b0 + 1.0;
    q.bank_deg = b1;
    q.warm_start = &r0;
    Trim_Result r1 = trim_once(host, q);
    for (int i = 0; i < 8 && r1.ok && std::fabs(r1.load_factor - target) > 1e-5 &&
                    r1.load_factor != r0.load_factor;
         ++i) {
        const double b2 =
            clamp(b1 + (target - r1.load_factor) * (b1 - b0) / (r1.load_factor - r0.load_factor),
                  0.0, kVars[BANK].hi);
        r0 = r1;
        b0 = b1;
        b1 = b2;
        q.bank_deg = b2;
        q.warm_start = &r0;
        r1 = trim_once(host, q);
    }
    return r1;
}

}  // namespace

void settle_held(Host& host, double weight) {
    const double moment_scale = weight * kReferenceSpan;
    Held_Loads last{};
    for (double t = 0.0; t < kEngineSettleTime; t += kSettleChunk) {
        run_held(host, kSettleChunk);
        const Held_Loads now = held_loads(host);
        const double change = std::fmax(norm(now.force - last.force) / weight,
                                        norm(now.moment - last.moment) / moment_scale);
        last = now;
        if (t >= kSurfaceSettleTime && change < kSettleChange) break;
    }
}

// Model calls of the host's step, which is the frame's share when the host
// sub-steps: the settle times are the model's time.
void run_held(Host& host, double seconds) {
    const int calls = static_cast<int>(std::ceil(seconds * host.substeps / host.dt));
    for (int i = 0; i < calls; ++i) {
        host_push_state(host);
        host_simulate(host);
    }
}

Held_Loads held_loads(const Host& host) {
    const Frame_Outputs& o = host.out;
    Held_Loads l;
    l.force = o.force + o.component_force;
    l.moment = o.moment + o.component_moment + cross(o.force_point - host.center_of_mass, o.force);
    return l;
}

Trim_Result trim(Host& host, const Trim_Request& q) {
    const bool load_factor_turn =
        q.kind == Trim_Kind::Turn && q.load_factor > 0.0 && q.throttle < 0.0;
    Trim_Result r = load_factor_turn ? trim_load_factor_turn(host, q) : trim_point(host, q);
    const double target = q.tas > 0.0 ? r.kcas : q.kcas;
    const std::string what = q.kind == Trim_Kind::Level ? "level trim" : "trim";
    char head[96];
    std::snprintf(head, sizeof(head), "no %s at %.0f kcas: ", what.c_str(), target);
    if (r.ok) return r;
    if (!q.retry || load_factor_turn) {
        r.why = head + cause(r);
        return r;
    }
    // Retry from the nearest speed that trims, on either side.
    Trim_Result below, above;
    const bool has_below = nearest_trim(host, q, target, -1.0, below);
    const bool has_above = nearest_trim(host, q, target, 1.0, above);
    if (has_below) below = walk(host, q, below, target);
    if (has_above && !(has_below && below.kcas >= target)) above = walk(host, q, above, target);
    for (const Trim_Result* t : {&below, &above}) {
        if (t->ok && std::fabs(t->kcas - target) < 1e-9) {
            Trim_Result done = trim_at(host, q, target, t);
            if (done.ok) return done;
        }
    }
    // Leave the host at the failed point again.
    Trim_Result failed = trim_once(host, q);
    char where[200] = "";
    if (has_below && has_above) {
        failed.gap_low = below.kcas;
        failed.gap_high = above.kcas;
        std::snprintf(where, sizeof(where),
                      " (inside a gap of the envelope between %.0f and %.0f kcas at this "
                      "altitude; it trims on both sides)",
                      below.kcas, above.kcas);
    } else if (has_below && failed.at_stop[3] && failed.residuals[0] < 0.0) {
        std::snprintf(where, sizeof(where),
                      " (beyond the maximum level speed, about %.0f kcas at this altitude)",
                      below.kcas);
    } else if (has_above && !has_below) {
        std::snprintf(where, sizeof(where),
                      " (below the minimum level speed, about %.0f kcas at this altitude)",
                      above.kcas);
    }
    failed.why = head + cause(failed) + where;
    return failed;
}

Trim_Result trim_level_flight(Host& host, const Trim_Request& request) {
    Trim_Request q = request;
    q.kind = Trim_Kind::Level;
    q.lateral = Lateral_Trim::Wings_Level;
    return trim(host, q);
}

const char* trim_kind_name(Trim_Kind kind) {
    switch (kind) {
        case Trim_Kind::Level:
            return "level";
        case Trim_Kind::Climb:
            return "climb";
        case Trim_Kind::Turn:
            return "turn";
        case Trim_Kind::Pull_Up:
            return "pull-up";
        case Trim_Kind::Sideslip:
            return "sideslip";
    }
    return "?";
}

void print_trim(std::FILE* out, const Trim_Request& q, const Trim_Result& r) {
    std::fprintf(out,
                 "trim (%s): %.1f kcas (%.1f m/s true, Mach %.3f) at %.0f m, flaps %.2f, gear %s, "
                 "mass %.0f kg\n",
                 trim_kind_name(q.kind), r.kcas, r.tas, r.mach, q.altitude, q.flaps,
                 q.gear_down ? "down" : "up", q.empty_mass + q.fuel);
    if (!r.ok) std::fprintf(out, "%s\n  last point:\n", r.why.c_str());
    const char* stop[2] = {"", "  AT STOP"};
    std::fprintf(out, "  %-26s %10.3f deg\n", "angle of attack", r.alpha);
    std::fprintf(out, "  %-26s %10.3f deg\n", "sideslip", r.beta);
    std::fprintf(out, "  %-26s %10.3f deg\n", "bank", r.bank);
    std::fprintf(out, "  %-26s %10.3f deg\n", "pitch attitude", r.pitch_attitude);
    std::fprintf(out, "  %-26s %10.3f deg\n", "flight-path angle", r.gamma);
    std::fprintf(out, "  %-26s %10.3f deg/s\n", "turn rate", r.turn_rate);
    std::fprintf(out, "  %-26s %10.3f g\n", "load factor", r.load_factor);
    // Each axis with the command number it goes in as.
    char pitch[32], roll[32], rudder[32];
    std::snprintf(pitch, sizeof pitch, "pitch axis (%d)", QFM_CMD_PITCH_AXIS);
    std::snprintf(roll, sizeof roll, "roll axis (%d)", QFM_CMD_ROLL_AXIS);
    std::snprintf(rudder, sizeof rudder, "rudder axis (%d)", QFM_CMD_RUDDER_AXIS);
    std::fprintf(out, "  %-26s %10.4f (elevator travel %.3f)%s\n", pitch, r.pitch_axis, r.elevator,
                 stop[r.at_stop[0]]);
    std::fprintf(out, "  %-26s %10.4f (aileron travel %.3f)%s\n", roll, r.roll_axis, r.aileron,
                 stop[r.at_stop[1]]);
    std::fprintf(out, "  %-26s %10.4f (rudder travel %.3f)%s\n", rudder, r.rudder_axis, r.rudder,
                 stop[r.at_stop[2]]);
    std::fprintf(out, "  %-26s %10.4f (%.1f %%)%s\n", "throttle", r.throttle, r.throttle * 100.0,
                 stop[r.at_stop[3]]);
    std::fprintf(out, "  %-26s %10.0f N\n", "thrust", r.thrust);
    std::fprintf(out, "  %-26s %10.4f kg/s\n", "fuel flow (112)", r.fuel_flow);
    std::fprintf(out, "  %-26s %10.2f %%\n", "rpm (100 x 100)", r.rpm);
    std::fprintf(out,
                 "  residuals: Fx %.1e  Fy %.1e  Fz %.1e (weights)  L %.1e  M %.1e  N %.1e "
                 "(weight x span)\n",
                 r.residuals[0], r.residuals[1], r.residuals[2], r.residuals[3], r.residuals[4],
                 r.residuals[5]);
    std::fprintf(out, "  %-26s %10d (Jacobian condition %.3g)\n", "iterations", r.iterations,
                 r.condition);
}

}  // namespace rig
