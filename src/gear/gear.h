// Landing gear: three legs driven on hydraulic power (or at half speed by the
// emergency handle), nose-wheel steering in three authority modes, the
// hydraulic bar, the host's strut feedback and the wheel brakes.
// Positions: 0 retracted (up) .. 1 extended (down).
#pragma once

#include "controls/rate_limiter.h"

struct Wheel_Contact {
    double compression = 0.0;    // from the host; above 0 carries load
    double gear_position = 0.0;  // copy of the leg position, 0 up .. 1 down
    double brake = 0.0;          // demand 0..1 (main wheels only)
    double feedback[7] = {};     // the rest of the host's record, kept
};

enum Gear_Leg : int { LEG_NOSE = 0, LEG_LEFT = 1, LEG_RIGHT = 2 };

struct Landing_Gear {
    bool gear_up_selected = false;
    bool bar_switch = false;
    bool steer_mode_full = false;
    bool steer_mode_mid = false;  // 20/65 authority, usable with the bar down
    double steer_command = 0.0;
    double steer_target = 0.0;
    double steer_position = 0.0;
    float panel_switch = 0.0f;      // echoed to the cockpit only
    double emergency_handle = 0.0;  // exactly 1 = pulled
    Rate_Limiter legs[3] = {
        limited_element(0.25, 0.0, 1.0),
        limited_element(0.25, 0.0, 1.0),
        limited_element(0.25, 0.0, 1.0),
    };
    Rate_Limiter bar = limited_element(1.0, 0.0, 1.0);
    double bar_position = 0.0;
    Wheel_Contact wheels[3];  // nose, left main, right main
    bool parking_brake = false;
};

extern Landing_Gear G_Gear;

// True when any strut reports a compression above 0: the one weight-on-wheels
// rule every subsystem uses.
bool weight_on_wheels();
// True when no leg is short of its fully-down stop.
bool all_gear_down();

void gear_step(double dt, bool hydraulics_ok);
void select_steer_mode(double v);
// Host post index: 0 nose, 1 right main, 2 left main.
void suspension_feedback(int index, const double* record);
