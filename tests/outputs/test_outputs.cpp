// Parameter export and cockpit lamps, read from records set by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "outputs/outputs.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"
#include "support/model_state.h"
#include "support/protocol.h"

using Outputs = Model_Test;

namespace {

constexpr float kSentinel = -7.0f;

// The host's array is longer than the size it passes: nothing past the size
// may be written.
std::vector<float> cockpit() {
    std::vector<float> args(QFM_COCKPIT_ARG_COUNT + 8, kSentinel);
    write_cockpit_draw_args(args.data(), QFM_COCKPIT_ARG_COUNT);
    return args;
}

// clang-format off
constexpr int kLamps[] = {
    QFM_COCKPIT_LAMP_ENGINE_RPM, QFM_COCKPIT_LAMP_CANOPY, QFM_COCKPIT_LAMP_LOW_PRESSURE_A,
    QFM_COCKPIT_LAMP_LOW_PRESSURE_B, QFM_COCKPIT_LAMP_RAT, QFM_COCKPIT_LAMP_GTS_READY,
    QFM_COCKPIT_LAMP_START, QFM_COCKPIT_LAMP_STEER_FULL, QFM_COCKPIT_LAMP_GEAR_PANEL,
    QFM_COCKPIT_LAMP_HOOK_TRANSIT, QFM_COCKPIT_LAMP_GEAR_TRANSIT, QFM_COCKPIT_LAMP_NOSE_DOWN,
    QFM_COCKPIT_LAMP_LEFT_DOWN, QFM_COCKPIT_LAMP_RIGHT_DOWN, QFM_COCKPIT_LAMP_FLAP_HALF,
    QFM_COCKPIT_LAMP_FLAP_FULL, QFM_COCKPIT_LAMP_BAR_READY, QFM_COCKPIT_LAMP_SPEED_BRAKE,
    QFM_COCKPIT_LAMP_SPEED_BRAKE_FULL, QFM_COCKPIT_LAMP_HYDRAULICS_OUT,
    QFM_COCKPIT_LAMP_CABIN_ALTITUDE, QFM_COCKPIT_LAMP_GENERATOR_OFF,
    QFM_COCKPIT_LAMP_GEAR_TRANSIT_B};
// clang-format on

}  // namespace

TEST_F(Outputs, EveryParameterNumberAnswersFromItsSourceInTheHostsUnits) {
    Engine& engine = G_Engine;
    Wheel_Contact* w = G_Gear.wheels;
    engine.gts_rpm = 40.0;
    engine.core.rpm = 80.0;
    engine.core.n1_rpm = 90.0;
    engine.core.fuel_flow = 0.3;
    w[LEG_NOSE].gear_position = 0.3;
    w[LEG_LEFT].gear_position = 0.0;
    w[LEG_LEFT].brake = 0.2;
    w[LEG_RIGHT].gear_position = 1.0;
    w[LEG_RIGHT].brake = 0.6;
    G_Gear.panel_switch = 0.7f;
    G_Cabin.cabin_pressure_differential = 27330.0;
    for (Fuel_Tank& tank : G_Fuel.tanks) tank.quantity = 125.0;  // 500 kg: low

    // Each value and every number that answers it; the last row are numbers
    // of no parameter.
    const struct {
        double value;
        std::vector<unsigned> numbers;
    } rows[] = {
        // clang-format off
        {0.4, {QFM_PARAM_GTS_RPM_FRACTION_A, QFM_PARAM_GTS_RPM_FRACTION_B}},
        {40.0, {QFM_PARAM_GTS_RPM_PERCENT_A, QFM_PARAM_GTS_RPM_PERCENT_B, QFM_PARAM_GTS_RPM_PERCENT_C}},
        {1.0, {QFM_PARAM_ONE_A, QFM_PARAM_ONE_B, QFM_PARAM_ONE_C, QFM_PARAM_ONE_D, QFM_PARAM_ONE_E,
               QFM_PARAM_ONE_F, QFM_PARAM_LEFT_GEAR_UP, QFM_PARAM_RIGHT_GEAR, QFM_PARAM_RIGHT_GEAR_DOWN,
               QFM_PARAM_LOW_FUEL}},
        {0.8, {QFM_PARAM_RPM_FRACTION_A, QFM_PARAM_RPM_FRACTION_B, QFM_PARAM_RPM_FRACTION_C,
               QFM_PARAM_RPM_FRACTION_D, QFM_PARAM_RPM_FRACTION_E}},
        {0.9, {QFM_PARAM_N1_FRACTION}},
        {25600.0, {QFM_PARAM_ENGINE_SPEED_A, QFM_PARAM_ENGINE_SPEED_B}},
        {0.3, {QFM_PARAM_FUEL_FLOW_A, QFM_PARAM_FUEL_FLOW_B, QFM_PARAM_FUEL_FLOW_C, QFM_PARAM_NOSE_GEAR}},
        {0.2, {QFM_PARAM_LEFT_BRAKE}},
        {0.6, {QFM_PARAM_RIGHT_BRAKE}},
        {500.0, {QFM_PARAM_INTERNAL_FUEL_A, QFM_PARAM_INTERNAL_FUEL_B}},
        {static_cast<double>(0.7f), {QFM_PARAM_GEAR_PANEL}},
        {27330.0, {QFM_PARAM_CABIN_PRESSURE}},
        {0.0, {QFM_PARAM_STEERING /* no weight on wheels */, QFM_PARAM_LEFT_GEAR,
               QFM_PARAM_LEFT_GEAR_DOWN, QFM_PARAM_RIGHT_GEAR_UP, 0, 2001, 5000}},
        // clang-format on
    };
    for (const auto& row : rows) {
        for (unsigned n : row.numbers) EXPECT_DOUBLE_EQ(get_param(n), row.value) << n;
    }

    G_Gear.steer_position = 0.185;
    w[LEG_NOSE].compression = 0.01;
    EXPECT_EQ(get_param(QFM_PARAM_STEERING), -0.185);
    G_Fuel.tanks[0].quantity += 0.1;
    EXPECT_EQ(get_param(QFM_PARAM_LOW_FUEL), 0.0);
}

TEST_F(Outputs, LampThresholds) {
    Hydraulics& hyd = G_Hydraulics;
    hyd.main_pressure = hyd.backup_pressure = 1660.0;
    G_FlightControls.surfaces.flap_fraction_right = 0.5;
    G_Cabin.cabin_altitude = 7467.6;
    G_Electrical.essential_bus_powered = true;
    std::vector<float> a = cockpit();
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_LOW_PRESSURE_A], 0.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_FLAP_HALF], 1.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_FLAP_FULL], 0.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_CABIN_ALTITUDE], 0.0f);
    EXPECT_EQ(a[QFM_COCKPIT_ARG_MAIN_PRESSURE], 0.415f);
    EXPECT_EQ(a[QFM_COCKPIT_ARG_BACKUP_PRESSURE], 0.415f);

    hyd.main_pressure = std::nextafter(1660.0, 0.0);
    G_FlightControls.surfaces.flap_fraction_right = 0.75;
    G_Cabin.cabin_altitude = std::nextafter(7467.6, 1e4);
    a = cockpit();
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_LOW_PRESSURE_A], 1.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_LOW_PRESSURE_B], 1.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_HYDRAULICS_OUT], 0.0f);  // backup still at 1660
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_FLAP_HALF], 0.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_FLAP_FULL], 0.0f);
    EXPECT_EQ(a[QFM_COCKPIT_LAMP_CABIN_ALTITUDE], 1.0f);
}

// The one check of the bus gate: a state that lights every lamp it can (a
// leg in transit cannot show down, half flap is not full flap), then the
// same state unpowered: every lamp dark, every other argument unchanged,
// index 73 and everything past the array size never written.
TEST_F(Outputs, UnpoweredBusDarkensEveryLampAndNothingElse) {
    G_CommandInput.engine_rpm_lamp = true;
    G_Canopy.canopy.position = 0.5;
    G_Hydraulics.rat_deploy = 1.0;  // all pressures 0
    G_Engine.gts_ready = true;
    G_Engine.core.start_in_progress = true;
    Landing_Gear& gear = G_Gear;
    gear.steer_mode_full = true;
    gear.panel_switch = 1.0f;
    gear.legs[LEG_NOSE].position = gear.legs[LEG_RIGHT].position = 1.0;
    gear.legs[LEG_LEFT].position = 0.5;
    gear.bar.position = 1.0;
    gear.bar_switch = true;
    gear.wheels[LEG_NOSE].compression = 0.1;
    G_Hook.hook.position = 0.5;
    Surface_State& surfaces = G_FlightControls.surfaces;
    surfaces.flap_fraction_right = 1.0;
    surfaces.speed_brake_fraction = 1.0;
    surfaces.elevator_fraction = 0.25;
    G_Cabin.cabin_altitude = 8000.0;
    G_Electrical.essential_bus_powered = true;
    const std::vector<float> powered = cockpit();
    G_Electrical.essential_bus_powered = false;
    const std::vector<float> dark = cockpit();

    for (int lamp : kLamps) {
        const bool can_light =
            lamp != QFM_COCKPIT_LAMP_LEFT_DOWN && lamp != QFM_COCKPIT_LAMP_FLAP_HALF;
        EXPECT_EQ(powered[lamp], can_light ? 1.0f : 0.0f) << lamp;
        EXPECT_EQ(dark[lamp], 0.0f) << lamp;
    }
    for (int i = 0; i < QFM_COCKPIT_ARG_COUNT; ++i) {
        EXPECT_TRUE(qfm_test::contains(kLamps, i) || dark[i] == powered[i]) << i;
    }
    EXPECT_EQ(dark[QFM_COCKPIT_ARG_ELEVATOR], 0.25f);
    EXPECT_EQ(dark[QFM_COCKPIT_ARG_UNUSED], kSentinel);
    EXPECT_EQ(dark[QFM_COCKPIT_ARG_COUNT - 1], 0.0f);  // the last index is written
    for (std::size_t i = QFM_COCKPIT_ARG_COUNT; i < dark.size(); ++i) EXPECT_EQ(dark[i], kSentinel);
}
