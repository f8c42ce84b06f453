// The F-16 check vehicle: the generated F-16 models (f16_model.h) behind the
// check vehicles' shared exports (../check_vehicle.cpp), so that the rig flies
// it exactly as it flies QuillonFM.
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

#include "../check_vehicle.h"
#include "f16_model.h"
#include "quillon_fm_ids.h"

namespace check_vehicle {
namespace {

namespace f16 = qfm_f16;

constexpr double kDegPerRad = 57.29577951308232;
constexpr double kCenterOfMassPercent = 25.0;  // of the chord, as the NASA checks fly it
constexpr double kMinAirspeed = 1.0;           // m/s; below it no aerodynamic load
// Full travel of the elevator, aileron and rudder, for the animation.
constexpr double kFullTravel[3] = {25.0, 21.5, 30.0};  // deg

// Pilot's controls, the control file's inputs.
struct Controls {
    double stick_long = 0.0;  // +aft
    double stick_lat = 0.0;   // +right
    double pedal = 0.0;       // +right
    double throttle = 0.0;    // 0 idle .. 1 full afterburner
};

Controls g_controls;

double held(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

void vehicle_simulate(const State& s, Output& out) {
    const Controls& v = g_controls;
    double mass_out[f16::inertia::Out::count];
    const double cg_in[f16::inertia::In::count] = {kCenterOfMassPercent};
    f16::inertia::evaluate(cg_in, mass_out);
    // Host x, y (up), z (right) are the models' roll, yaw and pitch axes.
    out.mass = mass_out[f16::inertia::Out::totalMass] * kSlug;
    out.inertia[0] = mass_out[f16::inertia::Out::bodyMomentOfInertia_Roll] * kSlugFoot2;
    out.inertia[1] = mass_out[f16::inertia::Out::bodyMomentOfInertia_Yaw] * kSlugFoot2;
    out.inertia[2] = mass_out[f16::inertia::Out::bodyMomentOfInertia_Pitch] * kSlugFoot2;

    double control_in[f16::control::In::count] = {};
    control_in[f16::control::In::pilotControl_throttle] = v.throttle;
    control_in[f16::control::In::pilotControl_long] = v.stick_long;
    control_in[f16::control::In::pilotControl_lat] = v.stick_lat;
    control_in[f16::control::In::pilotControl_yaw] = v.pedal;
    double surfaces[f16::control::Out::count];
    f16::control::evaluate(control_in, surfaces);
    out.animated = true;
    const int deflection[3] = {f16::control::Out::elevatorDeflection,
                               f16::control::Out::aileronDeflection,
                               f16::control::Out::rudderDeflection};
    for (int i = 0; i < 3; ++i) out.surfaces[i] = surfaces[deflection[i]] / kFullTravel[i];
    out.throttle = v.throttle;

    // Air-relative velocity in the models' axes: u forward, v right, w down.
    const double u = s.air_body[0];
    const double side = s.air_body[2];
    const double w = -s.air_body[1];
    const double tas = std::sqrt(u * u + side * side + w * w);  // m/s
    double force[3] = {};                                       // models' axes, N
    double moment[3] = {};  // about the moment reference centre, N m
    if (tas > kMinAirspeed) {
        double aero_in[f16::aero::In::count];
        aero_in[f16::aero::In::trueAirspeed] = tas / kFoot;
        aero_in[f16::aero::In::angleOfAttack] = std::atan2(w, u) * kDegPerRad;
        aero_in[f16::aero::In::angleOfSideslip] =
            std::asin(held(side / tas, -1.0, 1.0)) * kDegPerRad;
        aero_in[f16::aero::In::bodyAngularRate_Roll] = s.omega[0];
        aero_in[f16::aero::In::bodyAngularRate_Pitch] = s.omega[2];
        aero_in[f16::aero::In::bodyAngularRate_Yaw] = -s.omega[1];
        aero_in[f16::aero::In::elevatorDeflection] =
            surfaces[f16::control::Out::elevatorDeflection];
        aero_in[f16::aero::In::aileronDeflection] = surfaces[f16::control::Out::aileronDeflection];
        aero_in[f16::aero::In::rudderDeflection] = surfaces[f16::control::Out::rudderDeflection];
        double c[f16::aero::Out::count];
        f16::aero::evaluate(aero_in, c);
        const double qs =
            0.5 * s.density * tas * tas * c[f16::aero::Out::referenceWingArea] * kFoot * kFoot;
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
    prop_in[f16::prop::In::altitudeMSL] = s.altitude / kFoot;
    prop_in[f16::prop::In::mach] = s.speed_of_sound > 0.0 ? tas / s.speed_of_sound : 0.0;
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

    out.force[0] = force[0];
    out.force[1] = -force[2];
    out.force[2] = force[1];
    out.moment[0] = moment[0];
    out.moment[1] = -moment[2];
    out.moment[2] = moment[1];
}

void vehicle_command(int command, float value) {
    if (!std::isfinite(value)) return;
    Controls& v = g_controls;
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

}  // namespace check_vehicle
