// The bare airframe flown: the augmentation's rudder motion held out frame
// by frame through the rudder-trim command, so that the rudder moves only as
// the pedal alone would move it from the trim.
//
// The rudder's travel is the augmentation's share, the trim's (gain x trim
// command) and the pedal's. The pedal's, with the augmentation's share at the
// trim, is measured before the flight at the held trim state (the target
// travel for each pedal value). After each frame the augmentation's departure
// from its trim share is the travel less the target and the trim's share; the
// next frame's trim command cancels that departure extrapolated one frame.
// This holds while the actuator follows its command within the frame (small
// inputs); the error of the hold is kept so that a reader can judge it.
#pragma once

#include <cstdio>
#include <string>

#include "analysis/rudder_trim.h"

namespace rig {

struct Rudder_Hold {
    bool held = false;  // false: the model's rudder trim does not move the rudder
    std::string why;    // when not held
    double gain = 0.0;  // rudder travel per unit of rudder-trim command
    Pedal_Rudder_Map target;
    double trim = 0.0;         // rudder-trim command sent for the coming frame
    double departure[2] = {};  // the augmentation's travel beyond its trim share, last two frames
    // Travel against target over the frames flown, and the largest travel
    // the augmentation asked for beyond its trim share (what was held out).
    double sum_squares = 0.0, peak = 0.0, held_out = 0.0;
    long frames = 0;
};

// Measures the hold on the model held at the host's state (a trim, settled)
// for pedal values within pedal_trim +- reach, then settles the model back at
// pedal_trim. The model's internal fuel is restored afterwards.
Rudder_Hold rudder_hold_begin(Host& host, double pedal_trim, double reach);

// Before a frame: the rudder-trim command that cancels the augmentation.
void rudder_hold_command(Rudder_Hold& hold, const Model_Api& api);

// After a frame: the rudder travel flown with the pedal that was sent.
void rudder_hold_update(Rudder_Hold& hold, double travel, double pedal);

// Root-mean-square travel error of the frames flown (the largest is peak).
double rudder_hold_rms_error(const Rudder_Hold& hold);

// The hold's errors as a line of the flight summary.
void print_rudder_hold(std::FILE* out, const Rudder_Hold& hold);

}  // namespace rig
