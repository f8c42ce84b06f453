// Pilot command input: decodes a host command number and stores the value in
// the owning subsystem's input field. Nothing is simulated here.
#pragma once

#include "host/cockpit_bridge.h"

struct Command_Input {
    Cockpit_Api api;  // for the cockpit action dispatch
    bool aux_action_switch = false;
    // Engine-rpm lamp (cockpit argument 71), computed by the frame.
    bool engine_rpm_lamp = false;
};

extern Command_Input G_CommandInput;

// Values above 1 arrive encoded: fractional part * 8 - 2, in single
// precision (1.25 -> 0, 1.5 -> 2).
float command_preconvert(float value);
void command_input(int command, float value);
