// Exterior and cockpit lights with their flash sequencers.
#pragma once

#include <cstdint>

struct Electrical_System;

// Cyclic brightness pattern with a fixed step period; a step lasts a whole
// number of frames and at least `period`.
struct Step_Sequencer {
    std::int32_t index = 0;
    double timer = 0.0;  // s in the current step
    std::int32_t count = 0;
    const float* pattern = nullptr;  // count multipliers
    double period = 0.0;             // s per step
};

struct Lights {
    Electrical_System* electrical = nullptr;
    Step_Sequencer flasher_a;
    Step_Sequencer flasher_b;
    Step_Sequencer strobe;
    // Inputs (single precision, as the commands deliver them).
    float master_switch = 0.0f;
    float landing_light_switch = 0.0f;
    float level_a = 0.0f;  // a -1 switch position is stored as 0.5
    float level_b = 0.0f;
    float level_steady = 0.0f;
    float anti_collision_switch = 0.0f;
    float flash_mode_switch = 0.0f;
    float cockpit_level_input[3] = {};
    // Outputs.
    float landing_light = 0.0f;
    float light_a = 0.0f;
    float light_b = 0.0f;
    float light_steady = 0.0f;
    float beacon_on = 0.0f;
    float beacon_phase = 0.0f;  // 0..1
    float strobe_output = 0.0f;
    float cockpit_level[3] = {};
};

extern Lights G_Lights;

void lights_construct();
// Returns the pattern value at the new index.
float sequencer_advance(Step_Sequencer& sequencer, double dt);
void lights_step(double dt, double nose_gear_position);
