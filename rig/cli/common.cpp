#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "analysis/alpha_trim.h"
#include "cli/cli.h"

namespace rig::cli {

std::string absolute(const std::string& path) {
    // dlopen looks a name without a slash up in the library path, not here.
    char* full = realpath(path.c_str(), nullptr);
    if (!full) return path;
    const std::string out = full;
    std::free(full);
    return out;
}

bool load(const Global_Options& g, Model_Api& api) {
    Library_Paths paths = default_library_paths();
    if (!g.model.empty()) paths.model = absolute(g.model);
    if (!g.standin.empty()) paths.standin = absolute(g.standin);
    std::string error;
    if (!load_model(paths, api, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return false;
    }
    return true;
}

void add_configuration_options(CLI::App* cmd, double& flaps, std::string& gear) {
    cmd->add_option("--flaps", flaps, "flap lever 0..1")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    cmd->add_option("--gear", gear, "up or down")
        ->check(CLI::IsMember({"up", "down"}))
        ->capture_default_str();
}

void add_loading_options(CLI::App* cmd, double& flaps, std::string& gear, double& fuel,
                         double& empty_mass) {
    add_configuration_options(cmd, flaps, gear);
    cmd->add_option("--fuel", fuel, "internal fuel, kg")->capture_default_str();
    cmd->add_option("--mass", empty_mass, "empty mass, kg")->capture_default_str();
}

}  // namespace rig::cli

namespace rig::cli {

void add_trim_options(CLI::App* cmd, Trim_Options& a) {
    auto* speed =
        cmd->add_option("--speed", a.speed, "calibrated airspeed, kt")->check(CLI::PositiveNumber);
    auto* tas = cmd->add_option("--tas", a.tas, "true airspeed, m/s (instead of --speed)")
                    ->check(CLI::PositiveNumber);
    speed->excludes(tas);
    cmd->add_option("--altitude", a.altitude, "m")->required()->check(CLI::NonNegativeNumber);
    cmd->add_option("--kind", a.kind, "level, climb, turn, pull-up or sideslip")
        ->check(CLI::IsMember({"level", "climb", "turn", "pull-up", "sideslip"}))
        ->capture_default_str();
    cmd->add_option("--lateral", a.lateral,
                    "level and climb: wings-level (sideslip solved) or zero-sideslip (bank solved)")
        ->check(CLI::IsMember({"wings-level", "zero-sideslip"}))
        ->capture_default_str();
    cmd->add_option("--gamma", a.gamma, "climb: flight-path angle, deg")->capture_default_str();
    cmd->add_option("--vs", a.vertical_speed, "climb: vertical speed, m/s (instead of --gamma)");
    cmd->add_option("--bank", a.bank, "turn: bank angle, deg, positive right")
        ->check(CLI::Range(-85.0, 85.0));
    cmd->add_option("--load-factor", a.load_factor, "turn (instead of --bank) and pull-up, g")
        ->check(CLI::Range(1.0, 12.0));
    cmd->add_option("--beta", a.beta, "sideslip: sideslip angle, deg")
        ->check(CLI::Range(-25.0, 25.0));
    cmd->add_option("--throttle", a.throttle,
                    "hold the throttle (0..1) and solve the flight-path angle (turn: the bank)")
        ->check(CLI::Range(0.0, 1.0));
    add_loading_options(cmd, a.flaps, a.gear, a.fuel, a.mass);
    cmd->add_flag("--engine-off", a.engine_off,
                  "the engine shut down (start switch off) and windmilling; use with --throttle 0");
    cmd->add_option("--isa-offset", a.isa_offset, "temperature offset from ISA, K")
        ->check(CLI::Range(-100.0, 100.0))
        ->capture_default_str();
}

void set_day(Host& host, const Trim_Options& a) { host.env.temperature_offset = a.isa_offset; }

bool load_host(const Global_Options& g, const Trim_Options& a, Model_Api& api, Host& host) {
    if (!load(g, api)) return false;
    host_init(host, api);
    set_day(host, a);
    return true;
}

Trim_Request trim_request(const Trim_Options& a) {
    Trim_Request q;
    q.kcas = a.speed;
    q.tas = a.tas;
    q.altitude = a.altitude;
    q.flaps = a.flaps;
    q.gear_down = a.gear == "down";
    q.fuel = a.fuel;
    q.empty_mass = a.mass;
    q.kind = a.kind == "climb"      ? Trim_Kind::Climb
             : a.kind == "turn"     ? Trim_Kind::Turn
             : a.kind == "pull-up"  ? Trim_Kind::Pull_Up
             : a.kind == "sideslip" ? Trim_Kind::Sideslip
                                    : Trim_Kind::Level;
    q.lateral =
        a.lateral == "zero-sideslip" ? Lateral_Trim::Zero_Sideslip : Lateral_Trim::Wings_Level;
    q.gamma_deg = a.gamma;
    q.vertical_speed = a.vertical_speed;
    q.bank_deg = a.bank;
    q.load_factor = a.load_factor;
    q.beta_deg = a.beta;
    q.throttle = a.throttle;
    q.engine_off = a.engine_off;
    return q;
}

nlohmann::json trim_json(const Trim_Result& r) {
    nlohmann::json j;
    j["ok"] = r.ok;
    if (!r.ok) j["why"] = r.why;
    j["kcas"] = r.kcas;
    j["tas"] = r.tas;
    j["mach"] = r.mach;
    j["alpha_deg"] = r.alpha;
    j["beta_deg"] = r.beta;
    j["bank_deg"] = r.bank;
    j["gamma_deg"] = r.gamma;
    j["pitch_attitude_deg"] = r.pitch_attitude;
    j["turn_rate_deg_s"] = r.turn_rate;
    j["load_factor"] = r.load_factor;
    j["pitch_axis"] = r.pitch_axis;
    j["roll_axis"] = r.roll_axis;
    j["rudder_axis"] = r.rudder_axis;
    j["throttle"] = r.throttle;
    j["thrust"] = r.thrust;
    j["rpm"] = r.rpm;
    j["residuals"] = std::vector<double>(r.residuals, r.residuals + 6);
    j["at_stop"] = {{"pitch", r.at_stop[0]},
                    {"roll", r.at_stop[1]},
                    {"rudder", r.at_stop[2]},
                    {"throttle", r.at_stop[3]}};
    j["condition"] = std::isfinite(r.condition) ? nlohmann::json(r.condition) : nlohmann::json();
    j["iterations"] = r.iterations;
    if (std::isfinite(r.gap_low)) j["gap_kcas"] = {r.gap_low, r.gap_high};
    return j;
}

void add_sweep_options(CLI::App* cmd, Sweep_Options& a) {
    add_trim_options(cmd, a.trim);
    auto* kcas =
        cmd->add_option("--sweep", a.sweep, "FROM TO STEP: a speed sweep, kcas")->expected(3);
    auto* alpha =
        cmd->add_option("--sweep-alpha", a.sweep_alpha,
                        "FROM TO STEP: an angle-of-attack sweep, deg, at the one speed (each "
                        "point a pull-up whose load factor gives that alpha)")
            ->expected(3);
    auto* mach = cmd->add_option("--sweep-mach", a.sweep_mach,
                                 "FROM TO STEP: a Mach sweep at the one altitude, at --alpha "
                                 "(each point a pull-up whose load factor gives it)")
                     ->expected(3);
    kcas->excludes(alpha)->excludes(mach);
    alpha->excludes(mach);
    cmd->add_option("--alpha", a.alpha,
                    "trim to this angle of attack, deg: a pull-up (or push-over) whose load "
                    "factor is solved")
        ->check(CLI::Range(-10.0, 30.0));
    cmd->add_flag("--bare", a.bare, "the bare airframe: the augmentation's rudder motion held");
    cmd->add_flag("--json", a.json, "one JSON object on stdout");
}

bool any_sweep(const Sweep_Options& a) {
    return !a.sweep.empty() || !a.sweep_alpha.empty() || !a.sweep_mach.empty();
}

bool at_alpha(const Sweep_Options& a) { return std::isfinite(a.alpha) || !a.sweep_alpha.empty(); }

namespace {

// FROM, FROM + STEP, ... up to TO.
std::vector<double> steps(const std::vector<double>& s) {
    std::vector<double> out;
    for (int i = 0; s[0] + i * s[2] <= s[1] + 1e-9; ++i) out.push_back(s[0] + i * s[2]);
    return out;
}

// Why the options do not make a run; empty when they do.
std::string usage_problem(const Sweep_Options& a) {
    for (const std::vector<double>* s : {&a.sweep, &a.sweep_alpha, &a.sweep_mach}) {
        if (!s->empty() && !((*s)[2] > 0.0 && (*s)[1] >= (*s)[0]))
            return "a sweep needs FROM <= TO and STEP > 0";
    }
    if (!a.sweep.empty() && !(a.sweep[0] > 0.0)) return "--sweep needs speeds above 0";
    if (!a.sweep_mach.empty() && !(a.sweep_mach[0] > 0.0)) return "--sweep-mach needs Mach above 0";
    if (!a.sweep_mach.empty() && !std::isfinite(a.alpha)) return "--sweep-mach needs --alpha";
    if (!a.sweep_alpha.empty() && std::isfinite(a.alpha))
        return "--sweep-alpha and --alpha exclude each other";
    if (a.sweep.empty() && a.sweep_mach.empty() && !(a.trim.speed > 0.0) && !(a.trim.tas > 0.0))
        return "--speed, --tas, --sweep or --sweep-mach is required";
    if (at_alpha(a) || !a.sweep_mach.empty()) {
        if (a.trim.kind != "level" && a.trim.kind != "pull-up")
            return "points trimmed to an angle of attack are pull-ups: --kind must be level or "
                   "pull-up";
        if (a.trim.load_factor > 0.0 || a.trim.throttle >= 0.0)
            return "points trimmed to an angle of attack solve the load factor and throttle: "
                   "drop --load-factor and --throttle";
    }
    return "";
}

}  // namespace

int for_each_trim(const Global_Options& g, const Sweep_Options& a,
                  const std::function<void(Host&, const Trim_Result&)>& at, Trim_Result& failed,
                  std::vector<nlohmann::json>* not_trimmed) {
    if (const std::string why = usage_problem(a); !why.empty()) {
        std::fprintf(stderr, "quillon-rig: %s\n", why.c_str());
        return EXIT_USAGE;
    }
    Model_Api api;
    Host host;
    if (!load_host(g, a.trim, api, host)) return EXIT_USAGE;
    Trim_Request q = trim_request(a.trim);
    // Each point: a speed (kcas, or true m/s when tas) and an angle of
    // attack (NAN: the kind's own trim).
    struct Point {
        double kcas, tas, alpha;
    };
    std::vector<Point> points;
    if (!a.sweep.empty()) {
        for (double k : steps(a.sweep)) points.push_back({k, 0.0, a.alpha});
    } else if (!a.sweep_alpha.empty()) {
        for (double al : steps(a.sweep_alpha)) points.push_back({q.kcas, q.tas, al});
    } else if (!a.sweep_mach.empty()) {
        for (double m : steps(a.sweep_mach))
            points.push_back({0.0, tas_from_mach(host, m, q.altitude), a.alpha});
    } else {
        points.push_back({q.kcas, q.tas, a.alpha});
    }
    Trim_Result last;
    int status = EXIT_OK;
    for (const Point& p : points) {
        q.kcas = p.kcas;
        q.tas = p.tas;
        q.warm_start = last.ok ? &last : nullptr;
        Trim_Result t = std::isfinite(p.alpha) ? trim_at_alpha(host, q, p.alpha) : trim(host, q);
        if (!t.ok) {
            std::fprintf(stderr, "not trimmed (%.1f kcas, Mach %.3f): %s\n", t.kcas, t.mach,
                         t.why.c_str());
            if (not_trimmed) {
                not_trimmed->push_back(
                    {{"kcas", t.kcas},
                     {"mach", t.mach},
                     {"alpha_deg", std::isfinite(p.alpha) ? nlohmann::json(p.alpha) : nullptr},
                     {"why", t.why}});
            }
            failed = t;
            status = EXIT_EXPECTATIONS;
            continue;
        }
        last = t;
        at(host, t);
    }
    return status;
}

void print_outcome(const Sweep_Options& a, int status, const Trim_Result& failed,
                   const std::vector<nlohmann::json>& points,
                   const std::vector<nlohmann::json>& not_trimmed) {
    if (status == EXIT_USAGE) return;  // already said why
    const bool one = !any_sweep(a);
    if (one && status != EXIT_OK) {
        if (a.json) {
            std::printf("%s\n", nlohmann::json{{"trim", trim_json(failed)}}.dump(2).c_str());
        } else {
            print_trim(stdout, trim_request(a.trim), failed);
        }
    } else if (a.json) {
        nlohmann::json out =
            one && points.size() == 1 ? points[0] : nlohmann::json{{"points", points}};
        if (!one && !not_trimmed.empty()) out["not_trimmed"] = not_trimmed;
        std::printf("%s\n", out.dump(2).c_str());
    }
}

}  // namespace rig::cli
