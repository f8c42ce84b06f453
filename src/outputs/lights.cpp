// Exterior and cockpit lights. The generator feeds the landing light, the
// anti-collision strobe and beacon, the steady exterior light and the
// cockpit levels; the essential bus feeds the two flashing exterior lights.
#include "outputs/lights.h"

#include "propulsion/electrical.h"

namespace {

// Brightness multipliers, one per step. Constant data: the sequencers only
// point at them, so there is nothing to allocate at load or free at unload.
constexpr std::int32_t kFlasherSteps = 6;
constexpr double kFlasherPeriod = 0.5;  // s per step: one 0.5 s pulse every 3 s
constexpr float kFlasherPattern[kFlasherSteps] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};

constexpr std::int32_t kStrobeSteps = 15;
constexpr double kStrobePeriod = 0.2;  // s per step: one 0.2 s pulse every 3 s
constexpr float kStrobePattern[kStrobeSteps] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                                0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

constexpr double kBeaconTurnsPerSecond = 1.5;  // phase 0..1 per revolution

constexpr Step_Sequencer flasher() {
    return {0, 0.0, kFlasherSteps, kFlasherPattern, kFlasherPeriod};
}
constexpr Step_Sequencer strobe() { return {0, 0.0, kStrobeSteps, kStrobePattern, kStrobePeriod}; }

// Exterior light A or B: steady at its level, or flashing through its own
// sequencer, which advances only while the light flashes.
float flashing_light(const Lights& lights, Step_Sequencer& sequencer, float level, double dt) {
    const bool on = lights.electrical->essential_bus_powered && lights.master_switch != 0.0f;
    if (!on) return 0.0f;
    if (lights.flash_mode_switch == 0.0f) return level;
    return level * sequencer_advance(sequencer, dt);
}

}  // namespace

// Constant-initialised, so the lights are complete even in a program that
// never runs the load sequence.
Lights G_Lights{&G_Electrical, flasher(), flasher(), strobe()};

void lights_construct() {
    Lights& lights = G_Lights;
    lights.electrical = &G_Electrical;
    lights.flasher_a = flasher();
    lights.flasher_b = flasher();
    lights.strobe = strobe();
}

float sequencer_advance(Step_Sequencer& sequencer, double dt) {
    sequencer.timer += dt;
    if (!(sequencer.timer < sequencer.period)) {
        // The remainder is dropped: a step lasts a whole number of frames.
        sequencer.index += 1;
        sequencer.timer = 0.0;
        if (sequencer.index >= sequencer.count) sequencer.index = 0;
    }
    return sequencer.pattern[sequencer.index];
}

void lights_step(double dt, double nose_gear_position) {
    Lights& lights = G_Lights;
    const Electrical_System& electrical = *lights.electrical;

    // Generator-fed lights.
    if (electrical.generator_online) {
        // The landing light sits on the nose leg: lit only fully down.
        lights.landing_light = nose_gear_position == 1.0 ? lights.landing_light_switch : 0.0f;
        lights.strobe_output = lights.anti_collision_switch * sequencer_advance(lights.strobe, dt);
        if (lights.anti_collision_switch == 1.0f || lights.anti_collision_switch == -1.0f) {
            lights.beacon_on = 1.0f;
            // Widened for the sum, stored back in single precision.
            lights.beacon_phase =
                static_cast<float>(lights.beacon_phase + kBeaconTurnsPerSecond * dt);
            if (lights.beacon_phase > 1.0f) lights.beacon_phase = 0.0f;
        } else {
            lights.beacon_on = 0.0f;
        }
        for (int i = 0; i < 3; ++i) lights.cockpit_level[i] = lights.cockpit_level_input[i];
    } else {
        // The strobe pauses and the beacon keeps its phase.
        lights.landing_light = 0.0f;
        lights.strobe_output = 0.0f;
        lights.beacon_on = 0.0f;
        for (float& level : lights.cockpit_level) level = 0.0f;
    }

    // The flashing exterior lights, on the essential bus.
    lights.light_b = flashing_light(lights, lights.flasher_b, lights.level_b, dt);
    lights.light_a = flashing_light(lights, lights.flasher_a, lights.level_a, dt);

    // Steady exterior light, on the generator.
    lights.light_steady =
        (electrical.generator_online && lights.master_switch != 0.0f) ? lights.level_steady : 0.0f;
}
