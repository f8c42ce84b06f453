// Four hydraulic pressures (psi) fed by the engine-driven pump and the
// ram-air turbine, with the backup isolation latch.
#pragma once

// Full system pressure: what the pump and the turbine deliver at most, and
// what a running aircraft starts with, psi.
constexpr double kFullPressurePsi = 3000.0;

struct Hydraulics {
    double pump_pressure = 0.0;     // what the pump can deliver, 0..kFullPressurePsi
    double ram_air_pressure = 0.0;  // from the turbine, 0..kFullPressurePsi
    bool backup_isolated = false;   // latched below 42 per cent engine speed
    double engine_speed_fraction = 0.0;
    double rat_phase = 0.0;   // rotation phase 0..1
    double rat_deploy = 0.0;  // 0 stowed .. 1 deployed
    bool rat_deploying = false;
    bool rat_latched = false;
    double main_pressure = 0.0;
    double backup_pressure = 0.0;
    double brake_pressure = 0.0;
    double standby_pressure = 0.0;
};

extern Hydraulics G_Hydraulics;

void hydraulic_step(double dt, double engine_speed_fraction, double left_brake, double right_brake);
// cas in m/s.
void ram_air_step(double dt, double cas);
void hydraulic_reset();
