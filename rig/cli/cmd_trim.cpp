// quillon-rig trim: steady flight at one condition.
#include <cstdio>
#include <memory>

#include "analysis/trim.h"
#include "cli/cli.h"

namespace rig::cli {
namespace {

struct Trim_Options {
    double speed = 0.0;
    double tas = 0.0;
    double altitude = -1.0;
    double flaps = 0.0;
    double fuel = 2000.0;
    double mass = 7000.0;
    std::string gear = "up";
};

int trim(const Global_Options& g, const Trim_Options& a) {
    Model_Api api;
    if (!load(g, api)) return EXIT_USAGE;
    Host host;
    host_init(host, api);
    Trim_Request q;
    q.kcas = a.speed;
    q.tas = a.tas;
    q.altitude = a.altitude;
    q.flaps = a.flaps;
    q.gear_down = a.gear == "down";
    q.fuel = a.fuel;
    q.empty_mass = a.mass;
    const Trim_Result r = trim_level_flight(host, q);
    print_trim(stdout, q, r);
    return r.ok ? EXIT_OK : EXIT_EXPECTATIONS;
}

}  // namespace

void add_trim_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Trim_Options>();
    CLI::App* cmd = app.add_subcommand(
        "trim",
        "Steady level flight: angle of attack, pitch axis, throttle, thrust, fuel flow and "
        "rpm. Exit status 1 when no trim exists.");
    // The airspeed, calibrated or true: exactly one of the two.
    CLI::Option_group* speed = cmd->add_option_group("airspeed", "one of --speed, --tas");
    speed->add_option("--speed", a->speed, "calibrated airspeed, kt")->check(CLI::PositiveNumber);
    speed->add_option("--tas", a->tas, "true airspeed, m/s")->check(CLI::PositiveNumber);
    speed->require_option(1);
    cmd->add_option("--altitude", a->altitude, "m")->required()->check(CLI::NonNegativeNumber);
    cmd->add_option("--flaps", a->flaps, "flap lever 0..1")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    cmd->add_option("--gear", a->gear, "up or down")
        ->check(CLI::IsMember({"up", "down"}))
        ->capture_default_str();
    cmd->add_option("--fuel", a->fuel, "internal fuel, kg")->capture_default_str();
    cmd->add_option("--mass", a->mass, "empty mass, kg")->capture_default_str();
    cmd->callback([&g, &status, a] { status = trim(g, *a); });
}

}  // namespace rig::cli
