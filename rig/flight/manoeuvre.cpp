#include "flight/manoeuvre.h"

#include <cmath>
#include <limits>

namespace rig {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Fit windows, from the end of the input (from the start of a step).
constexpr double kShortPeriodWindow = 6.0;  // s
constexpr double kDutchRollWindow = 8.0;    // s
constexpr double kRollModeWindow = 3.0;     // s
// The spiral is read from the bank angle once the Dutch roll and the roll
// subsidence have died out, and only while the bank is small.
constexpr double kSpiralSettle = 3.0;    // s after the input
constexpr double kMinSpiralRun = 3.0;    // s of settled record
constexpr double kSpiralMaxBank = 10.0;  // deg from the bank at the input's end
// A pitch step's settled response: the mean over kSettledLength from
// kSettledFrom after the step (the slower short-period root is about
// 0.8/s at 250 kcas).
constexpr double kSettledFrom = 5.0;    // s
constexpr double kSettledLength = 1.0;  // s
constexpr int kSweepPoints = 12;
constexpr double kSweepMargin = 0.1;  // of the band's logarithm, at either end

struct Named_Shape {
    const char* name;
    Input_Shape shape;
};
constexpr Named_Shape kShapes[] = {{"step", Input_Shape::Step},
                                   {"pulse", Input_Shape::Pulse},
                                   {"doublet", Input_Shape::Doublet},
                                   {"3211", Input_Shape::Input_3211},
                                   {"sweep", Input_Shape::Sweep}};
struct Named_Axis {
    const char* name;
    Input_Axis axis;
};
constexpr Named_Axis kAxes[] = {{"pitch", Input_Axis::Pitch},
                                {"roll", Input_Axis::Roll},
                                {"rudder", Input_Axis::Rudder},
                                {"throttle", Input_Axis::Throttle}};

// One column of the response from from to to (flight time, inclusive).
std::vector<double> column(const std::vector<Response_Point>& r, double Response_Point::*field,
                           double from, double to) {
    std::vector<double> out;
    for (const Response_Point& p : r) {
        if (p.t >= from - 1e-9 && p.t <= to + 1e-9) out.push_back(p.*field);
    }
    return out;
}

void fit_oscillation(Manoeuvre_Metrics& m, const std::vector<Response_Point>& r,
                     double Response_Point::*field, double from, double to, Trend trend) {
    m.fit_from = from;
    m.fit_to = to;
    m.oscillation = fit_damped_sinusoid(column(r, &Response_Point::t, from, to),
                                        column(r, field, from, to), trend);
}

double mean(const std::vector<double>& v) {
    double sum = 0.0;
    for (const double x : v) sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

}  // namespace

const char* input_shape_name(Input_Shape shape) {
    for (const Named_Shape& s : kShapes) {
        if (s.shape == shape) return s.name;
    }
    return "?";
}

const char* input_axis_name(Input_Axis axis) {
    for (const Named_Axis& a : kAxes) {
        if (a.axis == axis) return a.name;
    }
    return "?";
}

bool parse_input_shape(const std::string& word, Input_Shape& out) {
    for (const Named_Shape& s : kShapes) {
        if (word == s.name) {
            out = s.shape;
            return true;
        }
    }
    return false;
}

bool parse_input_axis(const std::string& word, Input_Axis& out) {
    for (const Named_Axis& a : kAxes) {
        if (word == a.name) {
            out = a.axis;
            return true;
        }
    }
    return false;
}

double test_input_length(const Test_Input& in) {
    switch (in.shape) {
        case Input_Shape::Step:
            return kInfinity;
        case Input_Shape::Pulse:
            return in.width;
        case Input_Shape::Doublet:
            return 2.0 * in.width;
        case Input_Shape::Input_3211:
            return 7.0 * in.width;
        case Input_Shape::Sweep:
            return in.over;
    }
    return 0.0;
}

double test_input_value(const Test_Input& in, double tau) {
    if (tau < 0.0 || tau >= test_input_length(in)) return 0.0;
    const double a = in.amplitude;
    switch (in.shape) {
        case Input_Shape::Step:
        case Input_Shape::Pulse:
            return a;
        case Input_Shape::Doublet:
            return tau < in.width ? a : -a;
        case Input_Shape::Input_3211: {
            const double units = tau / in.width;  // + for 3, - for 2, + for 1, - for 1
            return units < 3.0 ? a : (units < 5.0 ? -a : (units < 6.0 ? a : -a));
        }
        case Input_Shape::Sweep: {
            // Exponential sweep: the frequency grows by the same factor in
            // equal times, so every octave gets the same time.
            const double k = std::log(in.to_hz / in.from_hz);
            const double phase =
                2.0 * kPi * in.from_hz * in.over / k * (std::exp(k * tau / in.over) - 1.0);
            return a * std::sin(phase);
        }
    }
    return 0.0;
}

Response_Point response_point(const Sample& s, double input) {
    Response_Point p;
    p.t = s.t;
    p.input = input;
    p.alpha = s.alpha;
    p.beta = s.beta;
    p.roll = s.roll;
    p.p = s.p;
    p.q = s.q;
    p.r = s.r;
    p.nz = s.nz;
    return p;
}

Manoeuvre_Metrics analyse_manoeuvre(const Test_Input& in, const std::vector<Response_Point>& r) {
    Manoeuvre_Metrics m;
    if (r.size() < 2) return m;
    const Response_Point& before = r.front();
    const double start = before.t;
    const double end = r.back().t;
    const bool step = in.shape == Input_Shape::Step;
    const double free_from = step ? start : start + test_input_length(in);
    const bool lateral = in.axis == Input_Axis::Roll || in.axis == Input_Axis::Rudder;

    if (in.shape == Input_Shape::Sweep) {
        const std::vector<double> t = column(r, &Response_Point::t, start, free_from);
        const std::vector<double> u = column(r, &Response_Point::input, start, free_from);
        double Response_Point::*rate = in.axis == Input_Axis::Roll     ? &Response_Point::p
                                       : in.axis == Input_Axis::Rudder ? &Response_Point::r
                                                                       : &Response_Point::q;
        const std::vector<double> y = column(r, rate, start, free_from);
        // The window leaves little of the sweep's ends: the points span the
        // inner part of the band, by equal factors.
        for (int i = 0; i < kSweepPoints; ++i) {
            const double share = kSweepMargin + (1.0 - 2.0 * kSweepMargin) * i / (kSweepPoints - 1);
            const double f = in.from_hz * std::pow(in.to_hz / in.from_hz, share);
            m.frequency_response.push_back(frequency_response(t, u, y, f));
        }
        return m;
    }
    if (free_from >= end && !step) return m;

    // Modes are fitted to free responses; a step's response is forced.
    if (in.axis == Input_Axis::Pitch && !step) {
        m.mode = "short period";
        m.variable = "alpha";
        fit_oscillation(m, r, &Response_Point::alpha, free_from,
                        std::fmin(end, free_from + kShortPeriodWindow), Trend::Line);
    } else if (lateral && !step) {
        m.mode = "Dutch roll";
        m.variable = "beta";
        fit_oscillation(m, r, &Response_Point::beta, free_from,
                        std::fmin(end, free_from + kDutchRollWindow), Trend::Two_Exponentials);
    }

    if (step && in.axis == Input_Axis::Pitch && end - start >= kSettledFrom + kSettledLength) {
        // Settled: the mean over a second once the short period has died
        // out, before the phugoid has moved far.
        const double from = start + kSettledFrom, to = from + kSettledLength;
        const double alpha_settled = mean(column(r, &Response_Point::alpha, from, to));
        m.overshoot =
            overshoot(column(r, &Response_Point::alpha, start, to), before.alpha, alpha_settled);
        const double dn = mean(column(r, &Response_Point::nz, from, to)) - before.nz;
        if (dn != 0.0) m.stick_per_g = in.amplitude / dn;
    }
    if (step && in.axis == Input_Axis::Roll) {
        const std::vector<double> t = column(r, &Response_Point::t, start, end);
        const std::vector<double> roll = column(r, &Response_Point::roll, start, end);
        m.time_to_bank_30 = time_to_change(t, roll, 30.0);
        m.time_to_bank_90 = time_to_change(t, roll, 90.0);
        const double to = std::fmin(end, start + kRollModeWindow);
        const Exponential_Fit e = fit_exponential(column(r, &Response_Point::t, start, to),
                                                  column(r, &Response_Point::p, start, to));
        if (e.ok && e.lambda < 0.0) m.roll_time_constant = -1.0 / e.lambda;
    }
    if (lateral && !step) {
        const double from = free_from + kSpiralSettle;
        double to = from;
        double bank0 = NAN;
        for (const Response_Point& p : r) {
            if (p.t < free_from) continue;
            if (std::isnan(bank0)) bank0 = p.roll;
            if (std::fabs(p.roll - bank0) > kSpiralMaxBank) break;
            to = p.t;
        }
        if (to - from >= kMinSpiralRun) {
            const Exponential_Fit e = fit_exponential(column(r, &Response_Point::t, from, to),
                                                      column(r, &Response_Point::roll, from, to));
            if (e.ok) m.spiral_growth = e.lambda;
        }
    }
    return m;
}

void summarise_manoeuvre(Summary& summary, const Manoeuvre_Metrics& m) {
    const auto put = [&summary](Summary_Index i, double v) {
        if (!std::isfinite(v)) return;
        summary.value[i] = v;
        summary.set[i] = true;
    };
    if (m.oscillation.ok) {
        put(SUM_mode_omega_n, m.oscillation.omega_n);
        put(SUM_mode_zeta, m.oscillation.zeta);
    }
    put(SUM_overshoot, m.overshoot);
    put(SUM_stick_per_g, m.stick_per_g);
    put(SUM_time_to_bank_30, m.time_to_bank_30);
    put(SUM_time_to_bank_90, m.time_to_bank_90);
    put(SUM_roll_time_constant, m.roll_time_constant);
    put(SUM_spiral_growth, m.spiral_growth);
}

void print_manoeuvre(std::FILE* out, const Manoeuvre_Result& mr) {
    const Test_Input& in = mr.input;
    const Manoeuvre_Metrics& m = mr.metrics;
    std::fprintf(out, "  %s on %s, amplitude %g, from t=%.2f s\n", input_shape_name(in.shape),
                 input_axis_name(in.axis), in.amplitude, mr.start);
    if (*m.mode) {
        const Damped_Fit& f = m.oscillation;
        if (f.ok) {
            std::fprintf(out,
                         "    %-14s omega_n %.3f rad/s  zeta %.3f  (%s fitted %.1f..%.1f s, "
                         "quality %.3f)\n",
                         m.mode, f.omega_n, f.zeta, m.variable, m.fit_from, m.fit_to,
                         f.fit_quality);
        } else {
            std::fprintf(out, "    %-14s not fitted: %s\n", m.mode, f.why);
        }
    }
    const auto line = [out](const char* name, double v, const char* unit) {
        if (std::isfinite(v)) std::fprintf(out, "    %-22s %10.4g %s\n", name, v, unit);
    };
    line("overshoot", m.overshoot, "");
    line("stick per g", m.stick_per_g, "axis/g");
    line("time to bank 30 deg", m.time_to_bank_30, "s");
    line("time to bank 90 deg", m.time_to_bank_90, "s");
    line("roll time constant", m.roll_time_constant, "s");
    line("spiral growth rate", m.spiral_growth, "1/s");
    for (const Frequency_Point& p : m.frequency_response) {
        std::fprintf(out, "    %6.3f Hz  gain %10.4g deg/s per axis  phase %7.1f deg\n",
                     p.frequency, p.gain, p.phase);
    }
}

}  // namespace rig
