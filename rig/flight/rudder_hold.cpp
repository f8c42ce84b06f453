#include "flight/rudder_hold.h"

#include <cmath>

#include "host/pilot_inputs.h"

namespace rig {
namespace {

// Pedal values measured each side of the trim: exact at the trim and at the
// ends, so a doublet's or a step's values need no interpolation.
constexpr int kPedalPointsEachSide = 10;

}  // namespace

Rudder_Hold rudder_hold_begin(Host& host, double pedal_trim, double reach) {
    const Model_Api& fm = *host.api;
    const double weight = host.mass_properties.mass * host.env.gravity;
    const double fuel = fm.ed_fm_get_internal_fuel();
    Rudder_Hold hold;
    hold.gain = rudder_trim_gain(host, weight);
    hold.held = hold.gain != 0.0;
    if (!hold.held) hold.why = "the rudder-trim command does not move the rudder";
    const int n = reach > 0.0 ? 2 * kPedalPointsEachSide + 1 : 1;
    hold.target = measure_pedal_rudder(host, weight, pedal_trim - reach, pedal_trim + reach, n);
    fm.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, static_cast<float>(pedal_trim));
    settle_held(host, weight);
    fm.ed_fm_set_internal_fuel(fuel);
    return hold;
}

void rudder_hold_command(Rudder_Hold& hold, const Model_Api& api) {
    if (!hold.held) return;
    const double predicted = 2.0 * hold.departure[0] - hold.departure[1];
    hold.trim = -predicted / hold.gain;
    api.ed_fm_set_command(QFM_CMD_RUDDER_TRIM, static_cast<float>(hold.trim));
}

void rudder_hold_update(Rudder_Hold& hold, double travel, double pedal) {
    const double target = pedal_rudder_travel(hold.target, pedal);
    const double error = travel - target;
    hold.sum_squares += error * error;
    hold.peak = std::fmax(hold.peak, std::fabs(error));
    ++hold.frames;
    if (!hold.held) return;
    // The trim command sent is a float; its share is what the model saw.
    const double trim_share = hold.gain * static_cast<float>(hold.trim);
    hold.departure[1] = hold.departure[0];
    hold.departure[0] = travel - target - trim_share;
    hold.held_out = std::fmax(hold.held_out, std::fabs(hold.departure[0]));
}

double rudder_hold_rms_error(const Rudder_Hold& hold) {
    return hold.frames > 0 ? std::sqrt(hold.sum_squares / static_cast<double>(hold.frames)) : 0.0;
}

void print_rudder_hold(std::FILE* out, const Rudder_Hold& hold) {
    if (!hold.held) {
        std::fprintf(out, "  bare airframe: rudder not held (%s)\n", hold.why.c_str());
        return;
    }
    std::fprintf(out,
                 "  bare airframe: rudder held to the pedal's travel, error rms %.2g, peak %.2g "
                 "(held out up to %.2g)\n",
                 rudder_hold_rms_error(hold), hold.peak, hold.held_out);
}

}  // namespace rig
