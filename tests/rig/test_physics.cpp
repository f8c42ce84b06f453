// The rig's physics against closed forms: Euler angles, atmosphere, ground.
// The rigid body itself (free fall, the torque-free tumble, body forces and
// moments turned by the attitude), normal gravity and the 1976 table are
// checked against NASA's data by `quillon-rig verify` (the rig_verify test).
#include <gtest/gtest.h>

#include <cmath>

#include "world/atmosphere.h"
#include "world/ground.h"
#include "world/rigid_body.h"
#include "world/vec.h"

namespace rig {
namespace {

constexpr double kG = kStandardGravity;

Mass_Properties aircraft_mass() {
    Mass_Properties m;
    m.mass = 9000.0;
    m.inertia = {10247.0, 28268.8, 30032.72};
    return m;
}

// The aircraft resting on its struts, rolling forward at speed (m/s).
Body_State rolling_on_the_runway(const Ground& g, const Mass_Properties& m, double speed) {
    const Rest_Pose pose = rest_pose(g, m.mass, kG);
    Body_State s;
    s.position = {0.0, pose.height, 0.0};
    s.attitude = from_euler({0.0, pose.pitch, 0.0});
    s.velocity = {speed, 0.0, 0.0};
    return s;
}

TEST(Euler, AnglesRoundTripAndFollowTheHostConventions) {
    const Euler e{0.4, -0.3, 1.1};
    const Euler back = to_euler(from_euler(e));
    EXPECT_NEAR(back.yaw, e.yaw, 1e-12);
    EXPECT_NEAR(back.pitch, e.pitch, 1e-12);
    EXPECT_NEAR(back.roll, e.roll, 1e-12);
    // Positive yaw turns the nose to the west (left of north).
    EXPECT_LT(rotate(from_euler({0.3, 0.0, 0.0}), {1, 0, 0}).z, 0.0);
    // Positive roll puts the right wing (body z) down.
    EXPECT_LT(rotate(from_euler({0.0, 0.0, 0.3}), {0, 0, 1}).y, 0.0);
    // Positive pitch raises the nose.
    EXPECT_GT(rotate(from_euler({0.0, 0.3, 0.0}), {1, 0, 0}).y, 0.0);
}

TEST(Atmosphere, GeopotentialAltitudeKeepsTheLayersContinuous) {
    // The table itself is checked against the 1976 points by `verify`; the
    // geopotential kind scenarios may ask for is checked here.
    EXPECT_NEAR(isa(11000.0, Altitude_Kind::Geopotential).temperature, 216.65, 1e-9);
    EXPECT_NEAR(isa(11000.0 - 1e-6).pressure, isa(11000.0 + 1e-6).pressure, 1e-3);
    EXPECT_NEAR(isa(25000.0, Altitude_Kind::Geopotential).temperature, 221.65, 1e-9);
}

TEST(Atmosphere, CalibratedAirspeedEqualsTrueAtSeaLevelAndRoundTrips) {
    EXPECT_NEAR(kcas_from_tas(100.0, 1.225), 194.3844, 1e-9);
    const double rho = isa(3000.0).density;
    EXPECT_NEAR(kcas_from_tas(tas_from_kcas(250.0, rho), rho), 250.0, 1e-9);
    EXPECT_GT(tas_from_kcas(250.0, rho), 250.0 / kKnotsPerMps);
}

TEST(Ground, AircraftRestsLevelWithStrutsSlightlyCompressed) {
    Ground g = default_ground();
    const double mass = 9000.0;
    const Rest_Pose pose = rest_pose(g, mass, kG);
    EXPECT_NEAR(pose.pitch, 0.0, 0.2 / kDegPerRad);
    Body_State s;
    s.position = {0.0, pose.height, 0.0};
    s.attitude = from_euler({0.0, pose.pitch, 0.0});
    Mass_Properties m = aircraft_mass();
    m.mass = mass;
    // Settle from the computed pose; it must barely move.
    for (int i = 0; i < 500; ++i) rigid_body_step(s, m, Loads{}, ground_loads, &g, kG, 0.01);
    EXPECT_NEAR(s.position.y, pose.height, 0.01);
    EXPECT_NEAR(to_euler(s.attitude).pitch * kDegPerRad, 0.0, 0.3);
    EXPECT_LT(norm(s.velocity), 1e-3);
    for (int post = 0; post < POST_COUNT; ++post) {
        EXPECT_TRUE(g.result[post].contact) << post;
        EXPECT_GT(g.result[post].compression, 0.03) << post;
        EXPECT_LT(g.result[post].compression, 0.25) << post;
    }
    EXPECT_NEAR(g.result[POST_LEFT].compression, g.result[POST_RIGHT].compression, 1e-9);
    const double total = g.result[0].load + g.result[1].load + g.result[2].load;
    EXPECT_NEAR(total, mass * kG, 1.0);
    EXPECT_EQ(hull_contact(s, g.center_of_mass), -1);
}

TEST(Ground, BrakesStopARollingAircraftAndRaisedLegsDropItOnItsBelly) {
    Ground g = default_ground();
    Mass_Properties m = aircraft_mass();
    Body_State s = rolling_on_the_runway(g, m, 30.0);

    // Rolling only: about 0.02 g of deceleration.
    Body_State rolling = s;
    for (int i = 0; i < 100; ++i) rigid_body_step(rolling, m, Loads{}, ground_loads, &g, kG, 0.01);
    EXPECT_NEAR(rolling.velocity.x, 30.0 - 0.02 * kG, 0.05);

    g.controls.brake[POST_LEFT] = g.controls.brake[POST_RIGHT] = 1.0;
    double t = 0.0;
    while (s.velocity.x > 0.1 && t < 30.0) {
        rigid_body_step(s, m, Loads{}, ground_loads, &g, kG, 0.01);
        t += 0.01;
    }
    // Braked mains carry about 93 % of the weight: roughly 0.48 g.
    EXPECT_GT(t, 30.0 / (0.6 * kG));
    EXPECT_LT(t, 30.0 / (0.35 * kG));
    EXPECT_LT(std::fabs(s.velocity.z), 0.05);

    g.controls = Ground_Controls{};
    g.controls.leg_down[POST_NOSE] = g.controls.leg_down[POST_LEFT] =
        g.controls.leg_down[POST_RIGHT] = false;
    int hull = -1;
    for (int i = 0; i < 200 && hull < 0; ++i) {
        rigid_body_step(s, m, Loads{}, ground_loads, &g, kG, 0.01);
        hull = hull_contact(s, g.center_of_mass);
    }
    EXPECT_GE(hull, 0);
}

TEST(Ground, NoseWheelSteeredLeftTurnsTheAircraftLeft) {
    Ground g = default_ground();
    Mass_Properties m = aircraft_mass();
    Body_State s = rolling_on_the_runway(g, m, 10.0);
    g.controls.steer_angle = 8.0 / kDegPerRad;
    for (int i = 0; i < 300; ++i) rigid_body_step(s, m, Loads{}, ground_loads, &g, kG, 0.01);
    EXPECT_GT(to_euler(s.attitude).yaw, 0.05);  // yaw positive: nose left
    EXPECT_LT(s.position.z, -0.5);              // drifted west of the start
}

}  // namespace
}  // namespace rig
