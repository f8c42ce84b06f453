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
#include "quillon_fm_ids.h"

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

    out.put(QFM_ARG_NOSE_GEAR, gear.wheels[LEG_NOSE].gear_position);
    out.put(QFM_ARG_LEFT_GEAR, gear.wheels[LEG_LEFT].gear_position);
    out.put(QFM_ARG_FLAP_RIGHT, surfaces.flap_fraction_right);
    out.put(QFM_ARG_FLAP_LEFT, surfaces.flap_fraction_left);
    // The two ailerons move against each other.
    out.put(QFM_ARG_AILERON_NEGATED, -surfaces.aileron_fraction);
    out.put(QFM_ARG_AILERON, surfaces.aileron_fraction);
    out.put(QFM_ARG_SLAT_A, surfaces.slat_fraction);
    out.put(QFM_ARG_SLAT_B, surfaces.slat_fraction);
    out.put(QFM_ARG_ELEVATOR_A, surfaces.elevator_fraction);
    out.put(QFM_ARG_ELEVATOR_B, surfaces.elevator_fraction);
    out.put(QFM_ARG_RUDDER, surfaces.rudder_fraction);
    out.put(QFM_ARG_HOOK, G_Hook.hook_position);
    out.put(QFM_ARG_CANOPY, G_Canopy.canopy.position);
    out.put(QFM_ARG_RAT_DEPLOY, hyd.rat_deploy);
    out.put(QFM_ARG_RAT_PHASE, hyd.rat_phase);
    out.put(QFM_ARG_BAR, gear.bar_position);
    out.put(QFM_ARG_LANDING_LIGHT, lights.landing_light);
    out.put(QFM_ARG_LIGHT_A, lights.light_a);
    out.put(QFM_ARG_STROBE, lights.strobe_output);
    out.put(QFM_ARG_BEACON_ON, lights.beacon_on);
    out.put(QFM_ARG_LIGHT_B, lights.light_b);
    out.put(QFM_ARG_BEACON_PHASE, lights.beacon_phase);
    out.put(QFM_ARG_LIGHT_STEADY, lights.light_steady);
    out.put(QFM_ARG_SPEED_BRAKE, surfaces.speed_brake_fraction);
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
    out.put(QFM_COCKPIT_ARG_CANOPY, G_Canopy.canopy.position);
    out.put(QFM_COCKPIT_ARG_STICK_ROLL, fcs.roll_stick);
    out.put(QFM_COCKPIT_ARG_STICK_PITCH, -fcs.pitch_stick);  // the pitch axis as the host sent it
    out.put(QFM_COCKPIT_ARG_PEDALS, -G_Params.pedal_position);
    out.put(QFM_COCKPIT_ARG_THROTTLE, engine.throttle_lever);
    out.put(QFM_COCKPIT_ARG_LEFT_BRAKE, gear.wheels[LEG_LEFT].brake);
    out.put(QFM_COCKPIT_ARG_RIGHT_BRAKE, gear.wheels[LEG_RIGHT].brake);
    out.put(QFM_COCKPIT_ARG_BUS_VOLTS,
            (electrical.essential_bus_volts - kBusGaugeLowVolts) * kBusGaugePerVolt);
    out.put(QFM_COCKPIT_ARG_ELEVATOR, surfaces.elevator_fraction);
    out.put(QFM_COCKPIT_ARG_ROLL_TRIM, fcs.roll_trim);
    out.put(QFM_COCKPIT_ARG_RUDDER_TRIM, fcs.rudder_trim);
    out.put(QFM_COCKPIT_ARG_BACKUP_PRESSURE, hyd.backup_pressure / kPressureGaugeFullPsi);
    out.put(QFM_COCKPIT_ARG_MAIN_PRESSURE, hyd.main_pressure / kPressureGaugeFullPsi);
    out.put(QFM_COCKPIT_ARG_BRAKE_PRESSURE, hyd.brake_pressure / kPressureGaugeFullPsi);
    out.put(QFM_COCKPIT_ARG_CABIN_ALTITUDE, cabin_altitude / kCabinGaugeFullM);
    out.put(QFM_COCKPIT_ARG_LIGHT3, lights.cockpit_level[2]);
    out.put(QFM_COCKPIT_ARG_LIGHT2, lights.cockpit_level[1]);
    out.put(QFM_COCKPIT_ARG_LIGHT1, lights.cockpit_level[0]);

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

    lamp(QFM_COCKPIT_LAMP_ENGINE_RPM, flag(G_CommandInput.engine_rpm_lamp));
    lamp(QFM_COCKPIT_LAMP_CANOPY, flag(G_Canopy.canopy.position > 0.0));
    lamp(QFM_COCKPIT_LAMP_LOW_PRESSURE_A, flag(low_pressure));
    lamp(QFM_COCKPIT_LAMP_LOW_PRESSURE_B, flag(low_pressure));
    lamp(QFM_COCKPIT_LAMP_RAT, flag(hyd.rat_deploy > kRatDeployedLamp));
    lamp(QFM_COCKPIT_LAMP_GTS_READY, flag(engine.gts_ready));
    lamp(QFM_COCKPIT_LAMP_START, flag(engine.core.start_in_progress));
    lamp(QFM_COCKPIT_LAMP_STEER_FULL, flag(gear.steer_mode_full));
    lamp(QFM_COCKPIT_LAMP_GEAR_PANEL, gear.panel_switch);
    lamp(QFM_COCKPIT_LAMP_HOOK_TRANSIT, flag(in_transit(G_Hook.hook.position)));
    lamp(QFM_COCKPIT_LAMP_GEAR_TRANSIT, flag(legs_in_transit));
    lamp(QFM_COCKPIT_LAMP_NOSE_DOWN, flag(gear.legs[LEG_NOSE].position == 1.0));
    lamp(QFM_COCKPIT_LAMP_LEFT_DOWN, flag(gear.legs[LEG_LEFT].position == 1.0));
    lamp(QFM_COCKPIT_LAMP_RIGHT_DOWN, flag(gear.legs[LEG_RIGHT].position == 1.0));
    lamp(QFM_COCKPIT_LAMP_FLAP_HALF, flag(surfaces.flap_fraction_right == 0.5));
    lamp(QFM_COCKPIT_LAMP_FLAP_FULL, flag(surfaces.flap_fraction_right == 1.0));
    lamp(QFM_COCKPIT_LAMP_BAR_READY,
         flag(gear.bar.position == 1.0 && gear.bar_switch && weight_on_wheels()));
    lamp(QFM_COCKPIT_LAMP_SPEED_BRAKE, flag(surfaces.speed_brake_fraction > 0.0));
    lamp(QFM_COCKPIT_LAMP_SPEED_BRAKE_FULL, flag(surfaces.speed_brake_fraction == 1.0));
    lamp(QFM_COCKPIT_LAMP_HYDRAULICS_OUT,
         flag(hyd.main_pressure < kLowPressurePsi && hyd.backup_pressure < kLowPressurePsi &&
              hyd.standby_pressure < kLowStandbyPsi));
    lamp(QFM_COCKPIT_LAMP_CABIN_ALTITUDE, flag(cabin_altitude > kCabinAltitudeWarningM));
    lamp(QFM_COCKPIT_LAMP_GENERATOR_OFF, flag(!electrical.generator_online));
    lamp(QFM_COCKPIT_LAMP_GEAR_TRANSIT_B, flag(legs_in_transit));
}
