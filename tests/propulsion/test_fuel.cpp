#include "propulsion_test_support.h"

namespace {

constexpr double kTotalCapacity = 6950.0 * 0.45359237;  // kg, about 3152.466971

double quantity(int tank) { return G_Fuel.tanks[tank].quantity; }

}  // namespace

TEST_F(PropulsionTest, FillGoesToTanksOneZeroTwoThreeAndTruncatesAtCapacity) {
    fill_tanks(2000.0);
    EXPECT_DOUBLE_EQ(quantity(1), 1270.058636);
    EXPECT_NEAR(quantity(0), 729.941364, 1e-9);
    EXPECT_EQ(quantity(2), 0.0);
    EXPECT_EQ(quantity(3), 0.0);

    // Topping up continues in the same order.
    fill_tanks(700.0);
    EXPECT_DOUBLE_EQ(quantity(0), G_Fuel.tanks[0].capacity);
    EXPECT_NEAR(quantity(2), 700.0 - (1406.136347 - 729.941364), 1e-9);
    EXPECT_EQ(quantity(3), 0.0);

    // 4000 kg into empty tanks: all full, 847.533029 kg discarded.
    empty_tanks();
    fill_tanks(4000.0);
    EXPECT_DOUBLE_EQ(quantity(0), 1406.136347);
    EXPECT_DOUBLE_EQ(quantity(2), 238.13599425);
    EXPECT_DOUBLE_EQ(quantity(3), 238.13599425);
    EXPECT_NEAR(total_internal(), kTotalCapacity, 1e-9);
    EXPECT_NEAR(4000.0 - total_internal(), 847.533029, 1e-6);
}

TEST_F(PropulsionTest, BurnEmptiesTanksThreeTwoZeroOneInTurn) {
    fill_tanks(4000.0);
    const double wing = G_Fuel.tanks[3].capacity;
    // 100 kg/s for 1 s at a time.
    fuel_burn(1.0, 100.0);
    EXPECT_NEAR(quantity(3), wing - 100.0, 1e-9);
    EXPECT_EQ(quantity(2), wing);
    fuel_burn(1.0, 200.0);  // crosses from tank 3 into tank 2
    EXPECT_EQ(quantity(3), 0.0);
    EXPECT_NEAR(quantity(2), 2.0 * wing - 300.0, 1e-9);
    fuel_burn(1.0, 200.0);  // crosses into tank 0
    EXPECT_EQ(quantity(2), 0.0);
    EXPECT_LT(quantity(0), G_Fuel.tanks[0].capacity);
    EXPECT_EQ(quantity(1), G_Fuel.tanks[1].capacity);
    fuel_burn(1.0, 1406.136347);  // tank 0 empties, tank 1 starts
    EXPECT_EQ(quantity(0), 0.0);
    EXPECT_LT(quantity(1), G_Fuel.tanks[1].capacity);
    EXPECT_NEAR(G_Fuel.fuel_used, 100.0 + 200.0 + 200.0 + 1406.136347, 1e-9);
}

TEST_F(PropulsionTest, BurnCountsOnlyWhatTheTanksHeld) {
    G_Fuel.tanks[3].quantity = 4.0;
    G_Fuel.tanks[2].quantity = 100.0;
    fuel_burn(0.5, 20.0);
    EXPECT_EQ(quantity(3), 0.0);
    EXPECT_EQ(quantity(2), 94.0);
    EXPECT_EQ(G_Fuel.fuel_used, 10.0);

    empty_tanks();
    G_Fuel.fuel_used = 0.0;
    G_Fuel.tanks[1].quantity = 1.0;
    G_Fuel.tanks[0].quantity = 2.0;
    fuel_burn(1.0, 10.0);
    EXPECT_EQ(total_internal(), 0.0);
    EXPECT_EQ(G_Fuel.fuel_used, 3.0);

    // Empty: the burn does nothing at all.
    fuel_burn(1.0, 10.0);
    EXPECT_EQ(G_Fuel.fuel_used, 3.0);
}

TEST_F(PropulsionTest, BurnDoesNothingWhenDemandNotPositive) {
    fill_tanks(1000.0);
    fuel_burn(-1.0, 5.0);  // would put fuel back into tank 3
    fuel_burn(1.0, -5.0);
    fuel_burn(0.0, 5.0);
    EXPECT_EQ(total_internal(), 1000.0);
    EXPECT_EQ(G_Fuel.fuel_used, 0.0);
    for (const Fuel_Tank& tank : G_Fuel.tanks) EXPECT_LE(tank.quantity, tank.capacity);
}
