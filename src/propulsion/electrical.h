// Two batteries and an engine-driven generator feeding the essential bus.
#pragma once

#include "host/cockpit_bridge.h"

struct Electrical_System {
    bool battery1_on = false;
    double battery1_charge = 100.0;  // per cent
    double battery1_volts = 24.0;
    bool battery2_on = false;
    double battery2_charge = 100.0;
    double battery2_volts = 24.0;
    bool generator_switch = false;
    bool essential_bus_powered = false;  // bus above 21 V
    double essential_bus_volts = 0.0;
    bool generator_online = false;
    double generator_volts = 0.0;  // 28 on line, else 0
    Cockpit_Api api;
    Cockpit_Handle ess_handle = nullptr;
    Cockpit_Handle gen_handle = nullptr;
};

extern Electrical_System G_Electrical;

// rpm_fraction: engine rpm per cent / 100. Publishes "ESS_SERV_BUS" then
// "GEN_BUS".
void electrical_step(double dt, double rpm_fraction);
