// quillon-rig manoeuvre: one standard test input flown from trim, and the
// metrics of the response.
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/cli.h"
#include "flight/runner.h"
#include "flight/scenario.h"

namespace rig::cli {
namespace {

constexpr double kInputStart = 1.0;  // s of trimmed flight before the input

struct Manoeuvre_Options {
    std::string shape = "doublet";
    std::string axis = "pitch";
    double speed = 250.0, altitude = 3000.0, flaps = 0.0, fuel = 2000.0, mass = 7000.0;
    std::string gear = "up";
    double amplitude = 0.05;
    double width = 0.0;  // 0: the scenario default for the shape
    double from_hz = 0.1, to_hz = 3.0, over = 30.0;
    double duration = 10.0;  // s after the input (a step: after it starts)
    double dt = 0.01;        // s, one frame
    bool bare = false;
    bool json = false;
};

// The manoeuvre as scenario text, so it is checked like any scenario file.
std::string scenario_text(const Manoeuvre_Options& a, double& end) {
    Test_Input in;
    parse_input_shape(a.shape, in.shape);
    in.width = a.width > 0.0 ? a.width : (in.shape == Input_Shape::Input_3211 ? 0.5 : 1.0);
    in.over = a.over;
    const double length = in.shape == Input_Shape::Step ? 0.0 : test_input_length(in);
    end = kInputStart + length + a.duration;
    std::ostringstream s;
    s.precision(12);
    s << "name " << a.shape << " on " << a.axis << "\nstart air trimmed\nspeed " << a.speed
      << "\naltitude " << a.altitude << "\nflaps " << a.flaps << "\ngear " << a.gear << "\nfuel "
      << a.fuel << "\nmass " << a.mass << "\ndt " << a.dt << "\nend " << end;
    s << "\nat " << kInputStart << " input " << a.shape << " " << a.axis << " " << a.amplitude;
    if (in.shape == Input_Shape::Sweep) {
        s << " from " << a.from_hz << " to " << a.to_hz << " over " << a.over;
    } else if (in.shape != Input_Shape::Step) {
        s << (in.shape == Input_Shape::Input_3211 ? " unit " : " width ") << in.width;
    }
    s << "\n";
    return s.str();
}

nlohmann::json number_or_null(double v) { return std::isfinite(v) ? nlohmann::json(v) : nullptr; }

nlohmann::json to_json(const Manoeuvre_Options& a, const Run_Result& r) {
    nlohmann::json j;
    j["speed_kcas"] = a.speed;
    j["altitude_m"] = a.altitude;
    j["completed"] = r.completed;
    j["failure"] = r.failure;
    j["bare"] = r.bare;
    if (r.bare) {
        // Rudder travel (-1..1 of full travel) against the pedal's own, and
        // the largest travel the augmentation would have added.
        const Rudder_Hold& h = r.rudder_hold;
        j["rudder_hold"] = {{"held", h.held},       {"why", h.why},
                            {"trim_gain", h.gain},  {"rms_error", rudder_hold_rms_error(h)},
                            {"peak_error", h.peak}, {"held_out_peak", h.held_out}};
    }
    if (r.manoeuvres.empty()) return j;
    const Manoeuvre_Result& m = r.manoeuvres.front();
    const Test_Input& in = m.input;
    j["input"] = {{"shape", input_shape_name(in.shape)},
                  {"axis", input_axis_name(in.axis)},
                  {"amplitude", in.amplitude},
                  {"start_s", m.start}};
    if (in.shape == Input_Shape::Sweep) {
        j["input"]["from_hz"] = in.from_hz;
        j["input"]["to_hz"] = in.to_hz;
        j["input"]["over_s"] = in.over;
    } else if (in.shape != Input_Shape::Step) {
        j["input"]["width_s"] = in.width;
    }
    const Manoeuvre_Metrics& k = m.metrics;
    nlohmann::json metrics;
    if (*k.mode) {
        const Damped_Fit& f = k.oscillation;
        metrics["oscillation"] = {{"mode", k.mode},
                                  {"variable", k.variable},
                                  {"fit_from_s", k.fit_from},
                                  {"fit_to_s", k.fit_to},
                                  {"ok", f.ok},
                                  {"why", f.why}};
        if (f.ok) {
            metrics["oscillation"].update({{"omega_n", f.omega_n},
                                           {"zeta", f.zeta},
                                           {"sigma", f.sigma},
                                           {"omega_d", f.omega},
                                           {"fit_quality", f.fit_quality}});
        }
    }
    metrics["overshoot"] = number_or_null(k.overshoot);
    metrics["stick_per_g"] = number_or_null(k.stick_per_g);
    metrics["time_to_bank_30_s"] = number_or_null(k.time_to_bank_30);
    metrics["time_to_bank_90_s"] = number_or_null(k.time_to_bank_90);
    metrics["roll_time_constant_s"] = number_or_null(k.roll_time_constant);
    metrics["spiral_growth_per_s"] = number_or_null(k.spiral_growth);
    nlohmann::json points = nlohmann::json::array();
    for (const Frequency_Point& p : k.frequency_response) {
        points.push_back({{"hz", p.frequency}, {"gain", p.gain}, {"phase_deg", p.phase}});
    }
    metrics["frequency_response"] = points;
    j["metrics"] = metrics;
    return j;
}

int manoeuvre(const Global_Options& g, const Manoeuvre_Options& a) {
    double end = 0.0;
    Scenario scenario;
    std::string error;
    if (!parse_scenario(scenario_text(a, end), scenario, error)) {
        std::fprintf(stderr, "quillon-rig manoeuvre: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    Model_Api api;
    if (!load(g, api)) return EXIT_USAGE;
    Run_Options options;
    options.log = stderr;
    options.bare = a.bare;
    const Run_Result r = run_scenario(scenario, api, options);
    if (a.json) {
        std::printf("%s\n", to_json(a, r).dump(2).c_str());
    } else {
        std::printf("%s from trim at %g kcas, %g m\n", scenario.name.c_str(), a.speed, a.altitude);
        if (r.bare) print_rudder_hold(stdout, r.rudder_hold);
        for (const Manoeuvre_Result& m : r.manoeuvres) print_manoeuvre(stdout, m);
        if (!r.completed) std::printf("\nFLIGHT FAILED: %s\n", r.failure.c_str());
    }
    return r.completed ? EXIT_OK : EXIT_CRASH;
}

}  // namespace

void add_manoeuvre_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Manoeuvre_Options>();
    CLI::App* cmd = app.add_subcommand(
        "manoeuvre",
        "Fly one test input from level trim and print the metrics of the response (fitted "
        "frequency and damping, overshoot, stick per g, time to bank, spiral growth, frequency "
        "response). Exit status: 0 flown; 2 crash or non-finite value; 3 usage or load error.");
    cmd->add_option("shape", a->shape, "step, pulse, doublet, 3211 or sweep")
        ->check(CLI::IsMember({"step", "pulse", "doublet", "3211", "sweep"}))
        ->capture_default_str();
    cmd->add_option("--axis", a->axis, "pitch, roll, rudder or throttle")
        ->check(CLI::IsMember({"pitch", "roll", "rudder", "throttle"}))
        ->capture_default_str();
    cmd->add_option("--speed", a->speed, "calibrated airspeed, kt")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    cmd->add_option("--altitude", a->altitude, "m")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    add_loading_options(cmd, a->flaps, a->gear, a->fuel, a->mass);
    cmd->add_option("--amplitude", a->amplitude,
                    "axis travel added to the trim, -1..1 (a negative one as --amplitude=-A)")
        ->check(CLI::Range(-1.0, 1.0))
        ->capture_default_str();
    cmd->add_option("--width", a->width,
                    "s: pulse length, doublet half, 3211 unit (default 1, 1, 0.5)");
    cmd->add_option("--from", a->from_hz, "sweep start, Hz")->capture_default_str();
    cmd->add_option("--to", a->to_hz, "sweep end, Hz")->capture_default_str();
    cmd->add_option("--over", a->over, "sweep length, s")->capture_default_str();
    cmd->add_option("--duration", a->duration,
                    "s flown after the input ends (a step: after it starts)")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    cmd->add_option("--dt", a->dt, "frame time, s (0.005..0.01)")
        ->check(CLI::Range(0.005, 0.01))
        ->capture_default_str();
    cmd->add_flag("--bare", a->bare,
                  "bare airframe: the augmentation's rudder motion held out through the rudder "
                  "trim, frame by frame (the rudder moves only as the pedal alone moves it)");
    cmd->add_flag("--json", a->json, "one JSON object on stdout, nothing else");
    cmd->callback([&g, &status, a] { status = manoeuvre(g, *a); });
}

}  // namespace rig::cli
