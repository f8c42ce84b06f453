// A simple autopilot that flies the model as a pilot would: it moves the
// pitch axis (command 2001), the roll axis (2002), the rudder axis (2003) and
// the throttle axis (2004) through ed_fm_set_command.
//
// Three independent channels:
//   vertical  pitch hold, climb-rate hold or altitude hold (altitude and
//             climb rate become a flight-path angle, then a pitch attitude);
//   lateral   wings level, bank hold or heading hold; on the ground heading
//             hold steers with the pedals and keeps the wings level;
//   speed     calibrated airspeed hold with the throttle.
// Gains are set for about 10 kPa of dynamic pressure and scaled inversely with
// it, within limits.
#pragma once

#include "host/pilot_inputs.h"
#include "host/sample.h"

namespace rig {

enum class Vertical_Mode { Off, Pitch, Climb, Altitude };
enum class Lateral_Mode { Off, Wings_Level, Bank, Heading };
enum class Speed_Mode { Off, Airspeed };

// One autopilot instruction of a scenario.
struct Autopilot_Command {
    enum class Channel { Vertical, Lateral, Speed, All } channel = Channel::All;
    Vertical_Mode vertical = Vertical_Mode::Off;
    Lateral_Mode lateral = Lateral_Mode::Off;
    Speed_Mode speed = Speed_Mode::Off;
    double target = 0.0;  // deg, m/s, m, deg or kcas by mode
};

struct Autopilot {
    Vertical_Mode vertical = Vertical_Mode::Off;
    Lateral_Mode lateral = Lateral_Mode::Off;
    Speed_Mode speed = Speed_Mode::Off;
    double pitch_target = 0.0;     // deg
    double climb_target = 0.0;     // m/s
    double altitude_target = 0.0;  // m
    double bank_target = 0.0;      // deg
    double heading_target = 0.0;   // deg
    double airspeed_target = 0.0;  // kcas

    // Integrators and the last outputs (axis values, -1..1; throttle 0..1).
    double pitch_integral = 0.0;
    double path_pitch = 0.0;  // deg, the integral part of the pitch reference
    double throttle_integral = 0.0;
    double pitch_axis = 0.0;
    double roll_axis = 0.0;
    double rudder_axis = 0.0;
    double throttle = 0.0;
};

// Axis values to send this frame; a channel that is off sends nothing.
struct Axis_Commands {
    bool pitch = false, roll = false, rudder = false, throttle = false;
    float pitch_value = 0.0f, roll_value = 0.0f, rudder_value = 0.0f;
    float throttle_value = 0.0f;  // the throttle axis: 1 idle .. -1 full
};

// Engages a mode (bumpless: integrators start from the present outputs and
// attitude). Switching a stick channel off centres its axes once.
Axis_Commands autopilot_engage(Autopilot& ap, const Autopilot_Command& c, const Sample& now,
                               double dynamic_pressure);

// One frame of the active channels.
Axis_Commands autopilot_step(Autopilot& ap, const Sample& now, double dynamic_pressure, double dt);

}  // namespace rig
