#include "flight/scenario.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "flight/summary.h"
#include "host/command_names.h"
#include "host/sample.h"

namespace rig {
namespace {

constexpr double kMinDt = 1.0 / 200.0;  // s
constexpr double kMaxDt = 1.0 / 100.0;  // s

bool number(const std::string& word, double& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(word.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

struct Line_Parser {
    std::vector<std::string> words;
    std::size_t next = 0;
    std::string error;

    bool done() const { return next >= words.size(); }
    bool word(std::string& out, const char* what) {
        if (done()) return fail(std::string("expected ") + what);
        out = words[next++];
        return true;
    }
    bool value(double& out, const char* what) {
        std::string w;
        if (!word(w, what)) return false;
        if (!number(w, out))
            return fail(std::string("expected a number for ") + what + ", got '" + w + "'");
        return true;
    }
    bool end() {
        if (!done()) return fail("unexpected '" + words[next] + "'");
        return true;
    }
    bool fail(const std::string& why) {
        error = why;
        return false;
    }
};

bool variable_known(const std::string& name) { return find_column(name.c_str()) != nullptr; }

bool parse_condition(Line_Parser& p, Condition& c) {
    std::string op;
    if (!p.word(c.variable, "a variable")) return false;
    if (!variable_known(c.variable)) return p.fail("unknown variable '" + c.variable + "'");
    if (!p.word(op, "a comparison")) return false;
    if (op == "<") {
        c.op = Compare::Less;
    } else if (op == "<=") {
        c.op = Compare::Less_Equal;
    } else if (op == ">") {
        c.op = Compare::Greater;
    } else if (op == ">=") {
        c.op = Compare::Greater_Equal;
    } else {
        return p.fail("unknown comparison '" + op + "' (use < <= > >=)");
    }
    return p.value(c.value, "the comparison value");
}

bool parse_autopilot(Line_Parser& p, Autopilot_Command& c) {
    using Channel = Autopilot_Command::Channel;
    std::string mode;
    if (!p.word(mode, "an autopilot mode")) return false;
    if (mode == "off") {
        c.channel = Channel::All;
        return p.end();
    }
    if (mode == "vertical" || mode == "lateral" || mode == "speed") {
        std::string off;
        if (!p.word(off, "'off'") || off != "off") return p.fail("expected 'off' after " + mode);
        c.channel = mode == "vertical" ? Channel::Vertical
                                       : (mode == "lateral" ? Channel::Lateral : Channel::Speed);
        return p.end();
    }
    if (mode == "wings_level") {
        c.channel = Channel::Lateral;
        c.lateral = Lateral_Mode::Wings_Level;
        return p.end();
    }
    if (mode == "pitch") {
        c.channel = Channel::Vertical;
        c.vertical = Vertical_Mode::Pitch;
    } else if (mode == "climb") {
        c.channel = Channel::Vertical;
        c.vertical = Vertical_Mode::Climb;
    } else if (mode == "altitude") {
        c.channel = Channel::Vertical;
        c.vertical = Vertical_Mode::Altitude;
    } else if (mode == "bank") {
        c.channel = Channel::Lateral;
        c.lateral = Lateral_Mode::Bank;
    } else if (mode == "heading") {
        c.channel = Channel::Lateral;
        c.lateral = Lateral_Mode::Heading;
    } else if (mode == "airspeed") {
        c.channel = Channel::Speed;
        c.speed = Speed_Mode::Airspeed;
    } else {
        return p.fail("unknown autopilot mode '" + mode + "'");
    }
    return p.value(c.target, "the autopilot target") && p.end();
}

// input SHAPE AXIS AMPLITUDE, then what the shape needs: `width S` (pulse,
// doublet; default 1 s), `unit S` (3211; default 0.5 s) or
// `from F0 to F1 over S` (sweep, Hz and s; required).
bool parse_input(Line_Parser& p, Test_Input& in) {
    std::string shape, axis;
    if (!p.word(shape, "an input shape (step, pulse, doublet, 3211, sweep)")) return false;
    if (!parse_input_shape(shape, in.shape)) {
        return p.fail("unknown input shape '" + shape + "' (step, pulse, doublet, 3211, sweep)");
    }
    if (!p.word(axis, "an axis (pitch, roll, rudder, throttle)")) return false;
    if (!parse_input_axis(axis, in.axis)) {
        return p.fail("unknown axis '" + axis + "' (pitch, roll, rudder, throttle)");
    }
    if (!p.value(in.amplitude, "the amplitude")) return false;
    if (std::fabs(in.amplitude) > 1.0) return p.fail("the amplitude is axis travel, -1..1");
    if (in.shape == Input_Shape::Step) return p.end();
    if (in.shape == Input_Shape::Sweep) {
        std::string from, to, over;
        if (!p.word(from, "'from F0 to F1 over S'") || from != "from" ||
            !p.value(in.from_hz, "the start frequency (Hz)") || !p.word(to, "'to'") || to != "to" ||
            !p.value(in.to_hz, "the end frequency (Hz)") || !p.word(over, "'over'") ||
            over != "over" || !p.value(in.over, "the sweep's length (s)")) {
            return p.fail("a sweep needs 'from F0 to F1 over S' (Hz, Hz, s)");
        }
        if (!(in.from_hz > 0.0 && in.to_hz > in.from_hz)) {
            return p.fail("a sweep runs from a positive frequency up to a higher one");
        }
        if (!(in.over > 0.0)) return p.fail("the sweep's length must be positive");
        return p.end();
    }
    const bool units = in.shape == Input_Shape::Input_3211;
    const char* keyword = units ? "unit" : "width";
    in.width = units ? 0.5 : 1.0;
    if (p.done()) return true;
    std::string key;
    p.word(key, keyword);
    if (key != keyword) {
        return p.fail("expected '" + std::string(keyword) + " S' after the amplitude of " + shape +
                      ", got '" + key + "'");
    }
    if (!p.value(in.width, keyword)) return false;
    if (!(in.width > 0.0)) return p.fail(std::string("the ") + keyword + " must be positive");
    return p.end();
}

bool parse_action(Line_Parser& p, Action& a) {
    std::string kind;
    if (!p.word(kind, "an action")) return false;
    if (kind == "command") {
        std::string name;
        double value = 0.0;
        if (!p.word(name, "a command name") || !p.value(value, "the command value")) return false;
        if (!command_by_name(name, a.command)) {
            return p.fail("unknown command '" + name +
                          "' (the names of quillon_fm_ids.h in lower case, without QFM_CMD_)");
        }
        a.kind = Action::Kind::Command;
        a.value = static_cast<float>(value);
        return p.end();
    }
    if (kind == "throttle") {
        a.kind = Action::Kind::Throttle;
        if (!p.value(a.throttle, "the throttle fraction")) return false;
        if (a.throttle < 0.0 || a.throttle > 1.0) return p.fail("throttle is a fraction 0..1");
        return p.end();
    }
    if (kind == "autopilot") {
        a.kind = Action::Kind::Autopilot;
        return parse_autopilot(p, a.autopilot);
    }
    if (kind == "input") {
        a.kind = Action::Kind::Input;
        return parse_input(p, a.input);
    }
    if (kind == "stop") {
        a.kind = Action::Kind::Stop;
        return p.end();
    }
    return p.fail("unknown action '" + kind + "' (command, throttle, autopilot, input, stop)");
}

bool parse_expectation(Line_Parser& p, Expectation& e) {
    if (!p.word(e.variable, "a variable")) return false;
    if (!variable_known(e.variable) && !is_summary_value(e.variable)) {
        return p.fail("unknown variable '" + e.variable + "'");
    }
    if (!p.value(e.min, "the lower bound") || !p.value(e.max, "the upper bound")) return false;
    if (e.min > e.max) return p.fail("the lower bound is above the upper bound");
    std::string when;
    if (!p.word(when, "'at end', 'at T' or 'from T1 to T2'")) return false;
    if (when == "at") {
        std::string what;
        if (!p.word(what, "'end' or a time")) return false;
        if (what == "end") {
            e.when = Expectation::When::End;
        } else if (number(what, e.from)) {
            e.when = Expectation::When::At;
        } else {
            return p.fail("expected 'end' or a time after 'at'");
        }
    } else if (when == "from") {
        std::string to;
        if (!p.value(e.from, "the start time") || !p.word(to, "'to'") || to != "to" ||
            !p.value(e.to, "the end time")) {
            return p.fail("expected 'from T1 to T2'");
        }
        e.when = Expectation::When::During;
    } else {
        return p.fail("expected 'at end', 'at T' or 'from T1 to T2'");
    }
    if (e.when != Expectation::When::End && !variable_known(e.variable)) {
        return p.fail("summary values are known only at end");
    }
    return p.end();
}

bool parse_vector(Line_Parser& p, V3& v) {
    return p.value(v.x, "x") && p.value(v.y, "y") && p.value(v.z, "z") && p.end();
}

bool is_environment_key(const std::string& key) {
    static const char* const keys[] = {
        "temperature_offset", "gravity",         "latitude", "wind_profile", "turbulence", "gust",
        "field_elevation",    "runway_friction", "substeps", "altitude_kind"};
    for (const char* k : keys) {
        if (key == k) return true;
    }
    return false;
}

bool parse_environment(Line_Parser& p, const std::string& key, Scenario& s) {
    Environment& e = s.env;
    if (key == "temperature_offset") return p.value(e.temperature_offset, "offset (K)") && p.end();
    if (key == "gravity") {
        e.gravity_model = Gravity_Model::Constant;
        if (!p.value(e.gravity, "gravity (m/s^2)")) return false;
        if (e.gravity <= 0.0) return p.fail("gravity must be positive");
        return p.end();
    }
    if (key == "latitude") {
        e.gravity_model = Gravity_Model::Latitude;
        if (!p.value(e.latitude, "latitude (deg)")) return false;
        if (std::fabs(e.latitude) > 90.0) return p.fail("latitude lies between -90 and 90");
        return p.end();
    }
    if (key == "wind_profile") {
        Wind_Point w;
        if (!p.value(w.height, "height (m)") || !parse_vector(p, w.wind)) return false;
        if (!e.wind_profile.empty() && w.height <= e.wind_profile.back().height) {
            return p.fail("wind_profile heights must ascend");
        }
        e.wind_profile.push_back(w);
        return true;
    }
    if (key == "turbulence") {
        double seed = 0.0;
        if (!p.value(e.turbulence.intensity, "rms (m/s)") || !p.value(seed, "seed")) return false;
        if (e.turbulence.intensity < 0.0) return p.fail("the turbulence rms is not negative");
        if (seed < 0.0 || seed != std::floor(seed) || seed > 9.0e15) {
            return p.fail("the seed is a whole number 0..9e15");
        }
        e.turbulence.seed = static_cast<std::uint64_t>(seed);
        return p.end();
    }
    if (key == "gust") {
        Gust g;
        if (!p.value(g.start, "start (s)") || !p.value(g.duration, "duration (s)")) return false;
        if (g.duration <= 0.0) return p.fail("the gust's duration must be positive");
        if (!parse_vector(p, g.peak)) return false;
        e.gusts.push_back(g);
        return true;
    }
    if (key == "field_elevation") return p.value(e.field_elevation, "elevation (m)") && p.end();
    if (key == "runway_friction") {
        Runway_Friction& r = e.runway;
        if (!p.value(r.rolling, "rolling") || !p.value(r.brake, "brake") ||
            !p.value(r.side, "side")) {
            return false;
        }
        if (r.rolling < 0.0 || r.brake < 0.0 || r.side < 0.0) {
            return p.fail("friction coefficients are not negative");
        }
        return p.end();
    }
    if (key == "substeps") {
        double n = 0.0;
        if (!p.value(n, "model calls per frame")) return false;
        if (n < 1.0 || n > 100.0 || n != std::floor(n)) return p.fail("substeps is 1..100");
        s.substeps = static_cast<int>(n);
        return p.end();
    }
    std::string kind;  // altitude_kind
    if (!p.word(kind, "geometric or geopotential")) return false;
    if (kind != "geometric" && kind != "geopotential") {
        return p.fail("altitude_kind is geometric or geopotential");
    }
    e.altitude_kind = kind == "geometric" ? Altitude_Kind::Geometric : Altitude_Kind::Geopotential;
    return p.end();
}

bool parse_line(Line_Parser& p, Scenario& s, const std::string& raw, int line) {
    std::string key;
    p.word(key, "a keyword");
    if (key == "name" || key == "description") {
        std::string text;
        for (std::size_t i = p.next; i < p.words.size(); ++i) {
            text += (i > p.next ? " " : "") + p.words[i];
        }
        (key == "name" ? s.name : s.description) = text;
        return true;
    }
    if (key == "start") {
        std::string mode;
        if (!p.word(mode, "cold, hot or air")) return false;
        if (mode == "cold") {
            s.start = Start_Mode::Cold;
        } else if (mode == "hot") {
            s.start = Start_Mode::Hot;
        } else if (mode == "air") {
            s.start = Start_Mode::Air;
            std::string trimmed;
            if (!p.done()) {
                p.word(trimmed, "");
                if (trimmed != "trimmed")
                    return p.fail("expected 'trimmed' or nothing after 'air'");
                s.trimmed = true;
            }
        } else {
            return p.fail("start is cold, hot or air");
        }
        return p.end();
    }
    if (key == "fuel") return p.value(s.fuel, "fuel (kg)") && p.end();
    if (key == "mass") return p.value(s.empty_mass, "empty mass (kg)") && p.end();
    if (key == "cg") return parse_vector(p, s.center_of_mass);
    if (key == "position") return parse_vector(p, s.position);
    if (key == "altitude") return p.value(s.position.y, "altitude (m)") && p.end();
    if (key == "heading") return p.value(s.heading, "heading (deg)") && p.end();
    if (key == "speed") return p.value(s.speed, "speed (kcas)") && p.end();
    if (key == "wind") return parse_vector(p, s.env.wind_world);
    if (is_environment_key(key)) return parse_environment(p, key, s);
    if (key == "flaps") {
        if (!p.value(s.flaps, "flap lever 0..1")) return false;
        if (s.flaps < 0.0 || s.flaps > 1.0) return p.fail("the flap lever is 0..1");
        return p.end();
    }
    if (key == "gear") {
        std::string pos;
        if (!p.word(pos, "up or down")) return false;
        if (pos != "up" && pos != "down") return p.fail("gear is up or down");
        s.gear_down = pos == "down";
        return p.end();
    }
    if (key == "dt") {
        if (!p.value(s.dt, "frame time (s)")) return false;
        if (s.dt < kMinDt || s.dt > kMaxDt) return p.fail("dt must lie between 0.005 and 0.01 s");
        return p.end();
    }
    if (key == "end") {
        if (!p.value(s.end, "end time (s)")) return false;
        if (s.end <= 0.0) return p.fail("end time must be positive");
        return p.end();
    }
    if (key == "at" || key == "after" || key == "when") {
        Event e;
        e.line = line;
        e.text = raw;
        if (key == "when") {
            e.trigger.kind = Trigger::Kind::When;
            if (!parse_condition(p, e.trigger.condition)) return false;
        } else {
            e.trigger.kind = key == "at" ? Trigger::Kind::At : Trigger::Kind::After;
            if (!p.value(e.trigger.time, "a time (s)")) return false;
            if (e.trigger.time < 0.0) return p.fail("times are not negative");
        }
        if (!parse_action(p, e.action)) return false;
        s.events.push_back(e);
        return true;
    }
    if (key == "expect") {
        Expectation e;
        e.line = line;
        e.text = raw;
        if (!parse_expectation(p, e)) return false;
        s.expectations.push_back(e);
        return true;
    }
    return p.fail("unknown keyword '" + key + "'");
}

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

bool parse_scenario(const std::string& text, Scenario& out, std::string& error) {
    Scenario s;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        const std::string content = trim(raw.substr(0, raw.find('#')));
        if (content.empty()) continue;
        Line_Parser p;
        std::istringstream words(content);
        for (std::string w; words >> w;) p.words.push_back(w);
        if (!parse_line(p, s, content, line)) {
            error = "line " + std::to_string(line) + ": " + p.error;
            return false;
        }
    }
    if (s.end < s.dt) {
        error = "the scenario ends before its first frame";
        return false;
    }
    for (const Event& e : s.events) {
        // Four frames a period at least, or the sweep is not what it says.
        if (e.action.kind == Action::Kind::Input && e.action.input.shape == Input_Shape::Sweep &&
            e.action.input.to_hz > 0.25 / s.dt) {
            error = "line " + std::to_string(e.line) + ": the sweep goes above a quarter of the " +
                    "frame rate";
            return false;
        }
    }
    out = s;
    return true;
}

bool load_scenario(const std::string& path, Scenario& out, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!parse_scenario(text.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool is_summary_value(const std::string& name) { return find_summary_value(name) >= 0; }

std::vector<std::string> shipped_scenarios(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string file = e->d_name;
            if (file.size() > 4 && file.compare(file.size() - 4, 4, ".txt") == 0) {
                names.push_back(file.substr(0, file.size() - 4));
            }
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rig
