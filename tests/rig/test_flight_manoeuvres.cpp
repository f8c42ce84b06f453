// Linear against nonlinear: the modes of the linear model at a trim point
// against the same modes fitted to small inputs flown from that trim in the
// full nonlinear rig, with the augmentation and as the bare airframe. Both
// sides run through the quillon-rig binary.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "rig_process.h"

namespace {

using nlohmann::json;

using rig_test::rig_json;

struct Mode {
    double omega_n = NAN, zeta = NAN, real = NAN;
};

// The linear model's mode whose name contains the word; a pair of real
// roots under one name counts as one second-order mode.
Mode linear_mode(const json& modes, const std::string& word) {
    std::vector<json> found;
    for (const json& m : modes.at("modes")) {
        std::string name = m.at("name").get<std::string>();
        for (char& c : name) c = static_cast<char>(std::tolower(c));
        if (name.find(word) != std::string::npos) found.push_back(m);
    }
    Mode mode;
    if (found.size() == 1) {
        mode.real = found[0].at("real").get<double>();
        if (found[0].at("imag").get<double>() != 0.0) {
            mode.omega_n = found[0].at("omega_n").get<double>();
            mode.zeta = found[0].at("zeta").get<double>();
        }
    } else if (found.size() == 2) {
        const double a = found[0].at("real").get<double>(), b = found[1].at("real").get<double>();
        mode.omega_n = std::sqrt(a * b);
        mode.zeta = -(a + b) / (2.0 * mode.omega_n);
    }
    return mode;
}

void expect_within(double flown, double linear, double tolerance, const char* what) {
    EXPECT_TRUE(std::isfinite(flown) && std::isfinite(linear)) << what;
    EXPECT_NEAR(flown, linear, tolerance * std::fabs(linear))
        << what << ": flown " << flown << ", linear " << linear;
}

// A fitted oscillation against the linear model's mode, within 5 %.
void expect_mode(const json& fit, const Mode& mode, const std::string& what) {
    ASSERT_TRUE(fit.at("ok").get<bool>()) << what << ": " << fit.dump();
    expect_within(fit.at("omega_n").get<double>(), mode.omega_n, 0.05, (what + " omega_n").c_str());
    expect_within(fit.at("zeta").get<double>(), mode.zeta, 0.05, (what + " zeta").c_str());
}

TEST(Linear_Against_Nonlinear, SmallInputsFlownFromTrimShowTheLinearModesWithinFivePercent) {
    // 200 kcas: an oscillating short period; 250 kcas: an overdamped one
    // (two real roots); the spiral diverges at both.
    for (const char* speed : {"200", "250"}) {
        SCOPED_TRACE(speed);
        const std::string at = std::string(" --speed ") + speed + " --altitude 3000 --json";
        const std::string pitch = "manoeuvre doublet --axis pitch --amplitude 0.01 --width 0.5";
        const std::string rudder = "manoeuvre doublet --axis rudder --amplitude 0.005 --width 0.5";
        // The aircraft as flown, yaw damper on.
        const json modes = rig_json("modes" + at);
        const json yaw = rig_json(rudder + " --duration 25" + at);
        expect_mode(rig_json(pitch + at).at("metrics").at("oscillation"),
                    linear_mode(modes, "short"), "short period");
        expect_mode(yaw.at("metrics").at("oscillation"), linear_mode(modes, "dutch"), "Dutch roll");
        expect_within(yaw.at("metrics").at("spiral_growth_per_s").get<double>(),
                      linear_mode(modes, "spiral").real, 0.05, "spiral root");

        // The bare airframe: the rig holds the augmentation's rudder motion
        // out through the rudder trim. The flown bare Dutch roll's decay
        // rate falls linearly with the frame time (by a fifth of it at 250
        // kcas and 0.01 s), so its decay and frequency are taken to dt -> 0
        // from two frame times.
        const json bare = rig_json("modes --bare" + at);
        expect_mode(rig_json(pitch + " --bare" + at).at("metrics").at("oscillation"),
                    linear_mode(bare, "short"), "bare short period");
        const json f10 =
            rig_json(rudder + " --bare --dt 0.01" + at).at("metrics").at("oscillation");
        const json f5 =
            rig_json(rudder + " --bare --dt 0.005" + at).at("metrics").at("oscillation");
        ASSERT_TRUE(f10.at("ok").get<bool>() && f5.at("ok").get<bool>()) << f10 << f5;
        const auto limit = [&](const char* key) {
            return 2.0 * f5.at(key).get<double>() - f10.at(key).get<double>();
        };
        const double omega_n = std::hypot(limit("sigma"), limit("omega_d"));
        const json dt0 = {{"ok", true}, {"omega_n", omega_n}, {"zeta", -limit("sigma") / omega_n}};
        expect_mode(dt0, linear_mode(bare, "dutch"), "bare Dutch roll");
    }
}

}  // namespace
