// quillon-rig trim: steady flight at one condition, on all six axes.
#include <cstdio>
#include <memory>

#include "analysis/trim.h"
#include "cli/cli.h"

namespace rig::cli {
namespace {

struct Trim_Command {
    Trim_Options trim;
    bool json = false;
};

int run_trim(const Global_Options& g, const Trim_Command& a) {
    if (!(a.trim.speed > 0.0) && !(a.trim.tas > 0.0)) {
        std::fprintf(stderr, "quillon-rig trim: --speed or --tas is required\n");
        return EXIT_USAGE;
    }
    Model_Api api;
    Host host;
    if (!load_host(g, a.trim, api, host)) return EXIT_USAGE;
    const Trim_Request q = trim_request(a.trim);
    const Trim_Result r = trim(host, q);
    if (a.json) {
        std::printf("%s\n", nlohmann::json{{"trim", trim_json(r)}}.dump(2).c_str());
    } else {
        print_trim(stdout, q, r);
    }
    return r.ok ? EXIT_OK : EXIT_EXPECTATIONS;
}

}  // namespace

void add_trim_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Trim_Command>();
    CLI::App* cmd = app.add_subcommand(
        "trim",
        "Steady flight on all six axes (level, climb, turn, pull-up, sideslip): angle of attack, "
        "sideslip, bank, the pitch, roll and rudder axes and the throttle, every residual and "
        "the controls at a stop. Exit status 1 when no trim exists.");
    add_trim_options(cmd, a->trim);
    cmd->add_flag("--json", a->json, "one JSON object on stdout");
    cmd->callback([&g, &status, a] { status = run_trim(g, *a); });
}

}  // namespace rig::cli
