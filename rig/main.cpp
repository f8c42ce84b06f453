// quillon-rig: the flight-test rig. Loads the built flight model through its
// C exports exactly as a host does, flies scenarios, trims and reports.
//
// Layers, each using only those below it: world (atmosphere, ground, rigid
// body), host (loading the model, the frame loop), analysis (trim and what is
// computed about a model), flight (scenarios, autopilot, runner), report
// (charts, pages), cli (the commands).
#include <unistd.h>

#include <csignal>

#include "cli/cli.h"

namespace {

// Async-signal-safe report of a floating-point trap.
void on_fp_trap(int) {
    static const char message[] =
        "\nquillon-rig: floating-point trap (invalid operation, division by zero or "
        "overflow): a NaN or infinity was born in the model or the rig; the run is void\n";
    const ssize_t written = write(STDERR_FILENO, message, sizeof(message) - 1);
    (void)written;
    _exit(rig::cli::EXIT_FP_TRAP);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace rig::cli;
    std::signal(SIGFPE, on_fp_trap);

    CLI::App app{
        "quillon-rig: flight-test rig for the QuillonFM flight model.\n\n"
        "Loads the stand-in cockpit library, then libQuillonFM.so, with dlopen, and drives the\n"
        "model through its ed_fm_ exports as a host simulator does: a 6-DOF rigid body, a\n"
        "standard atmosphere, a runway and struts of its own.",
        "quillon-rig"};
    app.footer("Scenario format: docs/scenarios.md. The rig: docs/rig.md.");
    // Global options may also follow the command's name.
    app.fallthrough();
    app.require_subcommand(1);

    Global_Options g;
    g.scenarios = rig::build_or_installed_path(QFM_RIG_SCENARIO_DIR, "share/quillon-fm/scenarios");
    app.add_option("--model", g.model, "the flight model (default: the one built beside the rig)");
    app.add_option("--standin", g.standin,
                   "the stand-in cockpit library (default: the one built beside the rig)");
    app.add_option("--scenarios", g.scenarios, "where shipped scenarios are looked up")
        ->capture_default_str();

    int status = EXIT_OK;
    add_list_command(app, g, status);
    add_fly_command(app, g, status);
    add_trim_command(app, g, status);
    add_verify_command(app, g, status);
    app.add_subcommand("help", "This text.")->callback([] { throw CLI::CallForHelp(); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return EXIT_USAGE;
    }
    return status;
}
