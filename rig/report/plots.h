// SVG line charts of a flight and an index.html that shows them.
#pragma once

#include <string>
#include <vector>

#include "host/sample.h"

namespace rig {

// Writes altitude.svg, speed.svg, alpha.svg (angles drawn only above 20 m/s), attitude.svg,
// engine.svg, surfaces.svg, gear.svg and index.html into dir (created if missing).
bool write_plots(const std::string& dir, const std::vector<Sample>& samples, std::string& error);

}  // namespace rig
