// quillon-rig verify: the rig against published check cases.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "flight/verify.h"

namespace rig::cli {
namespace {

struct Verify_Options {
    std::string data;
    std::string vehicles;
    std::vector<std::string> only;
    int substeps = 0;  // 0: each case's own
    bool json = false;
    bool all_checks = false;
};

// A differential check's name says which flight it subtracts.
std::string check_name(const Check& c, const Verify_Case& v) {
    return c.differential ? c.what + " (less case " + v.baseline + ")" : c.what;
}

void print_check(const Check_Result& r, const Verify_Case& v, const char* lead) {
    const Check& c = *r.check;
    std::printf("%s%-32s max %-10.3g tol %-8.3g %-8s %s", lead, check_name(c, v).c_str(),
                r.max_error, c.tolerance, c.unit.c_str(), r.passed ? "pass" : "FAIL");
    if (r.tool_spread >= 0.0) std::printf("  (tools differ %.3g)", r.tool_spread);
    std::printf("\n%s  %s\n", lead, c.reason.c_str());
}

nlohmann::json to_json(const Case_Result& r) {
    nlohmann::json j;
    j["id"] = r.verify_case->id;
    j["title"] = r.verify_case->title;
    j["passed"] = r.passed();
    if (!r.error.empty()) j["error"] = r.error;
    j["checks"] = nlohmann::json::array();
    for (const Check_Result& c : r.checks) {
        nlohmann::json k;
        k["what"] = check_name(*c.check, *r.verify_case);
        if (c.check->differential) k["less_case"] = r.verify_case->baseline;
        k["unit"] = c.check->unit;
        k["max_error"] = c.max_error;
        k["at"] = c.at_time;
        k["tolerance"] = c.check->tolerance;
        k["reason"] = c.check->reason;
        if (c.tool_spread >= 0.0) k["tool_spread"] = c.tool_spread;
        k["passed"] = c.passed;
        j["checks"].push_back(k);
    }
    return j;
}

int verify(const Global_Options& g, const Verify_Options& a) {
    Verify_Paths paths = default_verify_paths();
    if (!a.data.empty()) paths.data = a.data;
    if (!a.vehicles.empty()) paths.vehicles = a.vehicles;
    if (!g.standin.empty()) paths.standin = g.standin;

    int passed = 0, failed = 0;
    nlohmann::json cases = nlohmann::json::array();
    for (const Verify_Case& listed : verify_cases()) {
        if (!a.only.empty() && std::find(a.only.begin(), a.only.end(), listed.id) == a.only.end()) {
            continue;
        }
        Verify_Case c = listed;
        if (a.substeps > 0) c.substeps = a.substeps;
        const Case_Result r = run_case(c, paths);
        Case_Result shown = r;
        shown.verify_case = &listed;
        (r.passed() ? passed : failed)++;
        if (a.json) {
            cases.push_back(to_json(shown));
            continue;
        }
        std::printf("case %-10s %s: %s\n", c.id.c_str(), r.passed() ? "pass" : "FAIL",
                    c.title.c_str());
        if (!r.error.empty()) std::printf("    not run: %s\n", r.error.c_str());
        if (a.all_checks) {
            for (const Check_Result& k : r.checks) print_check(k, c, "    ");
        } else if (const Check_Result* w = r.worst()) {
            print_check(*w, c, "    ");
        }
    }
    if (a.json) {
        nlohmann::json out;
        out["cases"] = cases;
        out["passed"] = passed;
        out["failed"] = failed;
        std::printf("%s\n", out.dump(2).c_str());
    } else {
        std::printf("%d passed, %d failed\n", passed, failed);
    }
    if (passed + failed == 0) {
        std::fprintf(stderr, "quillon-rig verify: no such case\n");
        return EXIT_USAGE;
    }
    return failed == 0 ? EXIT_OK : EXIT_EXPECTATIONS;
}

}  // namespace

void add_verify_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Verify_Options>();
    CLI::App* cmd = app.add_subcommand(
        "verify",
        "Flies the NASA six-degree-of-freedom check cases (NASA/TM-2015-218675) on check "
        "vehicles and checks the 1976 atmosphere; one line per case with its largest error and "
        "tolerance (the check closest to failing), then 'N passed, M failed'. Exit status 1 on "
        "any failure. Cases and tolerances: docs/verification.md.");
    const Verify_Paths defaults = default_verify_paths();
    cmd->add_option("--data", a->data, "directory of the reference data")
        ->default_str(defaults.data);
    cmd->add_option("--vehicles", a->vehicles, "directory of the check-vehicle libraries")
        ->default_str(defaults.vehicles);
    cmd->add_option("--case", a->only, "run only these cases (repeatable)");
    cmd->add_option("--substeps", a->substeps,
                    "model calls per frame for every case (default: one, as a host)")
        ->check(CLI::Range(1, 1000));
    cmd->add_flag("--all", a->all_checks, "every check of a case, not only the closest to failing");
    cmd->add_flag("--json", a->json, "one JSON object on stdout");
    cmd->callback([&g, &status, a] { status = verify(g, *a); });
}

}  // namespace rig::cli
