// The pilot's inputs as the rig sends them through ed_fm_set_command: the
// four continuous axes, the two levers and the engine switch the rig moves.
#pragma once

#include <algorithm>

namespace rig {

constexpr int kCmdPitchAxis = 2001;     // -1 .. 1, positive pulls the nose up
constexpr int kCmdRollAxis = 2002;      // -1 .. 1, positive rolls right
constexpr int kCmdRudderAxis = 2003;    // -1 .. 1, positive yaws right
constexpr int kCmdThrottleAxis = 2004;  // 1 idle .. -1 full
constexpr int kCmdFlapLever = 3013;     // lever position 0..1
constexpr int kCmdGearHandle = 3016;    // 1 down, 0 up
constexpr int kCmdStartSwitch = 3019;   // engine start switch: 0 off, 0.5 run, 1 start

// The throttle axis value (1 idle .. -1 full) for a throttle fraction 0..1.
inline float throttle_axis(double fraction) {
    return static_cast<float>(1.0 - 2.0 * std::clamp(fraction, 0.0, 1.0));
}

}  // namespace rig
