// The host's exports for a check vehicle: the state pushes are stored, the
// loads computed in ed_fm_simulate, everything else answers nothing.
#include "check_vehicle.h"

#include <cstddef>

#include "quillon_fm.h"

namespace {

check_vehicle::State g_state;
double g_force[3] = {};
double g_moment[3] = {};
double g_center_of_mass[3] = {};

}  // namespace

extern "C" {

QFM_API void ed_fm_simulate(double) { check_vehicle::vehicle_loads(g_state, g_force, g_moment); }

QFM_API void ed_fm_set_current_state_body_axis(double, double, double, double vx, double vy,
                                               double vz, double wind_vx, double wind_vy,
                                               double wind_vz, double, double, double,
                                               double omegax, double omegay, double omegaz, double,
                                               double, double, double, double) {
    g_state.air_body[0] = vx - wind_vx;
    g_state.air_body[1] = vy - wind_vy;
    g_state.air_body[2] = vz - wind_vz;
    g_state.omega[0] = omegax;
    g_state.omega[1] = omegay;
    g_state.omega[2] = omegaz;
}

QFM_API void ed_fm_set_current_state(double, double, double, double, double, double, double, double,
                                     double, double, double, double, double, double, double, double,
                                     double, double, double) {}

QFM_API void ed_fm_set_current_mass_state(double, double x, double y, double z, double, double,
                                          double) {
    g_center_of_mass[0] = x;
    g_center_of_mass[1] = y;
    g_center_of_mass[2] = z;
}

QFM_API void ed_fm_set_atmosphere(double, double, double, double ro, double, double, double,
                                  double) {
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
    *x = g_force[0];
    *y = g_force[1];
    *z = g_force[2];
    *pos_x = g_center_of_mass[0];
    *pos_y = g_center_of_mass[1];
    *pos_z = g_center_of_mass[2];
}

QFM_API void ed_fm_add_local_moment(double* x, double* y, double* z) {
    if (!x || !y || !z) return;
    *x = g_moment[0];
    *y = g_moment[1];
    *z = g_moment[2];
}

QFM_API bool ed_fm_add_local_force_component(double*, double*, double*, double*, double*, double*) {
    return false;
}

QFM_API bool ed_fm_change_mass(double* delta_mass, double* dx, double* dy, double* dz, double* ix,
                               double* iy, double* iz) {
    double* out[] = {delta_mass, dx, dy, dz, ix, iy, iz};
    for (double* p : out) {
        if (p) *p = 0.0;
    }
    return false;
}

QFM_API double ed_fm_get_internal_fuel(void) { return 0.0; }
QFM_API void ed_fm_set_internal_fuel(double) {}
QFM_API void ed_fm_unlimited_fuel(bool) {}
QFM_API double ed_fm_get_param(unsigned int) { return 0.0; }
QFM_API void ed_fm_set_draw_args_v2(float*, size_t) {}
QFM_API void ed_fm_set_fc3_cockpit_draw_args_v2(float*, size_t) {}
QFM_API double ed_fm_get_shake_amplitude(void) { return 0.0; }
QFM_API void ed_fm_cold_start(void) {}
QFM_API void ed_fm_hot_start(void) {}
QFM_API void ed_fm_hot_start_in_air(void) {}
QFM_API bool ed_fm_pop_simulation_event(Qfm_Simulation_Event*) { return false; }

}  // extern "C"
