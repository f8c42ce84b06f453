// quillon-rig envelope | range | field: performance sweeps over worker
// processes, printed as tables or one JSON object, with SVG charts.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/perf_options.h"
#include "report/measure.h"
#include "report/perf_charts.h"

namespace rig::cli {
namespace {

using nlohmann::json;

// The charts a command writes with --plot: file name and chart.
using Charts = std::vector<std::pair<std::string, Chart>>;

int finish(const Perf_Options& a, const json& out, const Charts& charts,
           void (*print)(const json&)) {
    if (!a.plot.empty()) {
        if (mkdir(a.plot.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "quillon-rig: cannot create %s\n", a.plot.c_str());
            return EXIT_USAGE;
        }
        for (const auto& [file, chart] : charts) {
            if (!write_chart_file(a.plot + "/" + file, chart)) {
                std::fprintf(stderr, "quillon-rig: cannot write %s/%s\n", a.plot.c_str(),
                             file.c_str());
                return EXIT_USAGE;
            }
        }
    }
    if (a.json_out) {
        std::printf("%s\n", out.dump(1).c_str());
    } else if (out["ok"]) {
        print(out);
    }
    if (!out["ok"]) {
        std::fprintf(stderr, "quillon-rig: %s\n", out["error"].get<std::string>().c_str());
        return EXIT_CRASH;
    }
    return EXIT_OK;
}

void print_envelope(const json& e) {
    std::printf("%10s  %s\n", "altitude m", "level-flight speeds, kcas (limit below-above)");
    for (const json& a : e["altitudes"]) {
        std::printf("%10.0f ", a["altitude_m"].get<double>());
        for (const json& i : a["intervals"]) {
            std::printf("  %5.0f-%-5.0f (%s-%s)", i["min_kcas"].get<double>(),
                        i["max_kcas"].get<double>(), i["low"].get<std::string>().c_str(),
                        i["high"].get<std::string>().c_str());
        }
        std::printf("\n");
    }
    if (e.contains("absolute_ceiling_m") && e["absolute_ceiling_m"].is_number()) {
        std::printf("absolute ceiling %.0f m\n", e["absolute_ceiling_m"].get<double>());
    }
}

void print_fuel(const json& f) {
    std::printf("at %.0f m\n%8s %9s %12s %14s %16s\n", f["altitude_m"].get<double>(), "kcas",
                "TAS m/s", "fuel kg/h", "range m/kg", "endurance s/kg");
    for (const json& p : f["points"]) {
        std::printf("%8.0f %9.1f %12.1f %14.1f %16.2f\n", p["kcas"].get<double>(),
                    p["tas"].get<double>(), p["fuel_flow"].get<double>() * 3600.0,
                    p["specific_range"].get<double>(), p["specific_endurance"].get<double>());
    }
    if (f["best_range_kcas"].is_number()) {
        std::printf("best range %.0f kcas (%.1f m/kg), best endurance %.0f kcas (%.2f s/kg)\n",
                    f["best_range_kcas"].get<double>(), f["best_specific_range"].get<double>(),
                    f["best_endurance_kcas"].get<double>(),
                    f["best_specific_endurance"].get<double>());
    }
}

void print_field(const json& f) {
    std::printf("take-off (brake release to 15 m)\n%8s %8s %8s %8s %10s %10s\n", "mass kg",
                "VR kcas", "VLOF", "V15", "roll m", "to 15 m");
    for (const json& t : f["takeoff"]) {
        if (!t["ok"]) {
            std::printf("%8.0f  %s\n", t["mass"].get<double>(),
                        t["why"].get<std::string>().c_str());
            continue;
        }
        std::printf("%8.0f %8.1f %8.1f %8.1f %10.0f %10.0f\n", t["mass"].get<double>(),
                    t["rotate_kcas"].get<double>(), t["liftoff_kcas"].get<double>(),
                    t["screen_kcas"].get<double>(), t["ground_roll_m"].get<double>(),
                    t["distance_m"].get<double>());
    }
    std::printf("landing (15 m to a stop)\n%8s %8s %8s %8s %10s %10s\n", "mass kg", "Vapp", "VTD",
                "sink", "roll m", "from 15 m");
    for (const json& l : f["landing"]) {
        if (!l["ok"]) {
            std::printf("%8.0f  %s\n", l["mass"].get<double>(),
                        l["why"].get<std::string>().c_str());
            continue;
        }
        std::printf("%8.0f %8.1f %8.1f %8.2f %10.0f %10.0f\n", l["mass"].get<double>(),
                    l["approach_kcas"].get<double>(), l["touchdown_kcas"].get<double>(),
                    l["touchdown_sink"].get<double>(), l["ground_roll_m"].get<double>(),
                    l["distance_m"].get<double>());
    }
}

void print_climb(const json& c) {
    std::printf(
        "engine stopped (windmilling): best glide speed, glide ratio, sink; at that speed "
        "with the engine at idle: glide ratio, sink\n");
    std::printf("%10s %10s %9s %10s %9s %10s %8s %8s %8s %8s\n", "altitude m", "best kcas",
                "rate m/s", "time s", "fuel kg", "glide kcas", "L/D", "sink m/s", "L/D idle",
                "sink m/s");
    for (const json& a : c["altitudes"]) {
        auto cell = [](const json& v, int d) {
            char text[32];
            std::snprintf(text, sizeof text, "%.*f", d, v.is_number() ? v.get<double>() : NAN);
            return std::string(v.is_number() ? text : "-");
        };
        std::printf("%10.0f %10s %9s %10s %9s %10s %8s %8s %8s %8s\n",
                    a["altitude_m"].get<double>(), cell(a["best_kcas"], 0).c_str(),
                    cell(a["rate"], 2).c_str(), cell(a["time_to_climb_s"], 0).c_str(),
                    cell(a["fuel_to_climb_kg"], 1).c_str(), cell(a["glide_kcas"], 0).c_str(),
                    cell(a["glide_ratio"], 2).c_str(), cell(a["glide_sink"], 2).c_str(),
                    cell(a["idle_ratio"], 2).c_str(), cell(a["idle_sink"], 2).c_str());
    }
    if (c["service_ceiling_m"].is_number()) {
        std::printf("service ceiling (0.5 m/s) %.0f m\n", c["service_ceiling_m"].get<double>());
    }
}

void print_ps(const json& p) {
    std::printf("Ps at full throttle, m/s\n%8s", "alt m");
    for (const json& m : p["mach"]) std::printf(" %6.2f", m.get<double>());
    std::printf("\n");
    for (std::size_t j = 0; j < p["ps"].size(); ++j) {
        std::printf("%8.0f", p["altitude_m"][j].get<double>());
        for (const json& v : p["ps"][j]) {
            if (v.is_number()) {
                std::printf(" %6.1f", v.get<double>());
            } else {
                std::printf(" %6s", "-");
            }
        }
        std::printf("\n");
    }
}

void print_turn(const json& t) {
    std::printf(
        "at %.0f m, load-factor limit %.1f g, angle-of-attack limit %.0f deg\n"
        "%8s %12s %12s %10s %12s %10s\n",
        t["altitude_m"].get<double>(), t["load_limit"].get<double>(), t["max_alpha"].get<double>(),
        "kcas", "sustained g", "deg/s", "alpha-lim g", "inst. deg/s", "radius m");
    for (const json& p : t["points"]) {
        std::printf(
            "%8.0f %12s %12s %10.2f %12.2f %10.0f\n", p["kcas"].get<double>(),
            p["sustained_ok"] ? std::to_string(p["sustained_n"].get<double>()).substr(0, 5).c_str()
                              : "-",
            p["sustained_ok"]
                ? std::to_string(p["sustained_rate"].get<double>()).substr(0, 5).c_str()
                : "-",
            p["alpha_n"].get<double>(), p["instantaneous_rate"].get<double>(),
            p["instantaneous_radius"].is_number() ? p["instantaneous_radius"].get<double>() : NAN);
    }
    if (t["corner_kcas"].is_number())
        std::printf("corner speed %.0f kcas\n", t["corner_kcas"].get<double>());
    if (t["max_sustained_rate"].is_number()) {
        std::printf("best sustained turn %.2f deg/s at %.0f kcas\n",
                    t["max_sustained_rate"].get<double>(),
                    t["max_sustained_rate_kcas"].get<double>());
    }
}

}  // namespace

void add_condition_options(CLI::App* cmd, Perf_Options& a) {
    Perf_Condition& c = a.settings.condition;
    cmd->add_option("--mass", c.mass, "aircraft mass with the fuel, kg")->capture_default_str();
    cmd->add_option("--fuel", c.fuel, "internal fuel, kg")->capture_default_str();
    add_configuration_options(cmd, c.flaps, a.gear);
    cmd->add_option("--isa-offset", c.temperature_offset, "temperature offset from ISA, K")
        ->capture_default_str();
    cmd->add_option("--jobs", a.settings.pool.jobs, "worker processes")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    cmd->add_flag("--json", a.json_out, "one JSON object on stdout");
    cmd->add_option("--plot", a.plot, "SVG charts into DIR");
}

bool prepare(const Global_Options& g, Perf_Options& a, Library_Paths& paths) {
    paths = default_library_paths();
    if (!g.model.empty()) paths.model = absolute(g.model);
    if (!g.standin.empty()) paths.standin = absolute(g.standin);
    a.settings.condition.gear_down = a.gear == "down";
    a.settings.pool.progress = isatty(STDERR_FILENO) != 0;
    if (!(a.settings.condition.fuel >= 0.0 &&
          a.settings.condition.fuel < a.settings.condition.mass)) {
        std::fprintf(stderr, "quillon-rig: the fuel must be less than the mass\n");
        return false;
    }
    if (access(paths.model.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "quillon-rig: cannot read the model %s\n", paths.model.c_str());
        return false;
    }
    return true;
}

namespace {

// What a performance command measures: the result, and with --plot the
// charts to write into the folder.
using Measure = std::function<json(const Library_Paths&, const Perf_Options&, Charts&)>;

// Adds one performance command with the condition options; the caller adds
// its own options to the command returned.
CLI::App* add_perf_command(CLI::App& app, const Global_Options& g, int& status,
                           const std::shared_ptr<Perf_Options>& a, const char* name,
                           const char* help, void (*print)(const json&), Measure measure) {
    CLI::App* cmd = app.add_subcommand(name, help);
    add_condition_options(cmd, *a);
    cmd->callback([&g, &status, a, print, measure] {
        Library_Paths paths;
        if (!prepare(g, *a, paths)) {
            status = EXIT_USAGE;
            return;
        }
        Charts charts;
        const json out = measure(paths, *a, charts);
        status = finish(*a, out, charts, print);
    });
    return cmd;
}

}  // namespace

void add_perf_commands(CLI::App& app, const Global_Options& g, int& status) {
    auto envelope = std::make_shared<Perf_Options>();
    CLI::App* cmd = add_perf_command(
        app, g, status, envelope, "envelope",
        "Level-flight envelope: every speed interval where level trim exists, per altitude, "
        "and the absolute ceiling.",
        print_envelope, [](const Library_Paths& paths, const Perf_Options& a, Charts& charts) {
            const json out = measure_envelope(paths, a.settings, a.altitude);
            if (!a.plot.empty()) charts.push_back({"envelope.svg", envelope_chart(out, json())});
            return out;
        });
    cmd->add_option("--altitude", envelope->altitude, "only this altitude, m");
    cmd->add_option("--resolution", envelope->settings.sweep.resolution, "edge resolution, kt")
        ->capture_default_str();

    auto range = std::make_shared<Perf_Options>();
    range->altitude = range->settings.fuel_altitude;
    cmd = add_perf_command(
        app, g, status, range, "range",
        "Fuel flow, specific range and specific endurance against speed at one altitude; the "
        "speeds for best range and best endurance.",
        print_fuel, [](const Library_Paths& paths, const Perf_Options& a, Charts& charts) {
            const json out = measure_fuel(paths, a.settings, a.altitude);
            if (a.plot.empty()) return out;
            if (out["ok"]) charts.push_back({"fuel_flow.svg", fuel_chart(out, json(), true)});
            charts.push_back({"range.svg", fuel_chart(out, json(), false)});
            return out;
        });
    cmd->add_option("--altitude", range->altitude, "m")->capture_default_str();

    add_perf_command(
        app, g, status, std::make_shared<Perf_Options>(), "climb",
        "Best rate of climb at full throttle and its speed against altitude, time and fuel "
        "to climb, the service ceiling (0.5 m/s); best glide speed, glide ratio and sink with "
        "the engine shut down and windmilling, and the descent at idle at that speed.",
        print_climb, [](const Library_Paths& paths, const Perf_Options& a, Charts& charts) {
            json envelope = measure_envelope(paths, a.settings, NAN);
            const json out = envelope["ok"] ? measure_climb(paths, a.settings, envelope) : envelope;
            if (a.plot.empty()) return out;
            if (out["ok"]) charts.push_back({"climb_speeds.svg", climb_speed_chart(out, json())});
            charts.push_back({"climb.svg", climb_chart(out, json())});
            return out;
        });

    add_perf_command(
        app, g, status, std::make_shared<Perf_Options>(), "ps",
        "Specific excess power Ps = V (T - D) / W at full throttle over Mach and altitude; "
        "the chart draws its contours with the level-flight envelope.",
        print_ps, [](const Library_Paths& paths, const Perf_Options& a, Charts& charts) {
            const json out = measure_ps(paths, a.settings);
            if (a.plot.empty()) return out;
            const json envelope = measure_envelope(paths, a.settings, NAN);
            charts.push_back({"ps.svg", ps_chart(out, envelope, json())});
            return out;
        });

    auto turn = std::make_shared<Perf_Options>();
    turn->altitude = turn->settings.turn_altitude;
    cmd = add_perf_command(
        app, g, status, turn, "turn",
        "Turn performance at one altitude (the doghouse): sustained turn rate (Ps = 0), "
        "instantaneous turn rate at the largest usable angle of attack, turn radius, the "
        "load-factor limit and the corner speed.",
        print_turn, [](const Library_Paths& paths, const Perf_Options& a, Charts& charts) {
            const json out = measure_turn(paths, a.settings, a.altitude);
            if (a.plot.empty()) return out;
            if (out["ok"]) charts.push_back({"radius.svg", radius_chart(out, json())});
            charts.push_back({"turn.svg", turn_chart(out, json())});
            return out;
        });
    cmd->add_option("--altitude", turn->altitude, "m")->capture_default_str();
    cmd->add_option("--load-limit", turn->settings.load_limit, "g")->capture_default_str();
    cmd->add_option("--max-alpha", turn->settings.max_alpha, "largest usable angle of attack, deg")
        ->capture_default_str();

    auto field = std::make_shared<Perf_Options>();
    cmd = add_perf_command(
        app, g, status, field, "field",
        "Take-off roll and distance to 15 m, landing roll and distance from 15 m, against "
        "mass, flown with the standard technique (docs/performance-charts.md).",
        print_field, [](const Library_Paths& paths, const Perf_Options& a, Charts& charts) {
            const json out = measure_field(paths, a.settings);
            if (!a.plot.empty()) charts.push_back({"field.svg", field_chart(out, json())});
            return out;
        });
    cmd->add_option("--masses", field->settings.field_masses, "kg")->capture_default_str();
    cmd->add_option("--rotate-factor", field->settings.technique.rotate_factor,
                    "rotation speed / lift-off speed")
        ->capture_default_str();
    cmd->add_option("--pitch-target", field->settings.technique.pitch_target, "deg")
        ->capture_default_str();
}

}  // namespace rig::cli
