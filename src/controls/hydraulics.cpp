// Hydraulic pressures (psi). Each system rises toward its source at a fixed
// rate and bleeds down at a fixed rate (the brake system in proportion to
// brake use) while above it. There are no fluid quantities or flows.
#include "controls/hydraulics.h"

#include "aero/grid_table.h"

Hydraulics G_Hydraulics;

namespace {

constexpr double kPumpSaturationFraction = 0.55;  // engine speed at full pump pressure
constexpr double kRisePsiPerSecond = 3000.0;
constexpr double kBleedPsiPerSecond = 200.0;
constexpr double kIsolationFraction = 0.42;  // engine speed that latches the isolation
constexpr double kResetFraction = 0.45;      // engine speed the reset needs

// Ram-air turbine.
constexpr double kRatDeployBackupPsi = 800.0;
constexpr double kRatDeployPumpPsi = 1500.0;
constexpr double kRatResetPumpPsi = 1800.0;
constexpr double kRatDeployedAbove = 0.8;     // deployment beyond which it delivers
constexpr double kRatFullPressureCas = 61.0;  // m/s
constexpr double kRatPhaseCasPerTurn = 7.0;   // m of airflow per turn of the phase

double limit_psi(double psi) { return clamp(psi, 0.0, kFullPressurePsi); }

// One rise step toward cap; the result is not held to full pressure here.
double rise_toward(double psi, double rise, double cap) {
    const double t = psi + rise;
    if (t > cap) return cap;
    return t > 0.0 ? t : 0.0;
}

double limit_unit(double x) {
    const double low_limited = x > 0.0 ? x : 0.0;
    return low_limited < 1.0 ? low_limited : 1.0;
}

}  // namespace

void hydraulic_step(double dt, double engine_speed_fraction, double left_brake,
                    double right_brake) {
    Hydraulics& h = G_Hydraulics;
    const double rise = kRisePsiPerSecond * dt;
    const double bleed = kBleedPsiPerSecond * dt;

    // Engine-driven pump, saturated at 55 per cent engine speed.
    h.engine_speed_fraction = engine_speed_fraction;
    h.pump_pressure = limit_psi(engine_speed_fraction / kPumpSaturationFraction * kFullPressurePsi);
    const double pump = h.pump_pressure;

    // Main system.
    if (h.main_pressure > pump) {
        h.main_pressure = limit_psi(h.main_pressure - bleed);
    } else {
        h.main_pressure = rise_toward(h.main_pressure, rise, pump);
    }

    // Brake system: above the pump it loses pressure only by braking.
    if (h.brake_pressure > pump) {
        h.brake_pressure = limit_psi(h.brake_pressure - (left_brake + right_brake) * 0.5 * bleed);
    } else {
        h.brake_pressure = rise_toward(h.brake_pressure, rise, pump);
    }

    // Backup system, fed by the pump (unless isolated) and the turbine of
    // the previous frame.
    const double ram = h.ram_air_pressure;
    const double cap = ram + pump;
    if ((h.backup_pressure > pump || h.backup_isolated) && h.backup_pressure > ram) {
        h.backup_pressure = limit_psi(h.backup_pressure - bleed);
    } else if (!h.backup_isolated || ram > h.backup_pressure) {
        h.backup_pressure = rise_toward(h.backup_pressure, rise, cap);
    }

    // Standby system, against the backup pressure just computed.
    if (h.standby_pressure > pump && h.backup_pressure > ram) {
        h.standby_pressure = limit_psi(h.standby_pressure - bleed);
    } else {
        h.standby_pressure = rise_toward(h.standby_pressure, rise, cap);
    }

    // Ram-air turbine: deploys on low pump pressure while the backup
    // system still holds pressure, and stays out while latched.
    const bool backup_held = h.backup_pressure > kRatDeployBackupPsi;
    if (backup_held && pump < kRatDeployPumpPsi) {
        h.rat_deploying = true;
        h.rat_latched = true;
    } else {
        h.rat_deploying = backup_held && h.rat_latched;
    }
    // Full travel takes 1 s.
    if (h.rat_deploying) {
        if (h.rat_deploy < 1.0) h.rat_deploy = limit_unit(h.rat_deploy + dt);
    } else {
        if (h.rat_deploy > 0.0) h.rat_deploy = limit_unit(h.rat_deploy - dt);
    }

    // Isolation latch; only the reset clears it.
    if (engine_speed_fraction < kIsolationFraction) h.backup_isolated = true;
}

void ram_air_step(double dt, double cas) {
    Hydraulics& h = G_Hydraulics;
    if (h.rat_deploy > kRatDeployedAbove) {
        h.ram_air_pressure = limit_psi(cas / kRatFullPressureCas * kFullPressurePsi);
        h.rat_phase += cas * dt / kRatPhaseCasPerTurn;
        if (h.rat_phase >= 1.0) h.rat_phase -= 1.0;
        h.rat_phase = limit_unit(h.rat_phase);
    } else {
        h.ram_air_pressure = 0.0;
    }
}

void hydraulic_reset() {
    Hydraulics& h = G_Hydraulics;
    if (h.engine_speed_fraction > kResetFraction) h.backup_isolated = false;
    if (h.rat_deploying && h.pump_pressure > kRatResetPumpPsi) {
        h.rat_deploying = false;
        h.rat_latched = false;
    }
}
