#include "flight/autopilot.h"

#include <cmath>

#include "world/vec.h"

namespace rig {
namespace {

constexpr double kReferenceDynamicPressure = 10000.0;  // Pa
constexpr double kMinGainScale = 0.5;
constexpr double kMaxGainScale = 4.0;

// Pitch attitude loop: axis per degree of error, per deg/s of pitch rate.
constexpr double kPitchGain = 0.02;
constexpr double kPitchRateGain = 0.01;
constexpr double kPitchIntegralGain = 0.01;  // per deg s
// Flight-path loop: degrees of pitch per degree of path error.
constexpr double kPathGain = 1.0;
constexpr double kPathIntegralGain = 0.3;     // per s
constexpr double kMinPitchReference = -15.0;  // deg
constexpr double kMaxPitchReference = 20.0;   // deg
// Altitude loop: climb rate per metre of error, and its limit.
constexpr double kAltitudeGain = 0.1;   // 1/s
constexpr double kMaxClimbRate = 15.0;  // m/s
constexpr double kMinPathSpeed = 30.0;  // m/s, below this the path angle is unreliable

// Roll loop: axis per degree of bank error, per deg/s of roll rate.
constexpr double kBankGain = 0.02;
constexpr double kRollRateGain = 0.006;
// Heading: degrees of bank per degree of heading error, and the bank limit.
constexpr double kHeadingGain = 1.5;
constexpr double kMaxBank = 30.0;  // deg
// Ground steering: pedal per degree of heading error, per deg/s of yaw rate.
constexpr double kSteerGain = 0.1;
constexpr double kSteerRateGain = 0.05;

// Airspeed: throttle per knot of error, and per knot second.
constexpr double kSpeedGain = 0.02;
constexpr double kSpeedIntegralGain = 0.002;

double clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double gain_scale(double dynamic_pressure) {
    if (!(dynamic_pressure > 0.0)) return kMaxGainScale;
    return clamp(kReferenceDynamicPressure / dynamic_pressure, kMinGainScale, kMaxGainScale);
}

// Heading error wrapped into -180..180 degrees.
double heading_error(double target, double heading) {
    double e = std::fmod(target - heading, 360.0);
    if (e > 180.0) e -= 360.0;
    if (e < -180.0) e += 360.0;
    return e;
}

double flight_path_deg(const Sample& s) {
    const double v = std::fmax(s.tas, kMinPathSpeed);
    return std::asin(clamp(s.vs / v, -1.0, 1.0)) * kDegPerRad;
}

}  // namespace

Axis_Commands autopilot_engage(Autopilot& ap, const Autopilot_Command& c, const Sample& now,
                               double dynamic_pressure) {
    using Channel = Autopilot_Command::Channel;
    Axis_Commands centre;
    const bool all = c.channel == Channel::All;
    if (all || c.channel == Channel::Vertical) {
        const Vertical_Mode before = ap.vertical;
        ap.vertical = all ? Vertical_Mode::Off : c.vertical;
        switch (ap.vertical) {
            case Vertical_Mode::Pitch:
                ap.pitch_target = c.target;
                break;
            case Vertical_Mode::Climb:
                ap.climb_target = c.target;
                break;
            case Vertical_Mode::Altitude:
                ap.altitude_target = c.target;
                break;
            case Vertical_Mode::Off:
                break;
        }
        if (before == Vertical_Mode::Off && ap.vertical != Vertical_Mode::Off) {
            // Start from the stick where it is and the attitude as it is.
            ap.pitch_integral = ap.pitch_axis / gain_scale(dynamic_pressure);
            ap.path_pitch = now.pitch;
        }
        if (ap.vertical == Vertical_Mode::Off && before != Vertical_Mode::Off) {
            ap.pitch_axis = 0.0;
            centre.pitch = true;
        }
    }
    if (all || c.channel == Channel::Lateral) {
        const Lateral_Mode before = ap.lateral;
        ap.lateral = all ? Lateral_Mode::Off : c.lateral;
        if (ap.lateral == Lateral_Mode::Bank) ap.bank_target = c.target;
        if (ap.lateral == Lateral_Mode::Heading) ap.heading_target = c.target;
        if (ap.lateral == Lateral_Mode::Off && before != Lateral_Mode::Off) {
            ap.roll_axis = ap.rudder_axis = 0.0;
            centre.roll = centre.rudder = true;
        }
    }
    if (all || c.channel == Channel::Speed) {
        const Speed_Mode before = ap.speed;
        ap.speed = all ? Speed_Mode::Off : c.speed;
        if (ap.speed == Speed_Mode::Airspeed) {
            ap.airspeed_target = c.target;
            if (before == Speed_Mode::Off) ap.throttle_integral = ap.throttle;
        }
    }
    return centre;
}

Axis_Commands autopilot_step(Autopilot& ap, const Sample& now, double dynamic_pressure, double dt) {
    Axis_Commands out;
    const double k = gain_scale(dynamic_pressure);
    const bool on_ground = now.on_ground > 0.5;

    if (ap.vertical != Vertical_Mode::Off) {
        double pitch_reference = ap.pitch_target;
        if (ap.vertical != Vertical_Mode::Pitch) {
            double climb = ap.climb_target;
            if (ap.vertical == Vertical_Mode::Altitude) {
                climb = clamp(kAltitudeGain * (ap.altitude_target - now.altitude), -kMaxClimbRate,
                              kMaxClimbRate);
            }
            const double v = std::fmax(now.tas, kMinPathSpeed);
            const double path_target = std::asin(clamp(climb / v, -1.0, 1.0)) * kDegPerRad;
            const double path_error = path_target - flight_path_deg(now);
            if (!on_ground) {
                ap.path_pitch = clamp(ap.path_pitch + kPathIntegralGain * path_error * dt,
                                      kMinPitchReference, kMaxPitchReference);
            }
            pitch_reference = clamp(ap.path_pitch + kPathGain * path_error, kMinPitchReference,
                                    kMaxPitchReference);
        }
        const double error = pitch_reference - now.pitch;
        // On the wheels this is what makes the aircraft rotate: the stick
        // keeps coming back until the nose lifts.
        ap.pitch_integral =
            clamp(ap.pitch_integral + kPitchIntegralGain * error * dt, -1.0 / k, 1.0 / k);
        ap.pitch_axis =
            clamp(k * (kPitchGain * error - kPitchRateGain * now.q + ap.pitch_integral), -1.0, 1.0);
        out.pitch = true;
        out.pitch_value = static_cast<float>(ap.pitch_axis);
    }

    if (ap.lateral != Lateral_Mode::Off) {
        double bank_reference = 0.0;
        if (ap.lateral == Lateral_Mode::Bank) bank_reference = ap.bank_target;
        if (ap.lateral == Lateral_Mode::Heading && !on_ground) {
            bank_reference = clamp(kHeadingGain * heading_error(ap.heading_target, now.heading),
                                   -kMaxBank, kMaxBank);
        }
        ap.roll_axis =
            clamp(k * (kBankGain * (bank_reference - now.roll) - kRollRateGain * now.p), -1.0, 1.0);
        out.roll = true;
        out.roll_value = static_cast<float>(ap.roll_axis);
        ap.rudder_axis = 0.0;
        if (ap.lateral == Lateral_Mode::Heading && on_ground) {
            ap.rudder_axis = clamp(
                kSteerGain * heading_error(ap.heading_target, now.heading) - kSteerRateGain * now.r,
                -1.0, 1.0);
        }
        out.rudder = true;
        out.rudder_value = static_cast<float>(ap.rudder_axis);
    }

    if (ap.speed == Speed_Mode::Airspeed) {
        const double error = ap.airspeed_target - now.kcas;
        ap.throttle_integral =
            clamp(ap.throttle_integral + kSpeedIntegralGain * error * dt, 0.0, 1.0);
        ap.throttle = clamp(ap.throttle_integral + kSpeedGain * error, 0.0, 1.0);
        out.throttle = true;
        out.throttle_value = throttle_axis(ap.throttle);
    }
    return out;
}

}  // namespace rig
