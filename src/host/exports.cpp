// The library's C surface. Each export does its work through the subsystem
// functions; none allocates except ed_fm_simulate while a force list grows,
// and nothing here can throw.
#include <cstddef>

#include "aero/aero_data.h"
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "gear/gear.h"
#include "host/finite_bits.h"
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

void put(double* out, double value) {
    if (out) *out = value;
}

// Bounds of the host's state values, as include/quillon_fm.h states them:
// beyond any aircraft's flight, so a physical value passes unchanged, and
// tight enough that no square, product or quotient of them overflows.
constexpr double kMaxSpeed = 2000.0;                 // each velocity and wind component, m/s
constexpr double kMaxRate = 50.0;                    // each angular velocity, rad/s
constexpr double kMaxFlowAngle = 3.141592653589793;  // angle of attack, sideslip, rad
constexpr double kMaxAttitude = 6.283185307179586;   // yaw, pitch, roll, rad
constexpr double kMaxCgOffset = 100.0;               // centre of mass from the body origin, m
constexpr double kMinHeight = -1000.0;               // altitude and surface heights, m
constexpr double kMaxHeight = 100000.0;
// The atmosphere: 0 or below means none (as before the host's first call);
// a positive value is held to these.
constexpr double kMinTemperature = 150.0;  // K
constexpr double kMaxTemperature = 400.0;
constexpr double kMinSoundSpeed = 100.0;  // m/s
constexpr double kMaxSoundSpeed = 600.0;
constexpr double kMinDensity = 1e-8;  // kg/m^3
constexpr double kMaxDensity = 2.0;
constexpr double kMinPressure = 1e-3;  // Pa
constexpr double kMaxPressure = 200000.0;

// The host's value held between lo and hi. A value that is not finite (a
// host that computes an angle as atan(vy/vx) while standing still sends
// NaN) is not taken: the result is kept, the field's last value. Every
// state field passes through here once, where it is stored, so nothing the
// frame integrates or filters ever sees a NaN or an infinity. The test for
// finiteness comes first, so no comparison meets a NaN.
double take(double value, double lo, double hi, double kept) {
    if (!finite_bits(value)) return kept;
    return value < lo ? lo : (value > hi ? hi : value);
}

// A field the model only stores: kept when not finite, otherwise as sent.
double take(double value, double kept) { return finite_bits(value) ? value : kept; }

// An atmosphere value: 0 for none, or positive between lo and hi.
double take_air(double value, double lo, double hi, double kept) {
    if (!finite_bits(value)) return kept;
    return value > 0.0 ? (value < lo ? lo : (value > hi ? hi : value)) : 0.0;
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
                                       double, double, double omegax, double omegay, double omegaz,
                                       double yaw, double pitch, double roll,
                                       double common_angle_of_attack,
                                       double common_angle_of_slide) {
    Global_Params& p = G_Params;
    Flight_State& s = G_FlightState;
    Body_Motion& m = G_FlightControls.motion;
    vx = take(vx, -kMaxSpeed, kMaxSpeed, p.body_vel_x);
    vy = take(vy, -kMaxSpeed, kMaxSpeed, p.body_vel_y);
    vz = take(vz, -kMaxSpeed, kMaxSpeed, p.body_vel_z);
    wind_vx = take(wind_vx, -kMaxSpeed, kMaxSpeed, s.wind_x);
    wind_vy = take(wind_vy, -kMaxSpeed, kMaxSpeed, s.wind_y);
    wind_vz = take(wind_vz, -kMaxSpeed, kMaxSpeed, s.wind_z);
    p.body_vel_x = s.body_vel_x = vx;
    p.body_vel_y = s.body_vel_y = vy;
    p.body_vel_z = s.body_vel_z = vz;
    s.wind_x = wind_vx;
    s.wind_y = wind_vy;
    s.wind_z = wind_vz;
    s.airspeed_x = vx - wind_vx;
    s.airspeed_y = vy - wind_vy;
    s.airspeed_z = vz - wind_vz;
    p.yaw = take(yaw, -kMaxAttitude, kMaxAttitude, p.yaw);
    p.pitch = take(pitch, -kMaxAttitude, kMaxAttitude, p.pitch);
    p.roll = take(roll, -kMaxAttitude, kMaxAttitude, p.roll);
    // aoa_rad keeps the angle as taken (aoa_deg is zeroed by a slow frame).
    const double aoa = take(common_angle_of_attack, -kMaxFlowAngle, kMaxFlowAngle, p.aoa_rad);
    p.aoa_rad = aoa;
    p.aoa_deg = aoa * kDegPerRad;
    m.alpha_deg = aoa * kDegPerRad;
    // Sideslip is kept only in degrees: a value not taken leaves it as is.
    if (finite_bits(common_angle_of_slide)) {
        m.beta_deg = take(common_angle_of_slide, -kMaxFlowAngle, kMaxFlowAngle, 0.0) * kDegPerRad;
    }
    m.roll_rate = take(omegax, -kMaxRate, kMaxRate, m.roll_rate);
    m.pitch_rate = take(omegaz, -kMaxRate, kMaxRate, m.pitch_rate);
    // The host's rate about y is positive nose left.
    m.yaw_rate = -take(omegay, -kMaxRate, kMaxRate, -m.yaw_rate);
}

void ed_fm_set_current_state(double, double, double, double vx, double vy, double vz, double,
                             double, double, double, double, double, double, double, double, double,
                             double, double, double) {
    Global_Params& p = G_Params;
    p.world_vel_x = take(vx, -kMaxSpeed, kMaxSpeed, p.world_vel_x);
    p.world_vel_y = take(vy, -kMaxSpeed, kMaxSpeed, p.world_vel_y);
    p.world_vel_z = take(vz, -kMaxSpeed, kMaxSpeed, p.world_vel_z);
}

void ed_fm_set_current_mass_state(double mass, double cx, double cy, double cz, double ix,
                                  double iy, double iz) {
    Airframe& a = G_Airframe;
    a.mass = take(mass, a.mass);
    // Both points are the host's centre of mass; center_of_mass keeps it.
    const Vec3& c = a.center_of_mass;
    a.center_of_mass =
        Vec3{take(cx, -kMaxCgOffset, kMaxCgOffset, c.x), take(cy, -kMaxCgOffset, kMaxCgOffset, c.y),
             take(cz, -kMaxCgOffset, kMaxCgOffset, c.z)};
    a.force_point = a.center_of_mass;
    a.inertia = Vec3{take(ix, a.inertia.x), take(iy, a.inertia.y), take(iz, a.inertia.z)};
}

void ed_fm_set_atmosphere(double h, double t, double a, double ro, double p, double wind_vx, double,
                          double wind_vz) {
    Flight_State& s = G_FlightState;
    s.altitude = take(h, kMinHeight, kMaxHeight, s.altitude);
    s.temperature = take_air(t, kMinTemperature, kMaxTemperature, s.temperature);
    s.speed_of_sound = take_air(a, kMinSoundSpeed, kMaxSoundSpeed, s.speed_of_sound);
    s.density = take_air(ro, kMinDensity, kMaxDensity, s.density);
    s.static_pressure = take_air(p, kMinPressure, kMaxPressure, s.static_pressure);
    // Not stored: a value not taken leaves the cockpit's last one.
    if (finite_bits(wind_vx)) {
        cockpit_set(G_CockpitApi, G_Host.wind_x_handle, take(wind_vx, -kMaxSpeed, kMaxSpeed, 0.0));
    }
    if (finite_bits(wind_vz)) {
        cockpit_set(G_CockpitApi, G_Host.wind_y_handle, take(wind_vz, -kMaxSpeed, kMaxSpeed, 0.0));
    }
}

void ed_fm_set_surface(double h, double h_obj, unsigned int surface_type, double normal_x,
                       double normal_y, double normal_z) {
    Flight_State& s = G_FlightState;
    s.surface_height = take(h, kMinHeight, kMaxHeight, s.surface_height);
    s.surface_object_height = take(h_obj, kMinHeight, kMaxHeight, s.surface_object_height);
    s.surface_type = surface_type;
    s.surface_normal_x = take(normal_x, s.surface_normal_x);
    s.surface_normal_y = take(normal_y, s.surface_normal_y);
    s.surface_normal_z = take(normal_z, s.surface_normal_z);
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

bool ed_fm_add_local_force_component(double* x, double* y, double* z, double* pos_x, double* pos_y,
                                     double* pos_z) {
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
                       double* delta_pos_z, double* delta_ix, double* delta_iy, double* delta_iz) {
    if (!delta_mass || !delta_pos_x || !delta_pos_y || !delta_pos_z || !delta_ix || !delta_iy ||
        !delta_iz) {
        return false;
    }
    Airframe& a = G_Airframe;
    // One pairing of the target moments for both the test and the deltas.
    if (a.mass_change == 0.0 && a.inertia.x == kTargetInertiaX && a.inertia.y == kTargetInertiaY &&
        a.inertia.z == kTargetInertiaZ) {
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
    // A value that is not a quantity of fuel leaves the tanks as they are.
    if (!finite_bits(fuel)) return;
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
    // A NaN is no integrity factor: the element keeps its value, and the
    // repair test never compares a NaN.
    if (index < static_cast<unsigned>(kDamageElements) && !nan_bits(element_integrity_factor)) {
        G_Host.damage[index] = element_integrity_factor;
    }
}

void ed_fm_set_immortal(bool value) { G_Host.immortal = value; }

bool ed_fm_push_simulation_event(const Qfm_Simulation_Event* in) {
    // An event whose parameter is not finite is refused and changes nothing.
    if (!in || in->event_type != QFM_EVENT_TYPE || !finite_bits(in->event_params[0])) {
        return false;
    }
    G_Params.host_event_state = static_cast<double>(in->event_params[0]);
    return true;
}

bool ed_fm_pop_simulation_event(Qfm_Simulation_Event* out) {
    if (!out) return false;
    float p0;
    float p1;
    float p2;
    if (G_Host.event_request == QFM_EVENT_REQUEST_RPM_REACHED) {
        p0 = QFM_EVENT_RPM_REACHED_P0;
        p1 = QFM_EVENT_RPM_REACHED_P1;
        p2 = QFM_EVENT_RPM_REACHED_P2;
    } else if (G_Host.event_request == QFM_EVENT_REQUEST_CLEAR) {
        p0 = p1 = p2 = 0.0f;
    } else {
        return false;
    }
    G_Params.host_event_state = QFM_EVENT_STATE_NONE;
    out->event_type = QFM_EVENT_TYPE;
    out->event_params[0] = p0;
    out->event_params[1] = p1;
    out->event_params[2] = p2;
    G_Host.event_request = QFM_EVENT_REQUEST_NONE;
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
