// Two builds' measurements side by side: every figure with its tolerance,
// and the ones that moved beyond it.
#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace rig {

struct Figure {
    std::string name;  // "envelope.6000m.max_kcas"
    std::string unit;
    double value = 0.0;
    double tolerance = 0.0;  // in the unit
};

// The figures of a measurement (measure_all's JSON), with their tolerances.
std::vector<Figure> figures_of(const nlohmann::json& measurements);

// Every figure of either side: {"figures": [{"name", "unit", "old", "new",
// "difference", "tolerance", "moved"}], "moved": count}. A figure that only
// one side has counts as moved (old or new is then null).
nlohmann::json compare_figures(const nlohmann::json& old_m, const nlohmann::json& new_m);

// The moved figures as a table (all of them with every_figure).
void print_comparison(std::FILE* out, const nlohmann::json& comparison, bool every_figure);

}  // namespace rig
