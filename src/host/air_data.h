// Air data from the host's raw inputs, and the cabin pressure schedule.
#pragma once

#include "host/cockpit_bridge.h"
#include "host/shared_state.h"

struct Cabin_State {
    double cabin_pressure_differential = 0.0;  // cabin minus outside, Pa, 0..33000
    Flight_State* state = nullptr;
    Cockpit_Api api;
    double cabin_altitude = 0.0;  // pressure altitude of the cabin, m
    Cockpit_Handle pitot_iced_handle = nullptr;
};

extern Cabin_State G_Cabin;

// True airspeed, dynamic pressure, Mach, total pressure, cas, kcas, icing and
// height above the surface, into G_FlightState.
void air_data_step();
// Cabin altitude and pressure differential from the altitude and the canopy
// position of the previous frame; publishes "PITOT_ICED".
void cabin_step(double canopy_position);
