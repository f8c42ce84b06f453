// The rig's command line: one subcommand per file, each added to the one
// CLI11 application that main() builds. A command's callback runs during the
// parse and leaves its exit status in the shared integer.
#pragma once

#include <CLI/CLI.hpp>
#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "analysis/trim.h"
#include "host/model_api.h"

namespace rig::cli {

enum Exit_Code {
    EXIT_OK = 0,
    EXIT_EXPECTATIONS = 1,  // ran, but did not show what it should (or no trim)
    EXIT_CRASH = 2,         // crash or a non-finite value
    EXIT_USAGE = 3,         // bad arguments, unreadable input, model not loadable
    EXIT_FP_TRAP = 4,       // a floating-point trap fired
};

// Options every command understands, before or after the command's name.
struct Global_Options {
    std::string model;      // the flight model; empty: the one built beside the rig
    std::string standin;    // the stand-in cockpit library; empty: the one built beside the rig
    std::string scenarios;  // where shipped scenarios are looked up
};

// The path made absolute when the file exists (dlopen looks a name without
// a slash up in the library path, not here), else as given.
std::string absolute(const std::string& path);

// Loads the stand-in and the model; prints why not and returns false on failure.
bool load(const Global_Options& g, Model_Api& api);

// --flaps (lever 0..1) and --gear (up or down).
void add_configuration_options(CLI::App* cmd, double& flaps, std::string& gear);
// --flaps, --gear, --fuel (internal, kg) and --mass (empty, kg).
void add_loading_options(CLI::App* cmd, double& flaps, std::string& gear, double& fuel,
                         double& empty_mass);

// The flight condition options every trimming command shares.
struct Trim_Options {
    double speed = 0.0;  // kcas
    double tas = 0.0;    // m/s
    double altitude = -1.0;
    double flaps = 0.0;
    double fuel = 2000.0;
    double mass = 7000.0;
    std::string gear = "up";
    std::string kind = "level";
    std::string lateral = "wings-level";
    double gamma = 0.0;
    double vertical_speed = NAN;
    double bank = 0.0;
    double load_factor = 0.0;
    double beta = 0.0;
    double throttle = -1.0;
    double isa_offset = 0.0;  // K
    bool engine_off = false;
};
void add_trim_options(CLI::App* cmd, Trim_Options& a);
// The day of the options (the temperature offset) into the host's environment.
void set_day(Host& host, const Trim_Options& a);
// Loads the model into `api` and starts `host` on it, on the day of the
// options; prints why not and returns false on failure.
bool load_host(const Global_Options& g, const Trim_Options& a, Model_Api& api, Host& host);
Trim_Request trim_request(const Trim_Options& a);
nlohmann::json trim_json(const Trim_Result& r);

// The arguments shared by the commands that analyse trims.
struct Sweep_Options {
    Trim_Options trim;
    std::vector<double> sweep;        // FROM TO STEP, kcas; empty: one point
    std::vector<double> sweep_alpha;  // FROM TO STEP, deg, at the one speed
    std::vector<double> sweep_mach;   // FROM TO STEP, at the one altitude, at `alpha`
    double alpha = NAN;               // deg: trim each point to it (a pull-up)
    bool bare = false;
    bool json = false;
};
void add_sweep_options(CLI::App* cmd, Sweep_Options& a);
bool any_sweep(const Sweep_Options& a);
// True when the points are trimmed to an angle of attack (--alpha or an
// alpha sweep): pull-ups whose load factor is solved.
bool at_alpha(const Sweep_Options& a);
// Loads the model and trims at each speed, angle of attack or Mach number
// (warm-started from the last point that trimmed), handing each trimmed
// point, the host holding it, to `at`. Points that do not trim are reported
// on stderr (and, given `not_trimmed`, as {"kcas", "mach", "alpha_deg" (the
// target, or null), "why"}); the last one is left in `failed`. Returns an
// exit code: EXIT_OK when every point trimmed.
int for_each_trim(const Global_Options& g, const Sweep_Options& a,
                  const std::function<void(Host&, const Trim_Result&)>& at, Trim_Result& failed,
                  std::vector<nlohmann::json>* not_trimmed = nullptr);
// What a command that ran for_each_trim prints at the end: where the one
// point that did not trim ended (text or JSON), or with --json the one
// point's object, or {"points": [...]} for a sweep (with "not_trimmed" when
// some points did not trim and were collected). Nothing after a usage
// error: for_each_trim has said why.
void print_outcome(const Sweep_Options& a, int status, const Trim_Result& failed,
                   const std::vector<nlohmann::json>& points,
                   const std::vector<nlohmann::json>& not_trimmed = {});

void add_list_command(CLI::App& app, const Global_Options& g, int& status);
void add_fly_command(CLI::App& app, const Global_Options& g, int& status);
void add_manoeuvre_command(CLI::App& app, const Global_Options& g, int& status);
void add_trim_command(CLI::App& app, const Global_Options& g, int& status);
void add_verify_command(CLI::App& app, const Global_Options& g, int& status);
// envelope, range, field (and the other performance sweeps).
void add_perf_commands(CLI::App& app, const Global_Options& g, int& status);
// report, compare.
void add_report_commands(CLI::App& app, const Global_Options& g, int& status);
void add_derivatives_command(CLI::App& app, const Global_Options& g, int& status);
void add_modes_command(CLI::App& app, const Global_Options& g, int& status);

}  // namespace rig::cli
