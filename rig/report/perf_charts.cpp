#include "report/perf_charts.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

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
        // The same colour as its twin, when this build has one.
        const std::size_t twin = first + (i - made);
        if (twin < made) {
            if (c.series[twin].colour.empty()) c.series[twin].colour = palette_colour(twin);
            s.colour = c.series[twin].colour;
        } else {
            s.colour = palette_colour(i);
        }
    }
}

Chart titled(std::string title, const char* x_label, const char* y_label) {
    Chart c;
    c.title = std::move(title);
    c.x_label = x_label;
    c.y_label = y_label;
    return c;
}

// A vertical line at one speed from lo to hi: a best speed, the corner speed.
Chart_Series speed_mark(const char* label, const json& kcas, double lo, double hi) {
    return Chart_Series{label, "",  {kcas.get<double>(), kcas.get<double>()}, {lo, hi}, false,
                        false, true};
}

}  // namespace

Chart envelope_chart(const json& envelope, const json& baseline) {
    Chart c = titled("Level-flight envelope", "calibrated airspeed (kt)", "altitude (m)");
    both(c, envelope, baseline, [](Chart& chart, const json& e) {
        // The outer edges as two lines; a gap inside (speeds between two
        // intervals without level flight) shaded between neighbouring
        // altitudes that both have it, a thick bar where only one does.
        Chart_Series low{"minimum level speed"}, high{"maximum level speed"};
        Chart_Series band{"gap: no level flight", "#d62728"};
        band.region = true;
        Chart_Series bars{"", "#d62728", {}, {}, false, false, true};
        bars.width = 6.0;
        struct Gap {
            double h, lo, hi;
        };
        std::vector<Gap> run;  // gaps overlapping from one altitude to the next
        auto close_run = [&]() {
            if (run.size() == 1) {
                bars.x.insert(bars.x.end(), {run[0].lo, run[0].hi});
                bars.y.insert(bars.y.end(), {run[0].h, run[0].h});
            } else if (run.size() > 1) {
                for (const Gap& g : run) band.x.push_back(g.lo), band.y.push_back(g.h);
                for (auto g = run.rbegin(); g != run.rend(); ++g)
                    band.x.push_back(g->hi), band.y.push_back(g->h);
                band.x.push_back(NAN);
                band.y.push_back(NAN);
            }
            run.clear();
        };
        for (const json& a : e["altitudes"]) {
            const double h = a["altitude_m"];
            const json& iv = a["intervals"];
            if (iv.empty()) continue;
            low.x.push_back(iv.front()["min_kcas"]);
            low.y.push_back(h);
            high.x.push_back(iv.back()["max_kcas"]);
            high.y.push_back(h);
            // A single gap continues the chain when it overlaps the chain's
            // last; several gaps at one altitude each stand alone.
            std::vector<Gap> gaps;
            for (std::size_t i = 0; i + 1 < iv.size(); ++i)
                gaps.push_back({h, iv[i]["max_kcas"], iv[i + 1]["min_kcas"]});
            if (gaps.size() != 1 || run.empty() || gaps[0].lo > run.back().hi ||
                gaps[0].hi < run.back().lo)
                close_run();
            for (const Gap& g : gaps) {
                run.push_back(g);
                if (gaps.size() > 1) close_run();
            }
        }
        close_run();
        if (band.x.empty()) bars.label = band.label;
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
        if (!band.x.empty()) chart.series.push_back(band);
        if (!bars.x.empty()) chart.series.push_back(bars);
    });
    return c;
}

// Specific range (which = false) or fuel flow (which = true) against speed.
Chart fuel_chart(const json& fuel, const json& baseline, bool flow) {
    const std::string at =
        " at " + std::to_string(static_cast<int>(number(fuel["altitude_m"]))) + " m";
    Chart c =
        titled((flow ? "Fuel flow (least: best endurance)" : "Specific range") + at,
               "calibrated airspeed (kt)", flow ? "fuel flow (kg/h)" : "specific range (m/kg)");
    both(c, fuel, baseline, [flow](Chart& chart, const json& f) {
        Chart_Series line{flow ? "fuel flow" : "specific range"};
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
            double lo = INFINITY, hi = -INFINITY;
            for (double y : line.y) {
                if (std::isfinite(y)) lo = std::fmin(lo, y), hi = std::fmax(hi, y);
            }
            chart.series.push_back(
                speed_mark(flow ? "best endurance speed" : "best range speed", f[best], lo, hi));
        }
    });
    return c;
}

Chart field_chart(const json& field, const json& baseline) {
    Chart c = titled("Field performance", "mass (kg)", "distance (m)");
    both(c, field, baseline, [](Chart& chart, const json& f) {
        Chart_Series roll{"take-off roll"}, to15{"take-off to 15 m"};
        Chart_Series land{"landing from 15 m"}, lroll{"landing roll"};
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

Chart ps_chart(const json& ps, const json& envelope, const json& baseline_ps) {
    Chart c =
        titled("Specific excess power at full throttle, Ps (m/s)", "Mach number", "altitude (m)");
    c.height = 460.0;
    const double levels[] = {-20.0, -10.0, 0.0, 5.0, 10.0, 15.0, 20.0};
    auto contours = [&](const json& p, bool dashed) {
        if (!p.is_object() || !p.contains("ps")) return;
        const std::vector<double> x = p["mach"], y = p["altitude_m"];
        std::vector<std::vector<double>> z;
        for (const json& row : p["ps"]) {
            std::vector<double> r;
            for (const json& v : row) r.push_back(number(v));
            z.push_back(r);
        }
        for (std::size_t k = 0; k < sizeof levels / sizeof levels[0]; ++k) {
            Chart_Series s;
            s.label = "Ps " + std::to_string(static_cast<int>(levels[k])) + " m/s" +
                      (dashed ? " (baseline)" : "");
            s.colour = palette_colour(k + 1);
            s.segments = true;
            s.dashed = dashed;
            contour_segments(x, y, z, levels[k], s.x, s.y);
            if (!s.x.empty()) c.series.push_back(s);
        }
    };
    // The envelope's edges in Mach: one outline of every interval's ends.
    Chart_Series edge{"level-flight envelope (Ps = 0)", "#000000", {}, {}, false, true, false};
    for (const json& a : envelope.is_object() ? envelope["altitudes"] : json::array()) {
        for (const json& i : a["intervals"]) {
            for (const char* k : {"min_mach", "max_mach"}) {
                edge.x.push_back(number(i.value(k, json())));
                edge.y.push_back(a["altitude_m"]);
            }
        }
    }
    c.series.push_back(edge);
    contours(ps, false);
    contours(baseline_ps, true);
    return c;
}

Chart turn_chart(const json& turn, const json& baseline) {
    Chart c =
        titled("Turn performance at " +
                   std::to_string(static_cast<int>(number(turn["altitude_m"]))) + " m (doghouse)",
               "calibrated airspeed (kt)", "turn rate (deg/s)");
    c.height = 420.0;
    both(c, turn, baseline, [](Chart& chart, const json& t) {
        Chart_Series sustained{"sustained (Ps = 0)"};
        Chart_Series inst{"instantaneous, alpha " +
                          std::to_string(static_cast<int>(number(t["max_alpha"]))) + " deg"};
        Chart_Series limit{"load-factor limit " +
                           std::to_string(static_cast<int>(number(t["load_limit"]))) + " g"};
        const double g = 9.80665, n = number(t["load_limit"]);
        for (const json& p : t["points"]) {
            const double v = p["kcas"], tas = p["tas"];
            sustained.x.push_back(v);
            sustained.y.push_back(p["sustained_ok"] ? number(p["sustained_rate"]) : NAN);
            inst.x.push_back(v);
            inst.y.push_back(number(p["instantaneous_rate"]));
            limit.x.push_back(v);
            limit.y.push_back(g * std::sqrt(n * n - 1.0) / tas * 57.29577951308232);
        }
        chart.series.push_back(sustained);
        chart.series.push_back(inst);
        chart.series.push_back(limit);
        if (t["corner_kcas"].is_number()) {
            double hi = 0.0;
            for (double y : inst.y) hi = std::isfinite(y) ? std::fmax(hi, y) : hi;
            chart.series.push_back(speed_mark("corner speed", t["corner_kcas"], 0.0, hi));
        }
    });
    return c;
}

Chart radius_chart(const json& turn, const json& baseline) {
    Chart c = titled("Turn radius at the instantaneous limit", "calibrated airspeed (kt)",
                     "turn radius (m)");
    both(c, turn, baseline, [](Chart& chart, const json& t) {
        Chart_Series r{"radius"};
        for (const json& p : t["points"]) {
            r.x.push_back(p["kcas"]);
            r.y.push_back(number(p["instantaneous_radius"]));
        }
        chart.series.push_back(r);
    });
    return c;
}

Chart climb_chart(const json& climb, const json& baseline) {
    Chart c = titled("Best rate of climb (full throttle) and descent at the best glide speed",
                     "rate (m/s)", "altitude (m)");
    both(c, climb, baseline, [](Chart& chart, const json& k) {
        Chart_Series rate{"best rate of climb"};
        Chart_Series glide{"sink, engine windmilling"};
        Chart_Series idle{"sink, engine at idle"};
        for (const json& a : k["altitudes"]) {
            rate.x.push_back(a["ok"] ? number(a["rate"]) : NAN);
            glide.x.push_back(number(a.value("glide_sink", json())));
            idle.x.push_back(number(a.value("idle_sink", json())));
            for (Chart_Series* s : {&rate, &glide, &idle}) s->y.push_back(a["altitude_m"]);
        }
        chart.series.push_back(rate);
        chart.series.push_back(glide);
        chart.series.push_back(idle);
    });
    return c;
}

Chart climb_speed_chart(const json& climb, const json& baseline) {
    Chart c =
        titled("Best climb and best glide speeds", "calibrated airspeed (kt)", "altitude (m)");
    both(c, climb, baseline, [](Chart& chart, const json& k) {
        Chart_Series climb_v{"best climb speed"};
        Chart_Series glide_v{"best glide (windmilling)"};
        for (const json& a : k["altitudes"]) {
            climb_v.x.push_back(a["ok"] ? number(a["best_kcas"]) : NAN);
            climb_v.y.push_back(a["altitude_m"]);
            glide_v.x.push_back(number(a["glide_kcas"]) > 0.0 ? number(a["glide_kcas"]) : NAN);
            glide_v.y.push_back(a["altitude_m"]);
        }
        chart.series.push_back(climb_v);
        chart.series.push_back(glide_v);
    });
    return c;
}

}  // namespace rig
