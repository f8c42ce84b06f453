// quillon-rig: the flight-test rig. Loads the built flight model through its
// C exports exactly as a host does, flies scenarios, trims and reports.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model_api.h"
#include "runner.h"
#include "scenario.h"
#include "trim.h"

namespace {

constexpr const char* kDefaultScenario = "a_cold_start_climb";

enum Exit_Code {
    EXIT_OK = 0,
    EXIT_EXPECTATIONS = 1,  // the flight ran but did not show what it should (or no trim)
    EXIT_CRASH = 2,         // crash or a non-finite value
    EXIT_USAGE = 3,         // bad arguments, unreadable scenario, model not loadable
    EXIT_FP_TRAP = 4,       // a floating-point trap fired
};

const char kHelp[] =
    "quillon-rig: flight-test rig for the QuillonFM flight model.\n"
    "\n"
    "Loads the stand-in cockpit library, then libQuillonFM.so, with dlopen, and\n"
    "drives the model through its ed_fm_ exports as a host simulator does: a\n"
    "6-DOF rigid body, ISA atmosphere, runway and struts of its own.\n"
    "\n"
    "usage: quillon-rig [options] COMMAND [arguments]\n"
    "\n"
    "commands:\n"
    "  fly [SCENARIO] [--csv FILE] [--csv-every N] [--plot DIR] [--quiet]\n"
    "        Fly a scenario (a file, or the name of a shipped one; default\n"
    "        a_cold_start_climb). Prints the events and a summary table.\n"
    "        --csv FILE     one row per frame (every N-th with --csv-every N)\n"
    "        --plot DIR     SVG charts and an index.html into DIR\n"
    "        --quiet        no event log and no progress line\n"
    "        Exit status: 0 flown and every expectation met; 1 an expectation\n"
    "        failed; 2 crash or non-finite value; 3 usage or load error;\n"
    "        4 floating-point trap.\n"
    "  trim --speed KCAS --altitude M [--flaps F] [--gear up|down]\n"
    "       [--fuel KG] [--mass KG]\n"
    "        Steady level flight: angle of attack, pitch axis, throttle, thrust,\n"
    "        fuel flow and rpm. Exit status 1 when no trim exists.\n"
    "  list\n"
    "        The shipped scenarios.\n"
    "  help\n"
    "        This text.\n"
    "\n"
    "options (before or after the command):\n"
    "  --model PATH       the flight model (default: the one built beside the rig)\n"
    "  --standin PATH     the stand-in cockpit library (default: built beside the rig)\n"
    "  --scenarios DIR    where shipped scenarios are looked up (default: rig/scenarios)\n"
    "  --help             this text\n"
    "\n"
    "Scenario format: docs/scenarios.md. The rig: docs/rig.md.\n";

// Async-signal-safe report of a floating-point trap.
void on_fp_trap(int) {
    static const char message[] =
        "\nquillon-rig: floating-point trap (invalid operation, division by zero or "
        "overflow): a NaN or infinity was born in the model or the rig; the run is void\n";
    const ssize_t written = write(STDERR_FILENO, message, sizeof(message) - 1);
    (void)written;
    _exit(EXIT_FP_TRAP);
}

struct Arguments {
    std::string command;
    std::vector<std::string> positional;
    std::string model, standin, scenarios = QFM_RIG_SCENARIO_DIR;
    std::string csv, plot;
    int csv_every = 1;
    bool quiet = false;
    bool help = false;
    double speed = -1.0, altitude = -1.0, flaps = 0.0, fuel = 2000.0, mass = 7000.0;
    bool gear_down = false;
};

bool to_number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end && end != text && *end == '\0';
}

bool parse_arguments(int argc, char** argv, Arguments& a, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto number = [&](double& out) {
            std::string text;
            if (!value(text)) return false;
            if (!to_number(text.c_str(), out)) {
                error = arg + " needs a number, got '" + text + "'";
                return false;
            }
            return true;
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--model") {
            ok = value(a.model);
        } else if (arg == "--standin") {
            ok = value(a.standin);
        } else if (arg == "--scenarios") {
            ok = value(a.scenarios);
        } else if (arg == "--csv") {
            ok = value(a.csv);
        } else if (arg == "--csv-every") {
            double n = 0.0;
            ok = number(n);
            if (ok && (n < 1.0 || n != std::floor(n))) {
                error = "--csv-every needs a whole number from 1";
                ok = false;
            }
            a.csv_every = static_cast<int>(n);
        } else if (arg == "--plot") {
            ok = value(a.plot);
        } else if (arg == "--quiet" || arg == "-q") {
            a.quiet = true;
        } else if (arg == "--speed") {
            ok = number(a.speed);
        } else if (arg == "--altitude") {
            ok = number(a.altitude);
        } else if (arg == "--flaps") {
            ok = number(a.flaps);
        } else if (arg == "--fuel") {
            ok = number(a.fuel);
        } else if (arg == "--mass") {
            ok = number(a.mass);
        } else if (arg == "--gear") {
            std::string g;
            ok = value(g);
            if (ok && g != "up" && g != "down") {
                error = "--gear is up or down";
                ok = false;
            }
            a.gear_down = g == "down";
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            ok = false;
        } else if (a.command.empty()) {
            a.command = arg;
        } else {
            a.positional.push_back(arg);
        }
        if (!ok) return false;
    }
    return true;
}

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

std::string scenario_path(const Arguments& a, const std::string& name) {
    if (access(name.c_str(), R_OK) == 0) return name;
    return a.scenarios + "/" + name + ".txt";
}

bool load(const Arguments& a, rig::Model_Api& api) {
    rig::Library_Paths paths = rig::default_library_paths();
    if (!a.model.empty()) paths.model = a.model;
    if (!a.standin.empty()) paths.standin = a.standin;
    std::string error;
    if (!rig::load_model(paths, api, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return false;
    }
    return true;
}

int list(const Arguments& a) {
    for (const std::string& name : shipped_scenarios(a.scenarios)) {
        rig::Scenario s;
        std::string error;
        const bool ok = rig::load_scenario(a.scenarios + "/" + name + ".txt", s, error);
        std::printf("  %-28s %s\n", name.c_str(), ok ? s.name.c_str() : error.c_str());
    }
    return EXIT_OK;
}

int fly(const Arguments& a) {
    const std::string name = a.positional.empty() ? kDefaultScenario : a.positional[0];
    rig::Scenario scenario;
    std::string error;
    if (!rig::load_scenario(scenario_path(a, name), scenario, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    rig::Model_Api api;
    if (!load(a, api)) return EXIT_USAGE;
    rig::Run_Options options;
    options.csv_path = a.csv;
    options.csv_every = a.csv_every;
    options.plot_dir = a.plot;
    options.progress = !a.quiet && isatty(STDERR_FILENO);
    options.log = a.quiet ? nullptr : stdout;
    std::printf("scenario: %s\n", scenario.name.empty() ? name.c_str() : scenario.name.c_str());
    if (!a.quiet && !scenario.description.empty())
        std::printf("  %s\n", scenario.description.c_str());

    const rig::Run_Result r = rig::run_scenario(scenario, api, options);
    rig::print_summary(stdout, r.summary);
    if (!r.expectations.empty()) {
        std::printf("\n  expectations\n");
        for (const rig::Expectation_Result& e : r.expectations) {
            const char* verdict = !e.evaluated ? "NOT SEEN" : (e.passed ? "ok" : "FAILED");
            if (e.evaluated) {
                std::printf("  %-8s %-48s (value %g)\n", verdict, e.expectation->text.c_str(),
                            e.worst);
            } else {
                std::printf("  %-8s %s\n", verdict, e.expectation->text.c_str());
            }
        }
    }
    if (!r.completed) {
        std::printf("\nFLIGHT FAILED: %s\n", r.failure.c_str());
        return EXIT_CRASH;
    }
    if (!r.expectations_met()) {
        std::printf("\nflight completed, expectations NOT met\n");
        return EXIT_EXPECTATIONS;
    }
    std::printf("\nflight completed%s\n", r.expectations.empty() ? "" : ", every expectation met");
    if (!a.csv.empty()) std::printf("record: %s\n", a.csv.c_str());
    if (!a.plot.empty()) std::printf("charts: %s/index.html\n", a.plot.c_str());
    return EXIT_OK;
}

int trim(const Arguments& a) {
    if (a.speed <= 0.0 || a.altitude < 0.0) {
        std::fprintf(stderr,
                     "quillon-rig: trim needs --speed KCAS (> 0) and --altitude M (>= 0)\n");
        return EXIT_USAGE;
    }
    if (a.flaps < 0.0 || a.flaps > 1.0) {
        std::fprintf(stderr, "quillon-rig: --flaps is a lever position 0..1\n");
        return EXIT_USAGE;
    }
    rig::Model_Api api;
    if (!load(a, api)) return EXIT_USAGE;
    rig::Host host;
    rig::host_init(host, api);
    rig::Trim_Request q;
    q.kcas = a.speed;
    q.altitude = a.altitude;
    q.flaps = a.flaps;
    q.gear_down = a.gear_down;
    q.fuel = a.fuel;
    q.empty_mass = a.mass;
    const rig::Trim_Result r = rig::trim_level_flight(host, q);
    rig::print_trim(stdout, q, r);
    return r.ok ? EXIT_OK : EXIT_EXPECTATIONS;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGFPE, on_fp_trap);
    Arguments a;
    std::string error;
    if (!parse_arguments(argc, argv, a, error)) {
        std::fprintf(stderr, "quillon-rig: %s (see --help)\n", error.c_str());
        return EXIT_USAGE;
    }
    if (a.help || a.command == "help" || a.command.empty()) {
        std::fputs(kHelp, stdout);
        return a.command.empty() && !a.help ? EXIT_USAGE : EXIT_OK;
    }
    if (a.command == "list") return list(a);
    if (a.command == "fly") return fly(a);
    if (a.command == "trim") return trim(a);
    std::fprintf(stderr, "quillon-rig: unknown command '%s' (see --help)\n", a.command.c_str());
    return EXIT_USAGE;
}
