// quillon-rig list | fly: the shipped scenarios, and flying one.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "flight/runner.h"
#include "flight/scenario.h"
#include "report/plots.h"

namespace rig::cli {
namespace {

constexpr const char* kDefaultScenario = "a_cold_start_climb";

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

// A file path as given, else the name of a shipped scenario.
std::string scenario_path(const Global_Options& g, const std::string& name) {
    if (access(name.c_str(), R_OK) == 0) return name;
    return g.scenarios + "/" + name + ".txt";
}

struct Fly_Options {
    std::string scenario = kDefaultScenario;
    std::string csv, plot;
    int csv_every = 1;
    bool quiet = false;
};

int fly(const Global_Options& g, const Fly_Options& a) {
    Scenario scenario;
    std::string error;
    if (!load_scenario(scenario_path(g, a.scenario), scenario, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    Model_Api api;
    if (!load(g, api)) return EXIT_USAGE;
    Run_Options options;
    options.csv_path = a.csv;
    options.csv_every = a.csv_every;
    options.plot_series = !a.plot.empty();
    options.progress = !a.quiet && isatty(STDERR_FILENO);
    options.log = a.quiet ? nullptr : stdout;
    std::printf("scenario: %s\n",
                scenario.name.empty() ? a.scenario.c_str() : scenario.name.c_str());
    if (!a.quiet && !scenario.description.empty())
        std::printf("  %s\n", scenario.description.c_str());

    Run_Result r = run_scenario(scenario, api, options);
    if (!a.plot.empty() && !write_plots(a.plot, r.plot_series, error) && r.failure.empty()) {
        r.failure = error;
        r.completed = false;
    }
    print_summary(stdout, r.summary);
    if (!r.manoeuvres.empty()) {
        std::printf("\n  manoeuvres\n");
        for (const Manoeuvre_Result& m : r.manoeuvres) print_manoeuvre(stdout, m);
    }
    if (!r.expectations.empty()) {
        std::printf("\n  expectations\n");
        for (const Expectation_Result& e : r.expectations) {
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

}  // namespace

void add_list_command(CLI::App& app, const Global_Options& g, int& status) {
    CLI::App* cmd = app.add_subcommand("list", "The shipped scenarios.");
    cmd->callback([&g, &status] {
        for (const std::string& name : shipped_scenarios(g.scenarios)) {
            Scenario s;
            std::string error;
            const bool ok = load_scenario(g.scenarios + "/" + name + ".txt", s, error);
            std::printf("  %-28s %s\n", name.c_str(), ok ? s.name.c_str() : error.c_str());
        }
        status = EXIT_OK;
    });
}

void add_fly_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Fly_Options>();
    CLI::App* cmd = app.add_subcommand(
        "fly",
        "Fly a scenario (a file, or the name of a shipped one) and print the events and a "
        "summary table. Exit status: 0 flown and every expectation met; 1 an expectation "
        "failed; 2 crash or non-finite value; 3 usage or load error; 4 floating-point trap.");
    cmd->add_option("scenario", a->scenario, "scenario file or shipped name")
        ->capture_default_str();
    cmd->add_option("--csv", a->csv, "one row per frame into FILE");
    cmd->add_option("--csv-every", a->csv_every, "write every N-th frame")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--plot", a->plot, "SVG charts and an index.html into DIR");
    cmd->add_flag("-q,--quiet", a->quiet, "no event log and no progress line");
    cmd->callback([&g, &status, a] { status = fly(g, *a); });
}

}  // namespace rig::cli
