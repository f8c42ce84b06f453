#include "report/report_page.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "report/perf_charts.h"
#include "report/plots.h"

namespace rig {
namespace {

using nlohmann::json;

std::string esc(const std::string& s) {
    std::string out;
    for (char ch : s) {
        switch (ch) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string num(const json& v, int decimals) {
    if (!v.is_number()) return "&ndash;";
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, v.get<double>());
    return text;
}

double number(const json& v) { return v.is_number() ? v.get<double>() : NAN; }

const json& member(const json& j, const char* key) {
    static const json none;
    return j.is_object() && j.contains(key) ? j[key] : none;
}

struct Page {
    std::string html;
    int charts = 0;
    void chart(const Chart& c) {
        html += "<figure>" + chart_svg(c) + "</figure>\n";
        ++charts;
    }
    void heading(const char* id, const char* title) {
        html += std::string("<h2 id=\"") + id + "\">" + title + "</h2>\n";
    }
    void para(const std::string& text) { html += "<p>" + text + "</p>\n"; }
};

// The trim table: angle of attack, throttle and elevator of the envelope's
// sweep points at round speeds and altitudes.
void trim_table(Page& p, const json& envelope) {
    p.heading("trim", "Trim table (level flight)");
    p.para(
        "Each cell: angle of attack (deg) / throttle (%) / elevator travel. "
        "&ndash; where level trim does not exist.");
    const double speeds[] = {150, 200, 250, 300, 350, 400};
    p.html += "<table><tr><th>altitude (m) \\ kcas</th>";
    for (double v : speeds) p.html += "<th>" + num(json(v), 0) + "</th>";
    p.html += "</tr>\n";
    for (const json& a : member(envelope, "altitudes")) {
        const double h = a["altitude_m"];
        if (std::fmod(h, 3000.0) != 0.0) continue;
        p.html += "<tr><th>" + num(json(h), 0) + "</th>";
        for (double v : speeds) {
            std::string cell = "&ndash;";
            for (const json& s : a["sweep"]) {
                if (s["kcas"] == v && s["ok"]) {
                    cell = num(s["alpha"], 1) + " / " +
                           num(json(s["throttle"].get<double>() * 100.0), 0) + " / " +
                           num(s["elevator"], 3);
                }
            }
            p.html += "<td>" + cell + "</td>";
        }
        p.html += "</tr>\n";
    }
    p.html += "</table>\n";
}

void envelope_section(Page& p, const json& e, const json& base) {
    p.heading("envelope", "Level-flight envelope");
    p.para(
        "Every speed interval where level trim exists (wings level, 1 g), found by a sweep and "
        "each edge bisected to 1 kt. <em>thrust</em>: full throttle does not balance the drag; "
        "<em>lift</em>: the wing does not carry the weight within the trim&rsquo;s angle-of-attack "
        "range (to 30&deg;) or the elevator is at its stop.");
    p.chart(envelope_chart(e, member(base, "envelope")));
    p.html += "<table><tr><th>altitude (m)</th><th>intervals (kcas)</th></tr>\n";
    for (const json& a : member(e, "altitudes")) {
        p.html += "<tr><td>" + num(a["altitude_m"], 0) + "</td><td>";
        for (const json& i : a["intervals"]) {
            p.html += num(i["min_kcas"], 0) + "&ndash;" + num(i["max_kcas"], 0) + " (" +
                      esc(i["low"]) + "&ndash;" + esc(i["high"]) + ") &nbsp; ";
        }
        p.html += "</td></tr>\n";
    }
    p.html += "</table>\n";
    p.para("Absolute ceiling: <b>" + num(member(e, "absolute_ceiling_m"), 0) + " m</b>.");
}

void climb_section(Page& p, const json& c, const json& base) {
    p.heading("climb", "Climb and descent");
    p.para(
        "Best rate of climb at full throttle (steady, at constant true airspeed: the largest "
        "V&thinsp;sin&gamma; of trims with the throttle held, over a 10 kt sweep refined by a "
        "parabola and confirmed by a trim at the best speed). Time and fuel to climb integrate "
        "the best rate from sea level. Service ceiling (0.5 m/s): <b>" +
        num(member(c, "service_ceiling_m"), 0) +
        " m</b>. Glide: the engine shut down (start switch off) and windmilling, the best "
        "glide ratio over the same sweep and the sink rate there; then, at that speed, the "
        "descent with the engine running at idle, for comparison.");
    p.chart(climb_chart(c, member(base, "climb")));
    p.chart(climb_speed_chart(c, member(base, "climb")));
    p.html +=
        "<table><tr><th rowspan=\"2\">altitude (m)</th><th rowspan=\"2\">best climb (kcas)"
        "</th><th rowspan=\"2\">rate (m/s)</th><th rowspan=\"2\">time to climb (s)</th>"
        "<th rowspan=\"2\">fuel to climb (kg)</th><th colspan=\"4\">engine stopped, "
        "windmilling</th><th colspan=\"2\">engine at idle</th></tr>\n<tr><th>best glide "
        "(kcas)</th><th>glide ratio</th><th>sink (m/s)</th><th>rpm (%)</th><th>glide ratio</th>"
        "<th>sink (m/s)</th></tr>\n";
    for (const json& a : member(c, "altitudes")) {
        p.html += "<tr><td>" + num(a["altitude_m"], 0) + "</td><td>" + num(a["best_kcas"], 0) +
                  "</td><td>" + num(a["rate"], 2) + "</td><td>" + num(a["time_to_climb_s"], 0) +
                  "</td><td>" + num(a["fuel_to_climb_kg"], 1) + "</td><td>" +
                  num(member(a, "glide_kcas"), 0) + "</td><td>" + num(member(a, "glide_ratio"), 2) +
                  "</td><td>" + num(member(a, "glide_sink"), 2) + "</td><td>" +
                  num(member(a, "glide_rpm"), 1) + "</td><td>" + num(member(a, "idle_ratio"), 2) +
                  "</td><td>" + num(member(a, "idle_sink"), 2) + "</td></tr>\n";
    }
    p.html += "</table>\n";
}

void ps_section(Page& p, const json& ps, const json& envelope, const json& base) {
    p.heading("ps", "Specific excess power");
    p.para(
        "Ps = V&thinsp;(T &minus; D)&thinsp;/&thinsp;W at full throttle, as the rate of climb "
        "V&thinsp;sin&gamma; of a straight trim with the throttle held (the load factor is "
        "cos&gamma;, close to 1 g). Contours at &minus;20, &minus;10, 0, 5, 10, 15 and 20 m/s; the "
        "black dots are the "
        "level-flight envelope's edges, where Ps = 0 at 1 g.");
    p.chart(ps_chart(ps, envelope, member(base, "ps")));
}

void turn_section(Page& p, const json& t, const json& base) {
    p.heading("turn", "Turn performance");
    p.para("At " + num(t["altitude_m"], 0) +
           " m. Sustained: a level turn at full throttle "
           "(Ps = 0), the bank solved, within the angle-of-attack limit. Instantaneous: the lift "
           "at " +
           num(t["max_alpha"], 0) +
           "&deg; angle of attack (the buffet is at full "
           "strength from about 20&deg;) with the elevator of level trim and no pitch rate, "
           "limited to the stated load-factor limit of " +
           num(t["load_limit"], 1) + " g. Corner speed: " + num(t["corner_kcas"], 0) +
           " kcas. Best sustained turn: " + num(t["max_sustained_rate"], 2) + " deg/s at " +
           num(t["max_sustained_rate_kcas"], 0) + " kcas.");
    p.chart(turn_chart(t, member(base, "turn")));
    p.chart(radius_chart(t, member(base, "turn")));
}

void fuel_section(Page& p, const json& f, const json& base) {
    p.heading("fuel", "Fuel: range and endurance");
    p.para(
        "From level trims: fuel flow, specific range (air distance per kg) and specific "
        "endurance (time per kg). Best range " +
        num(member(f, "best_range_kcas"), 0) + " kcas (" +
        num(member(f, "best_specific_range"), 1) + " m/kg); best endurance " +
        num(member(f, "best_endurance_kcas"), 0) + " kcas (" +
        num(member(f, "best_specific_endurance"), 2) + " s/kg).");
    p.chart(fuel_chart(f, member(base, "fuel"), false));
    p.chart(fuel_chart(f, member(base, "fuel"), true));
}

void field_section(Page& p, const json& f, const json& base) {
    p.heading("field", "Field performance");
    p.para(
        "Flown at sea level with one technique. Take-off: half flaps, brakes held at full "
        "throttle for 10 s, released; rotation at 0.97 times the lift-off speed (the speed at "
        "which level trim needs 13&deg; angle of attack) to 13&deg; pitch, held; gear down. "
        "Landing: full flaps, gear down, at the speed where level trim needs 10&deg; angle of "
        "attack, on a 3&deg; path, flare at 6 m to 1 m/s of sink, then idle and full brakes.");
    p.chart(field_chart(f, member(base, "field")));
    p.html +=
        "<table><tr><th>mass (kg)</th><th>rotate (kcas)</th><th>lift-off (kcas)</th>"
        "<th>take-off roll (m)</th><th>to 15 m (m)</th><th>approach (kcas)</th>"
        "<th>touchdown sink (m/s)</th><th>landing roll (m)</th><th>from 15 m (m)</th></tr>\n";
    const json& t = member(f, "takeoff");
    const json& l = member(f, "landing");
    for (std::size_t i = 0; i < t.size() && i < l.size(); ++i) {
        p.html +=
            "<tr><td>" + num(t[i]["mass"], 0) + "</td><td>" + num(t[i]["rotate_kcas"], 1) +
            "</td><td>" + num(t[i]["liftoff_kcas"], 1) + "</td><td>" +
            (t[i]["ok"] ? num(t[i]["ground_roll_m"], 0) + "</td><td>" + num(t[i]["distance_m"], 0)
                        : esc(t[i]["why"]) + "</td><td>") +
            "</td><td>" + num(l[i]["approach_kcas"], 1) + "</td><td>" +
            num(l[i]["touchdown_sink"], 2) + "</td><td>" +
            (l[i]["ok"] ? num(l[i]["ground_roll_m"], 0) + "</td><td>" + num(l[i]["distance_m"], 0)
                        : esc(l[i]["why"]) + "</td><td>") +
            "</td></tr>\n";
    }
    p.html += "</table>\n";
}

void scenario_section(Page& p, const json& s) {
    p.heading("scenarios", "Shipped scenarios");
    for (const json& sc : member(s, "scenarios")) {
        p.html += "<h3>" + esc(sc["name"]) + "</h3>\n";
        p.para(esc(sc["description"]) +
               (sc["completed"] ? "" : " <b class=\"bad\">FAILED: " + esc(sc["failure"]) + "</b>"));
        p.html += "<div class=\"cols\"><table><tr><th>summary</th><th>value</th></tr>\n";
        for (auto it = sc["summary"].begin(); it != sc["summary"].end(); ++it) {
            p.html +=
                "<tr><td>" + esc(it.key()) + "</td><td>" + num(it.value(), 2) + "</td></tr>\n";
        }
        p.html += "</table><table><tr><th>expectation</th><th>value</th><th>verdict</th></tr>\n";
        for (const json& e : sc["expectations"]) {
            const bool ok = e["evaluated"] && e["passed"];
            p.html += "<tr><td>" + esc(e["text"]) + "</td><td>" + num(e["value"], 2) +
                      "</td><td class=\"" + (ok ? "good\">ok" : "bad\">FAILED") + "</td></tr>\n";
        }
        p.html += "</table></div>\n";
    }
}

// False, after saying so, when `quillon-rig COMMAND` gave no result holding `key`.
bool measured(Page& p, const json& result, const char* key, const char* command) {
    if (result.is_object() && result.contains(key)) return true;
    p.para(std::string("Not measured (<code>quillon-rig ") + command + "</code> gave no result).");
    return false;
}

void modes_section(Page& p, const json& modes) {
    p.heading("modes", "Modes and handling-quality Levels");
    if (!measured(p, modes, "points", "modes")) return;
    p.para(
        "The linear model about level trim at each speed (<code>quillon-rig modes</code>), its "
        "modes, and the MIL-F-8785C Class IV Levels in flight-phase Categories A, B and C "
        "(1 best; &gt;3 beyond Level 3). The charts place the aircraft at each speed among the "
        "Category A boundaries.");
    std::vector<Handling_Point> cap, dutch_roll;
    for (const json& pt : modes["points"]) {
        const std::string speed = num(member(member(pt, "trim"), "kcas"), 0);
        const double n_alpha = number(member(pt, "n_alpha")), c = number(member(pt, "cap"));
        if (c > 0.0) cap.push_back({speed, n_alpha, std::sqrt(c * n_alpha)});
        for (const json& m : member(pt, "modes")) {
            if (m.value("name", "") == "dutch_roll" && m.contains("period"))
                dutch_roll.push_back({speed, number(m["zeta"]), number(m["omega_n"])});
        }
    }
    p.html += "<div class=\"cols\">";
    p.chart(cap_chart(CAT_A, cap));
    p.chart(dutch_roll_chart(CAT_A, dutch_roll));
    p.html += "</div>\n";
    for (const json& pt : modes["points"]) {
        const json& t = member(pt, "trim");
        p.html += "<h3>" + num(member(t, "kcas"), 0) + " kcas, alpha " +
                  num(member(t, "alpha_deg"), 2) +
                  "&deg;</h3>\n<div class=\"cols\"><table><tr><th>mode</th><th>&omega;n (rad/s)"
                  "</th><th>&zeta;</th><th>period (s)</th><th>time to half (s)</th></tr>\n";
        for (const json& m : member(pt, "modes")) {
            p.html += "<tr><td>" + esc(m["name"]) + "</td><td>" + num(m["omega_n"], 3) +
                      "</td><td>" + num(m["zeta"], 3) + "</td><td>" + num(member(m, "period"), 2) +
                      "</td><td>" + num(member(m, "time_to_half"), 2) + "</td></tr>\n";
        }
        p.html +=
            "</table><table><tr><th>criterion</th><th>value</th><th>A</th><th>B</th>"
            "<th>C</th></tr>\n";
        for (const json& l : member(pt, "levels")) {
            p.html += "<tr><td>" + esc(l["criterion"]) + "</td><td>" + num(l["value"], 3) + "</td>";
            for (const char* c : {"A", "B", "C"}) {
                const json& v = member(l["level"], c);
                const int level = v.is_number() ? v.get<int>() : 4;
                p.html += std::string("<td class=\"") + (level == 1 ? "good" : "bad") + "\">" +
                          (level > 3 ? "&gt;3" : std::to_string(level)) + "</td>";
            }
            p.html += "</tr>\n";
        }
        p.html += "</table></div>\n";
    }
}

void derivatives_section(Page& p, const json& d) {
    p.heading("derivatives", "Stability and control derivatives: sign audit");
    if (!measured(p, d, "nondimensional", "derivatives")) return;
    const json& t = member(d, "trim");
    std::string flags;
    for (const json& w : member(d, "wrong_signs")) {
        flags += "<li><b class=\"bad\">" + esc(w["name"]) + " = " + num(w["value"], 4) +
                 "</b>, expected " + esc(w["expected"]) + "</li>";
    }
    p.para("About level trim at " + num(member(t, "kcas"), 0) +
           " kcas (<code>quillon-rig derivatives</code>), per radian and per unit of each pilot "
           "axis. " +
           (flags.empty() ? std::string("Every audited derivative has its usual sign.")
                          : "Derivatives with an unusual sign:<ul>" + flags + "</ul>"));
    const json& n = d["nondimensional"];
    if (n.empty()) return;
    p.html += "<table><tr><th></th>";
    for (auto c = n.begin().value().begin(); c != n.begin().value().end(); ++c)
        p.html += "<th>" + esc(c.key()) + "</th>";
    p.html += "</tr>\n";
    for (auto r = n.begin(); r != n.end(); ++r) {
        p.html += "<tr><th>" + esc(r.key()) + "</th>";
        for (auto c = r.value().begin(); c != r.value().end(); ++c)
            p.html += "<td>" + num(c.value(), 4) + "</td>";
        p.html += "</tr>\n";
    }
    p.html += "</table>\n";
}

void comparison_section(Page& p, const json& c, const std::string& baseline) {
    p.heading("comparison", "Against the baseline build");
    p.para("Baseline: <code>" + esc(baseline) + "</code>, measured with the same settings. " +
           num(c["moved"], 0) + " of " + std::to_string(c["figures"].size()) +
           " figures moved beyond their tolerance. Charts overlay the baseline's curves dashed.");
    auto table = [&](bool moved_only) {
        p.html +=
            "<table><tr><th>figure</th><th>baseline</th><th>this build</th>"
            "<th>difference</th><th>tolerance</th><th>unit</th></tr>\n";
        for (const json& r : c["figures"]) {
            if (moved_only && !r["moved"]) continue;
            p.html += std::string("<tr") + (r["moved"] ? " class=\"moved\"" : "") + "><td>" +
                      esc(r["name"]) + "</td><td>" + num(r["old"], 3) + "</td><td>" +
                      num(r["new"], 3) + "</td><td>" + num(r["difference"], 3) + "</td><td>" +
                      num(r["tolerance"], 3) + "</td><td>" + esc(r["unit"]) + "</td></tr>\n";
        }
        p.html += "</table>\n";
    };
    table(true);
    p.html += "<details><summary>every figure</summary>\n";
    table(false);
    p.html += "</details>\n";
}

void verification_section(Page& p, const json& v, const std::string& doc) {
    p.heading("verification", "The rig's own verification");
    const std::string named = "<code>docs/verification.md</code>";
    const std::string link =
        doc.empty() ? named : "<a href=\"file://" + esc(doc) + "\">" + named + "</a>";
    if (!v.is_object() || !v.contains("cases")) {
        p.para(
            "Not available in this build of the rig (<code>quillon-rig verify --json</code>). "
            "The cases and their tolerances: " +
            link + ".");
        return;
    }
    p.para(
        "<code>quillon-rig verify</code> flies the rig's check vehicles through published "
        "check cases and compares the rig's own physics with them (cases, data and why each "
        "tolerance is what it is: " +
        link + "). <b class=\"" + (member(v, "failed") == 0 ? "good" : "bad") + "\">" +
        num(member(v, "passed"), 0) + " passed, " + num(member(v, "failed"), 0) + " failed.</b>");
    p.html +=
        "<table class=\"wrap\"><tr><th>case</th><th>what it flies</th><th>check</th>"
        "<th>largest error</th><th>tolerance</th><th>unit</th><th>at (s)</th>"
        "<th>why this tolerance</th><th>verdict</th></tr>\n";
    auto verdict = [](bool ok) {
        return std::string("<td class=\"") + (ok ? "good\">pass" : "bad\">FAIL") + "</td>";
    };
    for (const json& c : v["cases"]) {
        const json& checks = member(c, "checks");
        const std::size_t rows = checks.is_array() && !checks.empty() ? checks.size() : 1;
        const std::string span = " rowspan=\"" + std::to_string(rows) + "\"";
        const std::string head = "<td" + span + ">" + esc(c.value("id", "")) + "</td><td" + span +
                                 " class=\"left\">" + esc(c.value("title", "")) + "</td>";
        if (rows == 1 && (!checks.is_array() || checks.empty())) {
            p.html += "<tr>" + head + "<td class=\"left\" colspan=\"6\">" +
                      esc(c.value("error", "no checks")) + "</td>" +
                      verdict(c.value("passed", false)) + "</tr>\n";
            continue;
        }
        for (std::size_t i = 0; i < checks.size(); ++i) {
            const json& k = checks[i];
            char error[32], tolerance[32];
            std::snprintf(error, sizeof error, "%.3g", k.value("max_error", NAN));
            std::snprintf(tolerance, sizeof tolerance, "%.3g", k.value("tolerance", NAN));
            const std::string what = esc(k.value("what", ""));
            p.html += "<tr>" + (i == 0 ? head : std::string()) + "<td class=\"left\">" + what +
                      "</td><td>" + error + "</td><td>" + tolerance + "</td><td>" +
                      esc(k.value("unit", "")) + "</td><td>" + num(member(k, "at"), 1) +
                      "</td><td class=\"left\">" + esc(k.value("reason", "")) + "</td>" +
                      verdict(k.value("passed", false)) + "</tr>\n";
        }
    }
    p.html += "</table>\n";
}

// The condition and sweep settings, one row each.
void condition_table(Page& p, const json& settings) {
    struct Row {
        const char* key;
        const char* label;
        const char* unit;
    };
    static const Row kRows[] = {
        {"mass_kg", "mass, with the fuel", "kg"},
        {"fuel_kg", "internal fuel", "kg"},
        {"flaps", "flap lever", "0..1"},
        {"gear_down", "gear", ""},
        {"isa_offset_K", "temperature offset from ISA", "K"},
        {"sweep_kcas", "speed sweep: from, to, step", "kcas"},
        {"edge_resolution_kt", "envelope edges found to", "kt"},
        {"altitude_step_m", "altitude step", "m"},
        {"fuel_altitude_m", "range and endurance at", "m"},
        {"turn_altitude_m", "turns at", "m"},
        {"handling_altitude_m", "modes and derivatives at", "m"},
        {"handling_kcas", "modes: from, to, step", "kcas"},
        {"derivative_kcas", "derivatives at", "kcas"},
        {"field_masses_kg", "take-off and landing masses", "kg"},
    };
    p.html += "<table class=\"condition\"><tr><th colspan=\"3\">the measured condition</th></tr>\n";
    for (const Row& r : kRows) {
        const json& v = member(settings, r.key);
        if (v.is_null()) continue;
        std::string text;
        if (v.is_boolean()) {
            text = v.get<bool>() ? "down" : "up";
        } else if (v.is_array()) {
            for (const json& e : v) text += (text.empty() ? "" : ", ") + num(e, 0);
        } else {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%g", v.is_number() ? v.get<double>() : NAN);
            text = buffer;
        }
        p.html += std::string("<tr><th class=\"left\">") + r.label + "</th><td>" + text +
                  "</td><td class=\"left\">" + r.unit + "</td></tr>\n";
    }
    p.html += "</table>\n";
}

const char* kStyle =
    "body{font-family:sans-serif;max-width:1000px;margin:1em auto;padding:0 1em;color:#222}"
    "table{border-collapse:collapse;margin:.5em 0 1em}td,th{border:1px solid #ccc;"
    "padding:2px 6px;text-align:right;font-size:13px}th{background:#f3f3f3}"
    ".bad{color:#b00}.good{color:#070}tr.moved{background:#fee}.cols{display:flex;gap:1em;"
    "flex-wrap:wrap;align-items:flex-start}figure{margin:0 0 1em}svg.chart{max-width:100%;"
    "height:auto}#status{color:#888;font-size:12px}td.left,th.left{text-align:left}"
    "table.wrap td{vertical-align:top}table.wrap td.left{max-width:22em}";

// Records script errors and failed resources in the page, and states when
// every chart is in place: a headless browser's DOM dump shows either.
const char* kScript =
    "<script>\n"
    "window.reportErrors=[];\n"
    "window.addEventListener('error',function(e){window.reportErrors.push(String(e.message||"
    "(e.target&&e.target.src)||'error'));},true);\n"
    "window.addEventListener('load',function(){\n"
    " var want=Number(document.body.getAttribute('data-charts'));\n"
    " var got=0;document.querySelectorAll('svg.chart').forEach(function(s){var b=s.getBBox();"
    "if(b.width>0&&b.height>0&&s.querySelector('polyline,path,circle'))got++;});\n"
    " var st=document.getElementById('status');\n"
    " if(window.reportErrors.length)st.textContent='page-errors: '+window.reportErrors.join('; "
    "');\n"
    " else if(got!==want)st.textContent='charts-missing: '+got+' of '+want;\n"
    " else st.textContent='charts-ok '+got;\n"
    "});\n</script>\n";

}  // namespace

std::string build_identity(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return path + " (not readable)";
    std::uint64_t hash = 1469598103934665603ull;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            for (std::size_t i = 0; i < n; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
        }
        std::fclose(f);
    }
    char when[32];
    std::tm tm{};
    gmtime_r(&st.st_mtime, &tm);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &tm);
    char text[512];
    std::snprintf(text, sizeof text, "%s, %lld bytes, built %s, FNV-1a %016llx", path.c_str(),
                  static_cast<long long>(st.st_size), when, static_cast<unsigned long long>(hash));
    return text;
}

bool write_report(const std::string& dir, const Report_Input& in, std::string& error) {
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create " + dir;
        return false;
    }
    const json& m = in.measurements;
    const json& b = in.baseline;
    Page p;
    p.para("Model: <code>" + esc(in.model) + "</code><br>Measured " + esc(in.date) + " in " +
           num(json(in.seconds), 0) + " s (<code>quillon-rig report</code>), at this condition:");
    condition_table(p, in.settings);
    if (!m["ok"]) p.para("<b class=\"bad\">Incomplete: " + esc(m["error"]) + "</b>");
    if (b.is_object() && !b["ok"]) {
        p.para("<b class=\"bad\">Baseline incomplete: " + esc(b["error"]) + "</b>");
    }
    if (!in.comparison.is_null()) comparison_section(p, in.comparison, in.baseline_model);
    if (m.contains("envelope")) {
        trim_table(p, m["envelope"]);
        envelope_section(p, m["envelope"], b);
    }
    if (m.contains("climb")) climb_section(p, m["climb"], b);
    if (m.contains("ps")) ps_section(p, m["ps"], member(m, "envelope"), b);
    if (m.contains("turn")) turn_section(p, m["turn"], b);
    if (m.contains("fuel")) fuel_section(p, m["fuel"], b);
    if (m.contains("field")) field_section(p, m["field"], b);
    if (m.contains("modes")) modes_section(p, m["modes"]);
    if (m.contains("derivatives")) derivatives_section(p, m["derivatives"]);
    if (m.contains("scenarios")) scenario_section(p, m["scenarios"]);
    verification_section(p, in.verification, in.verification_doc);

    const std::string path = dir + "/index.html";
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<title>QuillonFM flight-test report</title><style>" +
        std::string(kStyle) + "</style>\n" + kScript + "</head>\n<body data-charts=\"" +
        std::to_string(p.charts) +
        "\">\n<h1>QuillonFM flight-test report</h1>\n<div id=\"status\">loading</div>\n" + p.html +
        "</body></html>\n";
    const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
    if (std::fclose(out) != 0 || !written) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace rig
