// The performance charts, drawn from the measurements' JSON; a baseline's
// curves (when given, not null) are overlaid dashed.
#pragma once

#include <nlohmann/json.hpp>

#include "report/chart.h"

namespace rig {

Chart envelope_chart(const nlohmann::json& envelope, const nlohmann::json& baseline);
// Specific range, or (flow) fuel flow, against speed, with the best speed marked.
Chart fuel_chart(const nlohmann::json& fuel, const nlohmann::json& baseline, bool flow);
// Ps contours over Mach and altitude, with the level-flight envelope (Ps = 0
// at 1 g) from the envelope's intervals.
Chart ps_chart(const nlohmann::json& ps, const nlohmann::json& envelope,
               const nlohmann::json& baseline_ps);
// The doghouse: sustained and instantaneous turn rate, the load-factor limit
// and the corner speed, against speed; and the turn radius.
Chart turn_chart(const nlohmann::json& turn, const nlohmann::json& baseline);
Chart radius_chart(const nlohmann::json& turn, const nlohmann::json& baseline);
// Best climb rate and time to climb against altitude; the best climb and
// glide speeds against altitude.
Chart climb_chart(const nlohmann::json& climb, const nlohmann::json& baseline);
Chart climb_speed_chart(const nlohmann::json& climb, const nlohmann::json& baseline);
Chart field_chart(const nlohmann::json& field, const nlohmann::json& baseline);

}  // namespace rig
