// Identification on synthetic signals with known parameters (the fits must
// recover them exactly).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "analysis/identification.h"

namespace rig {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Series {
    std::vector<double> t, x;
};

Series sample(double from, double to, double dt, const std::function<double(double)>& f) {
    Series s;
    for (double t = from; t <= to + 1e-9; t += dt) {
        s.t.push_back(t);
        s.x.push_back(f(t));
    }
    return s;
}

TEST(Identification, SecondOrderModeIsRecoveredOnATrendUnderAndOverCriticalDamping) {
    struct Case {
        double wn, zeta, window;
    };
    // A lightly damped Dutch roll, a short period, one past critical damping.
    for (const Case c : {Case{1.8, 0.08, 20.0}, Case{4.2, 0.55, 4.0}, Case{2.0, 1.6, 6.0}}) {
        const double sigma = -c.zeta * c.wn;
        const double t0 = 12.5;  // the fit is about the first sample
        const Series s = sample(t0, t0 + c.window, 0.01, [&](double t) {
            const double tau = t - t0;
            const double mode =
                c.zeta < 1.0
                    ? 0.7 * std::exp(sigma * tau) *
                          std::sin(c.wn * std::sqrt(1.0 - c.zeta * c.zeta) * tau + 0.4)
                    : 0.7 * std::exp((sigma + c.wn * std::sqrt(c.zeta * c.zeta - 1.0)) * tau) -
                          0.2 * std::exp((sigma - c.wn * std::sqrt(c.zeta * c.zeta - 1.0)) * tau);
            return mode + 9.6 - 0.03 * tau;
        });
        const Damped_Fit f = fit_damped_sinusoid(s.t, s.x);
        ASSERT_TRUE(f.ok) << f.why;
        EXPECT_NEAR(f.omega_n, c.wn, 1e-6 * c.wn) << c.wn;
        EXPECT_NEAR(f.zeta, c.zeta, 1e-6) << c.wn;
        EXPECT_NEAR(f.offset, 9.6, 1e-6);
        EXPECT_NEAR(f.drift, -0.03, 1e-6);
        EXPECT_GT(f.fit_quality, 0.999999);
        if (c.zeta < 1.0) {
            EXPECT_NEAR(f.amplitude, 0.7, 1e-6);
            EXPECT_NEAR(f.phase, 0.4, 1e-6);
        }
    }
    const Series flat = sample(0.0, 5.0, 0.01, [](double t) { return 2.0 + 0.1 * t; });
    EXPECT_FALSE(fit_damped_sinusoid(flat.t, flat.x).ok);
}

TEST(Identification, ExponentialsAndGrowthRates) {
    // A slow spiral divergence and a roll rate settling on its steady value.
    const Series spiral =
        sample(30.0, 90.0, 0.01, [](double t) { return -2.0 * std::exp(0.021 * t); });
    EXPECT_NEAR(log_growth_rate(spiral.t, spiral.x), 0.021, 1e-12);
    Exponential_Fit e = fit_exponential(spiral.t, spiral.x);
    ASSERT_TRUE(e.ok);
    EXPECT_NEAR(e.lambda, 0.021, 1e-8);
    const Series roll =
        sample(1.0, 4.0, 0.01, [](double t) { return 40.0 * (1.0 - std::exp(-(t - 1.0) / 0.45)); });
    e = fit_exponential(roll.t, roll.x);
    ASSERT_TRUE(e.ok);
    EXPECT_NEAR(-1.0 / e.lambda, 0.45, 1e-8);
    EXPECT_NEAR(e.offset, 40.0, 1e-6);
    const Series through_zero = sample(0.0, 1.0, 0.25, [](double t) { return t; });
    EXPECT_TRUE(std::isnan(log_growth_rate(through_zero.t, through_zero.x)));
}

TEST(Identification, StepMetricsAndFrequencyResponse) {
    // Unit step response of a second-order system: overshoot exp(-pi zeta / sqrt(1 - zeta^2)).
    const double wn = 3.0, zeta = 0.4, wd = wn * std::sqrt(1.0 - zeta * zeta);
    const Series step = sample(0.0, 10.0, 0.001, [&](double t) {
        return 1.0 -
               std::exp(-zeta * wn * t) * (std::cos(wd * t) + zeta * wn / wd * std::sin(wd * t));
    });
    EXPECT_NEAR(overshoot(step.x, 0.0, 1.0), std::exp(-kPi * zeta / std::sqrt(1.0 - zeta * zeta)),
                1e-6);
    std::vector<double> negative(step.x);
    for (double& v : negative) v = -2.0 * v;  // the same, downward and twice as large
    EXPECT_NEAR(overshoot(negative, 0.0, -2.0), overshoot(step.x, 0.0, 1.0), 1e-12);
    // A roll at 40 deg/s from 5 degrees of bank, sampled coarsely: interpolated.
    const Series bank = sample(2.0, 5.0, 0.1, [](double t) { return 5.0 - 40.0 * (t - 2.0); });
    EXPECT_NEAR(time_to_change(bank.t, bank.x, 30.0), 0.75, 1e-9);
    EXPECT_TRUE(std::isnan(time_to_change(bank.t, bank.x, 150.0)));

    // Output 2.5 times the input, lagging it by 60 degrees, over whole periods.
    const double f = 0.8;
    const Series u =
        sample(0.0, 10.0 - 0.01, 0.01, [&](double t) { return 0.3 + std::sin(2 * kPi * f * t); });
    const Series y = sample(0.0, 10.0 - 0.01, 0.01, [&](double t) {
        return -4.0 + 2.5 * std::sin(2 * kPi * f * t - kPi / 3.0);
    });
    const Frequency_Point p = frequency_response(u.t, u.x, y.x, f);
    EXPECT_NEAR(p.gain, 2.5, 1e-9);
    EXPECT_NEAR(p.phase, -60.0, 1e-7);
}

}  // namespace
}  // namespace rig
