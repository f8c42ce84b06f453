// The pilot's inputs as the rig sends them through ed_fm_set_command. The
// command numbers are the host's, named in quillon_fm_ids.h; the rig's sign
// conventions for the four axes: positive pitch pulls the nose up, positive
// roll rolls right, positive rudder yaws right, throttle 1 idle .. -1 full.
#pragma once

#include <algorithm>

#include "quillon_fm_ids.h"

namespace rig {

// The throttle axis value (1 idle .. -1 full) for a throttle fraction 0..1.
inline float throttle_axis(double fraction) {
    return static_cast<float>(1.0 - 2.0 * std::clamp(fraction, 0.0, 1.0));
}

}  // namespace rig
