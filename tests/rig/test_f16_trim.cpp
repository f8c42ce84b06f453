// The rig's trim of the F-16 check vehicle against NASA's trimmed level
// flight at 10,013 ft and 565.685 ft/s true airspeed (centre of mass at 25 %
// of the chord): pitch attitude 2.6538 deg, elevator -3.2410 deg, throttle
// 13.9019 %. The tolerances are the spread of the NASA tools' trims.
#include <gtest/gtest.h>

#include "analysis/trim.h"

namespace rig {
namespace {

TEST(F16Trim, ReproducesNasasTrimmedLevelFlight) {
    Model_Api api;
    std::string error;
    ASSERT_TRUE(load_model({QFM_RIG_STANDIN_PATH, QFM_RIG_F16_PATH}, api, error)) << error;
    Host host;
    host_init(host, api);
    Trim_Request q;
    q.tas = 565.685 * 0.3048;
    q.altitude = 10013.0 * 0.3048;
    q.empty_mass = 637.1595 * 14.593902937206364;  // 20,500 lb
    q.fuel = 0.0;
    const Trim_Result r = trim_level_flight(host, q);
    ASSERT_TRUE(r.ok) << r.why;
    // Level flight: the pitch attitude is the angle of attack. The pitch axis
    // moves the elevator 25 deg per unit, trailing edge up for a pull.
    EXPECT_NEAR(r.alpha, 2.6538, 0.02);
    EXPECT_NEAR(-25.0 * r.pitch_axis, -3.2410, 0.05);
    EXPECT_NEAR(100.0 * r.throttle, 13.9019, 0.2);
}

}  // namespace
}  // namespace rig
