#include "host/hud_cues.h"

#include <cfenv>
#include <cmath>

#include "host/shared_state.h"

Ccip_Cue G_CcipCue;
Velocity_Vector_Cue G_VelocityVectorCue;

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kVelocityVectorMinSpeed = 0.1;  // m/s
// From this height above the surface up, no step of the impact-point cue
// can raise a floating-point exception: the root's argument is positive and
// the quotient d / h is at most about 1e9 with the bounded state inputs.
constexpr double kCcipQuietHeight = 1e-3;  // m
}  // namespace

namespace {

// The cue's arithmetic as its formula is written; a function of its own so
// that all of it runs where the caller says.
[[gnu::noinline]] double ccip_value(const Global_Params& p, double g, double h) {
    // Time for a body released with the aircraft's vertical speed to fall
    // through h.
    const double t = (p.world_vel_y + std::sqrt(p.world_vel_y * p.world_vel_y + g * 2.0 * h)) / g;
    const double psi = kTwoPi - p.yaw;
    const double d = t * (std::cos(psi) * p.world_vel_x + std::sin(psi) * p.world_vel_z);
    const double a = std::atan(d / h);
    // Depression below the horizon, negative, referred to the body x axis.
    return -(kHalfPi - a) - p.pitch;
}

}  // namespace

double ccip_cue_step() {
    const double h = G_FlightState.height_above_surface;
    double value;
    if (h >= kCcipQuietHeight) {
        value = ccip_value(G_Params, G_CcipCue.gravity, h);
    } else {
        // At h = 0, or below the surface, the root or the quotient is not
        // finite (and d / h overflows just above 0); the host's cue is a
        // display value and is published as computed. Exceptions raised on
        // the way are held and the floating-point environment put back, so
        // a host that traps them is not stopped by a display value.
        std::fenv_t env;
        std::feholdexcept(&env);
        value = ccip_value(G_Params, G_CcipCue.gravity, h);
        std::fesetenv(&env);
    }
    cockpit_set(G_CcipCue.api, G_CcipCue.ccip_handle, value);
    return value;
}

void velocity_vector_cue_step() {
    const Global_Params& p = G_Params;
    const double v = std::pow(
        p.body_vel_y * p.body_vel_y + p.body_vel_z * p.body_vel_z + p.body_vel_x * p.body_vel_x,
        0.5);
    const double vertical = -std::atan2(-p.body_vel_y, p.body_vel_x);
    const double horizontal = v > kVelocityVectorMinSpeed ? std::asin(p.body_vel_z / v) : 0.0;
    cockpit_set(G_VelocityVectorCue.api, G_VelocityVectorCue.vertical_handle, vertical);
    cockpit_set(G_VelocityVectorCue.api, G_VelocityVectorCue.horizontal_handle, horizontal);
}
