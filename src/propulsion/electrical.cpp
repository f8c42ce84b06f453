// Two batteries and an engine-driven generator on the essential bus. The
// generator's on-line state is decided after the bus is fed, so a change
// reaches the bus one step later.
#include "propulsion/electrical.h"

#include "aero/grid_table.h"

Electrical_System G_Electrical;

namespace {

constexpr double kEmptyVolts = 21.0;      // battery at 0 % charge
constexpr double kChargeSpanVolts = 3.0;  // 21 V empty .. 24 V full
constexpr double kGeneratorVolts = 28.0;
constexpr double kChargeRate = 0.417;      // %/s on the generator (empty to full in ~240 s)
constexpr double kDischargeRate = 0.1389;  // %/s as sole supply (full to empty in ~720 s)
constexpr double kGeneratorMinRpm = 0.45;  // fraction of full rpm

double battery_volts(double charge) { return kEmptyVolts + kChargeSpanVolts * charge / 100.0; }

// Both batteries switched on: the bus sits at the voltage of their mean
// charge.
double paired_volts(double charge1, double charge2) {
    return kEmptyVolts + kChargeSpanVolts * (charge1 + charge2) / 200.0;
}

}  // namespace

void electrical_step(double dt, double rpm_fraction) {
    Electrical_System& el = G_Electrical;

    // Bus supply from the generator state of the previous step.
    if (el.generator_online) {
        el.essential_bus_powered = true;
        el.essential_bus_volts = kGeneratorVolts;
        if (el.battery1_on) {
            el.battery1_charge = clamp(el.battery1_charge + kChargeRate * dt, 0.0, 100.0);
            el.battery1_volts = battery_volts(el.battery1_charge);
        }
        if (el.battery2_on) {
            el.battery2_charge = clamp(el.battery2_charge + kChargeRate * dt, 0.0, 100.0);
            el.battery2_volts = battery_volts(el.battery2_charge);
        }
    } else {
        double bus_volts;
        if (el.battery1_on && el.battery1_charge > 0.0) {
            // Battery 1 carries the bus alone; battery 2 is not drawn on.
            el.battery1_charge = clamp(el.battery1_charge - kDischargeRate * dt, 0.0, 100.0);
            el.battery1_volts = battery_volts(el.battery1_charge);
            bus_volts = el.battery2_on ? paired_volts(el.battery1_charge, el.battery2_charge)
                                       : el.battery1_volts;
        } else if (el.battery2_on && el.battery2_charge > 0.0) {
            el.battery2_charge = clamp(el.battery2_charge - kDischargeRate * dt, 0.0, 100.0);
            el.battery2_volts = battery_volts(el.battery2_charge);
            // Battery 1, if switched on, is empty here.
            bus_volts = el.battery1_on ? paired_volts(0.0, el.battery2_charge) : el.battery2_volts;
        } else {
            // Both switched on and both empty: 21 V, which is not enough.
            bus_volts = (el.battery1_on && el.battery2_on) ? paired_volts(0.0, 0.0) : 0.0;
        }
        el.essential_bus_volts = bus_volts;
        el.essential_bus_powered = bus_volts > kEmptyVolts;
    }

    // Generator, effective on the bus from the next step.
    el.generator_online = rpm_fraction >= kGeneratorMinRpm && el.generator_switch;
    el.generator_volts = el.generator_online ? kGeneratorVolts : 0.0;

    // Publish.
    cockpit_set(el.api, el.ess_handle, el.essential_bus_volts);
    cockpit_set(el.api, el.gen_handle, el.generator_volts);
}
