// One row of the flight record: the aircraft after a frame, as the rig sees
// it from its own physics and the flight model's outputs. The column list
// drives the CSV header, the scenario variables and the plots.
#pragma once

#include <cstddef>

namespace rig {

// name, unit, meaning
#define RIG_COLUMNS(X)                                                        \
    X(t, "s", "simulated time")                                               \
    X(x, "m", "position north")                                               \
    X(altitude, "m", "centre-of-mass height above the runway (sea level)")    \
    X(z, "m", "position east")                                                \
    X(v_north, "m/s", "world velocity x")                                     \
    X(vs, "m/s", "vertical speed, up")                                        \
    X(v_east, "m/s", "world velocity z")                                      \
    X(groundspeed, "m/s", "horizontal speed over the runway")                 \
    X(tas, "m/s", "true airspeed")                                            \
    X(kcas, "kt", "calibrated airspeed as the model computes it")             \
    X(mach, "-", "Mach number")                                               \
    X(alpha, "deg", "angle of attack")                                        \
    X(beta, "deg", "sideslip")                                                \
    X(roll, "deg", "bank, right wing down positive")                          \
    X(pitch, "deg", "pitch attitude, nose up positive")                       \
    X(heading, "deg", "heading from north toward east, 0..360")               \
    X(p, "deg/s", "roll rate")                                                \
    X(q, "deg/s", "pitch rate, nose up")                                      \
    X(r, "deg/s", "yaw rate, nose right")                                     \
    X(nz, "g", "normal load factor, body y")                                  \
    X(rpm, "%", "engine rpm (parameter 100 x 100)")                           \
    X(gts, "%", "gas-turbine starter rpm (parameter 2)")                      \
    X(n1, "%", "n1 rpm (parameter 101 x 100)")                                \
    X(thrust, "N", "engine thrust force component")                           \
    X(fuel_flow, "kg/s", "parameter 112")                                     \
    X(fuel, "kg", "internal fuel")                                            \
    X(mass, "kg", "aircraft mass")                                            \
    X(throttle, "-", "throttle commanded by the rig, 0..1")                   \
    X(throttle_lever, "-", "cockpit argument 5")                              \
    X(elevator, "-", "elevator travel, external argument 15")                 \
    X(aileron, "-", "aileron travel, external argument 12")                   \
    X(rudder, "-", "rudder travel, external argument 17")                     \
    X(flaps, "-", "flap travel, external argument 9")                         \
    X(slats, "-", "slat travel, external argument 13")                        \
    X(speedbrake, "-", "speed-brake travel, external argument 500")           \
    X(gear_nose, "-", "nose leg position, parameter 2002")                    \
    X(gear_left, "-", "left main leg position, parameter 2012")               \
    X(gear_right, "-", "right main leg position, parameter 2022")             \
    X(strut_nose, "m", "nose strut compression")                              \
    X(strut_right, "m", "right main strut compression")                       \
    X(strut_left, "m", "left main strut compression")                         \
    X(on_ground, "-", "1 while any strut is compressed")                      \
    X(brake_left, "-", "parameter 2011")                                      \
    X(brake_right, "-", "parameter 2021")                                     \
    X(steering, "-", "nose-wheel steering, parameter 2005")                   \
    X(hyd_backup, "psi", "cockpit argument 309 x 4000")                       \
    X(hyd_main, "psi", "cockpit argument 310 x 4000")                         \
    X(hyd_brake, "psi", "cockpit argument 311 x 4000")                        \
    X(ess_bus, "V", "cockpit parameter ESS_SERV_BUS")                         \
    X(gen_bus, "V", "cockpit parameter GEN_BUS")                              \
    X(tat, "degC", "cockpit parameter TOTAL_AIR_TEMP")                        \
    X(egt, "degC", "cockpit parameter EGT")                                   \
    X(gts_rpm_cockpit, "%", "cockpit parameter GTS_RPM")                      \
    X(n1_cockpit, "%", "cockpit parameter N1_RPM")                            \
    X(pitot_iced, "-", "cockpit parameter PITOT_ICED")                        \
    X(ccip_v, "rad", "cockpit parameter CCIP_V")                              \
    X(velvec_vert, "rad", "cockpit parameter VelVecVert")                     \
    X(velvec_horz, "rad", "cockpit parameter VelVecHorz")                     \
    X(wind_x, "m/s", "cockpit parameter WIND_X")                              \
    X(wind_y, "m/s", "cockpit parameter WIND_Y")                              \
    X(shake, "-", "buffet amplitude")                                         \
    X(force_x, "N", "summed force, body x")                                   \
    X(force_y, "N", "summed force, body y")                                   \
    X(force_z, "N", "summed force, body z")                                   \
    X(moment_x, "N m", "summed moment, body x")                               \
    X(moment_y, "N m", "summed moment, body y")                               \
    X(moment_z, "N m", "summed moment, body z")                               \
    X(event, "-", "type of the simulation event popped this frame (0: none)") \
    X(event_param, "-", "first parameter of that event")

struct Sample {
#define RIG_FIELD(name, unit, meaning) double name = 0.0;
    RIG_COLUMNS(RIG_FIELD)
#undef RIG_FIELD
};

struct Column {
    const char* name;
    const char* unit;
    const char* meaning;
    double Sample::*field;
};

extern const Column kColumns[];
extern const std::size_t kColumnCount;

// The column of that name, or null.
const Column* find_column(const char* name);

}  // namespace rig
