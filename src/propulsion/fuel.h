// Four internal tanks, filled and burned in fixed orders; all masses in kg.
#pragma once

#include "host/shared_state.h"

struct Fuel_Tank {
    double capacity = 0.0;  // kg
    double quantity = 0.0;  // kg
    Vec3 position;          // m, body axes
};

struct Fuel_System {
    bool unlimited_fuel = false;
    double fuel_used = 0.0;  // burned and not yet reported, kg
    double low_fuel_threshold = 500.0;
    Fuel_Tank tanks[4];
};

extern Fuel_System G_Fuel;

// Moments of inertia reported to the host, kg*m^2.
constexpr double kTargetInertiaX = 10247.0;
constexpr double kTargetInertiaY = 28268.8;
constexpr double kTargetInertiaZ = 30032.72;

void fuel_construct();
// Distributes amount over the tanks in fill order 1, 0, 2, 3; the rest is
// discarded. A negative amount is ignored.
void fill_tanks(double amount);
// Burns fuel_flow * dt from tanks 3, 2, 0, 1 unless unlimited or empty.
void fuel_burn(double dt, double fuel_flow);
double total_internal();
