#include "host/lifecycle.h"

#include "aero/aero_data.h"
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "host/hud_cues.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"
#include "quillon_fm_ids.h"

Host_Interface G_Host;

namespace {

constexpr double kInAirThrottle = 90.0;  // per cent

// Runs library_load when the module is loaded and library_unload when it is
// unloaded. Every record it touches is constant-initialised data, so the
// order below does not depend on the order in which the linker placed the
// source files.
struct Module_Lifetime {
    Module_Lifetime() { library_load(); }
    ~Module_Lifetime() { library_unload(); }
    Module_Lifetime(const Module_Lifetime&) = delete;
    Module_Lifetime& operator=(const Module_Lifetime&) = delete;
};

bool g_loaded = false;

}  // namespace

void library_load() {
    if (g_loaded) return;
    g_loaded = true;

    // In the order of the objects' dependencies. Shared flight state first:
    // air-data results start at zero.
    G_FlightState.true_airspeed = 0.0;
    G_FlightState.dynamic_pressure = 0.0;
    G_FlightState.mach = 0.0;
    G_FlightState.total_pressure = 0.0;
    G_FlightState.cas = 0.0;
    G_FlightState.kcas = 0.0;
    G_FlightState.icing = false;
    G_FlightState.height_above_surface = 0.0;

    // Aerodynamic data set.
    aero_data_construct();

    // Fuel system.
    fuel_construct();

    // Damage table.
    for (double& element : G_Host.damage) element = 0.0;

    // Electrical system.
    cockpit_bind(G_Electrical.api);
    G_Electrical.ess_handle = cockpit_handle(G_Electrical.api, QFM_COCKPIT_PARAM_ESS_BUS);
    G_Electrical.gen_handle = cockpit_handle(G_Electrical.api, QFM_COCKPIT_PARAM_GEN_BUS);

    // Light sequencers.
    lights_construct();

    // Engine: three bindings, then its five handles.
    Engine& engine = G_Engine;
    engine.electrical = &G_Electrical;
    engine.core.state = &G_FlightState;
    cockpit_bind(engine.gts_api);
    cockpit_bind(engine.n1_api);
    cockpit_bind(engine.core.egt_api);
    engine.gts_rpm_handle = cockpit_handle(engine.gts_api, QFM_COCKPIT_PARAM_GTS_RPM);
    engine.core.egt_handle = cockpit_handle(engine.core.egt_api, QFM_COCKPIT_PARAM_EGT);
    engine.core.tat_handle = cockpit_handle(engine.core.egt_api, QFM_COCKPIT_PARAM_TAT);
    engine.core.test_handle = cockpit_handle(engine.core.egt_api, QFM_COCKPIT_PARAM_ENGINE_TEST);
    engine.n1_handle = cockpit_handle(engine.n1_api, QFM_COCKPIT_PARAM_N1_RPM);

    // Flight control system (the gear and the hydraulics are initialised
    // data).
    G_FlightControls.gear = &G_Gear;

    // Cabin pressure and pitot icing.
    G_Cabin.state = &G_FlightState;
    cockpit_bind(G_Cabin.api);
    G_Cabin.pitot_iced_handle = cockpit_handle(G_Cabin.api, QFM_COCKPIT_PARAM_PITOT_ICED);

    // The standalone bridge instance.
    cockpit_bind(G_CockpitApi);

    // Display cues.
    cockpit_bind(G_CcipCue.api);
    G_CcipCue.ccip_handle = cockpit_handle(G_CcipCue.api, QFM_COCKPIT_PARAM_CCIP);
    cockpit_bind(G_VelocityVectorCue.api);
    G_VelocityVectorCue.vertical_handle =
        cockpit_handle(G_VelocityVectorCue.api, QFM_COCKPIT_PARAM_VV_VERT);
    G_VelocityVectorCue.horizontal_handle =
        cockpit_handle(G_VelocityVectorCue.api, QFM_COCKPIT_PARAM_VV_HORZ);

    // Command input: its own binding for the action dispatch.
    cockpit_bind(G_CommandInput.api);
    G_CommandInput.aux_action_switch = false;
    G_CommandInput.engine_rpm_lamp = false;

    // A test handle, not kept; then the wind parameters.
    (void)cockpit_handle(G_CockpitApi, QFM_COCKPIT_PARAM_TEST);
    G_Host.wind_x_handle = cockpit_handle(G_CockpitApi, QFM_COCKPIT_PARAM_WIND_X);
    G_Host.wind_y_handle = cockpit_handle(G_CockpitApi, QFM_COCKPIT_PARAM_WIND_Y);
}

void library_unload() {
    if (!g_loaded) return;
    g_loaded = false;
    // Reverse order; only three objects own storage.
    force_list_free(G_Engine.core.forces);
    aero_data_destroy();
}

void start_aircraft(Start_Mode mode) {
    const bool cold = mode == Start_Mode::Cold;
    const bool air = mode == Start_Mode::HotInAir;

    // Gear.
    Landing_Gear& gear = G_Gear;
    gear.gear_up_selected = air;
    gear.bar_switch = false;
    const double leg = air ? 0.0 : 1.0;
    for (int i = 0; i < 3; ++i) {
        gear.legs[i].command = leg;
        gear.legs[i].position = leg;
        gear.wheels[i].gear_position = leg;
    }
    gear.bar.position = 0.0;
    gear.bar_position = 0.0;
    gear.panel_switch = 0.0f;

    // Canopy: open on a cold aircraft.
    Canopy& canopy = G_Canopy;
    canopy.canopy.command = cold ? canopy.canopy.max : canopy.canopy.min;
    canopy.canopy.position = canopy.canopy.command;
    canopy.canopy_open_selected = cold;

    // Hook.
    G_Hook.hook_up_selected = true;
    G_Hook.hook.position = 0.0;
    G_Hook.hook_position = 0.0;

    // Flight controls.
    G_FlightControls.speed_brake_switch = -1.0;
    G_FlightControls.flap_mode = 1.0f;
    G_FlightControls.flap_lever = 0.0f;

    // Electrical.
    Electrical_System& elec = G_Electrical;
    elec.battery1_charge = 100.0;
    elec.battery2_charge = 100.0;
    elec.battery1_on = elec.battery2_on = elec.generator_switch = !cold;
    elec.essential_bus_powered = elec.generator_online = !cold;

    // Engine.
    Engine& engine = G_Engine;
    engine.gts_spool_down = engine.gts_starting = engine.gts_engaged = false;
    engine.gts_rpm = 0.0;
    engine.core.rpm = cold ? 0.0 : 55.0;
    engine.core.n1_rpm = cold ? 0.0 : 100.0;
    engine.core.lit = !cold;
    engine.core.start_in_progress = false;
    engine.start_switch = cold ? 0.0 : 0.5;
    engine.throttle_lever = cold ? 0.0 : (air ? 0.6 : 0.2);
    engine.fuel_on = !cold;
    if (air) {
        engine.core.throttle = kInAirThrottle;
    } else if (!cold) {
        engine.core.throttle = engine.approach_idle ? kApproachIdlePercent : 0.0;
    }

    // Hydraulics.
    Hydraulics& hyd = G_Hydraulics;
    hyd.main_pressure = hyd.backup_pressure = cold ? 0.0 : kFullPressurePsi;
    hyd.rat_deploy = 0.0;
    hyd.ram_air_pressure = 0.0;
    hyd.backup_isolated = hyd.rat_deploying = hyd.rat_latched = false;

    // Lights: master on, everything else off.
    Lights& lights = G_Lights;
    lights.master_switch = 1.0f;
    lights.landing_light_switch = 0.0f;
    lights.level_a = lights.level_b = lights.level_steady = 0.0f;
    lights.anti_collision_switch = 0.0f;
    lights.flash_mode_switch = 0.0f;
    for (float& level : lights.cockpit_level_input) level = 0.0f;

    // Command input.
    G_CommandInput.aux_action_switch = !cold;
}

void release_aircraft() {
    G_Airframe.force = Vec3{};
    G_Airframe.moment = Vec3{};
    Flight_Controls& fcs = G_FlightControls;
    fcs.pitch_stick = fcs.roll_stick = 0.0;
    fcs.pitch_trim = fcs.roll_trim = fcs.rudder_trim = 0.0;
    fcs.surfaces.aileron_command = 0.0;
    fcs.surfaces.elevator_command = 0.0;
    fcs.surfaces.rudder_command = 0.0;
    G_Params.pedal_position = 0.0;
    G_Airframe.mass_change = 0.0;
    G_Engine.core.power = 0.0;
    G_Engine.core.throttle = 0.0;
}

// Defined last so that it is constructed after everything above in this
// file; the records it initialises are constant-initialised and exist before
// any dynamic initialisation anywhere.
static Module_Lifetime g_module_lifetime;
