// Air data, cabin pressure and the display cues, against hand values.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "host/air_data.h"
#include "host/hud_cues.h"
#include "host/shared_state.h"
#include "support/model_state.h"

using AirData = Model_Test;
using Cabin = Model_Test;
using Cues = Model_Test;

namespace {

void set_air(double vx, double vy, double vz, double rho, double p, double a, double t, double h) {
    Flight_State& s = G_FlightState;
    s.airspeed_x = vx;
    s.airspeed_y = vy;
    s.airspeed_z = vz;
    s.density = rho;
    s.static_pressure = p;
    s.speed_of_sound = a;
    s.temperature = t;
    s.altitude = h;
}

}  // namespace

TEST_F(AirData, SeaLevelCasEqualsTasAndStillAirReadsZero) {
    const Flight_State& s = G_FlightState;
    set_air(100.0, 0.0, 0.0, 1.225, 101325.0, 340.29, 288.15, 0.0);
    air_data_step();
    EXPECT_EQ(s.true_airspeed, 100.0);
    EXPECT_EQ(s.dynamic_pressure, 1.225 * 0.5 * 10000.0);
    EXPECT_DOUBLE_EQ(s.mach, 100.0 / 340.29);
    // a^2 = 1.4 p / rho holds to 0.01 %, so cas equals tas to that order.
    EXPECT_NEAR(s.cas, 100.0, 0.02);
    EXPECT_DOUBLE_EQ(s.kcas, s.cas * 1.943844);

    // Wind equal to the velocity: still air.
    set_air(0.0, 0.0, 0.0, 1.0, 90000.0, 330.0, 280.0, 1000.0);
    air_data_step();
    EXPECT_EQ(s.true_airspeed, 0.0);
    EXPECT_EQ(s.dynamic_pressure, 0.0);
    EXPECT_EQ(s.mach, 0.0);
    EXPECT_EQ(s.total_pressure, s.static_pressure);
    EXPECT_EQ(s.cas, 0.0);
}

TEST_F(AirData, NoSpeedOfSoundKeepsMachAndNoAtmosphereGivesZeroCas) {
    const Flight_State& s = G_FlightState;
    set_air(170.0, 0.0, 0.0, 1.0, 90000.0, 340.0, 280.0, 1000.0);
    air_data_step();
    EXPECT_DOUBLE_EQ(s.mach, 0.5);
    set_air(50.0, 0.0, 0.0, 1.0, 90000.0, 0.0, 280.0, 1000.0);
    air_data_step();
    EXPECT_DOUBLE_EQ(s.mach, 0.5);
    EXPECT_DOUBLE_EQ(s.total_pressure, std::pow(1.05, 3.5) * 90000.0);

    // Before the host's first atmosphere call pressure and density are 0:
    // cas reads 0, not NaN; a negative density as well.
    set_air(120.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
    air_data_step();
    EXPECT_EQ(s.cas, 0.0);
    EXPECT_EQ(s.kcas, 0.0);
    set_air(120.0, 0.0, 0.0, -1.0, 80000.0, 300.0, 250.0, 0.0);
    air_data_step();
    EXPECT_EQ(s.cas, 0.0);
}

TEST_F(AirData, IcingBandIsStrict) {
    for (auto [t, icing] :
         {std::pair{253.0, false}, {263.0, true}, {273.0, false}, {300.0, false}}) {
        set_air(0, 0, 0, 1, 1e5, 340, t, 0);
        air_data_step();
        EXPECT_EQ(G_FlightState.icing, icing) << t;
    }
}

TEST_F(Cabin, ScheduleBoundariesDifferentialAndTheCanopy) {
    set_air(0, 0, 0, 1, 89875.0, 330, 280, 1000.0);
    cabin_step(0.0);
    EXPECT_EQ(G_Cabin.cabin_altitude, 1000.0);
    EXPECT_NEAR(G_Cabin.cabin_pressure_differential, 89995.3 - 89875.0, 0.1);

    // Exactly 5000 ft (h * 3.28084 == 5000 for this h) keeps the previous
    // cabin altitude.
    const double h = 5000.0 / 3.28084;
    ASSERT_EQ(h * 3.28084, 5000.0);
    set_air(0, 0, 0, 1, 84000.0, 330, 280, h);
    cabin_step(0.0);
    EXPECT_EQ(G_Cabin.cabin_altitude, 1000.0);

    set_air(0, 0, 0, 1, 30090.0, 300, 230, 9144.0);
    cabin_step(0.0);
    EXPECT_NEAR(G_Cabin.cabin_altitude, 4789.714, 0.001);
    EXPECT_NEAR(G_Cabin.cabin_pressure_differential, 57419.7 - 30090.0, 0.1);
    // Any canopy opening depressurises.
    cabin_step(0.001);
    EXPECT_EQ(G_Cabin.cabin_altitude, 9144.0);
    EXPECT_EQ(G_Cabin.cabin_pressure_differential, 0.0);

    // Above 40000 ft the cabin stays 6096 m below; the differential caps.
    set_air(0, 0, 0, 1, 1000.0, 295, 216, 15000.0);
    cabin_step(0.0);
    EXPECT_EQ(G_Cabin.cabin_altitude, 15000.0 - 6096.0);
    EXPECT_EQ(G_Cabin.cabin_pressure_differential, 33000.0);

    // A cabin lower than outside never reads negative.
    set_air(0, 0, 0, 1, 120000.0, 340, 288, 0.0);
    cabin_step(0.0);
    EXPECT_EQ(G_Cabin.cabin_pressure_differential, 0.0);
}

TEST_F(Cues, ImpactPointInLevelFlight) {
    G_Params = Global_Params{};
    G_Params.world_vel_x = 200.0;
    G_FlightState.height_above_surface = 100.0;
    EXPECT_NEAR(ccip_cue_step(), -0.1102, 1e-4);
    G_Params.pitch = 0.05;
    EXPECT_NEAR(ccip_cue_step(), -0.1602, 1e-4);
}
