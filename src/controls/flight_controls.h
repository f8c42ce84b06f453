// Control laws and surface actuation. Deflections in degrees; travel
// fractions are position / full travel.
#pragma once

#include "controls/rate_limiter.h"

struct Landing_Gear;

// Written by the body-axis state input each time the host pushes it.
struct Body_Motion {
    double alpha_deg = 0.0;
    double beta_deg = 0.0;
    double roll_rate = 0.0;   // rad/s about body x
    double pitch_rate = 0.0;  // rad/s about body z, nose up
    double yaw_rate = 0.0;    // rad/s, positive nose right
};

struct Surface_State {
    double slat_command = 0.0, slat_position = 0.0, slat_fraction = 0.0;
    double aileron_command = 0.0, aileron_position = 0.0, aileron_fraction = 0.0;
    double flap_command = 0.0, flap_position_left = 0.0, flap_position_right = 0.0;
    double flap_fraction_left = 0.0, flap_fraction_right = 0.0;
    double elevator_position = 0.0, elevator_fraction = 0.0;
    double rudder_command = 0.0, rudder_position = 0.0, rudder_fraction = 0.0;
    // Degrees, or -1 meaning hold where it is.
    double speed_brake_command = 0.0, speed_brake_position = 0.0;
    double speed_brake_fraction = 0.0;
    double elevator_command = 0.0;
};

struct Flight_Controls {
    Landing_Gear* gear = nullptr;
    Body_Motion motion;
    Surface_State surfaces;

    double pitch_trim_step = 0.0008;
    double roll_trim_step = 0.001;
    double pitch_trim = 0.0;  // -1..1
    double roll_trim = 0.0;   // -1..1
    double rudder_trim = 0.0;
    double pitch_stick = 0.0;  // negated pitch axis, -1..1
    double roll_stick = 0.0;   // -1..1

    double alpha_filtered = 0.0;  // deg, first-order lag; never reset

    double rudder_limit_min = -30.0;
    double rudder_limit_max = 30.0;

    float flap_lever = 0.0f;           // 0..1
    float flap_mode = 1.0f;            // 1 normal, 0 emergency
    double speed_brake_switch = -1.0;  // 1 extend, 0 stop, -1 retract

    Rate_Limiter slat_actuator = limited_element(12.0, 0.0, 25.0);
    Rate_Limiter aileron_actuator = limited_element(60.0, -15.5, 15.5);
    Rate_Limiter elevator_actuator = limited_element(60.0, -6.6, 15.0);
    Rate_Limiter rudder_actuator = limited_element(120.0, -30.0, 30.0);
    Rate_Limiter speed_brake_actuator = limited_element(25.0, 0.0, 60.0);
    Rate_Limiter flap_actuator = limited_element(9.0, 0.0, 50.0);
};

extern Flight_Controls G_FlightControls;

// Surface commands from stick, pedals, trims, flap lever and speed-brake
// switch.
void control_step(double dt);
// Moves the actuators under hydraulic power and the speed-brake airspeed
// limits, and publishes positions and fractions.
void surface_step(double dt, bool primary_powered, bool main_powered, bool brake_powered,
                  double kcas);
