// Identification on synthetic signals with known parameters (the fits must
// recover them exactly), and the test-input grammar and shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "analysis/identification.h"
#include "flight/scenario.h"

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
    // A well-damped Dutch roll on a diverging spiral, without and with a
    // roll subsidence beside it.
    for (const double roll_mode : {0.0, 0.15}) {
        const Series lateral = sample(2.0, 10.0, 0.01, [&](double t) {
            const double tau = t - 2.0;
            return 0.3 * std::exp(-1.2 * tau) * std::sin(2.0 * tau + 1.0) - 0.2 +
                   0.05 * std::expm1(0.21 * tau) / 0.21 + roll_mode * std::exp(-1.9 * tau);
        });
        const Damped_Fit d = fit_damped_sinusoid(
            lateral.t, lateral.x, roll_mode > 0.0 ? Trend::Two_Exponentials : Trend::Exponential);
        ASSERT_TRUE(d.ok) << d.why;
        EXPECT_NEAR(d.omega_n, std::hypot(1.2, 2.0), 1e-6);
        EXPECT_NEAR(d.zeta, 1.2 / std::hypot(1.2, 2.0), 1e-6);
        EXPECT_NEAR(d.trend_rate, 0.21, 1e-6);
    }

    const Series flat = sample(0.0, 5.0, 0.01, [](double t) { return 2.0 + 0.1 * t; });
    EXPECT_FALSE(fit_damped_sinusoid(flat.t, flat.x).ok);
    const Series spiral = sample(0.0, 5.0, 0.01, [](double t) { return 2.0 * std::exp(0.3 * t); });
    EXPECT_FALSE(fit_damped_sinusoid(spiral.t, spiral.x, Trend::Exponential).ok);
}

TEST(Identification, ExponentialsAndGrowthRates) {
    // A slow spiral divergence and a roll rate settling on its steady value.
    const Series spiral =
        sample(30.0, 90.0, 0.01, [](double t) { return -2.0 * std::exp(0.021 * t); });
    Exponential_Fit e = fit_exponential(spiral.t, spiral.x);
    ASSERT_TRUE(e.ok);
    EXPECT_NEAR(e.lambda, 0.021, 1e-8);
    const Series roll =
        sample(1.0, 4.0, 0.01, [](double t) { return 40.0 * (1.0 - std::exp(-(t - 1.0) / 0.45)); });
    e = fit_exponential(roll.t, roll.x);
    ASSERT_TRUE(e.ok);
    EXPECT_NEAR(-1.0 / e.lambda, 0.45, 1e-8);
    EXPECT_NEAR(e.offset, 40.0, 1e-6);
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

TEST(Test_Inputs, ShapesAndTheirGrammar) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(
        parse_scenario("start air trimmed\nat 1 input doublet pitch 0.05 width 0.5\n"
                       "at 5 input 3211 rudder -0.1 unit 0.4\nat 9 input step roll 0.3\n"
                       "at 10 input sweep throttle 0.1 from 0.2 to 3 over 20\n"
                       "at 11 input pulse pitch 0.2\n",
                       s, error))
        << error;
    ASSERT_EQ(s.events.size(), 5u);
    const Test_Input doublet = s.events[0].action.input, u3211 = s.events[1].action.input;
    EXPECT_EQ(s.events[4].action.input.width, 1.0);  // the default
    EXPECT_EQ(test_input_length(doublet), 1.0);
    EXPECT_EQ(test_input_length(u3211), 7 * 0.4);
    EXPECT_TRUE(std::isinf(test_input_length(s.events[2].action.input)));
    // A doublet has no net area, a 3-2-1-1 that of one unit; it changes sign after 3, 2, 1, 1
    // units.
    double area_d = 0.0, area_3 = 0.0;
    for (double tau = 0.0005; tau < 3.0; tau += 0.001) {
        area_d += test_input_value(doublet, tau) * 0.001;
        area_3 += test_input_value(u3211, tau) * 0.001;
    }
    EXPECT_NEAR(area_d, 0.0, 1e-9);
    EXPECT_NEAR(area_3, -0.1 * 0.4, 1e-9);
    const double expected[] = {-0.1, -0.1, -0.1, 0.1, 0.1, -0.1, 0.1, 0.0};
    for (int unit = 0; unit < 8; ++unit) {
        EXPECT_EQ(test_input_value(u3211, (unit + 0.5) * 0.4), expected[unit]) << unit;
    }
    // The sweep's frequency grows by equal factors in equal times: halfway
    // through 20 s from 0.2 to 3 Hz it is sqrt(0.2 x 3) Hz (a linear sweep: 1.6 Hz).
    const Test_Input sweep = s.events[3].action.input;
    int crossings = 0;
    for (double a = 9.0; a < 11.0; a += 0.0005) {
        crossings +=
            (test_input_value(sweep, a) < 0.0) != (test_input_value(sweep, a + 0.0005) < 0.0);
    }
    EXPECT_NEAR(crossings / 4.0, std::sqrt(0.2 * 3.0), 0.3);
    EXPECT_EQ(test_input_value(sweep, 20.0), 0.0);

    const char* bad[][2] = {
        {"at 1 input doublet yaw 0.1", "unknown axis 'yaw'"},
        {"at 1 input wiggle pitch 0.1", "unknown input shape 'wiggle'"},
        {"at 1 input step pitch 1.5", "the amplitude is axis travel"},
        {"at 1 input 3211 pitch 0.1 width 1", "expected 'unit S'"},
        {"at 1 input sweep pitch 0.1 from 3 to 1 over 10", "from a positive frequency up"},
        {"at 1 input sweep pitch 0.1 from 1 to 3", "needs 'from F0 to F1 over S'"},
        {"at 1 input sweep pitch 0.1 from 1 to 40 over 10", "quarter of the frame rate"},
        {"at 1 input pulse pitch 0.1 width 0", "must be positive"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(parse_scenario(std::string("start air\n") + b[0] + "\n", s, error)) << b[0];
        EXPECT_NE(error.find(b[1]), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace rig
