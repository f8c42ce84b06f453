// The F-16 check vehicle: the generated F-16 models (f16_model.h) behind the
// host's ed_fm_ exports, so that the rig flies it exactly as it flies
// QuillonFM.
//
// Axes. The models use the aircraft convention (x forward, y right, z down);
// the host uses x forward, y up, z right. A vector (X, Y, Z) of the models is
// (X, -Z, Y) for the host, moments included (roll L about x, yaw N about
// down, pitch M about right): (L, M, N) -> (L, -N, M).
//
// What it models: the aerodynamics, the steady-state thrust and the constant
// mass and inertia of the DAVE-ML files, and the control file with its
// stability augmentation and autopilot off, which maps the pilot's controls
// onto the surfaces and the power lever:
//   2001 pitch axis (+1 full aft)     -> elevator    -25 deg x axis (trailing edge down +)
//   2002 roll axis (+1 full right)    -> aileron   -21.5 deg x axis (left wing down +)
//   2003 rudder axis (+1 full right)  -> rudder      -30 deg x axis + 0.008 x aileron
//   2004 throttle axis (1 idle .. -1 full) -> throttle (1 - axis) / 2, power lever 100 x
//        throttle (50 military power, 100 full afterburner)
// The surfaces and the thrust follow their commands within the frame: no
// actuators, no engine lag (the files have none). Forces and moments act at
// the centre of mass, at 25 % of the chord, 1.132 ft ahead of the moment
// reference centre of the aerodynamic data.
#include <cmath>
#include <cstddef>

#include "../check_vehicle.h"
#include "f16_model.h"
#include "quillon_fm.h"

namespace {

namespace f16 = qfm_f16;

// The check vehicles' unit conversions, which the verify cases use too.
using check_vehicle::kFoot;
using check_vehicle::kPound;
using check_vehicle::kSlug;
using check_vehicle::kSlugFoot2;
constexpr double kDegPerRad = 57.29577951308232;
constexpr double kCenterOfMassPercent = 25.0;  // of the chord, as the NASA checks fly it
constexpr double kMinAirspeed = 1.0;           // m/s; below it no aerodynamic load

// Animation arguments written: surfaces as fractions of their full travel.
constexpr int kArgAileron = QFM_ARG_AILERON;
constexpr int kArgElevator = QFM_ARG_ELEVATOR_A;
constexpr int kArgRudder = QFM_ARG_RUDDER;
constexpr int kCockpitThrottle = QFM_COCKPIT_ARG_THROTTLE;

struct Vehicle {
    // Pushed by the host.
    double velocity[3] = {};  // body, over the ground, host axes, m/s
    double wind[3] = {};      // body, host axes, m/s
    double omega[3] = {};     // body, host axes, rad/s
    double center_of_mass[3] = {};
    double mass = 0.0;            // kg
    double inertia[3] = {};       // kg m^2
    double altitude = 0.0;        // m
    double density = 0.0;         // kg/m^3
    double speed_of_sound = 0.0;  // m/s
    // Pilot's controls, the control file's inputs.
    double stick_long = 0.0;  // +aft
    double stick_lat = 0.0;   // +right
    double pedal = 0.0;       // +right
    double throttle = 0.0;    // 0 idle .. 1 full afterburner
    // Results of the last frame, host axes.
    double force[3] = {};     // N
    double moment[3] = {};    // N m about the centre of mass
    double surfaces[4] = {};  // elevator, aileron, rudder (deg), power lever (%)
};

Vehicle g_vehicle;

double held(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void simulate(Vehicle& v) {
    double mass_out[f16::inertia::Out::count];
    const double cg_in[f16::inertia::In::count] = {kCenterOfMassPercent};
    f16::inertia::evaluate(cg_in, mass_out);

    double control_in[f16::control::In::count] = {};
    control_in[f16::control::In::pilotControl_throttle] = v.throttle;
    control_in[f16::control::In::pilotControl_long] = v.stick_long;
    control_in[f16::control::In::pilotControl_lat] = v.stick_lat;
    control_in[f16::control::In::pilotControl_yaw] = v.pedal;
    double surfaces[f16::control::Out::count];
    f16::control::evaluate(control_in, surfaces);
    for (int i = 0; i < 4; ++i) v.surfaces[i] = surfaces[i];

    // Air-relative velocity in the models' axes: u forward, v right, w down.
    const double u = v.velocity[0] - v.wind[0];
    const double side = v.velocity[2] - v.wind[2];
    const double w = -(v.velocity[1] - v.wind[1]);
    const double tas = std::sqrt(u * u + side * side + w * w);  // m/s

    double force[3] = {};   // models' axes, N
    double moment[3] = {};  // about the moment reference centre, N m
    if (tas > kMinAirspeed) {
        double aero_in[f16::aero::In::count];
        aero_in[f16::aero::In::trueAirspeed] = tas / kFoot;
        aero_in[f16::aero::In::angleOfAttack] = std::atan2(w, u) * kDegPerRad;
        aero_in[f16::aero::In::angleOfSideslip] =
            std::asin(held(side / tas, -1.0, 1.0)) * kDegPerRad;
        aero_in[f16::aero::In::bodyAngularRate_Roll] = v.omega[0];
        aero_in[f16::aero::In::bodyAngularRate_Pitch] = v.omega[2];
        aero_in[f16::aero::In::bodyAngularRate_Yaw] = -v.omega[1];
        aero_in[f16::aero::In::elevatorDeflection] =
            surfaces[f16::control::Out::elevatorDeflection];
        aero_in[f16::aero::In::aileronDeflection] = surfaces[f16::control::Out::aileronDeflection];
        aero_in[f16::aero::In::rudderDeflection] = surfaces[f16::control::Out::rudderDeflection];
        double c[f16::aero::Out::count];
        f16::aero::evaluate(aero_in, c);
        const double qs =
            0.5 * v.density * tas * tas * c[f16::aero::Out::referenceWingArea] * kFoot * kFoot;
        const double span = c[f16::aero::Out::referenceWingSpan] * kFoot;
        const double chord = c[f16::aero::Out::referenceWingChord] * kFoot;
        force[0] = qs * c[f16::aero::Out::aeroBodyForceCoefficient_X];
        force[1] = qs * c[f16::aero::Out::aeroBodyForceCoefficient_Y];
        force[2] = qs * c[f16::aero::Out::aeroBodyForceCoefficient_Z];
        moment[0] = qs * span * c[f16::aero::Out::aeroBodyMomentCoefficient_Roll];
        moment[1] = qs * chord * c[f16::aero::Out::aeroBodyMomentCoefficient_Pitch];
        moment[2] = qs * span * c[f16::aero::Out::aeroBodyMomentCoefficient_Yaw];
    }

    double prop_in[f16::prop::In::count];
    prop_in[f16::prop::In::powerLeverAngle] = surfaces[f16::control::Out::powerLeverAngle];
    prop_in[f16::prop::In::altitudeMSL] = v.altitude / kFoot;
    prop_in[f16::prop::In::mach] = v.speed_of_sound > 0.0 ? tas / v.speed_of_sound : 0.0;
    double thrust[f16::prop::Out::count];
    f16::prop::evaluate(prop_in, thrust);
    for (int i = 0; i < 3; ++i) {
        force[i] += thrust[f16::prop::Out::thrustBodyForce_X + i] * kPound;
        moment[i] += thrust[f16::prop::Out::thrustBodyMoment_Roll + i] * kPound * kFoot;
    }

    // Moment about the centre of mass: the reference centre lies at minus the
    // centre of mass's position relative to it.
    const double reference[3] = {-mass_out[f16::inertia::Out::bodyPositionOfCmWrtMrc_X] * kFoot,
                                 -mass_out[f16::inertia::Out::bodyPositionOfCmWrtMrc_Y] * kFoot,
                                 -mass_out[f16::inertia::Out::bodyPositionOfCmWrtMrc_Z] * kFoot};
    double transfer[3];
    cross(reference, force, transfer);
    for (int i = 0; i < 3; ++i) moment[i] += transfer[i];

    v.force[0] = force[0];
    v.force[1] = -force[2];
    v.force[2] = force[1];
    v.moment[0] = moment[0];
    v.moment[1] = -moment[2];
    v.moment[2] = moment[1];
}

}  // namespace

extern "C" {

QFM_API void ed_fm_simulate(double dt) {
    (void)dt;
    simulate(g_vehicle);
}

QFM_API void ed_fm_set_current_state_body_axis(double, double, double, double vx, double vy,
                                               double vz, double wind_vx, double wind_vy,
                                               double wind_vz, double, double, double,
                                               double omegax, double omegay, double omegaz, double,
                                               double, double, double, double) {
    Vehicle& v = g_vehicle;
    v.velocity[0] = vx;
    v.velocity[1] = vy;
    v.velocity[2] = vz;
    v.wind[0] = wind_vx;
    v.wind[1] = wind_vy;
    v.wind[2] = wind_vz;
    v.omega[0] = omegax;
    v.omega[1] = omegay;
    v.omega[2] = omegaz;
}

QFM_API void ed_fm_set_current_state(double, double, double, double, double, double, double, double,
                                     double, double, double, double, double, double, double, double,
                                     double, double, double) {}

QFM_API void ed_fm_set_current_mass_state(double mass, double center_of_mass_x,
                                          double center_of_mass_y, double center_of_mass_z,
                                          double moment_of_inertia_x, double moment_of_inertia_y,
                                          double moment_of_inertia_z) {
    Vehicle& v = g_vehicle;
    v.mass = mass;
    v.center_of_mass[0] = center_of_mass_x;
    v.center_of_mass[1] = center_of_mass_y;
    v.center_of_mass[2] = center_of_mass_z;
    v.inertia[0] = moment_of_inertia_x;
    v.inertia[1] = moment_of_inertia_y;
    v.inertia[2] = moment_of_inertia_z;
}

QFM_API void ed_fm_set_atmosphere(double h, double, double a, double ro, double, double, double,
                                  double) {
    g_vehicle.altitude = h;
    g_vehicle.speed_of_sound = a;
    g_vehicle.density = ro;
}

QFM_API void ed_fm_set_surface(double, double, unsigned int, double, double, double) {}
QFM_API void ed_fm_suspension_feedback(int, const double*) {}

QFM_API void ed_fm_set_command(int command, float value) {
    if (!std::isfinite(value)) return;
    Vehicle& v = g_vehicle;
    const double axis = held(static_cast<double>(value), -1.0, 1.0);
    switch (command) {
        case QFM_CMD_PITCH_AXIS:
            v.stick_long = axis;
            break;
        case QFM_CMD_ROLL_AXIS:
            v.stick_lat = axis;
            break;
        case QFM_CMD_RUDDER_AXIS:
            v.pedal = axis;
            break;
        case QFM_CMD_THROTTLE_AXIS:
            v.throttle = 0.5 * (1.0 - axis);
            break;
        default:
            break;
    }
}

QFM_API void ed_fm_add_local_force(double* x, double* y, double* z, double* pos_x, double* pos_y,
                                   double* pos_z) {
    if (!x || !y || !z || !pos_x || !pos_y || !pos_z) return;
    *x = g_vehicle.force[0];
    *y = g_vehicle.force[1];
    *z = g_vehicle.force[2];
    *pos_x = g_vehicle.center_of_mass[0];
    *pos_y = g_vehicle.center_of_mass[1];
    *pos_z = g_vehicle.center_of_mass[2];
}

QFM_API void ed_fm_add_local_moment(double* x, double* y, double* z) {
    if (!x || !y || !z) return;
    *x = g_vehicle.moment[0];
    *y = g_vehicle.moment[1];
    *z = g_vehicle.moment[2];
}

QFM_API bool ed_fm_add_local_force_component(double*, double*, double*, double*, double*, double*) {
    return false;
}

// Keeps the host at the vehicle's constant mass and principal moments.
QFM_API bool ed_fm_change_mass(double* delta_mass, double* delta_pos_x, double* delta_pos_y,
                               double* delta_pos_z, double* delta_ix, double* delta_iy,
                               double* delta_iz) {
    if (!delta_mass || !delta_pos_x || !delta_pos_y || !delta_pos_z || !delta_ix || !delta_iy ||
        !delta_iz) {
        return false;
    }
    double m[qfm_f16::inertia::Out::count];
    const double cg_in[qfm_f16::inertia::In::count] = {kCenterOfMassPercent};
    qfm_f16::inertia::evaluate(cg_in, m);
    const Vehicle& v = g_vehicle;
    *delta_mass += m[qfm_f16::inertia::Out::totalMass] * kSlug - v.mass;
    *delta_pos_x = 0.0;
    *delta_pos_y = 0.0;
    *delta_pos_z = 0.0;
    // Host x, y (up), z (right) are the models' roll, yaw and pitch axes.
    *delta_ix = m[qfm_f16::inertia::Out::bodyMomentOfInertia_Roll] * kSlugFoot2 - v.inertia[0];
    *delta_iy = m[qfm_f16::inertia::Out::bodyMomentOfInertia_Yaw] * kSlugFoot2 - v.inertia[1];
    *delta_iz = m[qfm_f16::inertia::Out::bodyMomentOfInertia_Pitch] * kSlugFoot2 - v.inertia[2];
    return false;
}

QFM_API double ed_fm_get_internal_fuel(void) { return 0.0; }
QFM_API void ed_fm_set_internal_fuel(double) {}
QFM_API void ed_fm_unlimited_fuel(bool) {}
QFM_API double ed_fm_get_param(unsigned int) { return 0.0; }

QFM_API void ed_fm_set_draw_args_v2(float* drawargs, size_t size) {
    if (!drawargs) return;
    const double* s = g_vehicle.surfaces;
    const int args[3] = {kArgElevator, kArgAileron, kArgRudder};
    const double full[3] = {25.0, 21.5, 30.0};  // deg
    for (int i = 0; i < 3; ++i) {
        if (static_cast<size_t>(args[i]) < size)
            drawargs[args[i]] = static_cast<float>(s[i] / full[i]);
    }
}

QFM_API void ed_fm_set_fc3_cockpit_draw_args_v2(float* drawargs, size_t size) {
    if (drawargs && static_cast<size_t>(kCockpitThrottle) < size) {
        drawargs[kCockpitThrottle] = static_cast<float>(g_vehicle.throttle);
    }
}

QFM_API double ed_fm_get_shake_amplitude(void) { return 0.0; }

QFM_API void ed_fm_cold_start(void) {}
QFM_API void ed_fm_hot_start(void) {}
QFM_API void ed_fm_hot_start_in_air(void) {}

QFM_API bool ed_fm_pop_simulation_event(Qfm_Simulation_Event*) { return false; }

}  // extern "C"
