#include "propulsion_test_support.h"

namespace {
constexpr double kDischarge = 0.1389;  // %/s
constexpr double kCharge = 0.417;      // %/s
}  // namespace

TEST_F(PropulsionTest, BatteriesFeedTheBusByTheirSwitchesAndCharges) {
    Electrical_System& el = G_Electrical;

    // No switch on: 0 V, unpowered.
    electrical_step(1.0, 0.0);
    EXPECT_EQ(el.essential_bus_volts, 0.0);
    EXPECT_FALSE(el.essential_bus_powered);

    // Both on, engine off: battery 1 alone discharges; the bus reads the
    // mean-charge voltage.
    el.battery1_on = el.battery2_on = true;
    electrical_step(1.0, 0.0);
    electrical_step(0.0, 0.0);  // a zero step draws nothing
    EXPECT_DOUBLE_EQ(el.battery1_charge, 100.0 - kDischarge);
    EXPECT_EQ(el.battery2_charge, 100.0);
    EXPECT_DOUBLE_EQ(el.battery1_volts, 21.0 + 3.0 * (100.0 - kDischarge) / 100.0);
    EXPECT_DOUBLE_EQ(el.essential_bus_volts, 21.0 + 3.0 * (200.0 - kDischarge) / 200.0);
    EXPECT_TRUE(el.essential_bus_powered);

    // Battery 1 runs flat after ~720 s of sole supply, then battery 2 takes
    // over with battery 1 counted empty.
    for (int i = 0; i < 719; ++i) electrical_step(1.0, 0.0);
    EXPECT_EQ(el.battery1_charge, 0.0);
    EXPECT_EQ(el.battery1_volts, 21.0);
    electrical_step(1.0, 0.0);
    EXPECT_DOUBLE_EQ(el.battery2_charge, 100.0 - kDischarge);
    EXPECT_DOUBLE_EQ(el.essential_bus_volts, 21.0 + 3.0 * (100.0 - kDischarge) / 200.0);
    // A long frame empties it, no further.
    electrical_step(10000.0, 0.0);
    EXPECT_EQ(el.battery2_charge, 0.0);
    EXPECT_EQ(el.battery2_volts, 21.0);

    // Battery 1 on and flat, battery 2 off: 0 V, unpowered.
    el.battery2_on = false;
    electrical_step(1.0, 0.0);
    EXPECT_EQ(el.essential_bus_volts, 0.0);
    EXPECT_FALSE(el.essential_bus_powered);

    // Battery 2 alone at 50 %: 22.5 V, powered.
    el.battery1_on = false;
    el.battery2_on = true;
    el.battery2_charge = 50.0;
    electrical_step(0.0, 0.0);
    EXPECT_EQ(el.essential_bus_volts, 22.5);
    EXPECT_TRUE(el.essential_bus_powered);

    // Both on and both empty: 21 V, which is not above 21.
    el.battery1_on = true;
    el.battery2_charge = 0.0;
    electrical_step(1.0, 0.0);
    EXPECT_EQ(el.essential_bus_volts, 21.0);
    EXPECT_FALSE(el.essential_bus_powered);
}

TEST_F(PropulsionTest, GeneratorComesOnLineAtFortyFivePercentAndFeedsTheBusNextStep) {
    Electrical_System& el = G_Electrical;
    el.battery1_on = true;
    el.generator_switch = true;

    electrical_step(0.01, 0.449);
    EXPECT_FALSE(el.generator_online);
    EXPECT_EQ(el.generator_volts, 0.0);

    // rpm 45 exactly: on line this step, the bus sees it from the next.
    electrical_step(0.01, 45.0 / 100.0);
    EXPECT_TRUE(el.generator_online);
    EXPECT_EQ(el.generator_volts, 28.0);
    EXPECT_LT(el.essential_bus_volts, 28.0);
    electrical_step(0.01, 0.45);
    EXPECT_EQ(el.essential_bus_volts, 28.0);

    // On the generator, switched-on batteries charge at 0.417 %/s, to 100.
    el.battery1_charge = 50.0;
    el.battery2_charge = 50.0;
    electrical_step(1.0, 0.9);
    EXPECT_DOUBLE_EQ(el.battery1_charge, 50.0 + kCharge);
    EXPECT_DOUBLE_EQ(el.battery1_volts, 21.0 + 3.0 * (50.0 + kCharge) / 100.0);
    EXPECT_EQ(el.battery2_charge, 50.0);  // switched off
    el.battery2_on = true;
    electrical_step(1.0, 0.9);
    EXPECT_DOUBLE_EQ(el.battery2_charge, 50.0 + kCharge);
    electrical_step(1000.0, 0.9);
    EXPECT_EQ(el.battery1_charge, 100.0);
    EXPECT_EQ(el.battery2_charge, 100.0);
    el.battery2_on = false;

    // Switch off: off line at once, the bus falls back to the battery next step.
    el.generator_switch = false;
    electrical_step(0.01, 0.9);
    EXPECT_FALSE(el.generator_online);
    EXPECT_EQ(el.essential_bus_volts, 28.0);
    electrical_step(0.01, 0.9);
    EXPECT_LT(el.essential_bus_volts, 24.0);
    EXPECT_TRUE(el.essential_bus_powered);
}
