// Canopy (0 closed .. 0.9 open, the animation value) and arrester hook
// (0 stowed .. 1 down).
#pragma once

#include "controls/rate_limiter.h"

struct Canopy {
    Rate_Limiter canopy = limited_element(0.5, 0.0, 0.9);
    bool canopy_open_selected = false;
};

struct Hook {
    Rate_Limiter hook = limited_element(1.0, 0.0, 1.0);
    bool hook_up_selected = true;
    double hook_position = 0.0;
};

extern Canopy G_Canopy;
extern Hook G_Hook;

void canopy_step(double dt);
// main_pressure in psi: the hook retracts only above 1500.
void hook_step(double dt, double main_pressure);
