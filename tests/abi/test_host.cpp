// The host surface through the exports alone: load order, events, damage,
// state input, cues, force hand-out and the host's null pointers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "abi/host.h"

namespace {

struct HostTest : ::testing::Test {
    Host host;
    void SetUp() override { ASSERT_TRUE(host.load()) << host.error; }

    Host::State cruise() const {
        Host::State s;
        s.vx = 150.0;
        s.alpha = 0.05;
        return s;
    }

    Qfm_Simulation_Event event(unsigned type, double p0) const {
        Qfm_Simulation_Event e;
        std::memset(&e, 0xAB, sizeof(e));
        e.event_type = type;
        e.event_params[0] = static_cast<float>(p0);
        return e;
    }
};

}  // namespace

TEST_F(HostTest, ParameterHandlesAreRequestedInLoadOrder) {
    const std::vector<std::string> expected = {
        QFM_COCKPIT_PARAM_ESS_BUS, QFM_COCKPIT_PARAM_GEN_BUS,    QFM_COCKPIT_PARAM_GTS_RPM,
        QFM_COCKPIT_PARAM_EGT,     QFM_COCKPIT_PARAM_TAT,        QFM_COCKPIT_PARAM_ENGINE_TEST,
        QFM_COCKPIT_PARAM_N1_RPM,  QFM_COCKPIT_PARAM_PITOT_ICED, QFM_COCKPIT_PARAM_CCIP,
        QFM_COCKPIT_PARAM_VV_VERT, QFM_COCKPIT_PARAM_VV_HORZ,    QFM_COCKPIT_PARAM_TEST,
        QFM_COCKPIT_PARAM_WIND_X,  QFM_COCKPIT_PARAM_WIND_Y};
    ASSERT_EQ(host.request_count(), static_cast<int>(expected.size()));
    for (int i = 0; i < host.request_count(); ++i) {
        EXPECT_EQ(std::string(host.request_name(i)), expected[static_cast<std::size_t>(i)]);
    }
}

TEST(HostWithoutCockpit, LoadsAndFliesWhenNoCockpitLibraryIsInTheProcess) {
    // Its own process, without the stand-in: every binding finds nothing and
    // every cockpit call is skipped.
    Host bare;
    ASSERT_TRUE(bare.load(false)) << bare.error;
    bare.ed_fm_hot_start_in_air();
    Host::State s;
    s.vx = 150.0;
    s.alpha = 0.05;
    bare.fly(s, 5, 0.01);
    bare.ed_fm_set_command(QFM_CMD_AUX_ACTION, 1.0f);  // the action dispatch has no target
    double f[6];
    bare.ed_fm_add_local_force(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    for (double v : f) EXPECT_TRUE(std::isfinite(v));
    EXPECT_LT(f[0], 0.0);  // drag
}

TEST_F(HostTest, StartValuesAreWhatTheExportsShow) {
    host.ed_fm_hot_start();
    EXPECT_EQ(host.ed_fm_get_external_fuel(), 0.0);
    host.ed_fm_set_external_fuel(500.0);
    EXPECT_EQ(host.ed_fm_get_external_fuel(), 0.0);
    EXPECT_FALSE(host.ed_fm_enable_debug_info());
}

TEST_F(HostTest, EventExchange) {
    Qfm_Simulation_Event out = event(0, 0.0f);
    const Qfm_Simulation_Event clear = event(QFM_EVENT_TYPE, QFM_EVENT_STATE_CLEAR);
    EXPECT_TRUE(host.ed_fm_push_simulation_event(&clear));
    EXPECT_EQ(host.params->host_event_state, QFM_EVENT_STATE_CLEAR);
    EXPECT_FALSE(host.ed_fm_pop_simulation_event(&out));  // no frame yet
    host.fly(cruise(), 1, 0.01);
    ASSERT_TRUE(host.ed_fm_pop_simulation_event(&out));
    EXPECT_EQ(out.event_type, QFM_EVENT_TYPE);
    EXPECT_EQ(out.event_params[0], 0.0f);
    EXPECT_EQ(out.event_params[1], 0.0f);
    EXPECT_EQ(out.event_params[2], 0.0f);
    // The host's own bytes are left alone.
    EXPECT_EQ(static_cast<unsigned char>(out.host_data[0]), 0xABu);
    EXPECT_EQ(host.params->host_event_state, QFM_EVENT_STATE_NONE);
    EXPECT_FALSE(host.ed_fm_pop_simulation_event(&out));

    // Waiting for rpm above 98 per cent: nothing from a cold engine, the
    // event once a running engine is pushed past it.
    const Qfm_Simulation_Event await = event(QFM_EVENT_TYPE, QFM_EVENT_STATE_AWAIT_RPM);
    host.ed_fm_push_simulation_event(&await);
    host.fly(cruise(), 3, 0.01);
    EXPECT_FALSE(host.ed_fm_pop_simulation_event(&out));
    EXPECT_EQ(host.params->host_event_state, QFM_EVENT_STATE_AWAIT_RPM);
    host.ed_fm_set_internal_fuel(2000.0);
    host.ed_fm_hot_start_in_air();
    host.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, -1.0f);
    int frames = 0;
    while (host.params->engine_rpm_percent <= 98.0 && frames++ < 3000) {
        EXPECT_FALSE(host.ed_fm_pop_simulation_event(&out));
        host.fly(cruise(), 1, 0.01);
    }
    ASSERT_TRUE(host.ed_fm_pop_simulation_event(&out));
    EXPECT_EQ(out.event_type, QFM_EVENT_TYPE);
    EXPECT_EQ(out.event_params[0], QFM_EVENT_RPM_REACHED_P0);
    EXPECT_EQ(out.event_params[1], QFM_EVENT_RPM_REACHED_P1);
    EXPECT_EQ(out.event_params[2], QFM_EVENT_RPM_REACHED_P2);
    EXPECT_EQ(host.params->host_event_state, QFM_EVENT_STATE_NONE);
}

TEST_F(HostTest, EventStateTwoAddsAPitchMomentOnly) {
    host.ed_fm_hot_start_in_air();
    double f0[6], m0[3], f1[6], m1[3];
    host.fly(cruise(), 1, 0.01);
    host.ed_fm_add_local_force(&f0[0], &f0[1], &f0[2], &f0[3], &f0[4], &f0[5]);
    host.ed_fm_add_local_moment(&m0[0], &m0[1], &m0[2]);
    const Qfm_Simulation_Event two = event(QFM_EVENT_TYPE, QFM_EVENT_STATE_MOMENT);
    host.ed_fm_push_simulation_event(&two);
    // dt 0: nothing moves, so the two frames differ only by the event.
    host.fly(cruise(), 1, 0.0);
    host.ed_fm_add_local_force(&f1[0], &f1[1], &f1[2], &f1[3], &f1[4], &f1[5]);
    host.ed_fm_add_local_moment(&m1[0], &m1[1], &m1[2]);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f1[i], f0[i]);
    EXPECT_EQ(m1[0], m0[0]);
    EXPECT_EQ(m1[1], m0[1]);
    EXPECT_EQ(m1[2], m0[2] - 120000.0);
}

TEST_F(HostTest, AngleOfAttackGateAndStateInput) {
    Host::State s;
    s.vx = 4.9;
    s.alpha = 0.2;
    host.push(s);
    EXPECT_DOUBLE_EQ(host.params->aoa_deg, 0.2 * 57.29577951308232);
    host.ed_fm_simulate(0.01);
    EXPECT_EQ(host.params->aoa_deg, 0.0);
    EXPECT_EQ(host.params->aoa_rad, 0.2);

    s.vx = 100.0;
    s.vy = -5.0;
    s.vz = 1.5;
    s.alpha = 0.1;
    s.yaw = 0.3;
    s.pitch = 0.2;
    s.roll = -0.1;
    host.push(s);
    host.ed_fm_simulate(0.01);
    EXPECT_DOUBLE_EQ(host.params->aoa_deg, 5.729577951308232);
    EXPECT_EQ(host.params->yaw, 0.3);
    EXPECT_EQ(host.params->pitch, 0.2);
    EXPECT_EQ(host.params->roll, -0.1);
    EXPECT_EQ(host.params->body_vel_y, -5.0);
    EXPECT_EQ(host.params->world_vel_y, -5.0);
    EXPECT_EQ(host.params->body_vel_z, 1.5);
    EXPECT_EQ(host.params->world_vel_z, 1.5);
}

TEST_F(HostTest, WindIsForwardedToTheCockpit) {
    host.ed_fm_set_atmosphere(0.0, 288.15, 340.29, 1.225, 101325.0, 3.0, 1.0, -4.0);
    EXPECT_EQ(host.cockpit(QFM_COCKPIT_PARAM_WIND_X), 3.0);
    EXPECT_EQ(host.cockpit(QFM_COCKPIT_PARAM_WIND_Y), -4.0);
}

TEST_F(HostTest, VelocityVectorAndImpactPointCues) {
    Host::State s = cruise();
    s.vx = 100.0;
    s.vy = -5.0;
    s.altitude = 1000.0;
    s.surface = 900.0;
    host.fly(s, 1, 0.01);
    EXPECT_NEAR(host.cockpit(QFM_COCKPIT_PARAM_VV_VERT), -0.0499584, 1e-7);
    EXPECT_EQ(host.cockpit(QFM_COCKPIT_PARAM_VV_HORZ), 0.0);
    EXPECT_TRUE(std::isfinite(host.cockpit(QFM_COCKPIT_PARAM_CCIP)));

    s.vy = 0.0;
    s.vz = 10.0;
    host.fly(s, 1, 0.01);
    EXPECT_NEAR(host.cockpit(QFM_COCKPIT_PARAM_VV_HORZ), 0.0996687, 1e-7);

    s.vx = 0.05;
    s.vz = 0.05;
    host.fly(s, 1, 0.01);
    EXPECT_EQ(host.cockpit(QFM_COCKPIT_PARAM_VV_HORZ), 0.0);
    EXPECT_EQ(host.cockpit(QFM_COCKPIT_PARAM_VV_VERT), 0.0);
    s.vx = 0.0;
    s.vz = 0.1005;  // just above the 0.1 m/s below which the cue is centred
    host.fly(s, 1, 0.01);
    EXPECT_DOUBLE_EQ(host.cockpit(QFM_COCKPIT_PARAM_VV_HORZ), std::asin(1.0));
}

TEST_F(HostTest, ForceComponentsComeOutInListOrderNewestFirst) {
    host.ed_fm_hot_start_in_air();
    Host::State s = cruise();
    host.push(s);
    host.ed_fm_simulate(0.01);
    host.push(s);
    host.ed_fm_simulate(0.01);
    // Two undrained frames: thrust (x2) at the thrust point, then each of the
    // five drag lists (x2) at its own point.
    const double points[6][3] = {{-5.0, 0.02, 0.0}, {-3.5, -0.19, -0.68}, {-3.5, -0.19, 0.68},
                                 {3.78, -1.3, 0.0}, {-0.05, -1.2, -1.88}, {-0.05, -1.2, 1.88}};
    for (const auto& point : points) {
        for (int twice = 0; twice < 2; ++twice) {
            double f[6];
            ASSERT_TRUE(
                host.ed_fm_add_local_force_component(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]));
            EXPECT_EQ(f[3], point[0]);
            EXPECT_EQ(f[4], point[1]);
            EXPECT_EQ(f[5], point[2]);
        }
    }
    double g[6] = {7, 7, 7, 7, 7, 7};
    EXPECT_FALSE(host.ed_fm_add_local_force_component(&g[0], &g[1], &g[2], &g[3], &g[4], &g[5]));
    for (double v : g) EXPECT_EQ(v, 7.0);  // nothing written
}
