// Head-up display cues, published in radians as cockpit parameters.
#pragma once

#include "host/cockpit_bridge.h"
#include "host/shared_state.h"

struct Ccip_Cue {
    double gravity = kStandardGravity;  // m/s^2
    Cockpit_Api api;
    Cockpit_Handle ccip_handle = nullptr;
};

struct Velocity_Vector_Cue {
    Cockpit_Api api;
    Cockpit_Handle vertical_handle = nullptr;
    Cockpit_Handle horizontal_handle = nullptr;
};

extern Ccip_Cue G_CcipCue;
extern Velocity_Vector_Cue G_VelocityVectorCue;

// "CCIP_V": depression of a free-fall impact point, referred to the body x
// axis. Returns the value published.
double ccip_cue_step();
// "VelVecVert" and "VelVecHorz": the velocity vector's angles to body x.
void velocity_vector_cue_step();
