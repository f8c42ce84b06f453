// Canopy and arrester hook, one rate-limited actuator each. The canopy needs
// no power; the hook falls under its own weight but is raised only by the
// main hydraulic system.
#include "controls/canopy_hook.h"

Canopy G_Canopy;
Hook G_Hook;

namespace {
constexpr double kHookRetractPsi = 1500.0;  // main pressure the hook needs to rise
constexpr double kHookDown = 1.0;
constexpr double kHookUp = 0.0;
}  // namespace

void canopy_step(double dt) {
    Canopy& c = G_Canopy;
    c.canopy.command = c.canopy_open_selected ? c.canopy.max : c.canopy.min;
    rate_limiter_step(c.canopy, dt);
}

void hook_step(double dt, double main_pressure) {
    Hook& h = G_Hook;
    if (!h.hook_up_selected) {
        h.hook.command = kHookDown;
    } else if (main_pressure > kHookRetractPsi) {
        h.hook.command = kHookUp;
    }
    // Up selected without pressure: the last command stands, so a lowered
    // hook stays down.
    rate_limiter_step(h.hook, dt);
    h.hook_position = h.hook.position;
}
