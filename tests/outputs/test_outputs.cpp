// Parameter export and cockpit lamps, read from records set by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "outputs/outputs.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "support/model_state.h"

using Outputs = Model_Test;

namespace {

constexpr float kSentinel = -7.0f;

std::vector<float> cockpit() {
    std::vector<float> args(420, kSentinel);
    write_cockpit_draw_args(args.data(), 412);
    return args;
}

}  // namespace

TEST_F(Outputs, ParametersComeFromTheRightSourceInTheHostsUnits) {
    G_Engine.gts_rpm = 40.0;
    G_Engine.core.rpm = 80.0;
    G_Engine.core.n1_rpm = 90.0;
    EXPECT_DOUBLE_EQ(get_param(3), 0.4);
    EXPECT_EQ(get_param(117), 40.0);
    EXPECT_DOUBLE_EQ(get_param(105), 0.8);
    EXPECT_DOUBLE_EQ(get_param(101), 0.9);
    EXPECT_DOUBLE_EQ(get_param(106), 25600.0);

    Wheel_Contact* w = G_Gear.wheels;
    w[LEG_NOSE].gear_position = 0.3;
    w[LEG_LEFT].brake = 0.2;
    w[LEG_RIGHT].gear_position = 1.0;
    EXPECT_EQ(get_param(2002), 0.3);
    EXPECT_EQ(get_param(2011), 0.2);
    EXPECT_EQ(get_param(2013), 1.0);  // left main up
    EXPECT_EQ(get_param(2024), 1.0);  // right main down
    EXPECT_EQ(get_param(2021), 0.0);

    G_Gear.steer_position = 0.185;
    EXPECT_EQ(get_param(2005), 0.0);  // centred in the air
    w[LEG_NOSE].compression = 0.01;
    EXPECT_EQ(get_param(2005), -0.185);

    G_Gear.panel_switch = 0.7f;
    EXPECT_EQ(get_param(2122), static_cast<double>(0.7f));
    G_Cabin.cabin_pressure_differential = 27330.0;
    EXPECT_EQ(get_param(2131), 27330.0);
    for (unsigned n : {0u, 2001u, 5000u}) EXPECT_EQ(get_param(n), 0.0);
}

TEST_F(Outputs, LampThresholdsAndTheBusGate) {
    Hydraulics& hyd = G_Hydraulics;
    hyd.main_pressure = hyd.backup_pressure = 1660.0;
    G_FlightControls.surfaces.flap_fraction_right = 0.5;
    G_Cabin.cabin_altitude = 7467.6;
    G_Electrical.essential_bus_powered = true;
    std::vector<float> a = cockpit();
    EXPECT_EQ(a[74], 0.0f);
    EXPECT_EQ(a[127], 1.0f);
    EXPECT_EQ(a[128], 0.0f);
    EXPECT_EQ(a[151], 0.0f);
    EXPECT_EQ(a[153], 1.0f);  // generator off line
    EXPECT_EQ(a[73], kSentinel);

    hyd.main_pressure = std::nextafter(1660.0, 0.0);
    G_FlightControls.surfaces.flap_fraction_right = 0.75;
    G_Cabin.cabin_altitude = std::nextafter(7467.6, 1e4);
    a = cockpit();
    EXPECT_EQ(a[74], 1.0f);
    EXPECT_EQ(a[75], 1.0f);
    EXPECT_EQ(a[149], 0.0f);  // backup still at 1660
    EXPECT_EQ(a[127], 0.0f);
    EXPECT_EQ(a[128], 0.0f);
    EXPECT_EQ(a[151], 1.0f);

    // Unpowered: every lamp dark, the gauges still written.
    hyd.main_pressure = 3000.0;
    G_Electrical.essential_bus_powered = false;
    a = cockpit();
    for (int lamp : {74, 75, 151, 153}) EXPECT_EQ(a[lamp], 0.0f) << lamp;
    EXPECT_EQ(a[310], 0.75f);
    EXPECT_EQ(a[309], 0.415f);
}
