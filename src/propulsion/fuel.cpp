// Four internal tanks. Fuel goes in to the fuselage tanks first (1, 0) and
// then the wing tanks (2, 3); it is burned from the wing tanks first (3, 2),
// then 0, and tank 1 last. External fuel is not carried.
#include "propulsion/fuel.h"

#include "host/finite_bits.h"

Fuel_System G_Fuel;

namespace {

// Capacities in pounds; stored in kg.
constexpr double kTank0Lb = 3100.0;
constexpr double kTank1Lb = 2800.0;
constexpr double kWingTankLb = 525.0;

constexpr int kFillOrder[4] = {1, 0, 2, 3};
constexpr int kBurnOrder[4] = {3, 2, 0, 1};

}  // namespace

void fuel_construct() {
    Fuel_Tank* t = G_Fuel.tanks;
    t[0].capacity = kTank0Lb * kKgPerLb;
    t[0].position = Vec3{1.0, 0.0, 0.0};
    t[1].capacity = kTank1Lb * kKgPerLb;
    t[1].position = Vec3{-1.0, 0.0, 0.0};
    t[2].capacity = kWingTankLb * kKgPerLb;
    t[2].position = Vec3{0.0, 0.0, 1.5};
    t[3].capacity = kWingTankLb * kKgPerLb;
    t[3].position = Vec3{0.0, 0.0, -1.5};
}

void fill_tanks(double amount) {
    // A negative amount would drain tank 1 below empty, and a NaN would
    // poison it for good; neither is fuel to add. Nor is an infinite one.
    // (Finiteness first, from the bits, so no comparison meets a NaN.)
    if (!finite_bits(amount) || !(amount > 0.0)) return;
    for (int index : kFillOrder) {
        Fuel_Tank& tank = G_Fuel.tanks[index];
        const double space = tank.capacity - tank.quantity;
        if (amount > space) {
            tank.quantity = tank.capacity;
            amount -= space;
        } else {
            tank.quantity += amount;
            amount = 0.0;
        }
    }
}

void fuel_burn(double dt, double fuel_flow) {
    Fuel_System& fuel = G_Fuel;
    if (fuel.unlimited_fuel || total_internal() == 0.0) return;
    double demand = fuel_flow * dt;
    // A negative demand would put fuel back above a tank's capacity.
    if (!(demand > 0.0)) return;
    double taken = 0.0;
    for (int index : kBurnOrder) {
        Fuel_Tank& tank = fuel.tanks[index];
        if (demand > tank.quantity) {
            taken += tank.quantity;
            demand -= tank.quantity;
            tank.quantity = 0.0;
        } else {
            tank.quantity -= demand;
            taken += demand;
            demand = 0.0;
        }
    }
    fuel.fuel_used += taken;
}

double total_internal() {
    const Fuel_Tank* t = G_Fuel.tanks;
    return t[0].quantity + t[1].quantity + t[2].quantity + t[3].quantity;
}
