#include "analysis/identification.h"

#include <Eigen/Dense>
#include <cmath>
#include <functional>
#include <limits>

namespace rig {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxIterations = 100;
constexpr double kInitialDamping = 1e-3;  // Levenberg-Marquardt lambda, relative to diag(J'J)
constexpr double kRelativeTolerance = 1e-12;

using Vector = Eigen::VectorXd;
using Matrix = Eigen::MatrixXd;

// Exponents beyond this are refused as trial points (floating-point traps
// are on: an overflow would stop the rig).
constexpr double kMaxExponent = 200.0;

// The residual of a refused trial point: finite and worse than any fit.
Vector refused(const Vector& x) {
    return Vector::Constant(x.size(), 1e3 * (1.0 + x.cwiseAbs().maxCoeff()));
}

// Residuals of the linear least-squares fit of x on the basis columns, and
// the coefficients.
Vector project(const Matrix& basis, const Vector& x, Vector* coefficients) {
    const Vector c = basis.colPivHouseholderQr().solve(x);
    if (coefficients) *coefficients = c;
    return x - basis * c;
}

// Levenberg-Marquardt on the nonlinear parameters p of a residual function,
// with a forward-difference Jacobian. Returns the final sum of squares.
double levenberg_marquardt(const std::function<Vector(const Vector&)>& residual, Vector& p) {
    Vector r = residual(p);
    double cost = r.squaredNorm();
    double damping = kInitialDamping;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        Matrix jacobian(r.size(), p.size());
        for (int k = 0; k < p.size(); ++k) {
            Vector q = p;
            const double h = 1e-7 * std::fmax(std::fabs(p[k]), 1e-3);
            q[k] += h;
            jacobian.col(k) = (residual(q) - r) / h;
        }
        const Matrix jtj = jacobian.transpose() * jacobian;
        const Vector gradient = jacobian.transpose() * r;
        bool improved = false;
        while (damping < 1e12) {
            Matrix a = jtj;
            a.diagonal() += damping * jtj.diagonal().cwiseMax(1e-12);
            const Vector step = a.ldlt().solve(-gradient);
            const Vector trial = p + step;
            const Vector trial_r = residual(trial);
            const double trial_cost = trial_r.squaredNorm();
            if (std::isfinite(trial_cost) && trial_cost < cost) {
                const double gain = cost - trial_cost;
                p = trial;
                r = trial_r;
                cost = trial_cost;
                damping = std::fmax(damping / 10.0, 1e-15);
                improved = gain > kRelativeTolerance * cost &&
                           step.norm() > kRelativeTolerance * (1.0 + p.norm());
                break;
            }
            damping *= 10.0;
        }
        if (!improved) break;
    }
    return cost;
}

// Levenberg-Marquardt from each start; the best end point and its cost.
Vector best_of(const std::function<Vector(const Vector&)>& residual,
               const std::vector<Vector>& starts, double& best_cost) {
    Vector best = starts.front();
    best_cost = std::numeric_limits<double>::infinity();
    for (Vector p : starts) {
        const double cost = levenberg_marquardt(residual, p);
        if (cost < best_cost) {
            best_cost = cost;
            best = p;
        }
    }
    return best;
}

// Why a series cannot be fitted, or null.
const char* unusable(const std::vector<double>& t, const std::vector<double>& x,
                     std::size_t min_samples) {
    if (t.size() != x.size() || t.size() < min_samples) return "too few samples";
    if (!(t.back() > t.front())) return "no time span";
    return nullptr;
}

Vector to_vector(const std::vector<double>& v) {
    return Eigen::Map<const Vector>(v.data(), static_cast<Eigen::Index>(v.size()));
}

// Basis of the free response of a second-order mode with roots
// sigma +- sqrt(disc) on a trend, for times from t0. The two mode columns
// change smoothly through critical damping (disc = 0):
// e^{sigma t} cos(w t), e^{sigma t} sin(w t)/w when disc = -w^2 < 0;
// cosh and sinh when disc > 0; 1 and t at disc = 0. The trend is an offset
// and, for each lambda, (e^{lambda t} - 1)/lambda (a straight line t at
// lambda = 0).
Matrix mode_basis(const Vector& tau, double sigma, double disc, const Vector& lambdas) {
    const double w = std::sqrt(std::fabs(disc));
    Matrix b(tau.size(), 3 + lambdas.size());
    for (Eigen::Index i = 0; i < tau.size(); ++i) {
        const double e = std::exp(sigma * tau[i]);
        const double wt = w * tau[i];
        double c = 1.0, s = tau[i];
        if (disc < 0.0 && wt > 1e-8) {
            c = std::cos(wt);
            s = std::sin(wt) / w;
        } else if (disc > 0.0 && wt > 1e-8) {
            c = std::cosh(wt);
            s = std::sinh(wt) / w;
        }
        b(i, 0) = e * c;
        b(i, 1) = e * s;
        b(i, 2) = 1.0;
        for (Eigen::Index k = 0; k < lambdas.size(); ++k) {
            const double lt = lambdas[k] * tau[i];
            b(i, 3 + k) = std::fabs(lt) > 1e-12 ? std::expm1(lt) / lambdas[k] : tau[i];
        }
    }
    return b;
}

// Starting frequency and decay from the detrended signal when it
// oscillates: the period from the mean spacing of zero crossings, the decay
// from the logarithmic decrement of successive extremes between them.
bool oscillation_guess(const Vector& tau, const Vector& x, double& sigma, double& omega) {
    Matrix line(tau.size(), 2);
    line.col(0).setOnes();
    line.col(1) = tau;
    const Vector d = project(line, x, nullptr);
    std::vector<double> crossings, extremes, extreme_times;
    double peak = 0.0, peak_time = tau[0];
    for (Eigen::Index i = 1; i < d.size(); ++i) {
        if (std::fabs(d[i]) > std::fabs(peak)) {
            peak = d[i];
            peak_time = tau[i];
        }
        if ((d[i - 1] < 0.0) != (d[i] < 0.0)) {
            crossings.push_back(tau[i - 1] - d[i - 1] * (tau[i] - tau[i - 1]) / (d[i] - d[i - 1]));
            extremes.push_back(std::fabs(peak));
            extreme_times.push_back(peak_time);
            peak = 0.0;
        }
    }
    if (crossings.size() < 2) return false;
    const double half_period =
        (crossings.back() - crossings.front()) / static_cast<double>(crossings.size() - 1);
    omega = kPi / half_period;
    sigma = -0.3 * omega;  // when fewer than two whole half waves
    // The first extreme lies before the first crossing inside the record.
    if (extremes.size() >= 3 && extremes[1] > 0.0 && extremes[2] > 0.0) {
        sigma = std::log(extremes[2] / extremes[1]) / (extreme_times[2] - extreme_times[1]);
    }
    return true;
}

}  // namespace

Damped_Fit fit_damped_sinusoid(const std::vector<double>& t_in, const std::vector<double>& x_in,
                               Trend trend) {
    Damped_Fit f;
    if (const char* why = unusable(t_in, x_in, 8)) {
        f.why = why;
        return f;
    }
    const Vector x = to_vector(x_in);
    const Vector tau = to_vector(t_in).array() - t_in.front();
    const double span = tau[tau.size() - 1];
    // The trend's rates: one held at 0 (a line), or one or two fitted.
    const int rates = trend == Trend::Line ? 0 : (trend == Trend::Exponential ? 1 : 2);
    const auto lambdas = [rates](const Vector& p) {
        return rates == 0 ? Vector(Vector::Zero(1)) : Vector(p.tail(rates));
    };
    const auto residual = [&](const Vector& p) {
        const double fastest = std::fmax(std::fabs(p[0]) + std::sqrt(std::fabs(p[1])),
                                         rates ? p.tail(rates).cwiseAbs().maxCoeff() : 0.0);
        if (fastest * span > kMaxExponent) return refused(x);
        return project(mode_basis(tau, p[0], p[1], lambdas(p)), x, nullptr);
    };
    // What the trend alone leaves: a mode must explain most of it.
    double trend_rms = 0.0;
    double lambda0 = 0.0;
    if (rates > 0) {
        const Exponential_Fit e = fit_exponential(t_in, x_in);
        trend_rms = e.rms;
        if (e.ok) lambda0 = e.lambda;
    } else {
        Matrix line(tau.size(), 2);
        line.col(0).setOnes();
        line.col(1) = tau;
        trend_rms = project(line, x, nullptr).norm() / std::sqrt(static_cast<double>(x.size()));
    }
    std::vector<Vector> trend_starts(1, Vector(rates));
    if (rates >= 1) trend_starts[0][0] = lambda0;
    if (rates == 2) {
        // A faster decay besides: a roll subsidence under a Dutch roll.
        trend_starts.push_back(trend_starts[0]);
        trend_starts[0][1] = -5.0 / span;
        trend_starts[1][1] = -20.0 / span;
    }
    // Starts: the decrement and crossings when the signal oscillates, and a
    // grid of natural frequencies and damping ratios (also above critical)
    // spread over what the record can show, each with every trend start.
    std::vector<Vector> starts;
    const auto start = [&](double sigma, double disc) {
        for (const Vector& r : trend_starts) {
            Vector p(2 + rates);
            p << sigma, disc, r;
            starts.push_back(p);
        }
    };
    double sigma0 = 0.0, omega0 = 0.0;
    if (oscillation_guess(tau, x, sigma0, omega0)) start(sigma0, -omega0 * omega0);
    for (const double cycles : {0.3, 1.0, 3.0, 10.0}) {
        const double wn = 2.0 * kPi * cycles / span;
        for (const double zeta : {0.2, 0.6, 1.5}) start(-zeta * wn, (zeta * zeta - 1.0) * wn * wn);
    }
    double best_cost = 0.0;
    const Vector best = best_of(residual, starts, best_cost);
    Vector c;
    project(mode_basis(tau, best[0], best[1], lambdas(best)), x, &c);
    const Vector rate = lambdas(best);
    Eigen::Index slowest = 0;
    rate.cwiseAbs().minCoeff(&slowest);
    f.trend_rate = rate[slowest];
    f.sigma = best[0];
    f.omega = best[1] < 0.0 ? std::sqrt(-best[1]) : 0.0;
    f.omega_n = std::sqrt(std::fmax(0.0, best[0] * best[0] - best[1]));
    f.zeta = f.omega_n > 0.0 ? -f.sigma / f.omega_n : 0.0;
    // Mode columns as amplitude and phase of A e^{sigma t} sin(omega t + phase).
    const double sine = f.omega > 0.0 ? c[1] / f.omega : c[1];
    f.amplitude = std::hypot(c[0], sine);
    f.phase = std::atan2(c[0], sine);
    f.offset = c[2];
    f.drift = c[3];
    const double n = static_cast<double>(x.size());
    f.rms = std::sqrt(best_cost / n);
    const double spread = std::sqrt((x.array() - x.mean()).square().sum() / n);
    f.fit_quality = spread > 0.0 ? 1.0 - f.rms / spread : 0.0;
    const double scale = 1e-9 * (1.0 + x.cwiseAbs().maxCoeff());
    f.ok = f.omega_n > 0.0 && trend_rms > scale && f.rms < 0.5 * trend_rms;
    if (!f.ok) f.why = "no second-order mode in the signal";
    return f;
}

Exponential_Fit fit_exponential(const std::vector<double>& t_in, const std::vector<double>& x_in) {
    Exponential_Fit f;
    if (const char* why = unusable(t_in, x_in, 4)) {
        f.why = why;
        return f;
    }
    const Vector x = to_vector(x_in);
    const Vector tau = to_vector(t_in).array() - t_in.front();
    const double span = tau[tau.size() - 1];
    const auto basis = [&](double lambda) {
        Matrix b(tau.size(), 2);
        b.col(0) = (lambda * tau.array()).exp();
        b.col(1).setOnes();
        return b;
    };
    const auto residual = [&](const Vector& p) {
        if (std::fabs(p[0] * span) > kMaxExponent) return refused(x);
        return project(basis(p[0]), x, nullptr);
    };
    // Time constants of the whole record and of a tenth of it, either sign.
    std::vector<Vector> starts;
    for (const double guess : {-1.0 / span, 1.0 / span, -10.0 / span, 10.0 / span}) {
        starts.push_back(Vector::Constant(1, guess));
    }
    double best_cost = 0.0;
    const Vector best = best_of(residual, starts, best_cost);
    Vector c;
    project(basis(best[0]), x, &c);
    f.lambda = best[0];
    f.scale = c[0];
    f.offset = c[1];
    f.rms = std::sqrt(best_cost / static_cast<double>(x.size()));
    f.ok = std::isfinite(f.lambda) && f.scale != 0.0;
    if (!f.ok) f.why = "the fit found no exponential";
    return f;
}

double overshoot(const std::vector<double>& x, double initial, double final_value) {
    const double step = final_value - initial;
    if (step == 0.0 || x.empty()) return 0.0;
    double beyond = 0.0;
    for (const double v : x) beyond = std::fmax(beyond, (v - final_value) / step);
    return beyond;
}

double time_to_change(const std::vector<double>& t, const std::vector<double>& x,
                      double threshold) {
    for (std::size_t i = 1; i < t.size() && i < x.size(); ++i) {
        const double a = std::fabs(x[i - 1] - x[0]), b = std::fabs(x[i] - x[0]);
        if (b >= threshold) {
            const double s = b > a ? (threshold - a) / (b - a) : 1.0;
            return t[i - 1] + s * (t[i] - t[i - 1]) - t[0];
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

Frequency_Point frequency_response(const std::vector<double>& t, const std::vector<double>& u,
                                   const std::vector<double>& y, double frequency) {
    Frequency_Point p;
    p.frequency = frequency;
    const std::size_t n = std::min(t.size(), std::min(u.size(), y.size()));
    if (n < 2) return p;
    double mean_u = 0.0, mean_y = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        mean_u += u[i];
        mean_y += y[i];
    }
    mean_u /= static_cast<double>(n);
    mean_y /= static_cast<double>(n);
    // A Hann window keeps the leakage of slow drifts (the phugoid) and of
    // the record's ends away from the frequency looked at.
    double ur = 0.0, ui = 0.0, yr = 0.0, yi = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double a = 2.0 * kPi * frequency * (t[i] - t[0]);
        const double w =
            0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / static_cast<double>(n));
        ur += w * (u[i] - mean_u) * std::cos(a);
        ui -= w * (u[i] - mean_u) * std::sin(a);
        yr += w * (y[i] - mean_y) * std::cos(a);
        yi -= w * (y[i] - mean_y) * std::sin(a);
    }
    const double input = std::hypot(ur, ui);
    if (!(input > 0.0)) return p;
    p.gain = std::hypot(yr, yi) / input;
    double phase = (std::atan2(yi, yr) - std::atan2(ui, ur)) * 180.0 / kPi;
    while (phase > 180.0) phase -= 360.0;
    while (phase < -180.0) phase += 360.0;
    p.phase = phase;
    return p;
}

}  // namespace rig
