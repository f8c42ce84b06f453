#include "report/compare.h"

#include <cmath>
#include <map>

#include "flight/summary.h"

namespace rig {
namespace {

using nlohmann::json;

// Tolerances: twice the resolution a figure is found to, or what a frame
// time and a settling time can move in a flown figure.
constexpr double kSpeedTolerance = 2.0;      // kt, edges are bisected to 1 kt
constexpr double kCeilingTolerance = 100.0;  // m, bisected to 50 m
constexpr double kDistanceTolerance = 0.01;  // fraction, flown distances
constexpr double kFuelTolerance = 0.005;     // fraction, fuel flow and its quotients
constexpr double kRateTolerance = 0.3;       // m/s, climb rate and Ps
constexpr double kRatioTolerance = 0.1;      // glide ratio
constexpr double kTurnTolerance = 0.1;       // deg/s
constexpr double kModeTolerance = 0.02;      // fraction of a natural frequency
constexpr double kDampingTolerance = 0.02;   // damping ratio
constexpr double kScenarioTolerance = 0.01;  // fraction of a scenario's summary value
constexpr double kScenarioFloor = 0.05;      // absolute floor in the value's unit

void add(std::vector<Figure>& f, const std::string& name, const char* unit, const json& v,
         double tolerance, bool relative) {
    if (!v.is_number()) return;
    const double x = v.get<double>();
    f.push_back({name, unit, x, relative ? std::fabs(x) * tolerance : tolerance});
}

std::string metres(double h) { return std::to_string(static_cast<long>(std::lround(h))) + "m"; }

std::string kilograms(double m) { return std::to_string(static_cast<long>(std::lround(m))) + "kg"; }

}  // namespace

std::vector<Figure> figures_of(const json& m) {
    std::vector<Figure> f;
    if (m.contains("envelope")) {
        const json& e = m["envelope"];
        for (const json& a : e["altitudes"]) {
            const std::string at = "envelope." + metres(a["altitude_m"]) + ".";
            const json& iv = a["intervals"];
            for (std::size_t i = 0; i < iv.size(); ++i) {
                const std::string k = at + "interval" + std::to_string(i + 1) + ".";
                add(f, k + "min_kcas", "kt", iv[i]["min_kcas"], kSpeedTolerance, false);
                add(f, k + "max_kcas", "kt", iv[i]["max_kcas"], kSpeedTolerance, false);
            }
        }
        add(f, "envelope.absolute_ceiling", "m", e.value("absolute_ceiling_m", json()),
            kCeilingTolerance, false);
    }
    if (m.contains("climb")) {
        for (const json& a : m["climb"]["altitudes"]) {
            const std::string at = "climb." + metres(a["altitude_m"]) + ".";
            add(f, at + "best_rate", "m/s", a["ok"] ? a["rate"] : json(), kRateTolerance, false);
            add(f, at + "best_kcas", "kt", a["ok"] ? a["best_kcas"] : json(), 2.0 * kSpeedTolerance,
                false);
            add(f, at + "glide_ratio_windmilling", "-", a["glide_ratio"], kRatioTolerance, false);
            add(f, at + "idle_sink", "m/s", a.value("idle_sink", json()), kRateTolerance, false);
        }
        add(f, "climb.service_ceiling", "m", m["climb"]["service_ceiling_m"], kCeilingTolerance,
            false);
    }
    if (m.contains("ps")) {
        const json& p = m["ps"];
        for (std::size_t j = 0; j < p["ps"].size(); ++j) {
            for (std::size_t i = 0; i < p["ps"][j].size(); ++i) {
                char name[64];
                std::snprintf(name, sizeof name, "ps.M%.2f.%s", p["mach"][i].get<double>(),
                              metres(p["altitude_m"][j]).c_str());
                add(f, name, "m/s", p["ps"][j][i], kRateTolerance, false);
            }
        }
    }
    if (m.contains("turn")) {
        const json& t = m["turn"];
        const std::string at = "turn." + metres(t["altitude_m"]) + ".";
        for (const json& p : t["points"]) {
            const std::string k = at + std::to_string(p["kcas"].get<int>()) + "kt.";
            add(f, k + "sustained_rate", "deg/s", p["sustained_ok"] ? p["sustained_rate"] : json(),
                kTurnTolerance, false);
            add(f, k + "instantaneous_rate", "deg/s", p["instantaneous_rate"], kTurnTolerance,
                false);
        }
        add(f, at + "corner_kcas", "kt", t["corner_kcas"], 2.0 * kSpeedTolerance, false);
    }
    if (m.contains("fuel")) {
        const json& u = m["fuel"];
        const std::string at = "fuel." + metres(u["altitude_m"]) + ".";
        add(f, at + "best_range_kcas", "kt", u["best_range_kcas"], 2.0 * kSpeedTolerance, false);
        add(f, at + "best_specific_range", "m/kg", u["best_specific_range"], kFuelTolerance, true);
        add(f, at + "best_endurance_kcas", "kt", u["best_endurance_kcas"], 2.0 * kSpeedTolerance,
            false);
        add(f, at + "best_specific_endurance", "s/kg", u["best_specific_endurance"], kFuelTolerance,
            true);
    }
    if (m.contains("field")) {
        for (const json& t : m["field"]["takeoff"]) {
            const std::string k = "takeoff." + kilograms(t["mass"]) + ".";
            add(f, k + "ground_roll", "m", t["ok"] ? t["ground_roll_m"] : json(),
                kDistanceTolerance, true);
            add(f, k + "distance_15m", "m", t["ok"] ? t["distance_m"] : json(), kDistanceTolerance,
                true);
        }
        for (const json& l : m["field"]["landing"]) {
            const std::string k = "landing." + kilograms(l["mass"]) + ".";
            add(f, k + "ground_roll", "m", l["ok"] ? l["ground_roll_m"] : json(),
                kDistanceTolerance, true);
            add(f, k + "distance_15m", "m", l["ok"] ? l["distance_m"] : json(), kDistanceTolerance,
                true);
        }
    }
    if (m.contains("modes") && m["modes"].is_object()) {
        for (const json& pt : m["modes"].value("points", json::array())) {
            const json& t = pt["trim"];
            const std::string at =
                "modes." + std::to_string(std::lround(t["kcas"].get<double>())) + "kt.";
            for (const json& d : pt["modes"]) {
                const std::string k = at + d["name"].get<std::string>() + ".";
                add(f, k + "omega_n", "rad/s", d["omega_n"], kModeTolerance, true);
                add(f, k + "zeta", "-", d["zeta"], kDampingTolerance, false);
            }
        }
    }
    if (m.contains("scenarios")) {
        for (const json& s : m["scenarios"]["scenarios"]) {
            for (auto it = s["summary"].begin(); it != s["summary"].end(); ++it) {
                const double x = it.value();
                const int index = find_summary_value(it.key());
                f.push_back({"scenario." + s["file"].get<std::string>() + "." + it.key(),
                             index >= 0 ? summary_unit(index) : "", x,
                             std::fmax(kScenarioFloor, std::fabs(x) * kScenarioTolerance)});
            }
        }
    }
    return f;
}

json compare_figures(const json& old_m, const json& new_m) {
    std::map<std::string, Figure> before;
    for (const Figure& f : figures_of(old_m)) before[f.name] = f;
    json rows = json::array();
    int moved = 0;
    auto row = [&](const Figure* o, const Figure* n) {
        const Figure& any = n ? *n : *o;
        const double tolerance = n && o ? std::fmax(n->tolerance, o->tolerance) : any.tolerance;
        const double diff = n && o ? n->value - o->value : NAN;
        const bool m = !(n && o) || std::fabs(diff) > tolerance;
        moved += m ? 1 : 0;
        rows.push_back({{"name", any.name},
                        {"unit", any.unit},
                        {"old", o ? json(o->value) : json()},
                        {"new", n ? json(n->value) : json()},
                        {"difference", std::isfinite(diff) ? json(diff) : json()},
                        {"tolerance", tolerance},
                        {"moved", m}});
    };
    for (const Figure& n : figures_of(new_m)) {
        const auto it = before.find(n.name);
        row(it == before.end() ? nullptr : &it->second, &n);
        if (it != before.end()) before.erase(it);
    }
    for (const auto& kv : before) row(&kv.second, nullptr);
    return {{"figures", rows}, {"moved", moved}};
}

void print_comparison(std::FILE* out, const json& c, bool every_figure) {
    std::fprintf(out, "%-44s %12s %12s %12s %10s  %s\n", "figure", "baseline", "this build",
                 "difference", "tolerance", "unit");
    auto cell = [](const json& v) {
        char text[32];
        if (!v.is_number()) return std::string("-");
        std::snprintf(text, sizeof text, "%.4g", v.get<double>());
        return std::string(text);
    };
    for (const json& r : c["figures"]) {
        if (!every_figure && !r["moved"]) continue;
        std::fprintf(out, "%-44s %12s %12s %12s %10s  %s%s\n", r["name"].get<std::string>().c_str(),
                     cell(r["old"]).c_str(), cell(r["new"]).c_str(), cell(r["difference"]).c_str(),
                     cell(r["tolerance"]).c_str(), r["unit"].get<std::string>().c_str(),
                     r["moved"] ? "  MOVED" : "");
    }
    std::fprintf(out, "%d of %zu figures moved beyond their tolerance\n", c["moved"].get<int>(),
                 c["figures"].size());
}

}  // namespace rig
