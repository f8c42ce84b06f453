// The host's exports for a check vehicle: the state pushes are stored, the
// loads computed in ed_fm_simulate, everything else answers nothing.
#include "check_vehicle.h"

#include <cstddef>

#include "quillon_fm.h"

namespace {

// Animation arguments written by vehicles with controls.
constexpr int kArgAileron = QFM_ARG_AILERON;
constexpr int kArgElevator = QFM_ARG_ELEVATOR_A;
constexpr int kArgRudder = QFM_ARG_RUDDER;
constexpr int kCockpitThrottle = QFM_COCKPIT_ARG_THROTTLE;

check_vehicle::State g_state;
check_vehicle::Output g_out;
double g_center_of_mass[3] = {};

}  // namespace

extern "C" {

QFM_API void ed_fm_simulate(double) {
    g_out = check_vehicle::Output{};
    check_vehicle::vehicle_simulate(g_state, g_out);
}

QFM_API void ed_fm_set_current_state_body_axis(double, double, double, double vx, double vy,
                                               double vz, double wind_vx, double wind_vy,
                                               double wind_vz, double, double, double,
                                               double omegax, double omegay, double omegaz, double,
                                               double pitch, double roll, double alpha,
                                               double beta) {
    g_state.air_body[0] = vx - wind_vx;
    g_state.air_body[1] = vy - wind_vy;
    g_state.air_body[2] = vz - wind_vz;
    g_state.omega[0] = omegax;
    g_state.omega[1] = omegay;
    g_state.omega[2] = omegaz;
    g_state.pitch = pitch;
    g_state.roll = roll;
    g_state.alpha = alpha;
    g_state.beta = beta;
}

QFM_API void ed_fm_set_current_state(double, double, double, double, double, double, double, double,
                                     double, double, double, double, double, double, double, double,
                                     double, double, double) {}

QFM_API void ed_fm_set_current_mass_state(double mass, double x, double y, double z, double ix,
                                          double iy, double iz) {
    g_state.mass = mass;
    g_center_of_mass[0] = x;
    g_center_of_mass[1] = y;
    g_center_of_mass[2] = z;
    g_state.inertia[0] = ix;
    g_state.inertia[1] = iy;
    g_state.inertia[2] = iz;
}

QFM_API void ed_fm_set_atmosphere(double h, double, double a, double ro, double, double, double,
                                  double) {
    g_state.altitude = h;
    g_state.speed_of_sound = a;
    g_state.density = ro;
}

QFM_API void ed_fm_set_surface(double, double, unsigned int, double, double, double) {}
QFM_API void ed_fm_suspension_feedback(int, const double*) {}
QFM_API void ed_fm_set_command(int command, float value) {
    check_vehicle::vehicle_command(command, value);
}

QFM_API void ed_fm_add_local_force(double* x, double* y, double* z, double* pos_x, double* pos_y,
                                   double* pos_z) {
    if (!x || !y || !z || !pos_x || !pos_y || !pos_z) return;
    *x = g_out.force[0];
    *y = g_out.force[1];
    *z = g_out.force[2];
    *pos_x = g_center_of_mass[0];
    *pos_y = g_center_of_mass[1];
    *pos_z = g_center_of_mass[2];
}

QFM_API void ed_fm_add_local_moment(double* x, double* y, double* z) {
    if (!x || !y || !z) return;
    *x = g_out.moment[0];
    *y = g_out.moment[1];
    *z = g_out.moment[2];
}

QFM_API bool ed_fm_add_local_force_component(double*, double*, double*, double*, double*, double*) {
    return false;
}

// Moves the host to the vehicle's own mass and principal moments, if it has
// them; never a change of the centre of mass.
QFM_API bool ed_fm_change_mass(double* delta_mass, double* dx, double* dy, double* dz, double* ix,
                               double* iy, double* iz) {
    double* out[] = {delta_mass, dx, dy, dz, ix, iy, iz};
    double delta[7] = {};
    if (g_out.mass > 0.0) {
        delta[0] = g_out.mass - g_state.mass;
        for (int i = 0; i < 3; ++i) delta[4 + i] = g_out.inertia[i] - g_state.inertia[i];
    }
    for (int i = 0; i < 7; ++i) {
        if (out[i]) *out[i] = delta[i];
    }
    return false;
}

QFM_API double ed_fm_get_internal_fuel(void) { return 0.0; }
QFM_API void ed_fm_set_internal_fuel(double) {}
QFM_API void ed_fm_unlimited_fuel(bool) {}
QFM_API double ed_fm_get_param(unsigned int) { return 0.0; }
QFM_API void ed_fm_set_draw_args_v2(float* drawargs, size_t size) {
    if (!drawargs || !g_out.animated) return;
    const int args[3] = {kArgElevator, kArgAileron, kArgRudder};
    for (int i = 0; i < 3; ++i) {
        if (static_cast<size_t>(args[i]) < size) {
            drawargs[args[i]] = static_cast<float>(g_out.surfaces[i]);
        }
    }
}

QFM_API void ed_fm_set_fc3_cockpit_draw_args_v2(float* drawargs, size_t size) {
    if (drawargs && g_out.animated && static_cast<size_t>(kCockpitThrottle) < size) {
        drawargs[kCockpitThrottle] = static_cast<float>(g_out.throttle);
    }
}
QFM_API double ed_fm_get_shake_amplitude(void) { return 0.0; }
QFM_API void ed_fm_cold_start(void) {}
QFM_API void ed_fm_hot_start(void) {}
QFM_API void ed_fm_hot_start_in_air(void) {}
QFM_API bool ed_fm_pop_simulation_event(Qfm_Simulation_Event*) { return false; }

}  // extern "C"
