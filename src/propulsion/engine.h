// The turbofan with its gas-turbine starter (GTS). Speeds in per cent:
// rpm is the main speed (55 idle, 100 full power); n1_rpm is the speed the
// starter cranks and windmilling sets, published as "N1_RPM".
#pragma once

#include "host/cockpit_bridge.h"
#include "host/force_list.h"
#include "host/shared_state.h"

// Throttle floor while approach idle is on (gear down in the air), per cent.
constexpr double kApproachIdlePercent = 37.7;

struct Electrical_System;

struct Engine_Core {
    Force_List forces;          // thrust, one per frame, at thrust_point
    double power = 0.0;         // lagged power setting, per cent
    double thrust = 0.0;        // N
    double throttle = 0.0;      // command, per cent
    double max_thrust = 0.0;    // cycle thrust before rpm scaling, N
    double egt = 25.0;          // exhaust gas temperature, deg C
    double fuel_flow = 0.0;     // kg/s
    double rpm = 0.0;           // per cent
    double n1_rpm = 0.0;        // per cent
    double windmill_rpm = 0.0;  // per cent the airflow alone would turn
    bool lit = false;
    bool start_requested = false;
    bool start_in_progress = false;
    Flight_State* state = nullptr;
    Vec3 thrust_point{-5.0, 0.02, 0.0};  // m, body axes
    Cockpit_Api egt_api;
    Cockpit_Handle egt_handle = nullptr;
    Cockpit_Handle tat_handle = nullptr;
    Cockpit_Handle test_handle = nullptr;
};

struct Engine {
    // GTS flags; the "shutdown pattern" sets them false, true, false, false.
    bool gts_ready = false;
    bool gts_spool_down = false;
    bool gts_starting = false;
    bool gts_engaged = false;
    double gts_rpm = 0.0;  // per cent
    Cockpit_Api gts_api;
    Cockpit_Handle gts_rpm_handle = nullptr;
    Electrical_System* electrical = nullptr;
    Engine_Core core;
    double start_switch = 0.0;    // 0 off, 0.5 run, 1 start
    double throttle_lever = 0.0;  // 0 cut-off, 0.2 idle detent .. 1
    bool fuel_on = false;
    bool weight_on_wheels = false;  // copy from the last step
    Cockpit_Api n1_api;
    bool approach_idle = false;  // gear down and airborne: throttle floor kApproachIdlePercent
    Cockpit_Handle n1_handle = nullptr;
};

extern Engine G_Engine;

void engine_step(double dt, double total_internal_fuel, bool all_gear_down, bool weight_on_wheels);
void set_start_switch(double v);
void press_gts_start();
void toggle_cutoff();
