// The library's C surface. Each export does its work through the subsystem
// functions; none allocates except ed_fm_simulate while a force list grows,
// and nothing here can throw.
#include <cstddef>

#include "aero/aero_data.h"
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "gear/gear.h"
#include "host/frame.h"
#include "host/lifecycle.h"
#include "host/shared_state.h"
#include "outputs/outputs.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"
#include "quillon_fm.h"

static_assert(offsetof(Qfm_Simulation_Event, event_params) == 516,
              "event parameters sit at byte 516 of the host's record");

namespace {

constexpr unsigned kHostEventType = 4;

void put(double* out, double value) {
    if (out) *out = value;
}

// Forces leave in this order: thrust, then the five drag lists. Addresses
// of static records, so the table is constant data built at compile time.
struct Force_Source {
    Force_List* list;
    const Vec3* point;
};

constexpr Force_Source kForceSources[] = {
    {&G_Engine.core.forces, &G_Engine.core.thrust_point},
    {&G_Aero.drag[DRAG_SPEED_BRAKE_LEFT], &G_Aero.drag_point[DRAG_SPEED_BRAKE_LEFT]},
    {&G_Aero.drag[DRAG_SPEED_BRAKE_RIGHT], &G_Aero.drag_point[DRAG_SPEED_BRAKE_RIGHT]},
    {&G_Aero.drag[DRAG_GEAR_NOSE], &G_Aero.drag_point[DRAG_GEAR_NOSE]},
    {&G_Aero.drag[DRAG_GEAR_LEFT], &G_Aero.drag_point[DRAG_GEAR_LEFT]},
    {&G_Aero.drag[DRAG_GEAR_RIGHT], &G_Aero.drag_point[DRAG_GEAR_RIGHT]},
};

}  // namespace

extern "C" {

void ed_fm_simulate(double dt) { frame_step(dt); }

// ---- State input --------------------------------------------------------

void ed_fm_set_current_state_body_axis(double, double, double, double vx, double vy, double vz,
                                       double wind_vx, double wind_vy, double wind_vz, double,
                                       double, double, double omegax, double omegay,
                                       double omegaz, double yaw, double pitch, double roll,
                                       double common_angle_of_attack,
                                       double common_angle_of_slide) {
    Global_Params& p = G_Params;
    Flight_State& s = G_FlightState;
    Body_Motion& m = G_FlightControls.motion;
    p.body_vel_x = s.body_vel_x = vx;
    p.body_vel_y = s.body_vel_y = vy;
    p.body_vel_z = s.body_vel_z = vz;
    s.wind_x = wind_vx;
    s.wind_y = wind_vy;
    s.wind_z = wind_vz;
    s.airspeed_x = vx - wind_vx;
    s.airspeed_y = vy - wind_vy;
    s.airspeed_z = vz - wind_vz;
    p.yaw = yaw;
    p.pitch = pitch;
    p.roll = roll;
    p.aoa_rad = common_angle_of_attack;
    p.aoa_deg = common_angle_of_attack * kDegPerRad;
    m.alpha_deg = common_angle_of_attack * kDegPerRad;
    m.beta_deg = common_angle_of_slide * kDegPerRad;
    m.roll_rate = omegax;
    m.pitch_rate = omegaz;
    m.yaw_rate = -omegay;  // the host's rate about y is positive nose left
}

void ed_fm_set_current_state(double, double, double, double vx, double vy, double vz, double,
                             double, double, double, double, double, double, double, double,
                             double, double, double, double) {
    G_Params.world_vel_x = vx;
    G_Params.world_vel_y = vy;
    G_Params.world_vel_z = vz;
}

void ed_fm_set_current_mass_state(double mass, double cx, double cy, double cz, double ix,
                                  double iy, double iz) {
    Airframe& a = G_Airframe;
    a.mass = mass;
    a.center_of_mass = Vec3{cx, cy, cz};
    a.force_point = Vec3{cx, cy, cz};
    a.inertia = Vec3{ix, iy, iz};
}

void ed_fm_set_atmosphere(double h, double t, double a, double ro, double p, double wind_vx,
                          double, double wind_vz) {
    Flight_State& s = G_FlightState;
    s.altitude = h;
    s.temperature = t;
    s.speed_of_sound = a;
    s.density = ro;
    s.static_pressure = p;
    cockpit_set(G_CockpitApi, G_Host.wind_x_handle, wind_vx);
    cockpit_set(G_CockpitApi, G_Host.wind_y_handle, wind_vz);
}

void ed_fm_set_surface(double h, double h_obj, unsigned int surface_type, double normal_x,
                       double normal_y, double normal_z) {
    Flight_State& s = G_FlightState;
    s.surface_height = h;
    s.surface_object_height = h_obj;
    s.surface_type = surface_type;
    s.surface_normal_x = normal_x;
    s.surface_normal_y = normal_y;
    s.surface_normal_z = normal_z;
}

void ed_fm_suspension_feedback(int idx, const double* record) {
    if (record) suspension_feedback(idx, record);
}

void ed_fm_set_command(int command, float value) { command_input(command, value); }

// ---- Forces and moments -------------------------------------------------

void ed_fm_add_local_force(double* x, double* y, double* z, double* pos_x, double* pos_y,
                           double* pos_z) {
    const Airframe& a = G_Airframe;
    put(x, a.force.x);
    put(y, a.force.y);
    put(z, a.force.z);
    put(pos_x, a.force_point.x);
    put(pos_y, a.force_point.y);
    put(pos_z, a.force_point.z);
}

void ed_fm_add_local_moment(double* x, double* y, double* z) {
    put(x, G_Airframe.moment.x);
    put(y, G_Airframe.moment.y);
    put(z, G_Airframe.moment.z);
}

bool ed_fm_add_local_force_component(double* x, double* y, double* z, double* pos_x,
                                     double* pos_y, double* pos_z) {
    // A host that cannot take the component must not lose it.
    if (!x || !y || !z || !pos_x || !pos_y || !pos_z) return false;
    for (const Force_Source& source : kForceSources) {
        Vec3 force;
        if (force_list_pop(*source.list, force)) {
            *x = force.x;
            *y = force.y;
            *z = force.z;
            *pos_x = source.point->x;
            *pos_y = source.point->y;
            *pos_z = source.point->z;
            return true;
        }
    }
    return false;
}

// ---- Fuel and mass ------------------------------------------------------

bool ed_fm_change_mass(double* delta_mass, double* delta_pos_x, double* delta_pos_y,
                       double* delta_pos_z, double* delta_ix, double* delta_iy,
                       double* delta_iz) {
    if (!delta_mass || !delta_pos_x || !delta_pos_y || !delta_pos_z || !delta_ix || !delta_iy ||
        !delta_iz) {
        return false;
    }
    Airframe& a = G_Airframe;
    // One pairing of the target moments for both the test and the deltas.
    if (a.mass_change == 0.0 && a.inertia.x == kTargetInertiaX &&
        a.inertia.y == kTargetInertiaY && a.inertia.z == kTargetInertiaZ) {
        return false;
    }
    *delta_mass -= a.mass_change;
    *delta_pos_x = 0.0;
    *delta_pos_y = 0.0;
    *delta_pos_z = 0.0;
    *delta_ix = kTargetInertiaX - a.inertia.x;
    *delta_iy = kTargetInertiaY - a.inertia.y;
    *delta_iz = kTargetInertiaZ - a.inertia.z;
    a.mass_change = 0.0;
    G_Fuel.fuel_used = 0.0;
    // Always false: the host takes one change per call.
    return false;
}

double ed_fm_get_internal_fuel(void) { return total_internal(); }

void ed_fm_set_internal_fuel(double fuel) {
    for (Fuel_Tank& tank : G_Fuel.tanks) tank.quantity = 0.0;
    fill_tanks(fuel);
}

void ed_fm_refueling_add_fuel(double fuel) { fill_tanks(fuel); }
double ed_fm_get_external_fuel(void) { return 0.0; }
void ed_fm_set_external_fuel(double) {}
void ed_fm_unlimited_fuel(bool value) { G_Fuel.unlimited_fuel = value; }

// ---- Outputs ------------------------------------------------------------

double ed_fm_get_param(unsigned int index) { return get_param(index); }

void ed_fm_set_draw_args_v2(float* drawargs, size_t size) {
    if (drawargs) write_external_draw_args(drawargs, size);
}

void ed_fm_set_fc3_cockpit_draw_args_v2(float* drawargs, size_t size) {
    if (drawargs) write_cockpit_draw_args(drawargs, size);
}

double ed_fm_get_shake_amplitude(void) { return G_Aero.shakeAmplitude; }

// ---- Lifecycle ----------------------------------------------------------

void ed_fm_cold_start(void) { start_aircraft(Start_Mode::Cold); }
void ed_fm_hot_start(void) { start_aircraft(Start_Mode::Hot); }
void ed_fm_hot_start_in_air(void) { start_aircraft(Start_Mode::HotInAir); }
void ed_fm_release(void) { release_aircraft(); }

void ed_fm_repair(void) {
    for (double& element : G_Host.damage) element = 0.0;
    G_Canopy.canopy.command = G_Canopy.canopy.min;
    G_Canopy.canopy.enabled = true;
}

bool ed_fm_need_to_be_repaired(void) {
    for (double element : G_Host.damage) {
        if (element > 0.0) return true;
    }
    return false;
}

void ed_fm_on_damage(int element, double element_integrity_factor) {
    // Taken as unsigned, so a negative element is out of range too.
    const unsigned index = static_cast<unsigned>(element);
    if (index < static_cast<unsigned>(kDamageElements)) {
        G_Host.damage[index] = element_integrity_factor;
    }
}

void ed_fm_set_immortal(bool value) { G_Host.immortal = value; }

bool ed_fm_push_simulation_event(const Qfm_Simulation_Event* in) {
    if (!in || in->event_type != kHostEventType) return false;
    G_Params.host_event_state = static_cast<double>(in->event_params[0]);
    return true;
}

bool ed_fm_pop_simulation_event(Qfm_Simulation_Event* out) {
    if (!out) return false;
    float p0;
    float p1;
    float p2;
    if (G_Host.event_request == 1.0) {
        p0 = 2.0f;
        p1 = 2.0f;
        p2 = 62.0f;
    } else if (G_Host.event_request == 2.0) {
        p0 = p1 = p2 = 0.0f;
    } else {
        return false;
    }
    G_Params.host_event_state = 0.0;
    out->event_type = kHostEventType;
    out->event_params[0] = p0;
    out->event_params[1] = p1;
    out->event_params[2] = p2;
    G_Host.event_request = 0.0;
    return true;
}

// ---- Accepted and ignored -----------------------------------------------

void ed_fm_configure(const char*) {}
bool ed_fm_enable_debug_info(void) { return false; }
bool ed_fm_make_balance(double*, double*, double*, double*, double*, double*, double*, double*,
                        double*, double*, double*, double*, double*, double*, double*) {
    return false;
}
void ed_fm_on_planned_failure(const char*) {}
void ed_fm_set_easy_flight(bool) {}
void ed_fm_set_plugin_data_install_path(const char*) {}
void ed_fm_set_property_numeric(const char*, float) {}
void ed_fm_set_property_string(const char*, const char*) {}

}  // extern "C"
