// Shared helpers for the controls tests, on the model's load state.
#pragma once

#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "quillon_fm_ids.h"
#include "support/model_state.h"

constexpr double kFrame = 0.02;  // s, a 50 Hz frame

class ControlsTest : public Model_Test {
 protected:
    // All three legs at one position (0 up .. 1 down).
    static void set_gear(double position) {
        for (Rate_Limiter& leg : G_Gear.legs) leg.position = leg.command = position;
    }
};
