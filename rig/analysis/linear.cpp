#include "analysis/linear.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

#include "analysis/rudder_trim.h"
#include "host/pilot_inputs.h"

namespace rig {

const char* const kLinStateNames[kLinStates] = {"u",    "alpha", "q", "theta", "h",
                                                "beta", "p",     "r", "phi"};
const char* const kLinInputNames[kLinInputs] = {"pitch", "roll", "rudder", "throttle"};
const char* const kLoadVarNames[kLoadVars] = {"u", "alpha", "beta", "p",      "q",
                                              "r", "pitch", "roll", "rudder", "throttle"};
const char* const kCoefficientNames[kLoads] = {"CL", "CD", "CY", "Cl", "Cm", "Cn"};

namespace {

constexpr double kLog2 = 0.6931471805599453;

// Perturbation of each state: m/s, rad, rad/s, rad, m, rad, rad/s, rad/s, rad.
constexpr double kStateStep[kLinStates] = {0.2,
                                           0.1 / kDegPerRad,
                                           0.2 / kDegPerRad,
                                           0.2 / kDegPerRad,
                                           10.0,
                                           0.1 / kDegPerRad,
                                           0.2 / kDegPerRad,
                                           0.2 / kDegPerRad,
                                           0.2 / kDegPerRad};
constexpr double kInputStep = 0.01;  // axis units and throttle fraction

// The state vector of the linear model, with the pilot's inputs.
struct Point {
    double x[kLinStates] = {};
    double in[kLinInputs] = {};
};

struct Rates {
    double xdot[kLinStates] = {};
    double loads[kLoads] = {};  // X, Y, Z (N), L, M, N (N m)
    double lift = 0.0;          // N
};

Point point_of(const Host& host, const Trim_Result& t) {
    const Air_State a = air_state(host);
    const V3 w = host.body.omega;
    Point p;
    p.x[S_U] = a.tas;
    p.x[S_ALPHA] = a.alpha;
    p.x[S_Q] = w.z;
    p.x[S_THETA] = a.euler.pitch;
    p.x[S_H] = host.body.position.y;
    p.x[S_BETA] = a.beta;
    p.x[S_P] = w.x;
    p.x[S_R] = -w.y;
    p.x[S_PHI] = a.euler.roll;
    p.in[I_PITCH] = t.pitch_axis;
    p.in[I_ROLL] = t.roll_axis;
    p.in[I_RUDDER] = t.rudder_axis;
    p.in[I_THROTTLE] = t.throttle;
    return p;
}

void hold_point(Host& host, const Point& p) {
    const double a = p.x[S_ALPHA], b = p.x[S_BETA], v = p.x[S_U];
    Body_State& body = host.body;
    body.attitude = from_euler({0.0, p.x[S_THETA], p.x[S_PHI]});
    body.velocity = rotate(body.attitude, V3{v * std::cos(a) * std::cos(b),
                                             -v * std::sin(a) * std::cos(b), v * std::sin(b)}) +
                    host.env.wind_world;
    body.omega = {p.x[S_P], -p.x[S_R], p.x[S_Q]};
    body.position.y = p.x[S_H];
    host.last_acceleration_body = {};
    host.last_angular_acceleration = {};
    const Model_Api& fm = *host.api;
    fm.ed_fm_set_command(QFM_CMD_PITCH_AXIS, static_cast<float>(p.in[I_PITCH]));
    fm.ed_fm_set_command(QFM_CMD_ROLL_AXIS, static_cast<float>(p.in[I_ROLL]));
    fm.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, static_cast<float>(p.in[I_RUDDER]));
    fm.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, throttle_axis(p.in[I_THROTTLE]));
}

// State rates of the settled held state: the rigid-body equations in body
// axes and the Euler kinematics.
Rates rates(const Host& host) {
    const Held_Loads l = held_loads(host);
    const Body_State& b = host.body;
    const double m = host.mass_properties.mass;
    const V3 in = host.mass_properties.inertia;
    const V3 v = unrotate(b.attitude, b.velocity - host.env.wind_world);
    const V3 g = unrotate(b.attitude, V3{0.0, -host.env.gravity, 0.0});
    const V3 w = b.omega;
    const V3 a = (1.0 / m) * l.force + g - cross(w, v);
    const V3 h = l.moment - cross(w, V3{in.x * w.x, in.y * w.y, in.z * w.z});
    const V3 wdot{h.x / in.x, h.y / in.y, h.z / in.z};
    const double speed = norm(v);
    const double vdot = dot(v, a) / speed;
    const Euler e = to_euler(b.attitude);
    const double p = w.x, q = w.z, r = -w.y;
    Rates out;
    double* x = out.xdot;
    x[S_U] = vdot;
    x[S_ALPHA] = (v.y * a.x - v.x * a.y) / (v.x * v.x + v.y * v.y);
    x[S_BETA] = (a.z * speed - v.z * vdot) / (speed * std::sqrt(v.x * v.x + v.y * v.y));
    x[S_P] = wdot.x;
    x[S_Q] = wdot.z;
    x[S_R] = -wdot.y;
    x[S_PHI] = p + std::tan(e.pitch) * (q * std::sin(e.roll) + r * std::cos(e.roll));
    x[S_THETA] = q * std::cos(e.roll) - r * std::sin(e.roll);
    x[S_H] = rotate(b.attitude, v).y;
    out.loads[X_FORCE] = l.force.x;
    out.loads[Y_FORCE] = l.force.z;
    out.loads[Z_FORCE] = -l.force.y;
    out.loads[L_MOMENT] = l.moment.x;
    out.loads[M_MOMENT] = l.moment.z;
    out.loads[N_MOMENT] = -l.moment.y;
    const double alpha = std::atan2(-v.y, v.x);
    out.lift = l.force.x * std::sin(alpha) + l.force.y * std::cos(alpha);
    return out;
}

struct Context {
    Host& host;
    double weight;
    bool hold_rudder = false;
    double rudder_trim_gain = 0.0;  // rudder travel per unit of rudder trim
    double rudder0 = 0.0;           // rudder travel at the trim
};

// Holds the point and settles; with the rudder held, the rudder trim undoes
// what the augmentation moved it by (a linear gearing, so one correction
// lands, a second mops up the rate limiter's rounding).
Rates evaluate(Context& c, const Point& p, bool hold_rudder) {
    hold_point(c.host, p);
    double trim = 0.0;
    c.host.api->ed_fm_set_command(QFM_CMD_RUDDER_TRIM, 0.0f);
    settle_held(c.host, c.weight);
    if (hold_rudder && c.hold_rudder) {
        for (int i = 0; i < 3; ++i) {
            const double error = rudder_travel(c.host) - c.rudder0;
            if (std::fabs(error) < 1e-9) break;
            trim -= error / c.rudder_trim_gain;
            c.host.api->ed_fm_set_command(QFM_CMD_RUDDER_TRIM, static_cast<float>(trim));
            settle_held(c.host, c.weight);
        }
    }
    return rates(c.host);
}

// One column: central difference; where the two sides differ (a dead band
// or a stop on one side) the side that moves the loads most.
struct Difference {
    double dx[kLinStates] = {};
    double dl[kLoads] = {};
    double dlift = 0.0;
};

Difference difference(Context& c, const Rates& r0, const Point& plus, const Point& minus,
                      double step, bool hold_rudder) {
    const Rates a = evaluate(c, plus, hold_rudder);
    const Rates b = evaluate(c, minus, hold_rudder);
    double fwd = 0.0, back = 0.0;
    for (int i = 0; i < kLoads; ++i) {
        fwd = std::fmax(fwd, std::fabs(a.loads[i] - r0.loads[i]));
        back = std::fmax(back, std::fabs(r0.loads[i] - b.loads[i]));
    }
    const bool lopsided = std::fabs(fwd - back) > 0.2 * std::fmax(fwd, back);
    const Rates& hi = lopsided && back > fwd ? r0 : a;
    const Rates& lo = lopsided ? (back > fwd ? b : r0) : b;
    const double h = lopsided ? step : 2.0 * step;
    Difference out;
    for (int i = 0; i < kLinStates; ++i) out.dx[i] = (hi.xdot[i] - lo.xdot[i]) / h;
    for (int i = 0; i < kLoads; ++i) out.dl[i] = (hi.loads[i] - lo.loads[i]) / h;
    out.dlift = (hi.lift - lo.lift) / h;
    return out;
}

}  // namespace

Linear_Model linearise(Host& host, const Trim_Result& trim, const Linear_Request& q) {
    Linear_Model m;
    m.bare = q.bare;
    m.geometry = q.geometry;
    m.mass = host.mass_properties.mass;
    m.weight = m.mass * host.env.gravity;
    m.inertia = {host.mass_properties.inertia.x, host.mass_properties.inertia.z,
                 host.mass_properties.inertia.y};
    Context c{host, m.weight};
    const Point p0 = point_of(host, trim);
    const Air_State air = air_state(host);
    m.tas = air.tas;
    m.alpha = air.alpha;
    m.dynamic_pressure = 0.5 * air.air.density * air.tas * air.tas;
    if (!(m.tas > 1.0)) {
        m.why = "no airspeed to linearise about";
        return m;
    }

    Rates r0 = evaluate(c, p0, false);
    if (q.bare) {
        // How far the rudder trim moves the rudder, if the model has one.
        c.rudder0 = rudder_travel(host);
        c.rudder_trim_gain = rudder_trim_gain(host, m.weight);
        c.hold_rudder = c.rudder_trim_gain != 0.0;
        m.rudder_held = c.hold_rudder;
        r0 = evaluate(c, p0, true);
    }

    // State columns; the loads' columns come from the six that reach the
    // aerodynamics.
    const Load_Var load_of[kLinStates] = {V_U,    V_ALPHA, V_Q, kLoadVars, kLoadVars,
                                          V_BETA, V_P,     V_R, kLoadVars};
    for (int j = 0; j < kLinStates; ++j) {
        Point plus = p0, minus = p0;
        plus.x[j] += kStateStep[j];
        minus.x[j] -= kStateStep[j];
        const Difference d = difference(c, r0, plus, minus, kStateStep[j], true);
        for (int i = 0; i < kLinStates; ++i) m.A[i][j] = d.dx[i];
        if (load_of[j] != kLoadVars) {
            for (int i = 0; i < kLoads; ++i) m.dloads[i][load_of[j]] = d.dl[i];
        }
        if (j == S_ALPHA) m.dlift_dalpha = d.dlift;
    }
    // Input columns: in the bare airframe the pedal moves the rudder itself;
    // only what the augmentation adds is held.
    const Load_Var load_of_input[kLinInputs] = {V_PITCH, V_ROLL, V_RUDDER, V_THROTTLE};
    for (int j = 0; j < kLinInputs; ++j) {
        Point plus = p0, minus = p0;
        plus.in[j] += kInputStep;
        minus.in[j] -= kInputStep;
        const Difference d = difference(c, r0, plus, minus, kInputStep, j != I_RUDDER);
        for (int i = 0; i < kLinStates; ++i) m.B[i][j] = d.dx[i];
        for (int i = 0; i < kLoads; ++i) m.dloads[i][load_of_input[j]] = d.dl[i];
    }
    // Leave the model settled at the trim, augmentation free again.
    evaluate(c, p0, false);
    m.ok = true;
    return m;
}

Coefficient_Derivatives coefficients(const Linear_Model& m) {
    Coefficient_Derivatives c;
    const Reference_Geometry& g = m.geometry;
    const double qs = m.dynamic_pressure * g.area;
    const double v = m.tas;
    const double ca = std::cos(m.alpha), sa = std::sin(m.alpha);
    for (int j = 0; j < kLoadVars; ++j) {
        // Per unit of the non-dimensional variable.
        double per = 1.0;
        if (j == V_U) per = v;
        if (j == V_P || j == V_R) per = 2.0 * v / g.span;
        if (j == V_Q) per = 2.0 * v / g.chord;
        const double X = m.dloads[X_FORCE][j] * per, Z = m.dloads[Z_FORCE][j] * per;
        // Lift and drag in stability axes (the body axes turned by alpha).
        c.d[C_L][j] = (-Z * ca + X * sa) / qs;
        c.d[C_D][j] = (-X * ca - Z * sa) / qs;
        c.d[C_Y][j] = m.dloads[Y_FORCE][j] * per / qs;
        c.d[C_ROLL][j] = m.dloads[L_MOMENT][j] * per / (qs * g.span);
        c.d[C_PITCH][j] = m.dloads[M_MOMENT][j] * per / (qs * g.chord);
        c.d[C_YAW][j] = m.dloads[N_MOMENT][j] * per / (qs * g.span);
    }
    // The lift derivative at constant speed takes the drag's turn with alpha.
    c.d[C_L][V_ALPHA] = m.dlift_dalpha / qs;
    const double cnb = c.d[C_YAW][V_BETA], clb = c.d[C_ROLL][V_BETA];
    c.cn_beta_dynamic = cnb * ca - m.inertia.z / m.inertia.x * clb * sa;
    const double cl_roll = c.d[C_ROLL][V_ROLL];
    c.lcdp = cl_roll != 0.0 ? cnb - clb * c.d[C_YAW][V_ROLL] / cl_roll : 0.0;
    return c;
}

std::vector<Sign_Flag> wrong_signs(const Coefficient_Derivatives& c) {
    struct Rule {
        const char* name;
        int coefficient, var;
        int sign;  // expected
    };
    const Rule rules[] = {
        {"Cm_alpha", C_PITCH, V_ALPHA, -1},
        {"Cn_beta", C_YAW, V_BETA, 1},
        {"Cl_beta", C_ROLL, V_BETA, -1},
        {"Cl_p", C_ROLL, V_P, -1},
        {"Cm_q", C_PITCH, V_Q, -1},
        {"Cn_r", C_YAW, V_R, -1},
        {"Cm_pitch_axis", C_PITCH, V_PITCH, 1},
        {"Cl_roll_axis", C_ROLL, V_ROLL, 1},
        {"Cn_rudder_axis", C_YAW, V_RUDDER, 1},
        {"CD_throttle", C_D, V_THROTTLE, -1},
    };
    std::vector<Sign_Flag> out;
    for (const Rule& r : rules) {
        const double v = c.d[r.coefficient][r.var];
        if (v * r.sign <= 0.0) out.push_back({r.name, v, r.sign > 0 ? "> 0" : "< 0"});
    }
    return out;
}

std::vector<std::complex<double>> eigenvalues(const Linear_Model& m) {
    Eigen::MatrixXd A(kLinStates, kLinStates);
    for (int i = 0; i < kLinStates; ++i)
        for (int j = 0; j < kLinStates; ++j) A(i, j) = m.A[i][j];
    const Eigen::EigenSolver<Eigen::MatrixXd> es(A, false);
    std::vector<std::complex<double>> out;
    for (int i = 0; i < kLinStates; ++i) out.push_back(es.eigenvalues()[i]);
    return out;
}

namespace {

using Complex = std::complex<double>;

// The roots of a block of A, as units: a conjugate pair (its upper root) or
// one real root. Given `first_over_last`, also |v first| / |v last| of each
// unit's eigenvector (the block's first and last states; infinite when the
// last is absent).
std::vector<Complex> block_units(const Linear_Model& m, const std::vector<int>& states,
                                 std::vector<double>* first_over_last = nullptr) {
    const int n = static_cast<int>(states.size());
    Eigen::MatrixXd A(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) A(i, j) = m.A[states[i]][states[j]];
    const Eigen::EigenSolver<Eigen::MatrixXd> es(A, first_over_last != nullptr);
    std::vector<Complex> out;
    for (int i = 0; i < n; ++i) {
        const Complex r = es.eigenvalues()[i];
        if (r.imag() < 0.0) continue;
        out.push_back(r);
        if (!first_over_last) continue;
        const double last = std::abs(es.eigenvectors()(n - 1, i));
        first_over_last->push_back(last > 0.0 ? std::abs(es.eigenvectors()(0, i)) / last
                                              : INFINITY);
    }
    return out;
}

Mode make_mode(const std::string& name, Complex root) {
    Mode d;
    d.name = name;
    d.root = root;
    d.oscillatory = root.imag() != 0.0;
    d.omega_n = std::abs(root);
    d.zeta = d.omega_n > 0.0 ? -root.real() / d.omega_n : 0.0;
    if (d.oscillatory) d.period = 2.0 * kPi / std::fabs(root.imag());
    if (root.real() < 0.0) d.time_to_half = kLog2 / -root.real();
    if (root.real() > 0.0) d.time_to_double = kLog2 / root.real();
    if (!d.oscillatory && root.real() != 0.0) d.time_constant = -1.0 / root.real();
    return d;
}

// A named unit: a pair is one mode, two real roots of one name are _1, _2.
void add_named(std::vector<Mode>& out, const std::string& name, std::vector<Complex> units) {
    if (units.size() == 1) {
        out.push_back(make_mode(name, units[0]));
        return;
    }
    std::sort(units.begin(), units.end(),
              [](Complex a, Complex b) { return std::abs(a) > std::abs(b); });
    for (size_t i = 0; i < units.size(); ++i)
        out.push_back(make_mode(name + "_" + std::to_string(i + 1), units[i]));
}

}  // namespace

Modes find_modes(const Linear_Model& m) {
    Modes out;
    // The full model's eigenvalues and vectors.
    Eigen::MatrixXd A(kLinStates, kLinStates);
    for (int i = 0; i < kLinStates; ++i)
        for (int j = 0; j < kLinStates; ++j) A(i, j) = m.A[i][j];
    const Eigen::EigenSolver<Eigen::MatrixXd> es(A, true);
    std::vector<bool> used(kLinStates, false);
    for (int i = 0; i < kLinStates; ++i) out.all.push_back(es.eigenvalues()[i]);
    // Names come from the uncoupled blocks; the roots reported are the
    // coupled model's nearest ones.
    auto nearest = [&](Complex r) {
        int best = -1;
        for (int i = 0; i < kLinStates; ++i) {
            if (used[i] || out.all[i].imag() < 0.0) continue;
            if (best < 0 || std::abs(out.all[i] - r) < std::abs(out.all[best] - r)) best = i;
        }
        if (best < 0) return r;
        used[best] = true;
        return out.all[best];
    };
    auto by_size = [](Complex a, Complex b) { return std::abs(a) > std::abs(b); };

    std::vector<Complex> lon = block_units(m, {S_U, S_ALPHA, S_Q, S_THETA});
    std::sort(lon.begin(), lon.end(), by_size);
    std::vector<Complex> sp, ph;
    // The fastest unit is the short period; when it is a real root, so is
    // the next real one (an overdamped short period); the rest is phugoid.
    for (Complex u : lon) {
        const bool takes = sp.empty() || (sp.size() == 1 && sp[0].imag() == 0.0 && u.imag() == 0.0);
        (takes ? sp : ph).push_back(u);
    }
    for (Complex& u : sp) u = nearest(u);
    for (Complex& u : ph) u = nearest(u);
    out.short_period_real = !sp.empty() && sp[0].imag() == 0.0;
    add_named(out.modes, "short_period", sp);
    add_named(out.modes, "phugoid", ph);

    // Lateral: with two oscillatory pairs the roll and spiral have coupled
    // into one oscillation; it is the pair whose eigenvector carries less
    // sideslip per bank, the Dutch roll the other. (With one pair and two
    // real roots the pair is taken for the Dutch roll: at high angle of
    // attack the Dutch roll itself carries more bank than sideslip, so the
    // eigenvector alone does not tell it from a roll-spiral there.)
    std::vector<double> beta_over_phi;
    const std::vector<Complex> lat_units =
        block_units(m, {S_BETA, S_P, S_R, S_PHI}, &beta_over_phi);
    std::vector<int> pairs;
    for (int i = 0; i < static_cast<int>(lat_units.size()); ++i)
        if (lat_units[i].imag() > 0.0) pairs.push_back(i);
    int rs = -1;  // the roll-spiral pair, if any
    if (pairs.size() == 2)
        rs = beta_over_phi[pairs[0]] < beta_over_phi[pairs[1]] ? pairs[0] : pairs[1];
    std::vector<Complex> lat;
    for (int i = 0; i < static_cast<int>(lat_units.size()); ++i)
        if (i != rs) lat.push_back(lat_units[i]);
    std::sort(lat.begin(), lat.end(), by_size);
    std::vector<Complex> dr, real;
    for (Complex u : lat) (u.imag() > 0.0 && dr.empty() ? dr : real).push_back(u);
    for (Complex& u : dr) u = nearest(u);
    for (Complex& u : real) u = nearest(u);
    if (dr.empty() && real.size() == 4) {
        // No oscillation: the fastest is the roll, the slowest the spiral.
        dr = {real[1], real[2]};
        real = {real[0], real[3]};
    }
    if (!dr.empty()) add_named(out.modes, "dutch_roll", dr);
    if (rs >= 0) out.modes.push_back(make_mode("roll_spiral", nearest(lat_units[rs])));
    if (!real.empty()) out.modes.push_back(make_mode("roll", real.front()));
    if (real.size() > 1) out.modes.push_back(make_mode("spiral", real.back()));

    // |phi/beta| of the Dutch roll, from the full model's eigenvector.
    for (Mode& d : out.modes) {
        if (d.name != "dutch_roll") continue;
        for (int i = 0; i < kLinStates; ++i) {
            if (std::abs(out.all[i] - d.root) > 1e-12) continue;
            const Eigen::VectorXcd v = es.eigenvectors().col(i);
            if (std::abs(v[S_BETA]) > 0.0)
                d.phi_over_beta = std::abs(v[S_PHI]) / std::abs(v[S_BETA]);
        }
    }
    out.n_alpha = m.weight > 0.0 ? m.dlift_dalpha / m.weight : 0.0;
    const Mode* s = find_mode(out, "short_period");
    if (s && out.n_alpha > 0.0) {
        // An overdamped short period: its two roots' product is omega^2.
        double w2 = s->omega_n * s->omega_n;
        const Mode* s2 = find_mode(out, "short_period_2");
        if (out.short_period_real && s2) w2 = s->root.real() * s2->root.real();
        out.cap = w2 / out.n_alpha;
    }
    return out;
}

const Mode* find_mode(const Modes& m, const std::string& name) {
    for (const Mode& d : m.modes) {
        // The name itself, or its first numbered root ("roll" is not
        // "roll_spiral").
        if (d.name == name || d.name == name + "_1") return &d;
    }
    return nullptr;
}

}  // namespace rig
