// Lights and flash sequencers, stepped directly with the electrical flags
// set by hand.
#include <gtest/gtest.h>

#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "support/model_state.h"

using LightsTest = Model_Test;

TEST_F(LightsTest, FlasherStepsLastWholeFramesAtEachFrameTime) {
    // Frames per 0.5 s step: 1 at 0.5 s, 4 at 0.125 s, 2 at 0.3 s (0.6 s).
    const struct {
        double dt;
        int frames_per_step;
    } cases[] = {{0.5, 1}, {0.125, 4}, {0.3, 2}};
    for (const auto& c : cases) {
        lights_construct();
        G_Electrical.essential_bus_powered = true;
        G_Lights.master_switch = 1.0f;
        G_Lights.flash_mode_switch = 1.0f;
        G_Lights.level_a = 1.0f;
        for (int frame = 1; frame <= 12 * c.frames_per_step; ++frame) {
            lights_step(c.dt, 0.0);
            // Lit in step 5 of 0..5, entered on frame 5 * frames_per_step.
            const int step = (frame / c.frames_per_step) % 6;
            ASSERT_EQ(G_Lights.light_a, step == 5 ? 1.0f : 0.0f) << c.dt << " " << frame;
        }
        EXPECT_EQ(G_Lights.flasher_b.index, 0);  // B is off, so it never ran
        EXPECT_EQ(G_Lights.light_b, 0.0f);
    }
}

TEST_F(LightsTest, StrobeBeaconAndTheGeneratorGate) {
    G_Electrical.generator_online = true;
    G_Lights.anti_collision_switch = -1.0f;
    // 0.1 s frames: the lit 0.2 s step comes once per 3 s (30 frames).
    int pulses = 0;
    for (int frame = 1; frame <= 60; ++frame) {
        lights_step(0.1, 1.0);
        if (G_Lights.strobe_output == -1.0f) ++pulses;
    }
    EXPECT_EQ(pulses, 4);  // frames 1, 30, 31, 60
    EXPECT_EQ(G_Lights.beacon_on, 1.0f);

    // The phase turns 1.5 per second and restarts at 0 past one turn.
    G_Lights.beacon_phase = 0.25f;
    lights_step(0.5, 1.0);
    EXPECT_EQ(G_Lights.beacon_phase, 1.0f);
    lights_step(0.125, 1.0);
    EXPECT_EQ(G_Lights.beacon_phase, 0.0f);

    // On battery alone: dark, the strobe paused and the phase kept.
    G_Lights.landing_light_switch = 1.0f;
    G_Lights.cockpit_level_input[0] = 0.5f;
    lights_step(0.25, 1.0);
    EXPECT_EQ(G_Lights.landing_light, 1.0f);
    EXPECT_EQ(G_Lights.cockpit_level[0], 0.5f);
    const int strobe_index = G_Lights.strobe.index;
    const float phase = G_Lights.beacon_phase;
    G_Electrical.generator_online = false;
    G_Electrical.essential_bus_powered = true;
    lights_step(0.25, 1.0);
    EXPECT_EQ(G_Lights.landing_light, 0.0f);
    EXPECT_EQ(G_Lights.strobe_output, 0.0f);
    EXPECT_EQ(G_Lights.beacon_on, 0.0f);
    EXPECT_EQ(G_Lights.cockpit_level[0], 0.0f);
    EXPECT_EQ(G_Lights.strobe.index, strobe_index);
    EXPECT_EQ(G_Lights.beacon_phase, phase);
}

TEST_F(LightsTest, LandingLightNeedsTheNoseFullyDownAndTheMasterGatesTheExterior) {
    G_Electrical.generator_online = true;
    G_Electrical.essential_bus_powered = true;
    G_Lights.landing_light_switch = 1.0f;
    G_Lights.level_a = G_Lights.level_b = G_Lights.level_steady = 0.5f;
    lights_step(0.1, 0.99);
    EXPECT_EQ(G_Lights.landing_light, 0.0f);
    EXPECT_EQ(G_Lights.light_a, 0.0f);  // master still off from load
    G_Lights.master_switch = 1.0f;
    lights_step(0.1, 1.0);
    EXPECT_EQ(G_Lights.landing_light, 1.0f);
    EXPECT_EQ(G_Lights.light_a, 0.5f);
    EXPECT_EQ(G_Lights.light_b, 0.5f);
    EXPECT_EQ(G_Lights.light_steady, 0.5f);
}
