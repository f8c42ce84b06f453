#include "flight/runner.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "analysis/trim.h"
#include "flight/autopilot.h"
#include "flight/record.h"
#include "host/fp_traps.h"

namespace rig {
namespace {

// A touchdown sinking faster than this breaks the gear.
constexpr double kCrashSinkRate = 4.0;       // m/s
constexpr double kProgressInterval = 10.0;   // s of simulated time
constexpr double kProgressMinLength = 10.0;  // s; shorter runs show no progress

bool holds(const Condition& c, const Sample& s) {
    const double v = s.*(find_column(c.variable.c_str())->field);
    switch (c.op) {
        case Compare::Less:
            return v < c.value;
        case Compare::Less_Equal:
            return v <= c.value;
        case Compare::Greater:
            return v > c.value;
        case Compare::Greater_Equal:
            return v >= c.value;
    }
    return false;
}

// Dynamic pressure of the last frame, for the autopilot's gain schedule.
double dynamic_pressure(const Environment& env, const Sample& s) {
    return 0.5 * environment_air(env, s.altitude).density * s.tas * s.tas;
}

bool all_finite(const Sample& s, const char** which) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (!std::isfinite(s.*(kColumns[i].field))) {
            *which = kColumns[i].name;
            return false;
        }
    }
    return true;
}

void send_axes(const Model_Api& fm, const Axis_Commands& a) {
    if (a.pitch) fm.ed_fm_set_command(QFM_CMD_PITCH_AXIS, a.pitch_value);
    if (a.roll) fm.ed_fm_set_command(QFM_CMD_ROLL_AXIS, a.roll_value);
    if (a.rudder) fm.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, a.rudder_value);
    if (a.throttle) fm.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, a.throttle_value);
}

// A test input in progress on one axis, added to the value the axis held
// when it started.
struct Active_Input {
    const Test_Input* input = nullptr;
    double start = 0.0;  // s
    double base = 0.0;   // axis value (throttle: fraction)
};

constexpr int kAxisCount = 4;

struct Flight {
    const Scenario& scenario;
    const Model_Api& fm;
    const Run_Options& options;
    Host host;
    Autopilot autopilot;
    Summary_Tracker tracker;
    Recorder recorder;
    Sample last;
    std::size_t next_event = 0;
    double last_event_time = 0.0;
    bool stop = false;
    std::array<Active_Input, kAxisCount> inputs = {};
    double applied = 0.0;  // the input of the latest manoeuvre as added this frame
    std::vector<Manoeuvre_Result> manoeuvres = {};
    bool bare = false;
    Rudder_Hold rudder_hold = {};
};

std::size_t axis_index(Input_Axis axis) { return static_cast<std::size_t>(axis); }

// The value the rig last sent on an axis (throttle: the fraction).
double& held_axis(Autopilot& ap, Input_Axis axis) {
    switch (axis) {
        case Input_Axis::Pitch:
            return ap.pitch_axis;
        case Input_Axis::Roll:
            return ap.roll_axis;
        case Input_Axis::Rudder:
            return ap.rudder_axis;
        case Input_Axis::Throttle:
            break;
    }
    return ap.throttle;
}

// A test input takes its axis from the autopilot: the channel that moves it
// goes off without centring anything, so the other axis of the lateral
// channel stays where it was too.
void start_input(Flight& f, const Test_Input& in, double t) {
    switch (in.axis) {
        case Input_Axis::Pitch:
            f.autopilot.vertical = Vertical_Mode::Off;
            break;
        case Input_Axis::Roll:
        case Input_Axis::Rudder:
            f.autopilot.lateral = Lateral_Mode::Off;
            break;
        case Input_Axis::Throttle:
            f.autopilot.speed = Speed_Mode::Off;
            break;
    }
    Active_Input& a = f.inputs[axis_index(in.axis)];
    a.input = &in;
    a.start = t;
    a.base = held_axis(f.autopilot, in.axis);
    Manoeuvre_Result m;
    m.input = in;
    m.start = t;
    m.response.push_back(response_point(f.last, 0.0));
    f.manoeuvres.push_back(m);
}

// An autopilot instruction takes back the axes of the channels it names.
void cancel_inputs(Flight& f, Autopilot_Command::Channel channel) {
    using Channel = Autopilot_Command::Channel;
    const bool all = channel == Channel::All;
    if (all || channel == Channel::Vertical) f.inputs[axis_index(Input_Axis::Pitch)] = {};
    if (all || channel == Channel::Lateral) {
        f.inputs[axis_index(Input_Axis::Roll)] = {};
        f.inputs[axis_index(Input_Axis::Rudder)] = {};
    }
    if (all || channel == Channel::Speed) f.inputs[axis_index(Input_Axis::Throttle)] = {};
}

// Sends every input in progress for this frame; one that has run its
// course leaves its axis at the value it started from.
void apply_inputs(Flight& f, double t) {
    for (Active_Input& a : f.inputs) {
        if (!a.input) continue;
        const Test_Input& in = *a.input;
        const double tau = t - a.start;
        const double added = test_input_value(in, tau);
        // Only one input runs per axis, so the latest manoeuvre's is the one on its axis.
        if (!f.manoeuvres.empty() && f.manoeuvres.back().input.axis == in.axis) f.applied = added;
        double& held = held_axis(f.autopilot, in.axis);
        if (in.axis == Input_Axis::Throttle) {
            held = std::fmin(1.0, std::fmax(0.0, a.base + added));
            f.fm.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, throttle_axis(held));
        } else {
            held = std::fmin(1.0, std::fmax(-1.0, a.base + added));
            const int command = in.axis == Input_Axis::Pitch  ? QFM_CMD_PITCH_AXIS
                                : in.axis == Input_Axis::Roll ? QFM_CMD_ROLL_AXIS
                                                              : QFM_CMD_RUDDER_AXIS;
            f.fm.ed_fm_set_command(command, static_cast<float>(held));
        }
        if (tau >= test_input_length(in)) a = {};
    }
}

void log_line(const Flight& f, double t, const char* what, const std::string& detail) {
    if (f.options.log) std::fprintf(f.options.log, "t=%8.2f s  %s%s\n", t, what, detail.c_str());
}

void initial_state(Flight& f) {
    const Scenario& sc = f.scenario;
    Host& host = f.host;
    host.dt = sc.dt;
    host.center_of_mass = sc.center_of_mass;
    host.env = sc.env;
    host.substeps = sc.substeps;
    // A sweep's temperature offset adds to the scenario's own.
    host.env.temperature_offset += f.options.temperature_offset;
    host.mass_properties.mass = sc.empty_mass + sc.fuel;
    host.ground.center_of_mass = sc.center_of_mass;
    const double yaw = -sc.heading / kDegPerRad;

    if (sc.start == Start_Mode::Air) {
        Trim_Result r;
        r.throttle = 0.9;  // what the in-air hot start sets
        if (sc.trimmed) {
            Trim_Request q;
            q.kcas = sc.speed;
            q.altitude = sc.position.y;
            q.flaps = sc.flaps;
            q.gear_down = sc.gear_down;
            q.fuel = sc.fuel;
            q.empty_mass = sc.empty_mass;
            q.center_of_mass = sc.center_of_mass;
            q.dt = sc.dt;
            r = trim_level_flight(host, q);
            if (!r.ok) log_line(f, 0.0, "start untrimmed: ", r.why);
        } else {
            f.fm.ed_fm_set_internal_fuel(sc.fuel);
            f.fm.ed_fm_hot_start_in_air();
            f.fm.ed_fm_set_command(QFM_CMD_FLAP_LEVER, static_cast<float>(sc.flaps));
            f.fm.ed_fm_set_command(QFM_CMD_GEAR_HANDLE, sc.gear_down ? 1.0f : 0.0f);
            f.fm.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, throttle_axis(r.throttle));
        }
        const double tas =
            tas_from_kcas(sc.speed, environment_air(host.env, sc.position.y).density);
        // The trimmed attitude and sideslip, turned to the scenario's heading.
        const double a = r.alpha / kDegPerRad, b = r.beta / kDegPerRad;
        host.body.position = sc.position;
        host.body.attitude = from_euler({yaw, r.pitch_attitude / kDegPerRad, r.bank / kDegPerRad});
        host.body.velocity =
            rotate(host.body.attitude, V3{tas * std::cos(a) * std::cos(b),
                                          -tas * std::sin(a) * std::cos(b), tas * std::sin(b)});
        host.body.omega = {};
        host.mass_properties.mass = sc.empty_mass + sc.fuel;
        f.autopilot.roll_axis = r.roll_axis;
        f.autopilot.rudder_axis = r.rudder_axis;
        const double pitch_axis = r.pitch_axis, throttle = r.throttle;
        f.autopilot.pitch_axis = pitch_axis;
        f.autopilot.throttle = throttle;
    } else {
        f.fm.ed_fm_set_internal_fuel(sc.fuel);
        if (sc.start == Start_Mode::Cold) {
            f.fm.ed_fm_cold_start();
        } else {
            f.fm.ed_fm_hot_start();
        }
        const Rest_Pose pose = rest_pose(host.ground, host.mass_properties.mass,
                                         environment_gravity(host.env, host.env.field_elevation));
        host.body.position = {sc.position.x, pose.height, sc.position.z};
        host.body.attitude = from_euler({yaw, pose.pitch, 0.0});
        host.body.velocity = {};
        host.body.omega = {};
        if (sc.flaps > 0.0)
            f.fm.ed_fm_set_command(QFM_CMD_FLAP_LEVER, static_cast<float>(sc.flaps));
        f.autopilot.throttle = 0.0;
    }
    Loads unused;
    ground_loads(host.body, &host.ground, unused);
    f.host.fuel = f.fm.ed_fm_get_internal_fuel();
}

// The bare airframe's rudder hold, measured at the trim for the pedal travel
// the scenario's rudder inputs will reach.
void begin_rudder_hold(Flight& f) {
    double reach = 0.0;
    for (const Event& e : f.scenario.events) {
        const Action& a = e.action;
        if (a.kind == Action::Kind::Input && a.input.axis == Input_Axis::Rudder)
            reach = std::fmax(reach, std::fabs(a.input.amplitude));
    }
    f.rudder_hold = rudder_hold_begin(f.host, f.autopilot.rudder_axis, reach);
    f.bare = true;
    if (!f.rudder_hold.held) log_line(f, 0.0, "rudder not held: ", f.rudder_hold.why);
}

bool event_due(Flight& f, const Event& e, double t) {
    switch (e.trigger.kind) {
        case Trigger::Kind::At:
            return t >= e.trigger.time;
        case Trigger::Kind::After:
            return t >= f.last_event_time + e.trigger.time;
        case Trigger::Kind::When:
            return holds(e.trigger.condition, f.last);
    }
    return false;
}

void fire(Flight& f, const Event& e, double t) {
    const Action& a = e.action;
    log_line(f, t, "", e.text);
    switch (a.kind) {
        case Action::Kind::Command:
            f.fm.ed_fm_set_command(a.command, a.value);
            break;
        case Action::Kind::Throttle:
            f.autopilot.throttle = a.throttle;
            f.fm.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, throttle_axis(a.throttle));
            break;
        case Action::Kind::Autopilot: {
            cancel_inputs(f, a.autopilot.channel);
            send_axes(f.fm, autopilot_engage(f.autopilot, a.autopilot, f.last,
                                             dynamic_pressure(f.host.env, f.last)));
            if (a.autopilot.vertical == Vertical_Mode::Altitude) {
                summary_altitude_target(f.tracker, t, a.autopilot.target);
            }
            break;
        }
        case Action::Kind::Input:
            start_input(f, a.input, t);
            break;
        case Action::Kind::Stop:
            f.stop = true;
            break;
    }
    f.last_event_time = t;
}

// The checklist: fire every event that is due, in order, stopping at the
// first that is not.
void run_events(Flight& f, double t) {
    while (f.next_event < f.scenario.events.size()) {
        const Event& e = f.scenario.events[f.next_event];
        if (!event_due(f, e, t)) break;
        ++f.next_event;
        fire(f, e, t);
    }
}

std::string crash_check(Flight& f, const Sample& s) {
    char text[160];
    const int hull = hull_contact(f.host.body, f.host.center_of_mass);
    if (hull >= 0) {
        std::snprintf(text, sizeof(text),
                      "crash: the %s struck the runway (sink %.1f m/s, %.0f kcas)",
                      hull_point_name(hull), -s.vs, s.kcas);
        return text;
    }
    const Summary& sum = f.tracker.summary;
    if (sum.set[SUM_touchdown_time] && sum.value[SUM_touchdown_time] == s.t &&
        sum.value[SUM_touchdown_sink] > kCrashSinkRate) {
        std::snprintf(text, sizeof(text),
                      "crash: touchdown at %.1f m/s sink rate breaks the gear (limit %.1f m/s)",
                      sum.value[SUM_touchdown_sink], kCrashSinkRate);
        return text;
    }
    return "";
}

void progress(const Flight& f, const Sample& s, bool final_line) {
    std::fprintf(stderr, "\r  t %7.1f / %.0f s   alt %7.0f m   %5.0f kcas   rpm %5.1f %%   ", s.t,
                 f.scenario.end, s.altitude, s.kcas, s.rpm);
    if (final_line) std::fprintf(stderr, "\n");
}

void evaluate_expectations(const Flight& f, Run_Result& result) {
    for (Expectation_Result& r : result.expectations) {
        const Expectation& e = *r.expectation;
        if (e.when != Expectation::When::End) continue;
        r.evaluated = true;
        const int index = find_summary_value(e.variable);
        if (index >= 0) {
            if (!result.summary.set[index]) continue;
            r.worst = result.summary.value[index];
        } else {
            r.worst = f.last.*(find_column(e.variable.c_str())->field);
        }
        r.passed = r.worst >= e.min && r.worst <= e.max;
    }
}

void check_running_expectations(Run_Result& result, const Sample& s, double dt) {
    for (Expectation_Result& r : result.expectations) {
        const Expectation& e = *r.expectation;
        if (e.when == Expectation::When::End) continue;
        const double v = s.*(find_column(e.variable.c_str())->field);
        const bool in_window =
            e.when == Expectation::When::During
                ? (s.t >= e.from - 0.5 * dt && s.t <= e.to + 0.5 * dt)
                : (e.when == Expectation::When::At && std::fabs(s.t - e.from) < 0.5 * dt);
        if (!in_window) continue;
        const bool inside = v >= e.min && v <= e.max;
        if (!r.evaluated) {
            r.evaluated = true;
            r.passed = inside;
            r.worst = v;
        } else if (!inside) {
            const double excess = v < e.min ? e.min - v : v - e.max;
            const double worst_excess =
                r.passed ? 0.0 : (r.worst < e.min ? e.min - r.worst : r.worst - e.max);
            if (excess > worst_excess) r.worst = v;
            r.passed = false;
        }
    }
}

}  // namespace

bool Run_Result::expectations_met() const {
    for (const Expectation_Result& r : expectations) {
        if (!r.evaluated || !r.passed) return false;
    }
    return true;
}

Run_Result run_scenario(const Scenario& scenario, const Model_Api& api,
                        const Run_Options& options) {
    Run_Result result;
    for (const Expectation& e : scenario.expectations) {
        Expectation_Result r;
        r.expectation = &e;
        result.expectations.push_back(r);
    }
    Flight f{scenario, api, options, Host{}, Autopilot{}, Summary_Tracker{}, Recorder{}, Sample{}};
    host_init(f.host, api);
    if (!recorder_open(f.recorder, options.csv_path, options.csv_every, options.plot_series,
                       result.failure)) {
        return result;
    }

    {
        Trap_Scope traps;
        initial_state(f);
        if (options.bare && scenario.start == Start_Mode::Air) begin_rudder_hold(f);
        f.last = host_sample(f.host);
        f.last.throttle = f.autopilot.throttle;
        summary_begin(f.tracker, f.last);

        const long frames = static_cast<long>(std::ceil(scenario.end / scenario.dt - 1e-9));
        const bool show_progress = options.progress && scenario.end > kProgressMinLength;
        double next_progress = 0.0;
        for (long n = 0; n < frames && !f.stop; ++n) {
            const double t = static_cast<double>(n) * scenario.dt;
            run_events(f, t);
            if (f.stop) break;
            send_axes(api, autopilot_step(f.autopilot, f.last, dynamic_pressure(f.host.env, f.last),
                                          scenario.dt));
            f.applied = 0.0;
            apply_inputs(f, t);
            if (f.bare) rudder_hold_command(f.rudder_hold, api);

            host_frame(f.host);
            Sample s = host_sample(f.host);
            s.t = static_cast<double>(n + 1) * scenario.dt;
            s.throttle = f.autopilot.throttle;
            f.last = s;
            if (f.bare) rudder_hold_update(f.rudder_hold, s.rudder, f.autopilot.rudder_axis);

            const char* bad = nullptr;
            if (!all_finite(s, &bad)) {
                result.failure = std::string("non-finite value in ") + bad;
                break;
            }
            summary_update(f.tracker, s);
            if (!f.manoeuvres.empty()) {
                f.manoeuvres.back().response.push_back(response_point(s, f.applied));
            }
            check_running_expectations(result, s, scenario.dt);
            recorder_add(f.recorder, s);
            if (options.on_sample) options.on_sample(s);
            const std::string crash = crash_check(f, s);
            if (!crash.empty()) {
                result.failure = crash;
                break;
            }
            if (show_progress && s.t >= next_progress) {
                progress(f, s, false);
                next_progress += kProgressInterval;
            }
        }
        if (show_progress) progress(f, f.last, true);
    }

    summary_finish(f.tracker, f.last);
    result.summary = f.tracker.summary;
    if (!result.failure.empty()) {
        char text[64];
        std::snprintf(text, sizeof(text), "t=%8.2f s  ", f.last.t);
        result.summary.events.push_back(text + result.failure);
    }
    std::string error;
    if (!recorder_close(f.recorder, error) && result.failure.empty()) result.failure = error;
    result.plot_series = std::move(f.recorder.plot_samples);
    for (Manoeuvre_Result& m : f.manoeuvres) {
        m.metrics = analyse_manoeuvre(m.input, m.response);
        summarise_manoeuvre(result.summary, m.metrics);
    }
    result.manoeuvres = std::move(f.manoeuvres);
    result.bare = f.bare;
    result.rudder_hold = std::move(f.rudder_hold);
    evaluate_expectations(f, result);
    result.completed = result.failure.empty();
    return result;
}

}  // namespace rig
