// Engine, fuel and electrical power through the exports alone: starts,
// relight, flame-out, and the fuel the host sees set, burned and reported.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "abi/host.h"

namespace {

constexpr double kDt = 0.01;
constexpr double kFrameSlack = 2.5 * kDt;
constexpr double kKnotsPerMps = 1.943844;
constexpr double kKgPerLb = 0.45359237;

// Host command numbers.
constexpr int kThrottleAxis = 2004;
constexpr int kStartSwitch = 3019;
constexpr int kBattery1 = 3020;
constexpr int kBattery2 = 3021;
constexpr int kGenerator = 3022;
constexpr int kGtsStart = 3023;
constexpr int kCutoff = 3024;

// Host parameter numbers.
constexpr unsigned kParamGtsRpm = 2;      // per cent
constexpr unsigned kParamRpm = 100;       // fraction
constexpr unsigned kParamN1 = 101;        // fraction
constexpr unsigned kParamFuelFlow = 112;  // kg/s
constexpr unsigned kParamFuelTotal = 2119;

struct Triple {
    double x = 0.0, y = 0.0, z = 0.0;
};

struct PropulsionAbi : ::testing::Test {
    Host host;
    double reported_burn = 0.0;  // kg, summed from ed_fm_change_mass
    Triple last_thrust;
    Triple last_thrust_point;

    void SetUp() override { ASSERT_TRUE(host.load()) << host.error; }

    // Standard sea-level air at a calibrated airspeed along body x.
    static Host::State sea_level(double kcas) {
        Host::State s;
        s.vx = kcas / kKnotsPerMps;
        s.altitude = 0.0;
        s.surface = -1.5;  // the reference point sits 1.5 m above the runway
        s.temperature = 288.15;
        s.speed_of_sound = 340.294;
        s.density = 1.225;
        s.pressure = 101325.0;
        return s;
    }

    double rpm() const { return host.params->engine_rpm_percent; }
    double param(unsigned n) const { return host.ed_fm_get_param(n); }
    void command(int number, float value) const { host.ed_fm_set_command(number, value); }

    // One host frame: state, simulate, then the thrust (the first component
    // handed out), the rest of the components, and the mass change.
    void frame(const Host::State& s, bool on_ground) {
        host.push(s);
        for (int post = 0; post < 3; ++post) host.strut(post, on_ground ? 0.1 : 0.0);
        host.ed_fm_simulate(kDt);
        double f[6];
        if (host.ed_fm_add_local_force_component(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5])) {
            last_thrust = Triple{f[0], f[1], f[2]};
            last_thrust_point = Triple{f[3], f[4], f[5]};
        }
        host.drain();
        double dm = 0.0, d[6];
        host.ed_fm_change_mass(&dm, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]);
        reported_burn -= dm;
    }

    void fly(const Host::State& s, bool on_ground, double seconds) {
        const int frames = static_cast<int>(seconds / kDt + 0.5);
        for (int i = 0; i < frames; ++i) frame(s, on_ground);
    }

    // Seconds until done() holds, or -1 past limit.
    double fly_until(const Host::State& s, bool on_ground, const std::function<bool()>& done,
                     double limit) {
        const int frames = static_cast<int>(limit / kDt + 0.5);
        for (int i = 1; i <= frames; ++i) {
            frame(s, on_ground);
            if (done()) return i * kDt;
        }
        return -1.0;
    }

    // Flame-out by cut-off in the air at kcas, then fuel on, switch at run
    // and the start button: seconds until lit, or -1.
    double relight_after_flameout(double kcas) {
        host.ed_fm_set_internal_fuel(2000.0);
        host.ed_fm_hot_start_in_air();
        const Host::State s = sea_level(kcas);
        command(kThrottleAxis, 1.0f);  // idle
        fly(s, false, 1.0);

        // rpm winds down to the windmill value, 20 % x kcas/350.
        command(kCutoff, 1.0f);
        fly(s, false, 20.0);
        EXPECT_NEAR(rpm(), kcas / 350.0 * 20.0, 0.05);
        EXPECT_EQ(param(kParamFuelFlow), 0.0);

        command(kCutoff, 1.0f);
        command(kStartSwitch, 0.5f);
        command(kGtsStart, 1.0f);  // in the air: asks for the relight
        return fly_until(
            s, false, [&] { return rpm() == 55.0; }, 40.0);
    }
};

}  // namespace

TEST_F(PropulsionAbi, HotStartIdleThrustLeavesAtTheThrustPoint) {
    host.ed_fm_set_internal_fuel(2000.0);
    host.ed_fm_hot_start();
    const Host::State s = sea_level(0.0);
    frame(s, true);

    // 1.3 x 24461.8 N x 0.55^3.5 along body x, at (-5, 0.02, 0).
    const double idle = std::pow(0.55, 3.5);
    EXPECT_NEAR(last_thrust.x, 1.3 * 24461.8 * idle, 0.1);
    EXPECT_EQ(last_thrust.y, 0.0);
    EXPECT_EQ(last_thrust.z, 0.0);
    EXPECT_EQ(last_thrust_point.x, -5.0);
    EXPECT_EQ(last_thrust_point.y, 0.02);
    EXPECT_EQ(last_thrust_point.z, 0.0);

    EXPECT_EQ(rpm(), 55.0);
    EXPECT_EQ(param(kParamRpm), 0.55);
    EXPECT_EQ(param(kParamN1), 1.0);
    EXPECT_NEAR(param(kParamFuelFlow), 600.0 * 55.0 / 56.5 * kKgPerLb / 3600.0, 1e-12);
    EXPECT_NEAR(host.cockpit("TOTAL_AIR_TEMP"), 15.0, 1e-9);
    EXPECT_NEAR(host.cockpit("EGT"), 90.0 * idle + 320.0 + 15.0, 1e-9);
    EXPECT_EQ(host.cockpit("GTS_RPM"), 0.0);
    EXPECT_EQ(host.cockpit("N1_RPM"), 100.0);
    EXPECT_EQ(host.cockpit("ESS_SERV_BUS"), 28.0);
    EXPECT_EQ(host.cockpit("GEN_BUS"), 28.0);
    EXPECT_EQ(host.update_count("engineTest"), 0);
}

// The pilot's ground start from a cold aircraft, entirely by commands.
TEST_F(PropulsionAbi, ColdAircraftStartsOnTheGroundThroughCommands) {
    host.ed_fm_cold_start();
    host.ed_fm_set_internal_fuel(2000.0);
    const Host::State s = sea_level(0.0);
    frame(s, true);
    EXPECT_EQ(host.cockpit("ESS_SERV_BUS"), 0.0);

    command(kBattery1, 1.0f);
    command(kBattery2, 1.0f);
    command(kGenerator, 0.5f);
    frame(s, true);
    EXPECT_NEAR(host.cockpit("ESS_SERV_BUS"), 24.0, 1e-3);  // both near full, mean charge
    EXPECT_EQ(host.cockpit("GEN_BUS"), 0.0);

    command(kStartSwitch, 0.5f);
    command(kGtsStart, 1.0f);
    const double spool = fly_until(
        s, true, [&] { return param(kParamGtsRpm) == 65.0; }, 30.0);
    EXPECT_NEAR(spool, 65.0 / 4.5, kFrameSlack);
    fly(s, true, 2.0);
    EXPECT_EQ(host.cockpit("GTS_RPM"), 65.0);  // holds until engaged

    command(kStartSwitch, 1.0f);
    const double engage = fly_until(
        s, true, [&] { return param(kParamGtsRpm) == 100.0; }, 5.0);
    EXPECT_NEAR(engage, 1.75, kFrameSlack);
    const double crank = fly_until(
        s, true, [&] { return rpm() == 32.0; }, 15.0);
    EXPECT_NEAR(crank, 8.0, 2 * kFrameSlack);
    EXPECT_EQ(param(kParamN1), 1.0);
    EXPECT_EQ(param(kParamFuelFlow), 0.0);
    EXPECT_EQ(host.ed_fm_get_internal_fuel(), 2000.0);

    command(kCutoff, 1.0f);
    command(kStartSwitch, 0.5f);
    const double light = fly_until(
        s, true, [&] { return rpm() == 55.0; }, 30.0);
    EXPECT_NEAR(light, 23.0 / 1.8, kFrameSlack);
    EXPECT_LT(host.ed_fm_get_internal_fuel(), 2000.0);  // the light-off burned fuel
    fly(s, true, 6.0);
    EXPECT_EQ(host.cockpit("GTS_RPM"), 0.0);
    EXPECT_EQ(host.cockpit("GEN_BUS"), 28.0);
    EXPECT_EQ(host.cockpit("ESS_SERV_BUS"), 28.0);
    EXPECT_EQ(rpm(), 55.0);
    const double idle_thrust = last_thrust.x;

    command(kThrottleAxis, -1.0f);  // full
    fly(s, true, 20.0);
    EXPECT_GT(rpm(), 99.9);
    EXPECT_GT(last_thrust.x, 5.0 * idle_thrust);
    EXPECT_NEAR(param(kParamFuelFlow), 4500.0 * kKgPerLb / 3600.0, 1e-3);
    EXPECT_NEAR(2000.0 - host.ed_fm_get_internal_fuel(), reported_burn, 1e-9);
}

// 260 kcas windmills n1 to 46.43 %, past the 46 % light-off threshold, so
// the engine relights without cranking; 250 kcas gives 44.64 % and it does not.
TEST_F(PropulsionAbi, WindmillRelightsThroughCommandsAt260Knots) {
    const double relight = relight_after_flameout(260.0);
    EXPECT_NEAR(relight, (55.0 - 260.0 / 350.0 * 20.0) / 1.8, 0.2);
    EXPECT_NEAR(param(kParamN1), 0.4643, 2e-3);  // never cranked
    EXPECT_GT(param(kParamFuelFlow), 0.0);
}

TEST_F(PropulsionAbi, WindmillDoesNotRelightAt250Knots) {
    EXPECT_EQ(relight_after_flameout(250.0), -1.0);
    EXPECT_NEAR(rpm(), 250.0 / 350.0 * 20.0, 0.05);
    EXPECT_NEAR(param(kParamN1), 0.4464, 2e-3);
    EXPECT_EQ(param(kParamFuelFlow), 0.0);
}

TEST_F(PropulsionAbi, FuelIsSetFilledBurnedAndReportedThroughExports) {
    host.ed_fm_set_internal_fuel(4000.0);
    EXPECT_NEAR(host.ed_fm_get_internal_fuel(), 6950.0 * kKgPerLb, 1e-9);
    host.ed_fm_refueling_add_fuel(100.0);  // already full
    EXPECT_NEAR(host.ed_fm_get_internal_fuel(), 6950.0 * kKgPerLb, 1e-9);
    host.ed_fm_set_internal_fuel(1000.0);
    host.ed_fm_refueling_add_fuel(-300.0);  // not fuel: ignored
    EXPECT_EQ(host.ed_fm_get_internal_fuel(), 1000.0);
    host.ed_fm_refueling_add_fuel(250.0);
    EXPECT_EQ(host.ed_fm_get_internal_fuel(), 1250.0);
    EXPECT_EQ(param(kParamFuelTotal), 1250.0);

    host.ed_fm_hot_start();
    command(kThrottleAxis, -1.0f);
    const Host::State s = sea_level(0.0);
    fly(s, true, 10.0);
    const double burned = 1250.0 - host.ed_fm_get_internal_fuel();
    EXPECT_GT(burned, 1.0);
    EXPECT_NEAR(reported_burn, burned, 1e-9);

    host.ed_fm_unlimited_fuel(true);
    const double left = host.ed_fm_get_internal_fuel();
    fly(s, true, 5.0);
    EXPECT_EQ(host.ed_fm_get_internal_fuel(), left);
    EXPECT_NEAR(reported_burn, burned, 1e-9);
}

TEST_F(PropulsionAbi, StarvedEngineFlamesOutAndWindsDown) {
    host.ed_fm_hot_start();
    host.ed_fm_set_internal_fuel(0.4);
    const Host::State s = sea_level(0.0);
    frame(s, true);
    EXPECT_LT(rpm(), 55.0);
    EXPECT_EQ(param(kParamFuelFlow), 0.0);
    const double down = fly_until(
        s, true, [&] { return rpm() == 0.0; }, 20.0);
    EXPECT_NEAR(down + kDt, 55.0 / 5.0, kFrameSlack);
    EXPECT_EQ(last_thrust.x, 0.0);
    EXPECT_EQ(host.ed_fm_get_internal_fuel(), 0.4);
    EXPECT_EQ(reported_burn, 0.0);

    // Refuelled, the engine stays out until the pilot opens the cut-off.
    host.ed_fm_set_internal_fuel(500.0);
    fly(s, true, 2.0);
    EXPECT_EQ(rpm(), 0.0);
    EXPECT_EQ(param(kParamFuelFlow), 0.0);
}
