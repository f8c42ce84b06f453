// quillon-rig list | fly: the shipped scenarios, and flying one.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/parallel.h"
#include "cli/cli.h"
#include "flight/runner.h"
#include "flight/scenario.h"
#include "report/plots.h"

namespace rig::cli {
namespace {

constexpr const char* kDefaultScenario = "a_cold_start_climb";

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
    std::vector<double> dt_sweep;
    int jobs = 2;
};

// Flies the scenario at each frame time in a worker of its own and tabulates
// every summary value against the frame time, with its spread.
int fly_dt_sweep(const Global_Options& g, const Fly_Options& a, const Scenario& scenario) {
    std::vector<Task> tasks;
    for (double dt : a.dt_sweep) {
        tasks.push_back([dt, &scenario](const Model_Api& api) {
            Scenario s = scenario;
            s.dt = dt;
            const Run_Result r = run_scenario(s, api, Run_Options{});
            nlohmann::json values = nlohmann::json::object();
            for (int i = 0; i < SUM_COUNT; ++i) {
                if (r.summary.set[i]) values[summary_name(i)] = r.summary.value[i];
            }
            return nlohmann::json{{"completed", r.completed},
                                  {"failure", r.failure},
                                  {"expectations_met", r.expectations_met()},
                                  {"summary", values}};
        });
    }
    Library_Paths paths = default_library_paths();
    if (!g.model.empty()) paths.model = absolute(g.model);
    if (!g.standin.empty()) paths.standin = absolute(g.standin);
    Pool_Options pool;
    pool.jobs = a.jobs;
    pool.progress = !a.quiet && isatty(STDERR_FILENO);
    pool.label = "frame times";
    const std::vector<Task_Outcome> runs = run_tasks(paths, tasks, pool);
    std::printf("\n  %-22s", "frame time (s)");
    for (double dt : a.dt_sweep) std::printf(" %11g", dt);
    std::printf(" %11s\n", "spread");
    int status = EXIT_OK;
    for (int i = 0; i < SUM_COUNT; ++i) {
        double lo = INFINITY, hi = -INFINITY;
        bool any = false;
        for (const Task_Outcome& o : runs) {
            if (o.ok && o.result["summary"].contains(summary_name(i))) any = true;
        }
        if (!any) continue;
        std::printf("  %-22s", summary_name(i));
        for (const Task_Outcome& o : runs) {
            if (!o.ok || !o.result["summary"].contains(summary_name(i))) {
                std::printf(" %11s", "-");
                continue;
            }
            const double v = o.result["summary"][summary_name(i)];
            lo = std::fmin(lo, v);
            hi = std::fmax(hi, v);
            std::printf(" %11.2f", v);
        }
        std::printf(" %11.2f  %s\n", hi - lo, summary_unit(i));
    }
    std::printf("  %-22s", "flight");
    for (const Task_Outcome& o : runs) {
        const bool met = o.ok && o.result["completed"] && o.result["expectations_met"];
        std::printf(" %11s", !o.ok || !o.result["completed"] ? "FAILED" : (met ? "ok" : "expect."));
        if (!met) status = o.ok && o.result["completed"] ? EXIT_EXPECTATIONS : EXIT_CRASH;
    }
    std::printf("\n");
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const std::string why =
            runs[k].ok ? runs[k].result["failure"].get<std::string>() : runs[k].error;
        if (!why.empty()) std::printf("  dt %g: %s\n", a.dt_sweep[k], why.c_str());
    }
    return status;
}

int fly(const Global_Options& g, const Fly_Options& a) {
    Scenario scenario;
    std::string error;
    if (!load_scenario(scenario_path(g, a.scenario), scenario, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    if (!a.dt_sweep.empty()) {
        std::printf("scenario: %s\n",
                    scenario.name.empty() ? a.scenario.c_str() : scenario.name.c_str());
        return fly_dt_sweep(g, a, scenario);
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
    cmd->add_option("--dt-sweep", a->dt_sweep,
                    "fly at each of these frame times (s, comma-separated) and tabulate how the "
                    "summary moves")
        ->delimiter(',')
        ->check(CLI::Range(0.001, 0.05));
    cmd->add_option("--jobs", a->jobs, "worker processes for --dt-sweep")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    cmd->callback([&g, &status, a] { status = fly(g, *a); });
}

}  // namespace rig::cli
