// The rig's trims of the F-16 check vehicle at NASA's trimmed level flight
// condition, 10,013 ft and 565.685 ft/s true airspeed (centre of mass at 25 %
// of the chord). The level trim itself is `quillon-rig verify`'s case 11.
#include <gtest/gtest.h>

#include <stdexcept>

#include "analysis/alpha_trim.h"
#include "analysis/trim.h"
#include "flight/verify.h"

namespace rig {
namespace {

// The F-16 loaded, and NASA's trim condition.
class F16Host : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(load_model({QFM_RIG_STANDIN_PATH, QFM_RIG_F16_PATH}, api, error)) << error;
        host_init(host, api);
        q.tas = 565.685 * 0.3048;
        q.altitude = 10013.0 * 0.3048;
        q.empty_mass = 637.1595 * 14.593902937206364;  // 20,500 lb
        q.fuel = 0.0;
    }
    Model_Api api;
    Host host;
    Trim_Request q;
};

// Trimmed to an angle of attack at one speed: a push-over below the 1 g
// alpha, a pull-up above it, and a plain refusal past the load-factor bound.
TEST_F(F16Host, TrimsToAnAngleOfAttackOnBothSidesOfOneG) {
    const Trim_Result low = trim_at_alpha(host, q, 1.0);
    ASSERT_TRUE(low.ok) << low.why;
    EXPECT_NEAR(low.alpha, 1.0, 0.005);
    EXPECT_LT(low.load_factor, 0.8);
    const Trim_Result high = trim_at_alpha(host, q, 9.0);
    ASSERT_TRUE(high.ok) << high.why;
    EXPECT_NEAR(high.alpha, 9.0, 0.005);
    EXPECT_GT(high.load_factor, 2.0);
    // A steady pull-up: the pitch rate is the excess load factor's (thrust
    // tilts the body-normal force a little).
    const double g = 9.80665;
    EXPECT_NEAR(1.0 + high.omega_body.z * high.tas / g, high.load_factor, 0.05);
    Alpha_Trim_Limits limits;
    limits.max_load_factor = 2.0;
    const Trim_Result refused = trim_at_alpha(host, q, 9.0, limits);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.why.find("above 2.00 g"), std::string::npos) << refused.why;
}

const Verify_Case& case_11() {
    for (const Verify_Case& c : verify_cases()) {
        if (c.id == "11") return c;
    }
    throw std::runtime_error("no case 11");
}

const Check_Result& check(const Case_Result& r, const char* what) {
    for (const Check_Result& c : r.checks) {
        if (c.check->what == what) return c;
    }
    throw std::runtime_error(std::string("no check ") + what);
}

// The 180 s flight from trim follows NASA's sim 04 (verify's case 11), and
// its pitch check is fine enough to see the rotating Earth's lift relief:
// flown with standard gravity instead, the trimmed attitude is 0.015 deg off
// and the case fails.
TEST(F16Trim, FlightFromTrimFailsWithStandardGravityInsteadOfTheLevelFlightOne) {
    Verify_Case standard = case_11();
    standard.setup = [](Host& host) {
        case_11().setup(host);
        host.env.gravity = kStandardGravity;
        Trim_Request q;
        q.tas = 565.685 * 0.3048;
        q.altitude = 10013.0 * 0.3048;
        q.empty_mass = host.mass_properties.mass;
        q.fuel = 0.0;
        q.tolerance = 1e-8;
        const Mass_Properties m = host.mass_properties;
        const Trim_Result t = trim_level_flight(host, q);
        host.mass_properties = m;
        host.body.attitude = from_euler({-45.0 / kDegPerRad, t.alpha / kDegPerRad, 0.0});
        host.body.velocity = rotate(axis_angle({0, 1, 0}, -45.0 / kDegPerRad), host.body.velocity);
    };
    const Case_Result wrong = fly_case(standard, default_verify_paths());
    EXPECT_GT(check(wrong, "pitch").max_error, 0.01);  // deg
    EXPECT_FALSE(wrong.passed());
}

}  // namespace
}  // namespace rig
