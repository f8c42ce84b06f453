// The performance charts, drawn from the measurements' JSON; a baseline's
// curves (when given, not null) are overlaid dashed.
#pragma once

#include <nlohmann/json.hpp>

#include "report/chart.h"

namespace rig {

Chart envelope_chart(const nlohmann::json& envelope, const nlohmann::json& baseline);
// Specific range, or (flow) fuel flow, against speed, with the best speed marked.
Chart fuel_chart(const nlohmann::json& fuel, const nlohmann::json& baseline, bool flow);
Chart field_chart(const nlohmann::json& field, const nlohmann::json& baseline);

}  // namespace rig
