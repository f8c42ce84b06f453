// Gear retraction, nose-wheel steering, the bar and the wheel records. The
// host runs the wheels themselves; we only learn each strut's compression
// and hand back leg positions, brake demands and the steering position.
#include "gear/gear.h"

#include "aero/grid_table.h"
#include "host/finite_bits.h"
#include "host/shared_state.h"
#include "quillon_fm_ids.h"

Landing_Gear G_Gear;

namespace {

// The emergency handle counts as pulled only at exactly this value.
constexpr double kHandlePulled = 1.0;

// Nose-wheel authority, as fractions of full travel.
constexpr double kSteerAuthorityFull = 1.0;
constexpr double kSteerAuthorityMid = 20.0 / 65.0;
constexpr double kSteerAuthorityDefault = 0.185;
constexpr double kSteerRate = 1.0;       // travel per second
constexpr double kSteerDeadband = 0.01;  // travel; no motion this close to the target

constexpr double kParkingBrake = 1.0;  // brake demand held while parked on the ground

// Our leg for one of the host's gear posts; -1 for a number that is no post.
int leg_of_post(int post) {
    switch (post) {
        case QFM_POST_NOSE:
            return LEG_NOSE;
        case QFM_POST_RIGHT:
            return LEG_RIGHT;
        case QFM_POST_LEFT:
            return LEG_LEFT;
        default:
            return -1;
    }
}
// Eight doubles per post: seven kept as they come, then the compression.
constexpr int kFeedbackDoubles = QFM_SUSPENSION_COMPRESSION;
constexpr int kCompressionSlot = QFM_SUSPENSION_COMPRESSION;

void drive_legs(Landing_Gear& gear, double command, double dt) {
    for (int i = 0; i < 3; ++i) {
        gear.legs[i].command = command;
        rate_limiter_step(gear.legs[i], dt);
        gear.wheels[i].gear_position = gear.legs[i].position;
    }
}

}  // namespace

bool weight_on_wheels() {
    for (const Wheel_Contact& wheel : G_Gear.wheels) {
        if (wheel.compression > 0.0) return true;
    }
    return false;
}

bool all_gear_down() {
    for (const Rate_Limiter& leg : G_Gear.legs) {
        if (leg.max > leg.position) return false;
    }
    return true;
}

void gear_step(double dt, bool hydraulics_ok) {
    Landing_Gear& gear = G_Gear;
    const bool wow = weight_on_wheels();

    // Leg drive: normal on hydraulic power in the air, emergency at half
    // speed whatever the conditions, otherwise frozen (the wheel records
    // then keep what they had).
    if (!wow && gear.emergency_handle == 0.0 && hydraulics_ok) {
        drive_legs(gear, gear.gear_up_selected ? 0.0 : 1.0, dt);
    } else if (gear.emergency_handle == kHandlePulled) {
        drive_legs(gear, 1.0, dt / 2.0);
    }

    // Publish for the gear-leg drag.
    for (int i = 0; i < 3; ++i) G_Params.gear_leg_position[i] = gear.wheels[i].gear_position;

    // Steering demand; the pedal's sign is reversed for the nose wheel.
    // With the bar down only the mid mode steers.
    gear.steer_command = (wow && (!(gear.bar.position > 0.0) || gear.steer_mode_mid))
                             ? -G_Params.pedal_position
                             : 0.0;

    if (!wow) {
        // Airborne: the bar goes up; steering holds where it was.
        gear.bar.command = 0.0;
        rate_limiter_step(gear.bar, dt);
        gear.bar_position = gear.bar.position;
        return;
    }

    // On the ground.
    double authority = kSteerAuthorityDefault;
    if (gear.steer_mode_full) {
        authority = kSteerAuthorityFull;
    } else if (gear.steer_mode_mid) {
        authority = kSteerAuthorityMid;
    }
    gear.steer_target = clamp(gear.steer_command, -1.0, 1.0) * authority;

    if (hydraulics_ok) {
        const double error = gear.steer_target - gear.steer_position;
        const double step = kSteerRate * dt;
        if (error < -kSteerDeadband) {
            gear.steer_position -= step;
        } else if (error > kSteerDeadband) {
            gear.steer_position += step;
        }
        // A long frame (dt above twice the dead band) could carry the wheel
        // past the dead band on the far side and leave it swinging about the
        // target for good; such a step lands on the target instead. Every
        // step that ends inside the dead band is left as it was.
        const double overshoot = gear.steer_position - gear.steer_target;
        if ((error < -kSteerDeadband && overshoot < -kSteerDeadband) ||
            (error > kSteerDeadband && overshoot > kSteerDeadband)) {
            gear.steer_position = gear.steer_target;
        }
    }

    gear.bar.command = (gear.bar_switch && hydraulics_ok) ? 1.0 : 0.0;

    if (gear.parking_brake) {
        gear.wheels[LEG_LEFT].brake = kParkingBrake;
        gear.wheels[LEG_RIGHT].brake = kParkingBrake;
    }

    rate_limiter_step(gear.bar, dt);
    gear.bar_position = gear.bar.position;
}

void select_steer_mode(double v) {
    Landing_Gear& gear = G_Gear;
    // Pressing the button again with the bar down adds the mid mode; full
    // authority, once set, stays set and takes precedence.
    if (v == 1.0 && gear.bar.position == 0.0) {
        gear.steer_mode_full = true;
    } else if (v == 1.0 && gear.bar.position > 0.0) {
        gear.steer_mode_mid = true;
    } else {
        gear.steer_mode_full = false;
        gear.steer_mode_mid = false;
    }
}

void suspension_feedback(int index, const double* record) {
    const int leg = leg_of_post(index);
    if (leg < 0) return;
    Wheel_Contact& wheel = G_Gear.wheels[leg];
    // A value that is not finite is not taken: the slot keeps its last one,
    // so weight on wheels never compares a NaN.
    // (A select rather than a branch, so the copy stays a straight line.)
    for (int i = 0; i < kFeedbackDoubles; ++i) {
        wheel.feedback[i] = finite_bits(record[i]) ? record[i] : wheel.feedback[i];
    }
    const double compression = record[kCompressionSlot];
    wheel.compression = finite_bits(compression) ? compression : wheel.compression;
}
