#include "flight/summary.h"

#include <cmath>
#include <cstring>

namespace rig {
namespace {

constexpr double kStandstillSpeed = 3.0;    // m/s, where a take-off roll starts
constexpr double kStoppedSpeed = 0.5;       // m/s, where a landing roll ends
constexpr double kLevelClimbRate = 2.0;     // m/s
constexpr double kMinLevelDuration = 20.0;  // s
constexpr double kClimbTolerance = 30.0;    // m
constexpr double kIdleRpm = 55.0;           // %
constexpr double kFlameoutRpm = 50.0;       // %
// A contact counts as a landing only after this long in the air; shorter
// hops are bounces of the take-off run.
constexpr double kMinFlightTime = 5.0;  // s

struct Summary_Entry {
    const char* name;
    const char* unit;
};

constexpr Summary_Entry kEntries[] = {
#define RIG_ENTRY(name, unit, meaning) {#name, unit},
    RIG_SUMMARY(RIG_ENTRY)
#undef RIG_ENTRY
};

void put(Summary& s, int i, double v) {
    s.value[i] = v;
    s.set[i] = true;
}

void put_once(Summary& s, int i, double v) {
    if (!s.set[i]) put(s, i, v);
}

void put_max(Summary& s, int i, double v) {
    if (!s.set[i] || v > s.value[i]) put(s, i, v);
}

void put_min(Summary& s, int i, double v) {
    if (!s.set[i] || v < s.value[i]) put(s, i, v);
}

double horizontal_distance(const V3& a, const V3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

void close_level_stretch(Summary_Tracker& t, double time) {
    if (t.level_start < 0.0) return;
    const double duration = time - t.level_start;
    if (duration >= kMinLevelDuration && t.level_samples > 0.0) {
        Summary& s = t.summary;
        const double n = t.level_samples;
        const double mean_altitude = t.sum_altitude / n;
        put(s, SUM_cruise_duration, duration);
        put(s, SUM_cruise_altitude, mean_altitude);
        put(s, SUM_cruise_altitude_dev,
            std::fmax(t.max_level_altitude - mean_altitude, mean_altitude - t.min_level_altitude));
        put(s, SUM_cruise_kcas, t.sum_kcas / n);
        put(s, SUM_cruise_alpha, t.sum_alpha / n);
        put(s, SUM_cruise_throttle, t.sum_throttle / n);
        put(s, SUM_cruise_rpm, t.sum_rpm / n);
    }
    t.level_start = -1.0;
}

std::string format_event(double time, const std::string& what) {
    char prefix[32];
    std::snprintf(prefix, sizeof(prefix), "t=%8.2f s  ", time);
    return prefix + what;
}

}  // namespace

int find_summary_value(const std::string& name) {
    for (int i = 0; i < SUM_COUNT; ++i) {
        if (name == kEntries[i].name) return i;
    }
    return -1;
}

const char* summary_name(int index) { return kEntries[index].name; }
const char* summary_unit(int index) { return kEntries[index].unit; }

void summary_begin(Summary_Tracker& t, const Sample& first) {
    t = Summary_Tracker{};
    t.started = true;
    t.initial_fuel = first.fuel;
    t.was_on_ground = first.on_ground > 0.5;
    t.airborne = !t.was_on_ground;
    if (t.airborne) t.airborne_since = first.t;
    t.engine_running = first.rpm >= kIdleRpm;
    t.last_standstill = {first.x, 0.0, first.z};
    t.gear_retracted = first.gear_nose == 0.0 && first.gear_left == 0.0 && first.gear_right == 0.0;
}

void summary_note(Summary_Tracker& t, double time, const std::string& what) {
    t.summary.events.push_back(format_event(time, what));
}

void summary_altitude_target(Summary_Tracker& t, double time, double target) {
    t.altitude_target = target;
    t.has_altitude_target = true;
    put(t.summary, SUM_climb_target, target);
    if (!t.summary.set[SUM_climb_time]) {
        t.climbing = true;
        if (t.airborne && !t.summary.set[SUM_liftoff_time]) t.climb_start = time;
    }
}

void summary_update(Summary_Tracker& t, const Sample& s) {
    Summary& sum = t.summary;
    const bool on_ground = s.on_ground > 0.5;
    const V3 here{s.x, 0.0, s.z};

    // Take-off: the roll starts at the last standstill on the ground.
    if (on_ground && s.groundspeed < kStandstillSpeed) t.last_standstill = here;
    if (t.was_on_ground && !on_ground && !sum.set[SUM_liftoff_time]) {
        put(sum, SUM_liftoff_time, s.t);
        put(sum, SUM_liftoff_kcas, s.kcas);
        put(sum, SUM_takeoff_roll, horizontal_distance(here, t.last_standstill));
        summary_note(t, s.t, "lift-off");
        t.climb_start = s.t;
    }
    if (on_ground) {
        t.airborne_since = -1.0;
    } else if (t.airborne_since < 0.0) {
        t.airborne_since = s.t;
    }
    if (!on_ground && s.t - t.airborne_since >= kMinFlightTime) t.airborne = true;

    // Landing: first contact after flying, then the roll to a standstill.
    if (!t.was_on_ground && on_ground && t.airborne && !sum.set[SUM_touchdown_time]) {
        put(sum, SUM_touchdown_time, s.t);
        put(sum, SUM_touchdown_sink, -s.vs);
        put(sum, SUM_touchdown_kcas, s.kcas);
        t.touchdown_position = here;
        t.rolling_out = true;
        summary_note(t, s.t, "touchdown");
    }
    if (t.rolling_out && on_ground && s.groundspeed < kStoppedSpeed) {
        put(sum, SUM_landing_roll, horizontal_distance(here, t.touchdown_position));
        t.rolling_out = false;
        summary_note(t, s.t, "stopped");
    }
    t.was_on_ground = on_ground;

    // Climb to the altitude target.
    if (t.climbing && t.has_altitude_target && t.airborne &&
        std::fabs(s.altitude - t.altitude_target) <= kClimbTolerance) {
        put(sum, SUM_climb_time, s.t - t.climb_start);
        t.climbing = false;
    }

    // Level flight.
    const bool level = !on_ground && std::fabs(s.vs) < kLevelClimbRate;
    if (level) {
        if (t.level_start < 0.0) {
            t.level_start = s.t;
            t.level_samples = 0.0;
            t.sum_altitude = t.sum_kcas = t.sum_alpha = t.sum_throttle = t.sum_rpm = 0.0;
            t.min_level_altitude = t.max_level_altitude = s.altitude;
        }
        t.level_samples += 1.0;
        t.sum_altitude += s.altitude;
        t.sum_kcas += s.kcas;
        t.sum_alpha += s.alpha;
        t.sum_throttle += s.throttle;
        t.sum_rpm += s.rpm;
        t.min_level_altitude = std::fmin(t.min_level_altitude, s.altitude);
        t.max_level_altitude = std::fmax(t.max_level_altitude, s.altitude);
    } else {
        close_level_stretch(t, s.t);
    }

    // Engine.
    if (!t.engine_running && s.rpm >= kIdleRpm) {
        t.engine_running = true;
        if (t.flamed_out) {
            put_once(sum, SUM_relight_time, s.t);
            summary_note(t, s.t, "engine relit");
        } else {
            put_once(sum, SUM_engine_lit_time, s.t);
            summary_note(t, s.t, "engine at idle");
        }
    }
    if (t.engine_running && s.rpm < kFlameoutRpm) {
        t.engine_running = false;
        t.flamed_out = true;
        put_once(sum, SUM_flameout_time, s.t);
        summary_note(t, s.t, "engine run-down (flame-out or shut-down)");
    }

    // Gear.
    const bool retracted = s.gear_nose == 0.0 && s.gear_left == 0.0 && s.gear_right == 0.0;
    if (retracted && !t.gear_retracted) {
        put_once(sum, SUM_gear_up_time, s.t);
        summary_note(t, s.t, "gear up");
    }
    if (!retracted && t.gear_retracted) summary_note(t, s.t, "gear leaving the up locks");
    t.gear_retracted = retracted;

    if (s.event != 0.0) {
        char text[96];
        std::snprintf(text, sizeof(text), "simulation event type %.0f, first parameter %g", s.event,
                      s.event_param);
        summary_note(t, s.t, text);
    }

    put_max(sum, SUM_max_altitude, s.altitude);
    put_max(sum, SUM_max_kcas, s.kcas);
    if (!on_ground) {
        put_max(sum, SUM_max_alpha, s.alpha);
        put_min(sum, SUM_min_nz, s.nz);
        put_max(sum, SUM_max_nz, s.nz);
    }
}

void summary_finish(Summary_Tracker& t, const Sample& last) {
    close_level_stretch(t, last.t);
    put(t.summary, SUM_fuel_used, t.initial_fuel - last.fuel);
    put(t.summary, SUM_end_time, last.t);
}

void print_summary(std::FILE* out, const Summary& s) {
    std::fprintf(out, "\n  %-22s %14s  %s\n", "summary", "value", "unit");
    std::fprintf(out, "  %-22s %14s  %s\n", "----------------------", "--------------", "----");
    for (int i = 0; i < SUM_COUNT; ++i) {
        if (!s.set[i]) continue;
        const double v = s.value[i];
        std::fprintf(
            out, std::fabs(v) >= 1.0 || v == 0.0 ? "  %-22s %14.2f  %s\n" : "  %-22s %14.4f  %s\n",
            kEntries[i].name, v, kEntries[i].unit);
    }
    if (!s.events.empty()) {
        std::fprintf(out, "\n  events\n");
        for (const std::string& e : s.events) std::fprintf(out, "  %s\n", e.c_str());
    }
}

}  // namespace rig
