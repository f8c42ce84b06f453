// Animation arguments of the external model and the cockpit. The host owns
// both arrays and tells us their length; an index at or past it is skipped,
// never written, so a short array cannot make us write into the host's
// memory. Every value leaves in single precision.
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "outputs/outputs.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"

namespace {

// Gauge scales.
constexpr double kBusGaugeLowVolts = 21.0;  // the gauge spans 21..29 V
constexpr double kBusGaugePerVolt = 0.125;
constexpr double kPressureGaugeFullPsi = 4000.0;
constexpr double kCabinGaugeFullM = 15240.0;  // 50000 ft

// Lamp thresholds.
constexpr double kLowPressurePsi = 1660.0;
constexpr double kLowStandbyPsi = 800.0;
constexpr double kRatDeployedLamp = 0.25;          // deployment fraction
constexpr double kCabinAltitudeWarningM = 7467.6;  // 24500 ft

struct Args {
    float* values;
    std::size_t size;

    void put(std::size_t index, double value) const {
        if (index < size) values[index] = static_cast<float>(value);
    }
};

double flag(bool value) { return value ? 1.0 : 0.0; }

bool in_transit(double position) { return position > 0.0 && position < 1.0; }

}  // namespace

void write_external_draw_args(float* args, std::size_t size) {
    const Args out{args, size};
    const Landing_Gear& gear = G_Gear;
    const Surface_State& surfaces = G_FlightControls.surfaces;
    const Hydraulics& hyd = G_Hydraulics;
    const Lights& lights = G_Lights;

    out.put(0, gear.wheels[LEG_NOSE].gear_position);
    out.put(5, gear.wheels[LEG_LEFT].gear_position);
    out.put(9, surfaces.flap_fraction_right);
    out.put(10, surfaces.flap_fraction_left);
    // The two ailerons move against each other.
    out.put(11, -surfaces.aileron_fraction);
    out.put(12, surfaces.aileron_fraction);
    out.put(13, surfaces.slat_fraction);
    out.put(14, surfaces.slat_fraction);
    out.put(15, surfaces.elevator_fraction);
    out.put(16, surfaces.elevator_fraction);
    out.put(17, surfaces.rudder_fraction);
    out.put(25, G_Hook.hook_position);
    out.put(38, G_Canopy.canopy.position);
    out.put(60, hyd.rat_deploy);
    out.put(61, hyd.rat_phase);
    out.put(85, gear.bar_position);
    out.put(189, lights.landing_light);
    out.put(190, lights.light_a);
    out.put(191, lights.strobe_output);
    out.put(192, lights.beacon_on);
    out.put(193, lights.light_b);
    out.put(194, lights.beacon_phase);
    out.put(195, lights.light_steady);
    out.put(500, surfaces.speed_brake_fraction);
}

void write_cockpit_draw_args(float* args, std::size_t size) {
    const Args out{args, size};
    const Landing_Gear& gear = G_Gear;
    const Flight_Controls& fcs = G_FlightControls;
    const Surface_State& surfaces = fcs.surfaces;
    const Hydraulics& hyd = G_Hydraulics;
    const Engine& engine = G_Engine;
    const Electrical_System& electrical = G_Electrical;
    const Lights& lights = G_Lights;
    const double cabin_altitude = G_Cabin.cabin_altitude;

    // Controls, gauges and light levels.
    out.put(1, G_Canopy.canopy.position);
    out.put(2, fcs.roll_stick);
    out.put(3, -fcs.pitch_stick);  // the pitch axis as the host sent it
    out.put(4, -G_Params.pedal_position);
    out.put(5, engine.throttle_lever);
    out.put(124, gear.wheels[LEG_LEFT].brake);
    out.put(125, gear.wheels[LEG_RIGHT].brake);
    out.put(304, (electrical.essential_bus_volts - kBusGaugeLowVolts) * kBusGaugePerVolt);
    out.put(306, surfaces.elevator_fraction);
    out.put(307, fcs.roll_trim);
    out.put(308, fcs.rudder_trim);
    out.put(309, hyd.backup_pressure / kPressureGaugeFullPsi);
    out.put(310, hyd.main_pressure / kPressureGaugeFullPsi);
    out.put(311, hyd.brake_pressure / kPressureGaugeFullPsi);
    out.put(313, cabin_altitude / kCabinGaugeFullM);
    out.put(408, lights.cockpit_level[2]);
    out.put(409, lights.cockpit_level[1]);
    out.put(410, lights.cockpit_level[0]);

    // Lamps and indicators: all dark while the essential bus is unpowered.
    // Index 73 belongs to no lamp and is left to the host.
    const bool powered = electrical.essential_bus_powered;
    const auto lamp = [&out, powered](std::size_t index, double value) {
        out.put(index, powered ? value : 0.0);
    };
    const bool low_pressure =
        hyd.main_pressure < kLowPressurePsi || hyd.backup_pressure < kLowPressurePsi;
    const bool legs_in_transit = in_transit(gear.legs[LEG_NOSE].position) ||
                                 in_transit(gear.legs[LEG_LEFT].position) ||
                                 in_transit(gear.legs[LEG_RIGHT].position);

    lamp(71, flag(G_CommandInput.engine_rpm_lamp));
    lamp(72, flag(G_Canopy.canopy.position > 0.0));
    lamp(74, flag(low_pressure));
    lamp(75, flag(low_pressure));
    lamp(80, flag(hyd.rat_deploy > kRatDeployedLamp));
    lamp(98, flag(engine.gts_ready));
    lamp(99, flag(engine.core.start_in_progress));
    lamp(101, flag(gear.steer_mode_full));
    lamp(102, gear.panel_switch);
    lamp(111, flag(in_transit(G_Hook.hook.position)));
    lamp(120, flag(legs_in_transit));
    lamp(121, flag(gear.legs[LEG_NOSE].position == 1.0));
    lamp(122, flag(gear.legs[LEG_LEFT].position == 1.0));
    lamp(123, flag(gear.legs[LEG_RIGHT].position == 1.0));
    lamp(127, flag(surfaces.flap_fraction_right == 0.5));
    lamp(128, flag(surfaces.flap_fraction_right == 1.0));
    lamp(131, flag(gear.bar.position == 1.0 && gear.bar_switch && weight_on_wheels()));
    lamp(140, flag(surfaces.speed_brake_fraction > 0.0));
    lamp(141, flag(surfaces.speed_brake_fraction == 1.0));
    lamp(149, flag(hyd.main_pressure < kLowPressurePsi && hyd.backup_pressure < kLowPressurePsi &&
                   hyd.standby_pressure < kLowStandbyPsi));
    lamp(151, flag(cabin_altitude > kCabinAltitudeWarningM));
    lamp(153, flag(!electrical.generator_online));
    lamp(411, flag(legs_in_transit));
}
