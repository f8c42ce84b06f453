// quillon-rig report | compare: the flight-test report of a build, and what
// moved against a baseline build.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#include "cli/cli.h"
#include "cli/perf_options.h"
#include "report/compare.h"
#include "report/report_page.h"

namespace rig::cli {
namespace {

using nlohmann::json;

struct Report_Options {
    Perf_Options perf;
    std::string out;
    std::string baseline;
    std::vector<std::string> only;
    bool every_figure = false;
};

json settings_record(const Perf_Settings& s) {
    const Perf_Condition& c = s.condition;
    return {{"mass_kg", c.mass},
            {"fuel_kg", c.fuel},
            {"flaps", c.flaps},
            {"gear_down", c.gear_down},
            {"isa_offset_K", c.temperature_offset},
            {"sweep_kcas", {s.sweep.min_kcas, s.sweep.max_kcas, s.sweep.step}},
            {"edge_resolution_kt", s.sweep.resolution},
            {"altitude_step_m", s.altitude_step},
            {"fuel_altitude_m", s.fuel_altitude},
            {"turn_altitude_m", s.turn_altitude},
            {"handling_altitude_m", s.handling_altitude},
            {"handling_kcas", s.handling_speeds},
            {"derivative_kcas", s.derivative_speed},
            {"field_masses_kg", s.field_masses}};
}

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char ch : s) out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return out + "'";
}

// One JSON object from another command of this executable, run as a
// subprocess on the given model; null when the command is not there (its
// usage error) or gives no JSON.
json rig_json(const Global_Options& g, const Library_Paths& paths, const std::string& args) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return json();
    self[n] = '\0';
    std::string command = quoted(self) + " --model " + quoted(paths.model) + " --standin " +
                          quoted(paths.standin) + " --scenarios " + quoted(g.scenarios) + " " +
                          args + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return json();
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return json();
    const json j = json::parse(text, nullptr, false);
    return j.is_discarded() ? json() : j;
}

// The modes over a speed sweep and the derivatives at one point, from the
// modes and derivatives commands, measured like the rest.
void add_handling(const Global_Options& g, const Library_Paths& paths, const Perf_Settings& s,
                  json& m) {
    char args[256];
    const Perf_Condition& c = s.condition;
    std::snprintf(args, sizeof args,
                  "--altitude %.17g --mass %.17g --fuel %.17g --flaps %.17g --gear %s "
                  "--isa-offset %.17g --json",
                  s.handling_altitude, c.mass - c.fuel, c.fuel, c.flaps,
                  c.gear_down ? "down" : "up", c.temperature_offset);
    char sweep[128];
    std::snprintf(sweep, sizeof sweep, " --sweep %.17g %.17g %.17g", s.handling_speeds[0],
                  s.handling_speeds[1], s.handling_speeds[2]);
    m["modes"] = rig_json(g, paths, std::string("modes ") + args + sweep);
    std::snprintf(sweep, sizeof sweep, " --speed %.17g", s.derivative_speed);
    m["derivatives"] = rig_json(g, paths, std::string("derivatives ") + args + sweep);
}

bool measure_both(const Global_Options& g, Report_Options& a, json& now, json& base,
                  Library_Paths& paths, double& seconds) {
    if (!prepare(g, a.perf, paths)) return false;
    for (const std::string& group : a.only) {
        const auto& all = measurement_groups();
        if (group != "modes" && std::find(all.begin(), all.end(), group) == all.end()) {
            std::fprintf(stderr, "quillon-rig: no measurement group %s\n", group.c_str());
            return false;
        }
    }
    if (!a.baseline.empty() && access(a.baseline.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "quillon-rig: cannot read the baseline %s\n", a.baseline.c_str());
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool handling =
        a.only.empty() || std::find(a.only.begin(), a.only.end(), "modes") != a.only.end();
    now = measure_all(paths, a.perf.settings, g.scenarios, a.only);
    if (handling) add_handling(g, paths, a.perf.settings, now);
    if (!a.baseline.empty()) {
        Library_Paths other = paths;
        other.model = absolute(a.baseline);
        base = measure_all(other, a.perf.settings, g.scenarios, a.only);
        if (handling) add_handling(g, other, a.perf.settings, base);
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

int report(const Global_Options& g, Report_Options& a) {
    json now, base;
    Library_Paths paths;
    Report_Input in;
    if (!measure_both(g, a, now, base, paths, in.seconds)) return EXIT_USAGE;
    in.measurements = now;
    in.baseline = base;
    if (!base.is_null()) {
        in.comparison = compare_figures(base, now);
        in.baseline_model = build_identity(absolute(a.baseline));
    }
    in.verification = rig_json(g, paths, "verify --json");
    in.settings = settings_record(a.perf.settings);
    // The document in the source tree, or the installed one, when it is there.
    in.verification_doc = absolute(build_or_installed_path(
        QFM_RIG_DATA_DIR "/../../docs/verification.md", "share/doc/QuillonFM/verification.md"));
    if (access(in.verification_doc.c_str(), R_OK) != 0) in.verification_doc.clear();
    in.model = build_identity(paths.model);
    char date[40];
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &tm);
    in.date = date;
    std::string error;
    if (!write_report(a.out, in, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    std::printf("report: %s/index.html (%.0f s)\n", a.out.c_str(), in.seconds);
    if (!now["ok"]) {
        std::fprintf(stderr, "quillon-rig: %s\n", now["error"].get<std::string>().c_str());
        return EXIT_CRASH;
    }
    return EXIT_OK;
}

int compare(const Global_Options& g, Report_Options& a) {
    json now, base;
    Library_Paths paths;
    double seconds = 0.0;
    if (!measure_both(g, a, now, base, paths, seconds)) return EXIT_USAGE;
    for (const json* m : {&now, &base}) {
        if (!(*m)["ok"]) {
            std::fprintf(stderr, "quillon-rig: %s\n", (*m)["error"].get<std::string>().c_str());
            return EXIT_CRASH;
        }
    }
    const json c = compare_figures(base, now);
    if (a.perf.json_out) {
        std::printf("%s\n", c.dump(1).c_str());
    } else {
        print_comparison(stdout, c, a.every_figure);
    }
    return c["moved"].get<int>() > 0 ? EXIT_EXPECTATIONS : EXIT_OK;
}

void add_only_option(CLI::App* cmd, Report_Options& a) {
    std::string groups;
    for (const std::string& s : measurement_groups()) groups += s + ",";
    groups += "modes";
    cmd->add_option("--only", a.only, "measure only these groups (" + groups + ")")->delimiter(',');
}

}  // namespace

void add_report_commands(CLI::App& app, const Global_Options& g, int& status) {
    {
        auto a = std::make_shared<Report_Options>();
        CLI::App* cmd = app.add_subcommand(
            "report",
            "The flight-test report: DIR/index.html, one self-contained page with the trim "
            "table, envelope, fuel, field performance, the scenarios and, with --baseline, what "
            "moved against another build.");
        add_condition_options(cmd, a->perf);
        cmd->add_option("--out", a->out, "the report's folder")->required();
        cmd->add_option("--baseline", a->baseline, "another build of the model to compare with");
        add_only_option(cmd, *a);
        cmd->callback([&g, &status, a] { status = report(g, *a); });
    }
    {
        auto a = std::make_shared<Report_Options>();
        CLI::App* cmd = app.add_subcommand(
            "compare",
            "Measure this build and a baseline build with the same settings and list every "
            "figure that moved beyond its tolerance. Exit status 1 when one did.");
        add_condition_options(cmd, a->perf);
        cmd->add_option("--baseline", a->baseline, "the other build of the model")->required();
        cmd->add_flag("--all", a->every_figure, "list every figure, not only the moved ones");
        add_only_option(cmd, *a);
        cmd->callback([&g, &status, a] { status = compare(g, *a); });
    }
}

}  // namespace rig::cli
