#include "report/perf_charts.h"

#include <cmath>

namespace rig {
namespace {

using nlohmann::json;

double number(const json& j) { return j.is_number() ? j.get<double>() : NAN; }

// Adds a measurement's series, and the baseline's dashed with the same colour.
template <typename Make>
void both(Chart& c, const json& now, const json& baseline, Make make) {
    const std::size_t first = c.series.size();
    make(c, now);
    if (baseline.is_null()) return;
    const std::size_t made = c.series.size();
    make(c, baseline);
    for (std::size_t i = made; i < c.series.size(); ++i) {
        Chart_Series& s = c.series[i];
        s.dashed = true;
        s.label += " (baseline)";
        const std::size_t twin = first + (i - made);
        if (c.series[twin].colour.empty()) c.series[twin].colour = palette_colour(twin);
        s.colour = c.series[twin].colour;
    }
}

}  // namespace

Chart envelope_chart(const json& envelope, const json& baseline) {
    Chart c;
    c.title = "Level-flight envelope";
    c.x_label = "calibrated airspeed (kt)";
    c.y_label = "altitude (m)";
    both(c, envelope, baseline, [](Chart& chart, const json& e) {
        // One closed outline per interval row: lower edges, then upper edges,
        // drawn as segments between neighbouring altitudes' matching intervals.
        Chart_Series low{"minimum level speed", "", {}, {}, false, false, false};
        Chart_Series high{"maximum level speed", "", {}, {}, false, false, false};
        Chart_Series gaps{"edges of a gap", "", {}, {}, false, true, false};
        for (const json& a : e["altitudes"]) {
            const double h = a["altitude_m"];
            const json& iv = a["intervals"];
            if (iv.empty()) continue;
            low.x.push_back(iv.front()["min_kcas"]);
            low.y.push_back(h);
            high.x.push_back(iv.back()["max_kcas"]);
            high.y.push_back(h);
            for (std::size_t i = 0; i + 1 < iv.size(); ++i) {
                gaps.x.push_back(iv[i]["max_kcas"]);
                gaps.y.push_back(h);
                gaps.x.push_back(iv[i + 1]["min_kcas"]);
                gaps.y.push_back(h);
            }
        }
        const double ceiling = number(e.value("absolute_ceiling_m", json()));
        if (std::isfinite(ceiling) && !low.x.empty()) {
            // Close the outline at the ceiling, at the mean of the top edges.
            const double v = 0.5 * (low.x.back() + high.x.back());
            low.x.push_back(v);
            low.y.push_back(ceiling);
            high.x.push_back(v);
            high.y.push_back(ceiling);
        }
        chart.series.push_back(low);
        chart.series.push_back(high);
        if (!gaps.x.empty()) chart.series.push_back(gaps);
    });
    return c;
}

// Specific range (which = false) or fuel flow (which = true) against speed.
Chart fuel_chart(const json& fuel, const json& baseline, bool flow) {
    Chart c;
    const std::string at =
        " at " + std::to_string(static_cast<int>(number(fuel["altitude_m"]))) + " m";
    c.title = (flow ? "Fuel flow (least: best endurance)" : "Specific range") + at;
    c.x_label = "calibrated airspeed (kt)";
    c.y_label = flow ? "fuel flow (kg/h)" : "specific range (m/kg)";
    both(c, fuel, baseline, [flow](Chart& chart, const json& f) {
        Chart_Series line{flow ? "fuel flow" : "specific range", "", {}, {}, false, false, false};
        double last = NAN;
        for (const json& p : f["points"]) {
            // Untrimmed speeds (a gap in the envelope) are left out: break there.
            if (p["kcas"].get<double>() - last > 15.0) {
                line.x.push_back(NAN);
                line.y.push_back(NAN);
            }
            last = p["kcas"];
            line.x.push_back(p["kcas"]);
            line.y.push_back(flow ? number(p["fuel_flow"]) * 3600.0 : number(p["specific_range"]));
        }
        chart.series.push_back(line);
        const char* best = flow ? "best_endurance_kcas" : "best_range_kcas";
        if (f[best].is_number()) {
            Chart_Series mark{
                flow ? "best endurance speed" : "best range speed", "", {}, {}, false, false, true};
            double lo = INFINITY, hi = -INFINITY;
            for (double y : line.y) {
                if (std::isfinite(y)) lo = std::fmin(lo, y), hi = std::fmax(hi, y);
            }
            mark.x = {f[best].get<double>(), f[best].get<double>()};
            mark.y = {lo, hi};
            chart.series.push_back(mark);
        }
    });
    return c;
}

Chart field_chart(const json& field, const json& baseline) {
    Chart c;
    c.title = "Field performance";
    c.x_label = "mass (kg)";
    c.y_label = "distance (m)";
    both(c, field, baseline, [](Chart& chart, const json& f) {
        Chart_Series roll{"take-off roll", "", {}, {}, false, false, false};
        Chart_Series to15{"take-off to 15 m", "", {}, {}, false, false, false};
        Chart_Series land{"landing from 15 m", "", {}, {}, false, false, false};
        Chart_Series lroll{"landing roll", "", {}, {}, false, false, false};
        for (const json& t : f["takeoff"]) {
            const bool ok = t["ok"];
            roll.x.push_back(t["mass"]);
            roll.y.push_back(ok ? number(t["ground_roll_m"]) : NAN);
            to15.x.push_back(t["mass"]);
            to15.y.push_back(ok ? number(t["distance_m"]) : NAN);
        }
        for (const json& l : f["landing"]) {
            const bool ok = l["ok"];
            land.x.push_back(l["mass"]);
            land.y.push_back(ok ? number(l["distance_m"]) : NAN);
            lroll.x.push_back(l["mass"]);
            lroll.y.push_back(ok ? number(l["ground_roll_m"]) : NAN);
        }
        chart.series.push_back(roll);
        chart.series.push_back(to15);
        chart.series.push_back(land);
        chart.series.push_back(lroll);
    });
    return c;
}

}  // namespace rig
