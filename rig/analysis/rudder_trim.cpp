#include "analysis/rudder_trim.h"

#include <algorithm>
#include <cmath>

#include "host/pilot_inputs.h"

namespace rig {
namespace {

constexpr double kTrimProbe = 0.05;    // rudder-trim command, of its -1..1 travel
constexpr double kMinTrimGain = 1e-3;  // travel per unit: below this the trim does nothing

}  // namespace

double rudder_travel(const Host& host) { return host_sample(host).rudder; }

double rudder_trim_gain(Host& host, double weight) {
    const Model_Api& fm = *host.api;
    const double travel0 = rudder_travel(host);
    fm.ed_fm_set_command(QFM_CMD_RUDDER_TRIM, static_cast<float>(kTrimProbe));
    settle_held(host, weight);
    const double gain = (rudder_travel(host) - travel0) / kTrimProbe;
    fm.ed_fm_set_command(QFM_CMD_RUDDER_TRIM, 0.0f);
    return std::fabs(gain) > kMinTrimGain ? gain : 0.0;
}

Pedal_Rudder_Map measure_pedal_rudder(Host& host, double weight, double from, double to, int n) {
    const Model_Api& fm = *host.api;
    Pedal_Rudder_Map map;
    map.from = from;
    map.to = to;
    fm.ed_fm_set_command(QFM_CMD_RUDDER_TRIM, 0.0f);
    for (int i = 0; i < n; ++i) {
        // The end points exactly as from and to, so that inputs of those
        // values land on measured points.
        const double pedal = i == n - 1 ? to : from + (to - from) * i / (n - 1);
        fm.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, static_cast<float>(pedal));
        settle_held(host, weight);
        map.travel.push_back(rudder_travel(host));
    }
    return map;
}

double pedal_rudder_travel(const Pedal_Rudder_Map& map, double pedal) {
    const int n = static_cast<int>(map.travel.size());
    if (n == 0) return 0.0;
    if (n == 1 || map.to == map.from) return map.travel.front();
    const double x = std::clamp((pedal - map.from) / (map.to - map.from), 0.0, 1.0) * (n - 1);
    const int i = std::min(static_cast<int>(x), n - 2);
    const double f = x - i;
    return map.travel[i] + f * (map.travel[i + 1] - map.travel[i]);
}

}  // namespace rig
