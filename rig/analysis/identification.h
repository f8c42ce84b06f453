// Identification from a flown time series: pure functions of sampled
// signals (times in s, any unit for the signal), no model involved.
//
// The fits are variable projections: the few nonlinear parameters (decay
// rate and frequency, or an exponent) are found by Levenberg-Marquardt, and
// for each trial the linear ones (amplitudes, offset, drift) by linear least
// squares, so a fit needs no starting amplitude or phase.
#pragma once

#include <vector>

namespace rig {

// The free response of a second-order mode on a trend:
// x(t) = A e^{sigma tau} sin(omega tau + phase) + offset + drift g(tau),
// tau = t - t0 from the first sample, or, past critical damping, the same
// with the two real roots sigma +- mu. The trend g soaks up a slower mode:
// a straight line g = tau (the phugoid under a short period), or an
// exponential g = (e^{lambda tau} - 1)/lambda with lambda fitted too (a
// spiral under a Dutch roll), or two such exponentials (the spiral and the
// roll subsidence under a Dutch roll); drift is the first one's weight. The fit works on the
// characteristic polynomial s^2 + 2 zeta omega_n s + omega_n^2, so it passes smoothly through
// critical damping.
enum class Trend { Line, Exponential, Two_Exponentials };

struct Damped_Fit {
    bool ok = false;
    const char* why = "";                 // when not ok
    double sigma = 0.0;                   // 1/s, mean of the two roots, negative when it decays
    double omega = 0.0;                   // rad/s, damped frequency (0 past critical damping)
    double amplitude = 0.0, phase = 0.0;  // oscillating only
    double offset = 0.0, drift = 0.0;     // drift: the trend's slope at t0
    double trend_rate = 0.0;              // 1/s, the slower lambda of an exponential trend
    double omega_n = 0.0;                 // rad/s, square root of the roots' product
    double zeta = 0.0;                    // -sigma / omega_n; above 1: two real roots
    double rms = 0.0;                     // residual, signal units
    double fit_quality = 0.0;             // 1 - rms / rms of the signal about its mean
};

Damped_Fit fit_damped_sinusoid(const std::vector<double>& t, const std::vector<double>& x,
                               Trend trend = Trend::Line);

// x(t) = a e^{lambda (t - t0)} + c: a convergence or divergence toward or
// from c. lambda > 0 diverges; the time constant is -1/lambda.
struct Exponential_Fit {
    bool ok = false;
    const char* why = "";
    double lambda = 0.0;  // 1/s
    double scale = 0.0, offset = 0.0;
    double rms = 0.0;
};

Exponential_Fit fit_exponential(const std::vector<double>& t, const std::vector<double>& x);

// Overshoot of a step response as a fraction of the step: how far x goes
// beyond its final value, over (final - initial). 0 when it never does.
double overshoot(const std::vector<double>& x, double initial, double final_value);

// First time (interpolated) at which |x - x[0]| reaches the threshold, as
// time after t[0]; NaN when it never does. Roll performance: bank through
// 30 or 90 degrees from a roll step.
double time_to_change(const std::vector<double>& t, const std::vector<double>& x, double threshold);

// Gain (output per unit input) and phase (deg, output after input negative)
// of the response at one frequency, from single-bin Fourier transforms of the
// whole record (evenly sampled) with the means removed, under a Hann window.
// For a frequency sweep, away from its first and last frequencies.
struct Frequency_Point {
    double frequency = 0.0;  // Hz
    double gain = 0.0;
    double phase = 0.0;  // deg, -180..180
};

Frequency_Point frequency_response(const std::vector<double>& t, const std::vector<double>& u,
                                   const std::vector<double>& y, double frequency);

}  // namespace rig
