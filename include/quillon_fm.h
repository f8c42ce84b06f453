/*
 * QuillonFM: external flight model of a single-engine jet.
 *
 * The host flight simulator loads QuillonFM.dll (Windows) or libQuillonFM.so
 * (Linux) and drives it through the C functions below. Every function has C
 * linkage and the platform's standard calling convention; none throws, none
 * keeps a pointer it is handed, and all of them must be called from one
 * thread, one call at a time.
 *
 * Axes and units, everywhere unless a comment says otherwise:
 *   body axes   x forward, y up, z to the right;
 *   world axes  y up (vertical), x and z horizontal;
 *   SI units    m, m/s, kg, N, N*m, Pa, K, rad, seconds.
 *
 * A frame, as the host drives it:
 *   1. push state: ed_fm_set_current_state_body_axis, ed_fm_set_current_state,
 *      ed_fm_set_current_mass_state, ed_fm_set_atmosphere, ed_fm_set_surface,
 *      ed_fm_suspension_feedback, and any number of ed_fm_set_command;
 *   2. ed_fm_simulate(dt);
 *   3. pull results: ed_fm_add_local_force, ed_fm_add_local_moment,
 *      ed_fm_add_local_force_component until it returns false,
 *      ed_fm_change_mass, ed_fm_get_param, the two draw-argument calls and
 *      ed_fm_pop_simulation_event.
 *
 * Out-parameters are pointers the host owns; a null pointer makes the call
 * write nothing (and return false where the function returns bool).
 *
 * The library writes named cockpit parameters through the host's cockpit
 * library, which it looks for among the modules already loaded in the process
 * (CockpitBase.dll on Windows, libCockpitBase.so on Linux); it never loads it.
 * Without it the cockpit parameters are simply not written.
 */
#ifndef QUILLON_FM_H
#define QUILLON_FM_H

#include <stddef.h>

/* The host's command, parameter, animation-argument and event numbers, and
 * the cockpit parameter names, are named in quillon_fm_ids.h. */
#include "quillon_fm_ids.h"

#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#if defined(QFM_BUILDING_LIBRARY)
#define QFM_API __declspec(dllexport)
#elif defined(QFM_STATIC)
#define QFM_API
#else
#define QFM_API __declspec(dllimport)
#endif
#else
#define QFM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Shared state exported under the name G_Params. Side modules may read it
 * directly; it is written only inside the library's own calls.
 */
typedef struct Global_Params {
    double body_vel_x;           /* velocity over the ground, body x, m/s */
    double body_vel_y;           /* body y, m/s */
    double body_vel_z;           /* body z, m/s */
    double pitch;                /* rad */
    double roll;                 /* rad */
    double yaw;                  /* heading, rad */
    double aoa_deg;              /* angle of attack, deg; 0 while body_vel_x < 5 m/s */
    double aoa_rad;              /* angle of attack as the host sent it, rad */
    double world_vel_x;          /* world-axis velocity, m/s */
    double world_vel_y;          /* vertical, positive up, m/s */
    double world_vel_z;          /* m/s */
    double host_event_state;     /* first parameter of the last host event of type 4 */
    double gear_leg_position[3]; /* nose, left main, right main; 0 up .. 1 down */
    double pedal_position;       /* pilot pedals, -1 .. 1 */
    double engine_rpm_percent;   /* engine rpm, per cent (55 idle, 100 full) */
} Global_Params;

QFM_API extern Global_Params G_Params;

/*
 * The host's simulation-event record. Only the type and the three float
 * parameters belong to the library; the 512 bytes between them are the
 * host's and are neither read nor written.
 */
typedef struct Qfm_Simulation_Event {
    unsigned int event_type; /* byte offset 0 */
    char host_data[512];     /* byte offset 4, host-owned */
    float event_params[3];   /* byte offsets 516, 520, 524 */
} Qfm_Simulation_Event;

/* Strut record of ed_fm_suspension_feedback: eight doubles; the eighth
 * (byte offset 56) is the strut compression, above 0 when the wheel carries
 * load. The first seven are stored and not used. */
#define QFM_SUSPENSION_RECORD_DOUBLES 8

/* ---- Frame ------------------------------------------------------------ */

/* Runs one physics frame of dt seconds. A dt that is negative or not finite
 * is treated as 0 (nothing moves, the frame's outputs are still rebuilt);
 * one above 3600 s is held at 3600 s. */
QFM_API void ed_fm_simulate(double dt);

/* ---- State input (before ed_fm_simulate) ------------------------------ */

/* How the state inputs take the host's values. Each value is stored when it
 * arrives and used by the frames that follow until the next one arrives.
 *
 * A value that is not finite (NaN, +inf, -inf) is not taken: the field keeps
 * the last value it took, or its load value (0) if none has come yet. So one
 * bad frame of input never reaches a filter or an integrator. Sideslip and
 * the body rates keep their last value as well; the cockpit's "WIND_X" and
 * "WIND_Y" are then not sent, so they keep theirs.
 *
 * A finite value beyond any aircraft's flight is held to these bounds
 * (values inside them pass unchanged, bit for bit):
 *   velocity and wind, each component     -2000 .. 2000 m/s
 *     (body-axis velocity and wind, world-axis velocity, the atmosphere's
 *     wind sent to the cockpit)
 *   angular velocity, each component       -50 .. 50 rad/s
 *   angle of attack, sideslip              -pi .. pi rad
 *   yaw, pitch, roll                       -2 pi .. 2 pi rad
 *   centre of mass, each component         -100 .. 100 m
 *   altitude, surface and object heights   -1000 .. 100000 m
 *   temperature                            150 .. 400 K
 *   speed of sound                         100 .. 600 m/s
 *   density                                1e-8 .. 2 kg/m^3
 *   static pressure                        0.001 .. 200000 Pa
 * For the last four, a value of 0 or below means no atmosphere, as before
 * the host's first call, and is stored as 0: no thrust, no dynamic pressure,
 * calibrated airspeed 0, and the Mach number of the last frame with a speed
 * of sound. Mass, moments of inertia, surface normals and the strut records
 * are only checked for finiteness.
 */

/* Twenty values: linear acceleration x,y,z (1-3, unused); velocity over the
 * ground x,y,z (4-6, m/s); wind x,y,z (7-9, m/s); angular acceleration x,y,z
 * (10-12, unused); angular velocity x,y,z (13-15, rad/s; roll rate about x,
 * pitch rate about z, positive nose up); yaw, pitch, roll (16-18, rad);
 * angle of attack (19, rad); sideslip (20, rad). All in body axes. */
QFM_API void ed_fm_set_current_state_body_axis(double ax, double ay, double az, double vx,
                                               double vy, double vz, double wind_vx, double wind_vy,
                                               double wind_vz, double omegadotx, double omegadoty,
                                               double omegadotz, double omegax, double omegay,
                                               double omegaz, double yaw, double pitch, double roll,
                                               double common_angle_of_attack,
                                               double common_angle_of_slide);

/* World-axis state; only the velocity (arguments 4-6, y up) is read. */
QFM_API void ed_fm_set_current_state(double ax, double ay, double az, double vx, double vy,
                                     double vz, double px, double py, double pz, double omegadotx,
                                     double omegadoty, double omegadotz, double omegax,
                                     double omegay, double omegaz, double quaternion_x,
                                     double quaternion_y, double quaternion_z, double quaternion_w);

/* Mass (kg), centre of mass in body axes (m), principal moments of inertia
 * (kg*m^2). The centre of mass is also the point at which the summed force is
 * reported. */
QFM_API void ed_fm_set_current_mass_state(double mass, double center_of_mass_x,
                                          double center_of_mass_y, double center_of_mass_z,
                                          double moment_of_inertia_x, double moment_of_inertia_y,
                                          double moment_of_inertia_z);

/* Altitude (m), temperature (K), speed of sound (m/s), density (kg/m^3),
 * static pressure (Pa), wind in world axes (m/s; x and z are forwarded to the
 * cockpit parameters "WIND_X" and "WIND_Y", y is unused). */
QFM_API void ed_fm_set_atmosphere(double h, double t, double a, double ro, double p, double wind_vx,
                                  double wind_vy, double wind_vz);

/* Height of the terrain and of any object under the aircraft (m), the host's
 * surface type code, and the surface normal. */
QFM_API void ed_fm_set_surface(double h, double h_obj, unsigned int surface_type, double normal_x,
                               double normal_y, double normal_z);

/* One gear post: 0 nose, 1 right main, 2 left main; other indices are
 * ignored. record points to QFM_SUSPENSION_RECORD_DOUBLES doubles; a value
 * that is not finite leaves its slot as it was. */
QFM_API void ed_fm_suspension_feedback(int idx, const double* record);

/* Pilot command: command number and its single-precision value. Unknown
 * numbers are ignored. */
QFM_API void ed_fm_set_command(int command, float value);

/* ---- Forces and moments (after ed_fm_simulate) ------------------------- */

/* Summed force of the frame (N, body axes) and the point at which it acts
 * (the centre of mass, m). */
QFM_API void ed_fm_add_local_force(double* x, double* y, double* z, double* pos_x, double* pos_y,
                                   double* pos_z);

/* Summed moment of the frame about the centre of mass (N*m, body axes). */
QFM_API void ed_fm_add_local_moment(double* x, double* y, double* z);

/* Hands out one pending force component (N) with its own point of
 * application (m) and removes it; false when none is left. Order: engine
 * thrust, left and right speed-brake panel drag, nose, left main and right
 * main gear-leg drag; newest first within each. */
QFM_API bool ed_fm_add_local_force_component(double* x, double* y, double* z, double* pos_x,
                                             double* pos_y, double* pos_z);

/* ---- Fuel and mass ----------------------------------------------------- */

/* Reports the fuel burned since the last report (subtracted from *delta_mass,
 * kg) and the inertia corrections toward the aircraft's own moments of
 * inertia (kg*m^2). Always returns false: one change per call. */
QFM_API bool ed_fm_change_mass(double* delta_mass, double* delta_pos_x, double* delta_pos_y,
                               double* delta_pos_z, double* delta_mass_moment_of_inertia_x,
                               double* delta_mass_moment_of_inertia_y,
                               double* delta_mass_moment_of_inertia_z);

QFM_API double ed_fm_get_internal_fuel(void); /* kg */
/* A fuel amount that is not finite, or (when added) not positive, changes
 * nothing. */
QFM_API void ed_fm_set_internal_fuel(double fuel);  /* kg, replaces */
QFM_API void ed_fm_refueling_add_fuel(double fuel); /* kg, adds */
QFM_API double ed_fm_get_external_fuel(void);       /* always 0 */
QFM_API void ed_fm_set_external_fuel(double fuel);  /* ignored */
QFM_API void ed_fm_unlimited_fuel(bool value);      /* no burn while set */

/* ---- Outputs ----------------------------------------------------------- */

/* Numbered parameter; 0.0 for any number the library does not know. */
QFM_API double ed_fm_get_param(unsigned int index);

/* Animation arguments of the external and cockpit models. Indices at or
 * beyond size are skipped. */
QFM_API void ed_fm_set_draw_args_v2(float* drawargs, size_t size);
QFM_API void ed_fm_set_fc3_cockpit_draw_args_v2(float* drawargs, size_t size);

/* Buffet amplitude of the last frame, 0..1. */
QFM_API double ed_fm_get_shake_amplitude(void);

/* ---- Lifecycle --------------------------------------------------------- */

QFM_API void ed_fm_cold_start(void);
QFM_API void ed_fm_hot_start(void);
QFM_API void ed_fm_hot_start_in_air(void);
QFM_API void ed_fm_release(void);
QFM_API void ed_fm_repair(void);
QFM_API bool ed_fm_need_to_be_repaired(void);
/* Elements 0..335; a NaN factor leaves the element as it was. */
QFM_API void ed_fm_on_damage(int element, double element_integrity_factor);
QFM_API void ed_fm_set_immortal(bool value);

/* Event exchange: the library accepts events of type 4 whose first parameter
 * is finite (anything else returns false and changes nothing) and emits at
 * most one pending event of type 4. */
QFM_API bool ed_fm_push_simulation_event(const Qfm_Simulation_Event* in);
QFM_API bool ed_fm_pop_simulation_event(Qfm_Simulation_Event* out);

/* ---- Accepted and ignored ---------------------------------------------- */

QFM_API void ed_fm_configure(const char* cfg_path);
QFM_API bool ed_fm_enable_debug_info(void);
QFM_API bool ed_fm_make_balance(double* ax, double* ay, double* az, double* vx, double* vy,
                                double* vz, double* omegadotx, double* omegadoty, double* omegadotz,
                                double* omegax, double* omegay, double* omegaz, double* yaw,
                                double* pitch, double* roll);
QFM_API void ed_fm_on_planned_failure(const char* data);
QFM_API void ed_fm_set_easy_flight(bool value);
QFM_API void ed_fm_set_plugin_data_install_path(const char* path);
QFM_API void ed_fm_set_property_numeric(const char* property_name, float value);
QFM_API void ed_fm_set_property_string(const char* property_name, const char* value);

#ifdef __cplusplus
}
#endif

#endif /* QUILLON_FM_H */
