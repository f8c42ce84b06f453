// Control laws (stick, pedals, trims, flap lever and speed-brake switch to
// surface commands) and surface actuation under hydraulic power.
//
// Sign conventions: positive pitch_stick (stick forward) lowers the elevator
// command; positive roll_stick gives a negative aileron command; positive
// pedal gives a positive rudder command.
#include "controls/flight_controls.h"

#include "aero/grid_table.h"
#include "gear/gear.h"
#include "host/shared_state.h"

Flight_Controls G_FlightControls;

namespace {

// Angle-of-attack lag: time constant 0.1 s, clamped input range in degrees.
constexpr double kAlphaLagPerSecond = 10.0;
constexpr double kAlphaLagMinDeg = -5.0;
constexpr double kAlphaLagMaxDeg = 30.0;

constexpr double kElevatorPerUnit = 15.0;  // deg per unit of stick or trim

// Aileron authority, deg per unit of stick and trim.
constexpr double kAileronStickGearUp = -12.5;
constexpr double kAileronTrimGearUp = 6.0;
constexpr double kAileronLimitGearUp = 12.5;
constexpr double kAileronStickGearDown = -15.5;
constexpr double kAileronTrimGearDown = 9.0;

// Pedal law: the pedal scaled to p, a dead band below |p| = 44, then a line
// worth about 30 deg at full pedal.
constexpr double kPedalScale = 450.0;
constexpr double kPedalDeadBand = 44.0;
constexpr double kPedalRudderOffset = 3.2512;  // deg
constexpr double kPedalRudderSlope = -0.0739;  // deg per unit of p
constexpr double kRudderTrimPerUnit = -15.0;   // deg

// Aileron-rudder interconnect gain per degree of alpha, and its ceiling.
constexpr double kInterconnectPerDeg = 0.05;
constexpr double kInterconnectMax = 1.5;
// The stability-axis term uses 1/57.3, not the exact radian per degree.
constexpr double kInterconnectRadPerDeg = 0.017452006980802792;

constexpr double kSpeedBrakeExtendDeg = 60.0;
constexpr double kSpeedBrakeRetractDeg = 0.0;
constexpr double kSpeedBrakeHold = -1.0;  // marker: hold where it is

constexpr double kFlapFullDeg = 50.0;
constexpr double kSlatFullDeg = 25.0;

// Speed-brake airspeed schedule, knots: no further extension above 340,
// blown back linearly from 380 to fully closed at 440.
constexpr double kSpeedBrakeExtendLimitKcas = 340.0;
constexpr double kSpeedBrakeBlowbackKcas = 380.0;
constexpr double kSpeedBrakeClosedKcas = 440.0;
constexpr double kSpeedBrakeBlowbackSpanKcas = 60.0;

bool gear_fully_up(const Landing_Gear& gear) {
    for (const Rate_Limiter& leg : gear.legs) {
        if (leg.position > leg.min) return false;
    }
    return true;
}

double pedal_rudder_deg(const Flight_Controls& fcs, double pedal) {
    const double p = pedal * kPedalScale;
    double d = 0.0;
    if (p >= kPedalDeadBand) {
        d = kPedalRudderOffset + kPedalRudderSlope * p;
    } else if (p <= -kPedalDeadBand) {
        d = kPedalRudderSlope * p - kPedalRudderOffset;
    }
    if (d > fcs.rudder_limit_max) return fcs.rudder_limit_max;
    return d > fcs.rudder_limit_min ? d : fcs.rudder_limit_min;
}

// Steps the actuator toward its command and returns its travel fraction.
double drive(Rate_Limiter& actuator, double command, double dt) {
    actuator.command = command;
    rate_limiter_step(actuator, dt);
    return rate_limiter_fraction(actuator);
}

void drive_flaps(Flight_Controls& fcs, double dt) {
    Surface_State& s = fcs.surfaces;
    const double fraction = drive(fcs.flap_actuator, s.flap_command, dt);
    s.flap_position_left = s.flap_position_right = fcs.flap_actuator.position;
    s.flap_fraction_left = s.flap_fraction_right = fraction;
}

double speed_brake_target(const Rate_Limiter& actuator, double c, double kcas) {
    double target;
    if (c > 0.0 && kcas <= kSpeedBrakeExtendLimitKcas) {
        target = c;
    } else if (c == 0.0) {
        target = 0.0;
    } else {
        // The stop marker, or extension asked for above the limit: hold.
        target = actuator.position;
    }
    if (kcas >= kSpeedBrakeBlowbackKcas) {
        // Scaled by c itself: with stop selected (c = -1) the brake closes
        // below 440 knots and is pushed open by a degree or so above it.
        target = (kSpeedBrakeClosedKcas - kcas) / kSpeedBrakeBlowbackSpanKcas * c;
    }
    return target;
}

}  // namespace

void control_step(double dt) {
    Flight_Controls& fcs = G_FlightControls;
    const Body_Motion& m = fcs.motion;
    Surface_State& s = fcs.surfaces;

    // Gear state.
    const bool gear_up = gear_fully_up(*fcs.gear);

    // Angle-of-attack lag, explicit Euler. The step factor is held at 1
    // (arrive at the input) so that a long frame cannot overshoot: above
    // dt = 0.2 s the plain Euler step would diverge.
    const double alpha_input = clamp(m.alpha_deg, kAlphaLagMinDeg, kAlphaLagMaxDeg);
    if (kAlphaLagPerSecond * dt > 1.0) {
        fcs.alpha_filtered = alpha_input;
    } else {
        fcs.alpha_filtered += (alpha_input - fcs.alpha_filtered) * kAlphaLagPerSecond * dt;
    }

    // Pitch.
    s.elevator_command = (fcs.pitch_trim - fcs.pitch_stick) * kElevatorPerUnit;

    // Roll: less authority with the gear up.
    if (gear_up) {
        s.aileron_command =
            clamp(fcs.roll_stick * kAileronStickGearUp - fcs.roll_trim * kAileronTrimGearUp,
                  -kAileronLimitGearUp, kAileronLimitGearUp);
    } else {
        // The actuator's stops limit it to +-15.5.
        s.aileron_command =
            fcs.roll_stick * kAileronStickGearDown - fcs.roll_trim * kAileronTrimGearDown;
    }

    // Yaw: pedal, interconnect with the aileron command just computed,
    // and the yaw damper on the stability-axis yaw rate (deg/s).
    const double d = pedal_rudder_deg(fcs, G_Params.pedal_position);
    const double gain = clamp(kInterconnectPerDeg * fcs.alpha_filtered, 0.0, kInterconnectMax);
    const double roll_coupling =
        fcs.alpha_filtered * kInterconnectRadPerDeg * m.roll_rate * kDegPerRad;
    const double stability_yaw_rate = m.yaw_rate * kDegPerRad - roll_coupling;
    s.rudder_command =
        gain * s.aileron_command + stability_yaw_rate + (fcs.rudder_trim * kRudderTrimPerUnit - d);

    // Speed brake: extend, retract, or the hold marker for stop. Any
    // value but the three positions means extend.
    s.speed_brake_command = kSpeedBrakeExtendDeg;
    if (fcs.speed_brake_switch == -1.0) {
        s.speed_brake_command = kSpeedBrakeRetractDeg;
    } else if (fcs.speed_brake_switch == 0.0) {
        s.speed_brake_command = kSpeedBrakeHold;
    }

    // Flaps: the lever in normal mode, full flap in emergency mode.
    if (fcs.flap_mode == 1.0f) {
        s.flap_command = static_cast<double>(fcs.flap_lever) * kFlapFullDeg;
    } else if (fcs.flap_mode == 0.0f) {
        s.flap_command = kFlapFullDeg;
    }

    // Slats: fully out with any flap lever.
    s.slat_command = fcs.flap_lever > 0.0f ? kSlatFullDeg : 0.0;
}

void surface_step(double dt, bool primary_powered, bool main_powered, bool brake_powered,
                  double kcas) {
    Flight_Controls& fcs = G_FlightControls;
    Surface_State& s = fcs.surfaces;

    // An actuator without supply is not stepped: its surface stays put.
    if (primary_powered) {
        s.elevator_fraction = drive(fcs.elevator_actuator, s.elevator_command, dt);
        s.elevator_position = fcs.elevator_actuator.position;
        s.aileron_fraction = drive(fcs.aileron_actuator, s.aileron_command, dt);
        s.aileron_position = fcs.aileron_actuator.position;
    }

    if (main_powered) {
        drive_flaps(fcs, dt);
        s.slat_fraction = drive(fcs.slat_actuator, s.slat_command, dt);
        s.slat_position = fcs.slat_actuator.position;
        const double target =
            speed_brake_target(fcs.speed_brake_actuator, s.speed_brake_command, kcas);
        s.speed_brake_fraction = drive(fcs.speed_brake_actuator, target, dt);
        s.speed_brake_position = fcs.speed_brake_actuator.position;
    } else if (brake_powered && fcs.flap_mode == 0.0f) {
        // Emergency flaps run from the brake system; slats and speed brake
        // stay where they are.
        drive_flaps(fcs, dt);
    }

    // The rudder needs no hydraulic condition.
    s.rudder_fraction = drive(fcs.rudder_actuator, s.rudder_command, dt);
    s.rudder_position = fcs.rudder_actuator.position;
}
