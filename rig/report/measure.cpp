#include "report/measure.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "flight/runner.h"
#include "flight/scenario.h"

namespace rig {
namespace {

using nlohmann::json;

double number(const json& j) { return j.is_number() ? j.get<double>() : NAN; }

json to_json(const Level_Point& p) {
    return {{"kcas", p.kcas},
            {"ok", p.ok},
            {"limit", limit_name(p.limit)},
            {"tas", p.tas},
            {"mach", p.mach},
            {"alpha", p.alpha},
            {"throttle", p.throttle},
            {"elevator", p.elevator},
            {"fuel_flow", p.fuel_flow}};
}

Level_Point level_from_json(const json& j, double altitude) {
    Level_Point p;
    p.altitude = altitude;
    p.kcas = j["kcas"];
    p.ok = j["ok"];
    p.tas = j["tas"];
    p.mach = j["mach"];
    p.alpha = j["alpha"];
    p.throttle = j["throttle"];
    p.elevator = j["elevator"];
    p.fuel_flow = j["fuel_flow"];
    return p;
}

json to_json(const Altitude_Envelope& e) {
    json intervals = json::array(), sweep = json::array();
    for (const Speed_Interval& i : e.intervals) {
        intervals.push_back({{"min_kcas", i.min_kcas},
                             {"max_kcas", i.max_kcas},
                             {"low", limit_name(i.low)},
                             {"high", limit_name(i.high)}});
    }
    for (const Level_Point& p : e.sweep) sweep.push_back(to_json(p));
    return {{"altitude_m", e.altitude}, {"intervals", intervals}, {"sweep", sweep}};
}

Altitude_Envelope envelope_from_json(const json& j) {
    Altitude_Envelope e;
    e.altitude = j["altitude_m"];
    for (const json& i : j["intervals"]) {
        Speed_Interval s;
        s.min_kcas = i["min_kcas"];
        s.max_kcas = i["max_kcas"];
        e.intervals.push_back(s);
    }
    return e;
}

// Runs the tasks; the outcomes' results, or an error naming the first failure.
bool run_all(const Library_Paths& paths, const std::vector<Task>& tasks, const Pool_Options& o,
             std::vector<json>& results, json& out) {
    const std::vector<Task_Outcome> outcomes = run_tasks(paths, tasks, o);
    for (const Task_Outcome& t : outcomes) {
        if (!t.ok) {
            out["ok"] = false;
            out["error"] = t.error;
            return false;
        }
        results.push_back(t.result);
    }
    return true;
}

// A take-off or a landing: what both report, with the fields of its own.
template <typename Field_Result>
json field_json(double mass, const Field_Result& r, json own) {
    own["mass"] = mass;
    own["ok"] = r.ok;
    own["why"] = r.why;
    own["ground_roll_m"] = r.ground_roll;
    own["distance_m"] = r.distance;
    return own;
}

}  // namespace

Pool_Options pool_labelled(const Perf_Settings& s, const char* label) {
    Pool_Options o = s.pool;
    o.label = label;
    return o;
}

json measure_envelope(const Library_Paths& paths, const Perf_Settings& s, double altitude) {
    std::vector<double> altitudes;
    if (std::isfinite(altitude)) {
        altitudes.push_back(altitude);
    } else {
        for (double h = 0.0; h <= s.max_altitude + 1e-6; h += s.altitude_step) {
            altitudes.push_back(h);
        }
    }
    std::vector<Task> tasks;
    for (double h : altitudes) {
        tasks.push_back([h, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            return to_json(altitude_envelope(host, s.condition, h, s.sweep));
        });
    }
    json out = {{"ok", true}, {"altitudes", json::array()}};
    std::vector<json> results;
    if (!run_all(paths, tasks, pool_labelled(s, "envelope"), results, out)) return out;
    // Up to the first altitude without level flight.
    std::size_t top = 0;
    for (; top < results.size() && !results[top]["intervals"].empty(); ++top) {
        Environment env;
        env.temperature_offset = s.condition.temperature_offset;
        const Air air = environment_air(env, altitudes[top]);
        for (json& i : results[top]["intervals"]) {
            for (const char* k : {"min", "max"}) {
                const double v = i[std::string(k) + "_kcas"];
                i[std::string(k) + "_mach"] = tas_from_kcas(v, air.density) / air.speed_of_sound;
            }
        }
        out["altitudes"].push_back(results[top]);
    }
    if (std::isfinite(altitude)) return out;
    out["absolute_ceiling_m"] = nullptr;
    if (top > 0 && top < results.size()) {
        const Altitude_Envelope below = envelope_from_json(results[top - 1]);
        const double above = altitudes[top];
        std::vector<Task> ceiling = {[below, above, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            return json(absolute_ceiling(host, s.condition, below, above, s.ceiling_resolution));
        }};
        std::vector<json> c;
        Pool_Options quiet = s.pool;
        quiet.progress = false;
        if (!run_all(paths, ceiling, quiet, c, out)) return out;
        out["absolute_ceiling_m"] = c[0];
    }
    return out;
}

json measure_fuel(const Library_Paths& paths, const Perf_Settings& s, double altitude) {
    std::vector<Task> tasks;
    for (double v = s.sweep.min_kcas; v <= s.sweep.max_kcas + 1e-9; v += s.fuel_step) {
        tasks.push_back([v, altitude, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            return to_json(level_point(host, s.condition, altitude, v));
        });
    }
    json out = {{"ok", true}, {"altitude_m", altitude}, {"points", json::array()}};
    std::vector<json> results;
    if (!run_all(paths, tasks, pool_labelled(s, "fuel"), results, out)) return out;
    std::vector<Fuel_Point> points;
    for (const json& j : results) {
        const Level_Point p = level_from_json(j, altitude);
        if (!p.ok) continue;
        const Fuel_Point f = fuel_point(p);
        points.push_back(f);
        out["points"].push_back({{"kcas", f.kcas},
                                 {"tas", f.tas},
                                 {"fuel_flow", f.fuel_flow},
                                 {"specific_range", f.specific_range},
                                 {"specific_endurance", f.specific_endurance}});
    }
    const Fuel_Best b = best_fuel(points);
    out["best_range_kcas"] = b.ok ? json(b.range_kcas) : json();
    out["best_specific_range"] = b.ok ? json(b.specific_range) : json();
    out["best_endurance_kcas"] = b.ok ? json(b.endurance_kcas) : json();
    out["best_specific_endurance"] = b.ok ? json(b.specific_endurance) : json();
    return out;
}

json measure_field(const Library_Paths& paths, const Perf_Settings& s) {
    json out = {{"ok", true}, {"takeoff", json::array()}, {"landing", json::array()}};
    std::vector<Perf_Condition> conditions;
    std::vector<Task> tasks;
    for (double m : s.field_masses) {
        Perf_Condition c = s.condition;
        c.mass = m;
        conditions.push_back(c);
        tasks.push_back([c, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            const Field_Speeds v = field_speeds(host, c, s.technique);
            return json{v.liftoff, v.approach};
        });
    }
    std::vector<json> speeds;
    if (!run_all(paths, tasks, pool_labelled(s, "field speeds"), speeds, out)) return out;
    tasks.clear();
    for (std::size_t i = 0; i < conditions.size(); ++i) {
        const Perf_Condition c = conditions[i];
        const double liftoff = number(speeds[i][0]), approach = number(speeds[i][1]);
        tasks.push_back([c, liftoff, &s](const Model_Api& api) {
            const Takeoff_Result r = fly_takeoff(api, c, s.technique, liftoff);
            return field_json(c.mass, r,
                              {{"liftoff_estimate_kcas", r.liftoff_estimate},
                               {"rotate_kcas", r.rotate_kcas},
                               {"liftoff_kcas", r.liftoff_kcas},
                               {"screen_kcas", r.screen_kcas}});
        });
        tasks.push_back([c, approach, &s](const Model_Api& api) {
            const Landing_Result r = fly_landing(api, c, s.technique, approach);
            return field_json(c.mass, r,
                              {{"approach_kcas", r.approach_kcas},
                               {"touchdown_kcas", r.touchdown_kcas},
                               {"touchdown_sink", r.touchdown_sink}});
        });
    }
    std::vector<json> results;
    if (!run_all(paths, tasks, pool_labelled(s, "field"), results, out)) return out;
    for (std::size_t i = 0; i < results.size(); ++i) {
        out[i % 2 == 0 ? "takeoff" : "landing"].push_back(results[i]);
    }
    return out;
}

json measure_scenarios(const Library_Paths& paths, const std::string& dir,
                       const Pool_Options& pool) {
    std::vector<Task> tasks;
    const std::vector<std::string> names = shipped_scenarios(dir);
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name + ".txt";
        tasks.push_back([path, name](const Model_Api& api) {
            Scenario s;
            std::string error;
            if (!load_scenario(path, s, error)) throw std::runtime_error(error);
            const Run_Result r = run_scenario(s, api, Run_Options{});
            json summary = json::object(), expectations = json::array();
            for (int i = 0; i < SUM_COUNT; ++i) {
                if (r.summary.set[i]) summary[summary_name(i)] = r.summary.value[i];
            }
            for (const Expectation_Result& e : r.expectations) {
                expectations.push_back({{"text", e.expectation->text},
                                        {"evaluated", e.evaluated},
                                        {"passed", e.passed},
                                        {"value", e.worst}});
            }
            return json{{"file", name},
                        {"name", s.name},
                        {"description", s.description},
                        {"completed", r.completed},
                        {"failure", r.failure},
                        {"summary", summary},
                        {"expectations", expectations}};
        });
    }
    json out = {{"ok", true}, {"scenarios", json::array()}};
    Pool_Options o = pool;
    o.label = "scenarios";
    std::vector<json> results;
    if (!run_all(paths, tasks, o, results, out)) return out;
    for (json& r : results) out["scenarios"].push_back(std::move(r));
    return out;
}

const std::vector<std::string>& measurement_groups() {
    static const std::vector<std::string> groups = {"envelope", "climb", "ps",       "turn",
                                                    "fuel",     "field", "scenarios"};
    return groups;
}

json measure_all(const Library_Paths& paths, const Perf_Settings& s, const std::string& dir,
                 const std::vector<std::string>& groups) {
    auto wanted = [&](const char* g) {
        return groups.empty() || std::find(groups.begin(), groups.end(), g) != groups.end();
    };
    json out = {{"ok", true}};
    auto keep = [&](const char* name, json j) {
        if (!j["ok"] && out["ok"]) {
            out["ok"] = false;
            out["error"] = std::string(name) + ": " + j["error"].get<std::string>();
        }
        out[name] = std::move(j);
    };
    // The climb sweeps the speeds of the envelope.
    if (wanted("envelope") || wanted("climb")) {
        keep("envelope", measure_envelope(paths, s, NAN));
    }
    if (wanted("climb") && out.contains("envelope") && out["envelope"]["ok"]) {
        keep("climb", measure_climb(paths, s, out["envelope"]));
    }
    if (wanted("ps")) keep("ps", measure_ps(paths, s));
    if (wanted("turn")) keep("turn", measure_turn(paths, s, s.turn_altitude));
    if (wanted("fuel")) keep("fuel", measure_fuel(paths, s, s.fuel_altitude));
    if (wanted("field")) keep("field", measure_field(paths, s));
    if (wanted("scenarios")) keep("scenarios", measure_scenarios(paths, dir, s.pool));
    return out;
}

json measure_climb(const Library_Paths& paths, const Perf_Settings& s, const json& envelope) {
    std::vector<Task> tasks;
    std::vector<double> altitudes;
    for (const json& a : envelope["altitudes"]) {
        const double h = a["altitude_m"];
        const double lo = a["intervals"].front()["min_kcas"];
        const double hi = a["intervals"].back()["max_kcas"];
        altitudes.push_back(h);
        tasks.push_back([h, lo, hi, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            const Climb_Point c = best_climb(host, s.condition, h, lo, hi, s.climb_step);
            return json{{"altitude_m", h},
                        {"ok", c.ok},
                        {"best_kcas", c.best_kcas},
                        {"rate", c.rate},
                        {"fuel_flow", c.fuel_flow},
                        {"glide_kcas", c.glide_ok ? json(c.glide_kcas) : json()},
                        {"glide_ratio", c.glide_ok ? json(c.glide_ratio) : json()},
                        {"glide_sink", c.glide_ok ? json(c.glide_sink) : json()},
                        {"glide_rpm", c.glide_ok ? json(c.glide_rpm) : json()},
                        {"idle_ratio", c.idle_sink > 0.0 ? json(c.idle_ratio) : json()},
                        {"idle_sink", c.idle_sink > 0.0 ? json(c.idle_sink) : json()}};
        });
    }
    json out = {{"ok", true}, {"altitudes", json::array()}};
    std::vector<json> rows;
    if (!run_all(paths, tasks, pool_labelled(s, "climb"), rows, out)) return out;
    // Time and fuel to climb at the best rate: the integrals of dh / rate and
    // fuel flow dh / rate, the rate linear between altitudes (so 1/rate is
    // integrated exactly over each layer).
    double time = 0.0, fuel = 0.0;
    json service = json();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        json& r = rows[i];
        if (i > 0) {
            const json& p = rows[i - 1];
            const double r0 = p["rate"], r1 = r["rate"], dh = altitudes[i] - altitudes[i - 1];
            if (p["ok"] && r["ok"] && r0 > 0.0 && r1 > 0.0 && std::isfinite(time)) {
                const double dt =
                    std::fabs(r1 - r0) < 1e-9 ? dh / r0 : dh * std::log(r1 / r0) / (r1 - r0);
                time += dt;
                fuel += dt * 0.5 * (p["fuel_flow"].get<double>() + r["fuel_flow"].get<double>());
            } else {
                time = fuel = NAN;
            }
            const double limit = 0.5;  // m/s, the service ceiling's rate of climb
            if (service.is_null() && r0 >= limit && r1 < limit) {
                service = altitudes[i - 1] + dh * (r0 - limit) / (r0 - r1);
            }
        }
        r["time_to_climb_s"] = std::isfinite(time) ? json(time) : json();
        r["fuel_to_climb_kg"] = std::isfinite(fuel) ? json(fuel) : json();
        out["altitudes"].push_back(r);
    }
    // Above the last altitude that climbs, the rate falls to 0 at the
    // absolute ceiling: linear between them.
    const json& ceiling = envelope.value("absolute_ceiling_m", json());
    if (service.is_null() && !rows.empty() && rows.back()["ok"] && ceiling.is_number()) {
        const double h0 = altitudes.back(), r0 = rows.back()["rate"], top = ceiling;
        if (r0 > 0.5 && top > h0) service = h0 + (top - h0) * (r0 - 0.5) / r0;
    }
    out["service_ceiling_m"] = service;
    return out;
}

json measure_ps(const Library_Paths& paths, const Perf_Settings& s) {
    std::vector<double> machs, altitudes;
    for (double m = 0.1; m <= s.max_mach + 1e-9; m += s.mach_step) machs.push_back(m);
    for (double h = 0.0; h <= s.max_altitude + 1e-6; h += s.altitude_step) altitudes.push_back(h);
    std::vector<Task> tasks;
    for (double h : altitudes) {
        tasks.push_back([h, machs, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            host.env.temperature_offset = s.condition.temperature_offset;
            const double a = environment_air(host.env, h).speed_of_sound;
            json row = json::array();
            for (double m : machs) {
                const Excess_Point p = excess_power(host, s.condition, h, 0.0, m * a, 1.0);
                row.push_back(p.ok ? json(p.ps) : json());
            }
            return row;
        });
    }
    json out = {{"ok", true}, {"mach", machs}, {"altitude_m", altitudes}, {"ps", json::array()}};
    std::vector<json> rows;
    if (!run_all(paths, tasks, pool_labelled(s, "Ps"), rows, out)) return out;
    out["ps"] = rows;
    return out;
}

json measure_turn(const Library_Paths& paths, const Perf_Settings& s, double altitude) {
    std::vector<Task> tasks;
    for (double v = 120.0; v <= s.sweep.max_kcas + 1e-9; v += s.turn_step) {
        tasks.push_back([v, altitude, &s](const Model_Api& api) {
            Host host;
            host_init(host, api);
            const Turn_Point t =
                turn_point(host, s.condition, altitude, v, s.max_alpha, s.load_limit);
            return json{
                {"kcas", t.kcas},
                {"tas", t.tas},
                {"sustained_ok", t.sustained_ok},
                {"sustained_n", t.sustained_n},
                {"sustained_rate", t.sustained_rate},
                {"alpha_n", t.alpha_n},
                {"instantaneous_n", t.instantaneous_n},
                {"instantaneous_rate", t.instantaneous_rate},
                {"instantaneous_radius",
                 std::isfinite(t.instantaneous_radius) ? json(t.instantaneous_radius) : json()}};
        });
    }
    json out = {{"ok", true},
                {"altitude_m", altitude},
                {"load_limit", s.load_limit},
                {"max_alpha", s.max_alpha},
                {"points", json::array()}};
    std::vector<json> points;
    if (!run_all(paths, tasks, pool_labelled(s, "turn"), points, out)) return out;
    // Corner speed: where the lift at the angle-of-attack limit reaches the
    // load-factor limit, between sweep points.
    out["corner_kcas"] = nullptr;
    double best_rate = 0.0, best_rate_kcas = NAN;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const json& p = points[i];
        if (p["sustained_ok"] && p["sustained_rate"].get<double>() > best_rate) {
            best_rate = p["sustained_rate"];
            best_rate_kcas = p["kcas"];
        }
        if (i > 0 && out["corner_kcas"].is_null()) {
            const double n0 = points[i - 1]["alpha_n"], n1 = p["alpha_n"];
            if (n0 < s.load_limit && n1 >= s.load_limit) {
                const double v0 = points[i - 1]["kcas"], v1 = p["kcas"];
                out["corner_kcas"] = v0 + (v1 - v0) * (s.load_limit - n0) / (n1 - n0);
            }
        }
        out["points"].push_back(p);
    }
    out["max_sustained_rate"] = best_rate > 0.0 ? json(best_rate) : json();
    out["max_sustained_rate_kcas"] = std::isfinite(best_rate_kcas) ? json(best_rate_kcas) : json();
    return out;
}

}  // namespace rig
