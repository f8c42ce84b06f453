// Trim at a chosen angle of attack: a symmetric pull-up (wings level, the
// bottom of the manoeuvre) at the requested speed and altitude whose load
// factor is found by secant steps so that the trimmed angle of attack is the
// target. Below the 1 g angle of attack the load factor is under 1: the top
// of a push-over. This lets the analyses sweep angle of attack at one speed
// (one Mach) and Mach at one angle of attack.
#pragma once

#include "analysis/trim.h"

namespace rig {

struct Alpha_Trim_Limits {
    double min_load_factor = 0.05;  // g; zero and negative g are not trimmed
    double max_load_factor = 9.0;   // g
    double tolerance = 0.005;       // deg of angle of attack
};

// `request` gives the speed (kcas or tas), altitude, configuration and, in
// warm_start, a neighbouring point (its load factor starts the search); its
// kind and load factor are replaced. When full throttle cannot hold the speed
// the throttle is held at full and the flight-path angle solved (the point
// is then a descending pull-up; Trim_Result::gamma says by how much). A point
// that cannot be reached has ok false and `why` saying which limit stopped
// it: the load-factor bounds or a control at its stop (from trim()).
Trim_Result trim_at_alpha(Host& host, const Trim_Request& request, double alpha_deg,
                          const Alpha_Trim_Limits& limits = Alpha_Trim_Limits{});

// True airspeed (m/s) of a Mach number at an altitude, in the host's air.
double tas_from_mach(const Host& host, double mach, double altitude);

}  // namespace rig
