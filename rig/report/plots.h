// SVG line charts of a flight and an index.html that shows them.
#pragma once

#include <string>
#include <vector>

#include "analysis/criteria.h"
#include "host/sample.h"
#include "report/chart.h"

namespace rig {

// Writes altitude.svg, speed.svg, alpha.svg (angles drawn only above 20 m/s), attitude.svg,
// engine.svg, surfaces.svg, gear.svg and index.html into dir (created if missing).
bool write_plots(const std::string& dir, const std::vector<Sample>& samples, std::string& error);

// One point of a handling chart, labelled (a speed, say).
struct Handling_Point {
    std::string label;
    double x = 0.0, y = 0.0;
};

// The short-period frequency against n/alpha, log-log, with the Level
// boundaries of the Category (the lines of constant omega_sp^2/(n/alpha)
// and the frequency and n/alpha floors), the Level 1 region shaded.
Chart cap_chart(Category category, const std::vector<Handling_Point>& points);
bool write_cap_chart(const std::string& path, Category category,
                     const std::vector<Handling_Point>& points);

// The Dutch-roll frequency against its damping ratio with the Level
// boundaries of the Category (damping, frequency and zeta x omega minima),
// the Level 1 region shaded.
Chart dutch_roll_chart(Category category, const std::vector<Handling_Point>& points);
bool write_dutch_roll_chart(const std::string& path, Category category,
                            const std::vector<Handling_Point>& points);

}  // namespace rig
