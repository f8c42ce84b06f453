#include "flight/field.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "flight/runner.h"
#include "flight/scenario.h"

namespace rig {
namespace {

constexpr double kStopSpeed = 0.5;  // m/s, the end of a landing roll

// The calibrated airspeed at which level trim needs the angle of attack
// alpha: alpha falls about as a + b/V^2, so a secant on 1/V^2.
double speed_for_alpha(Host& host, const Perf_Condition& c, double alpha) {
    double v[2] = {130.0, 170.0}, a[2];
    for (int i = 0; i < 2; ++i) a[i] = level_point(host, c, 0.0, v[i]).alpha;
    double estimate = NAN;
    for (int k = 0; k < 4; ++k) {
        const double x0 = 1.0 / (v[0] * v[0]), x1 = 1.0 / (v[1] * v[1]);
        if (a[0] == a[1]) break;
        const double x = x0 + (alpha - a[0]) * (x1 - x0) / (a[1] - a[0]);
        if (!(x > 0.0)) break;
        estimate = 1.0 / std::sqrt(x);
        const Level_Point p = level_point(host, c, 0.0, estimate);
        if (!p.ok) break;
        const int far = std::fabs(v[0] - estimate) > std::fabs(v[1] - estimate) ? 0 : 1;
        v[far] = estimate;
        a[far] = p.alpha;
        if (std::fabs(p.alpha - alpha) < 0.02) break;
    }
    return estimate;
}

double rest_height(const Model_Api& api, const Perf_Condition& c) {
    Host host;
    host_init(host, api);
    return rest_pose(host.ground, c.mass, host.env.gravity).height;
}

// Flies a field scenario on the day of the condition, handing each frame to
// `on_sample`; false (with why) when the scenario does not parse.
bool fly_field(const Model_Api& api, const Perf_Condition& c, const char* text,
               const std::function<void(const Sample&)>& on_sample, Run_Result& run,
               std::string& why) {
    Scenario s;
    if (!parse_scenario(text, s, why)) {
        why = "field scenario: " + why;
        return false;
    }
    Run_Options o;
    o.temperature_offset = c.temperature_offset;
    o.on_sample = on_sample;
    run = run_scenario(s, api, o);
    return true;
}

}  // namespace

Field_Speeds field_speeds(Host& host, const Perf_Condition& c, const Field_Technique& t) {
    Field_Speeds s;
    Perf_Condition config = c;
    config.gear_down = true;
    config.flaps = t.takeoff_flaps;
    s.liftoff = speed_for_alpha(host, config, t.pitch_target);
    config.flaps = t.landing_flaps;
    s.approach = speed_for_alpha(host, config, t.approach_alpha);
    return s;
}

Takeoff_Result fly_takeoff(const Model_Api& api, const Perf_Condition& c, const Field_Technique& t,
                           double liftoff_kcas) {
    Takeoff_Result r;
    r.liftoff_estimate = liftoff_kcas;
    if (!std::isfinite(r.liftoff_estimate)) {
        r.why = "no level trim at the pitch target in the take-off configuration";
        return r;
    }
    r.rotate_kcas = t.rotate_factor * r.liftoff_estimate;
    const double screen = rest_height(api, c) + t.screen_height;
    char text[1024];
    std::snprintf(text, sizeof text,
                  "name take-off\nstart hot\nfuel %.17g\nmass %.17g\nflaps %.17g\nend 200\n"
                  "at 0 command wheel_brakes_on 1\nafter 0 throttle 1\nafter %.17g command "
                  "wheel_brakes_off 1\n"
                  "after 0 autopilot heading 0\nwhen kcas > %.17g autopilot pitch %.17g\n"
                  "when altitude > %.17g stop\n",
                  c.fuel, c.mass - c.fuel, t.takeoff_flaps, t.spool_time, r.rotate_kcas,
                  t.pitch_target, screen);
    double release_x = 0.0;
    bool reached = false;
    const auto on_sample = [&](const Sample& x) {
        if (x.groundspeed < 0.3) release_x = x.x;
        if (!reached && x.altitude >= screen) {
            reached = true;
            r.distance = x.x - release_x;
            r.screen_kcas = x.kcas;
        }
    };
    Run_Result run;
    if (!fly_field(api, c, text, on_sample, run, r.why)) return r;
    r.ground_roll = run.summary.value[SUM_takeoff_roll];
    r.liftoff_kcas = run.summary.value[SUM_liftoff_kcas];
    r.ok = run.completed && reached && run.summary.set[SUM_takeoff_roll];
    if (!r.ok) r.why = run.failure.empty() ? "did not reach the screen height" : run.failure;
    return r;
}

Landing_Result fly_landing(const Model_Api& api, const Perf_Condition& c, const Field_Technique& t,
                           double approach_kcas) {
    Landing_Result r;
    r.approach_kcas = approach_kcas;
    if (!std::isfinite(r.approach_kcas)) {
        r.why = "no level trim at the approach angle of attack in the landing configuration";
        return r;
    }
    const double rest = rest_height(api, c);
    const double start_height = 50.0;  // m, wheels above the runway
    const double tan_path = std::tan(t.path_deg / 57.29577951308232);
    const double tas = r.approach_kcas / kKnotsPerMps;  // near sea level
    char text[1024];
    std::snprintf(
        text, sizeof text,
        "name landing\nstart air trimmed\nfuel %.17g\nmass %.17g\nposition %.17g %.17g 0\n"
        "speed %.17g\ngear down\nflaps %.17g\nend 300\n"
        "at 0 autopilot climb %.17g\nafter 0 autopilot heading 0\n"
        "after 0 autopilot airspeed %.17g\nwhen altitude < %.17g autopilot climb -1\n"
        "when on_ground > 0.5 autopilot vertical off\nafter 0 autopilot speed off\n"
        "after 0 throttle 0\nafter 1 command brakes_axis -1\nwhen groundspeed < %.17g stop\n",
        c.fuel, c.mass - c.fuel, -start_height / tan_path, rest + start_height, r.approach_kcas,
        t.landing_flaps, -tas * std::sin(std::atan(tan_path)), r.approach_kcas, rest + 6.0,
        kStopSpeed);
    double screen_x = NAN, last_x = 0.0, last_speed = 1e9;
    const auto on_sample = [&](const Sample& x) {
        if (std::isnan(screen_x) && x.altitude <= rest + t.screen_height) screen_x = x.x;
        last_x = x.x;
        last_speed = x.groundspeed;
    };
    Run_Result run;
    if (!fly_field(api, c, text, on_sample, run, r.why)) return r;
    r.touchdown_kcas = run.summary.value[SUM_touchdown_kcas];
    r.touchdown_sink = run.summary.value[SUM_touchdown_sink];
    r.ground_roll = run.summary.value[SUM_landing_roll];
    r.distance = last_x - screen_x;
    r.ok = run.completed && std::isfinite(screen_x) && last_speed < kStopSpeed + 0.1 &&
           run.summary.set[SUM_landing_roll];
    if (!r.ok) r.why = run.failure.empty() ? "did not come to a stop" : run.failure;
    return r;
}

}  // namespace rig
