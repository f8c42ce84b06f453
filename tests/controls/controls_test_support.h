// Shared fixture for the controls tests: every record this subsystem reads
// or writes starts from its load state.
#pragma once

#include <gtest/gtest.h>

#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/lifecycle.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"

class ControlsTest : public ::testing::Test {
 protected:
    void SetUp() override {
        library_load();
        G_FlightControls = Flight_Controls{};
        G_FlightControls.gear = &G_Gear;
        G_Hydraulics = Hydraulics{};
        G_Canopy = Canopy{};
        G_Hook = Hook{};
        G_Gear = Landing_Gear{};
        G_Params = Global_Params{};
        G_CommandInput.aux_action_switch = false;
        G_Engine.approach_idle = false;
        G_Engine.core.throttle = 0.0;
    }

    // All three legs at one position (0 up .. 1 down).
    static void set_gear(double position) {
        for (Rate_Limiter& leg : G_Gear.legs) leg.position = leg.command = position;
    }
};
