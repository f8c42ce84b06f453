// The rudder surface moved from the host. The model's augmentation (yaw
// damper, aileron-rudder interconnect) drives the rudder inside the model;
// the host's only handle on the surface besides the pedal is the rudder-trim
// command, whose gearing to the surface is linear. These measurements are
// taken on the model held at the host's state and settled (see settle_held).
#pragma once

#include <vector>

#include "analysis/trim.h"

namespace rig {

// Rudder travel of the last frame, -1..1 of full travel.
double rudder_travel(const Host& host);

// Rudder travel per unit of the rudder-trim command: the travel as the model
// stands (settled, rudder trim 0) against the travel at a small trim. 0 when
// the trim does not move the rudder (the model has no such command). Leaves
// the rudder-trim command at 0, not yet settled.
double rudder_trim_gain(Host& host, double weight);

// Rudder travel against the pedal (rudder axis) with the rudder trim at 0:
// settled travel at n evenly spaced pedal values from..to (n >= 2).
struct Pedal_Rudder_Map {
    double from = 0.0, to = 0.0;
    std::vector<double> travel;
};
Pedal_Rudder_Map measure_pedal_rudder(Host& host, double weight, double from, double to, int n);

// The map's travel at a pedal value: linear between the measured points,
// the end points' beyond them.
double pedal_rudder_travel(const Pedal_Rudder_Map& map, double pedal);

}  // namespace rig
