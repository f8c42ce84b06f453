// One physics frame. The order below is the whole data flow of a frame: each
// step sees what earlier steps produced this frame and the previous frame's
// values of what later steps produce (the canopy position read by the cabin,
// the nose gear position read by the lights, the ram-air pressure read by the
// hydraulics).
#include "host/frame.h"

#include "aero/aero_data.h"
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "host/finite_bits.h"
#include "host/hud_cues.h"
#include "host/lifecycle.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"
#include "quillon_fm_ids.h"

namespace {
constexpr double kAoaGateSpeed = 5.0;  // m/s
constexpr double kGearHydraulicsPsi = 1500.0;
constexpr double kPrimaryMainPsi = 600.0;
constexpr double kPrimaryBackupPsi = 1600.0;
constexpr double kMainPsi = 1500.0;
constexpr double kBrakePsi = 1500.0;
constexpr double kRpmLampPercent = 60.0;
constexpr double kHostEventMoment = -120000.0;  // N*m about body z
constexpr double kHostEventRpmFraction = 0.98;

// A negative or non-finite frame time would run every integrator backwards
// or poison its state; such a frame moves nothing. A finite but absurd one
// (beyond an hour) is held at an hour: rates times dt must stay finite, or
// 0 * inf in a bleed term turns a pressure into NaN.
constexpr double kMaxFrameTime = 3600.0;  // s
double sanitize_dt(double dt) {
    if (!(finite_bits(dt) && dt > 0.0)) return 0.0;
    return dt > kMaxFrameTime ? kMaxFrameTime : dt;
}
}  // namespace

void update_center_of_mass() {
    // The host owns the mass state and pushes its centre of mass before each
    // frame (ed_fm_set_current_mass_state); it already reflects the fuel
    // mass we report through ed_fm_change_mass. Shifting it again here by the
    // tanks' weighted positions would count the fuel twice, so the frame
    // keeps the host's point as both the centre of mass and the force point.
    G_Airframe.force_point = G_Airframe.center_of_mass;
}

void frame_step(double raw_dt) {
    const double dt = sanitize_dt(raw_dt);
    Global_Params& params = G_Params;
    Airframe& airframe = G_Airframe;
    Flight_State& air = G_FlightState;
    Engine& engine = G_Engine;
    Hydraulics& hyd = G_Hydraulics;
    Flight_Controls& fcs = G_FlightControls;

    // 1. Angle-of-attack gate (read by the host only).
    if (params.body_vel_x < kAoaGateSpeed) params.aoa_deg = 0.0;

    // 2. Clear the sums.
    airframe.force = Vec3{};
    airframe.moment = Vec3{};
    airframe.mass_change = 0.0;

    // 3. Air data.
    air_data_step();

    // 4. Engine, with the fuel total before this frame's burn.
    const double fuel_before_burn = total_internal();
    engine_step(dt, fuel_before_burn, all_gear_down(), weight_on_wheels());

    // 5. Fuel burn.
    if (!G_Fuel.unlimited_fuel && fuel_before_burn != 0.0) fuel_burn(dt, engine.core.fuel_flow);

    // 6. Cabin pressure and pitot icing (canopy position of the last frame).
    cabin_step(G_Canopy.canopy.position);

    // 7, 8. Hydraulics, then the ram-air turbine.
    hydraulic_step(dt, engine.core.rpm / 100.0, G_Gear.wheels[LEG_LEFT].brake,
                   G_Gear.wheels[LEG_RIGHT].brake);
    ram_air_step(dt, air.cas);

    // 9. Electrical.
    electrical_step(dt, engine.core.rpm / 100.0);

    // 10. Canopy.
    canopy_step(dt);

    // 11. Lights, with the nose gear position the last gear step left.
    lights_step(dt, G_Gear.wheels[LEG_NOSE].gear_position);

    // 12. Gear.
    gear_step(dt, hyd.main_pressure > kGearHydraulicsPsi);

    // 13. Hook.
    hook_step(dt, hyd.main_pressure);

    // 14, 15. Control laws, then the surfaces under hydraulic power.
    control_step(dt);
    surface_step(dt, hyd.main_pressure > kPrimaryMainPsi || hyd.backup_pressure > kPrimaryBackupPsi,
                 hyd.main_pressure > kMainPsi, hyd.brake_pressure > kBrakePsi, air.kcas);

    // 16, 17. Aerodynamic tables and coefficients (with the drag forces).
    aero_table_pass(fcs.motion, weight_on_wheels());
    aero_build_coefficients(fcs.surfaces, fcs.motion);

    // 18. Aerodynamic forces and moments.
    const Aero_Data& aero = G_Aero;
    const double qS = air.dynamic_pressure * kWingArea;
    add_force(Vec3{0.0, 0.0, qS * aero.CY});
    add_force(Vec3{qS * aero.CX, 0.0, 0.0});
    add_force(Vec3{0.0, -qS * aero.CZ, 0.0});
    airframe.moment.x += qS * aero.Cl * kWingSpan;
    airframe.moment.y -= qS * aero.Cn * kWingSpan;  // Cn is positive nose right
    airframe.moment.z += qS * aero.Cm * kMeanChord;

    // 19. Centre of mass, and the fuel mass to report after the frame.
    update_center_of_mass();
    airframe.mass_change = G_Fuel.fuel_used;

    // 20. Head-up display cues.
    ccip_cue_step();
    velocity_vector_cue_step();

    // 21. Engine-rpm lamp.
    G_CommandInput.engine_rpm_lamp =
        params.engine_rpm_percent >= kRpmLampPercent && !G_CommandInput.aux_action_switch;

    // 22. Host event moment.
    if (params.host_event_state == QFM_EVENT_STATE_MOMENT) airframe.moment.z += kHostEventMoment;

    // 23. Host event request, rewritten every frame.
    if (engine.core.rpm / 100.0 > kHostEventRpmFraction &&
        params.host_event_state == QFM_EVENT_STATE_AWAIT_RPM) {
        G_Host.event_request = QFM_EVENT_REQUEST_RPM_REACHED;
    } else if (params.host_event_state == QFM_EVENT_STATE_CLEAR) {
        G_Host.event_request = QFM_EVENT_REQUEST_CLEAR;
    } else {
        G_Host.event_request = QFM_EVENT_REQUEST_NONE;
    }
}
