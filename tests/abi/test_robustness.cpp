// Robustness and determinism through the exports alone: hosts that never
// drain, null pointers everywhere, frame times of any value, unknown commands
// and parameter numbers, damage elements and events outside what the library
// handles; after each, every output reachable through the exports is
// finite. And a long flight over the whole envelope gives the outputs it
// gave when it was recorded, bit for bit. (Known commands at extreme values
// and starts in any order are seeds of the export fuzzer's corpus, which
// every test run replays.)
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "abi/host.h"
#include "support/protocol.h"

namespace {

// Animation arrays larger than either table, so every index the library
// writes is seen.
constexpr std::size_t kExternalArgs = 600;
constexpr std::size_t kCockpitArgs = 420;
// Parameter numbers: every one up to 3000, then every seventh up to 5000,
// and a few far beyond.
constexpr unsigned kDenseParams = 3000;
constexpr unsigned kSparseParams = 5000;
constexpr unsigned kSparseStep = 7;
// Six force lists, each capped at 4096 forces.
constexpr int kLists = 6;
constexpr int kListCap = 4096;

using qfm_test::contains;
using qfm_test::kCockpitParams;
using qfm_test::kCommands;

// 64-bit FNV-1a over the bytes of every value fed to it.
struct Hash {
    std::uint64_t value = 1469598103934665603ull;
    void bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            value ^= p[i];
            value *= 1099511628211ull;
        }
    }
    template <typename T>
    void add(const T& x) {
        bytes(&x, sizeof x);
    }
};

// Every output a host can read without changing the library's state, each
// passed to visit(what, index, value).
template <typename Visit>
void visit_outputs(const Host& host, Visit&& visit) {
    double f[6];
    double m[3];
    host.ed_fm_add_local_force(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    host.ed_fm_add_local_moment(&m[0], &m[1], &m[2]);
    for (int i = 0; i < 6; ++i) visit("force/point", i, f[i]);
    for (int i = 0; i < 3; ++i) visit("moment", i, m[i]);
    for (unsigned p = 0; p <= kDenseParams; ++p) visit("param", p, host.ed_fm_get_param(p));
    for (unsigned p = kDenseParams; p <= kSparseParams; p += kSparseStep) {
        visit("param", p, host.ed_fm_get_param(p));
    }
    visit("param", -1, host.ed_fm_get_param(0xffffffffu));
    std::vector<float> external(kExternalArgs, 0.0f);
    std::vector<float> cockpit(kCockpitArgs, 0.0f);
    host.ed_fm_set_draw_args_v2(external.data(), external.size());
    host.ed_fm_set_fc3_cockpit_draw_args_v2(cockpit.data(), cockpit.size());
    for (std::size_t i = 0; i < kExternalArgs; ++i) visit("external arg", long(i), external[i]);
    for (std::size_t i = 0; i < kCockpitArgs; ++i) visit("cockpit arg", long(i), cockpit[i]);
    visit("shake", 0, host.ed_fm_get_shake_amplitude());
    visit("internal fuel", 0, host.ed_fm_get_internal_fuel());
}

// Hash of visit_outputs, the repair flag and the shared parameter block.
std::uint64_t output_hash(const Host& host) {
    Hash h;
    visit_outputs(host, [&h](const char*, long, double v) { h.add(v); });
    h.add(host.ed_fm_need_to_be_repaired());
    h.add(*host.params);
    return h.value;
}

// Hash of both models' animation arguments: where every moving part is.
std::uint64_t animation_hash(const Host& host) {
    Hash h;
    visit_outputs(host, [&h](const char* what, long, double v) {
        if (std::strstr(what, " arg")) h.add(v);
    });
    return h.value;
}

struct Robustness : ::testing::Test {
    Host host;
    void SetUp() override { ASSERT_TRUE(host.load()) << host.error; }

    static Host::State cruise() {
        Host::State s;
        s.vx = 150.0;
        s.alpha = 0.05;
        return s;
    }

    static Host::State parked() {
        Host::State s;
        s.altitude = 1.5;
        return s;
    }

    void frame(const Host::State& s, double dt, bool on_ground) const {
        host.push(s);
        host.struts(on_ground ? 0.1 : 0.0);
        host.ed_fm_simulate(dt);
    }

    // Empty when every output is finite and every pending force component
    // (all drained, their number in *count) too, else what was not.
    std::string non_finite(int* count = nullptr) const {
        std::ostringstream bad;
        visit_outputs(host, [&bad](const char* what, long index, double v) {
            if (!std::isfinite(v)) bad << what << " " << index << " = " << v << "; ";
        });
        double c[6];
        int n = 0;
        while (host.ed_fm_add_local_force_component(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5])) {
            for (double v : c) {
                if (!std::isfinite(v)) bad << "component " << n << " = " << v << "; ";
            }
            ++n;
        }
        if (count) *count = n;
        return bad.str();
    }
};

}  // namespace

TEST_F(Robustness, HostThatNeverDrainsHasBoundedMemoryAndFiniteComponents) {
    host.ed_fm_set_internal_fuel(2500.0);
    host.ed_fm_hot_start_in_air();
    for (int i = 0; i < 2 * kListCap; ++i) frame(cruise(), 0.01, false);
    // Every list is at its cap: the library's heap use no longer changes.
    const std::size_t in_use = mallinfo2().uordblks;
    for (int i = 0; i < 2 * kListCap; ++i) frame(cruise(), 0.01, false);
    EXPECT_EQ(mallinfo2().uordblks, in_use);
    int count = 0;
    EXPECT_EQ(non_finite(&count), "");
    EXPECT_EQ(count, kLists * kListCap);
    // Drained, the lists fill again from empty: one component per list.
    frame(cruise(), 0.01, false);
    EXPECT_EQ(non_finite(&count), "");
    EXPECT_EQ(count, kLists);
}

TEST_F(Robustness, NullPointersInEveryPositionWriteNothingAndLoseNothing) {
    host.ed_fm_hot_start_in_air();
    frame(cruise(), 0.01, false);
    EXPECT_EQ(non_finite(), "");
    frame(cruise(), 0.01, false);
    double v[7] = {};
    for (int null_at = 0; null_at < 7; ++null_at) {
        double* p[7];
        for (int i = 0; i < 7; ++i) p[i] = i == null_at ? nullptr : &v[i];
        host.ed_fm_add_local_force(p[0], p[1], p[2], p[3], p[4], p[5]);
        host.ed_fm_add_local_moment(p[0], p[1], p[2]);
        if (null_at < 6) {
            // A component the host cannot take stays pending.
            EXPECT_FALSE(host.ed_fm_add_local_force_component(p[0], p[1], p[2], p[3], p[4], p[5]));
        }
        EXPECT_FALSE(host.ed_fm_change_mass(p[0], p[1], p[2], p[3], p[4], p[5], p[6]));
    }
    int count = 0;
    EXPECT_EQ(non_finite(&count), "");
    EXPECT_EQ(count, kLists);
    // Nulls to every other export are the fuzzer's (its calls pass them in
    // any position).
}

TEST_F(Robustness, ShortAnimationArraysAreWrittenOnlyWithinTheirSize) {
    host.ed_fm_hot_start();
    frame(parked(), 0.01, true);
    const std::size_t sizes[] = {
        0, 1, 50, QFM_COCKPIT_LAMP_GEAR_PANEL + 1, QFM_COCKPIT_ARG_COUNT, QFM_EXTERNAL_ARG_COUNT};
    for (std::size_t size : sizes) {
        // A guard value past the end must survive.
        std::vector<float> external(size + 1, -7.0f);
        std::vector<float> cockpit(size + 1, -7.0f);
        host.ed_fm_set_draw_args_v2(external.data(), size);
        host.ed_fm_set_fc3_cockpit_draw_args_v2(cockpit.data(), size);
        EXPECT_EQ(external[size], -7.0f) << size;
        EXPECT_EQ(cockpit[size], -7.0f) << size;
    }
}

// Frame times at the ends of the double range keep every output finite:
// the fuzzer's frame times include them. Here, that a frame time which is
// not positive and finite moves nothing, and the aircraft flies on after it.
TEST_F(Robustness, FrameTimesThatAreNotPositiveAndFiniteMoveNothing) {
    const double frame_times[] = {0.0, -0.0, -0.01, -1e300, std::nan(""), INFINITY, -INFINITY};
    for (bool on_ground : {false, true}) {
        host.ed_fm_set_internal_fuel(2500.0);
        if (on_ground) {
            host.ed_fm_hot_start();
        } else {
            host.ed_fm_hot_start_in_air();
        }
        const Host::State s = on_ground ? parked() : cruise();
        for (int i = 0; i < 20; ++i) frame(s, 0.01, on_ground);
        for (double dt : frame_times) {
            const std::uint64_t before = animation_hash(host);
            for (int i = 0; i < 100; ++i) frame(s, dt, on_ground);
            EXPECT_EQ(animation_hash(host), before) << dt << (on_ground ? " on ground" : "");
            for (int i = 0; i < 20; ++i) frame(s, 0.01, on_ground);
            ASSERT_EQ(non_finite(), "") << "after dt " << dt;
        }
    }
}

TEST_F(Robustness, StateBeyondAnyFlightIsHeldToItsBoundsWithTrapsOn) {
    host.ed_fm_set_internal_fuel(2500.0);
    host.ed_fm_hot_start_in_air();
    // 1e200 m/s before any atmosphere (0 density times an infinite square).
    host.ed_fm_set_current_state_body_axis(0, 0, 0, 1e200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0.05, 0);
    host.ed_fm_set_surface(-1.5, -1.5, 0, 0, 1, 0);
    host.ed_fm_simulate(0.02);
    EXPECT_EQ(host.params->body_vel_x, 2000.0);
    EXPECT_EQ(non_finite(), "");
    // 1.4e154 m/s at sea level, whose square overflows; then 1e7 m below
    // sea level, where the cabin's exp overflowed.
    Host::State s = cruise();
    s.vx = 1.4e154;
    s.altitude = 0.0;
    s.surface = -1.5;
    frame(s, 0.02, false);
    EXPECT_EQ(non_finite(), "");
    s = cruise();
    s.altitude = -1e7;
    s.surface = -1e7 - 1.5;
    frame(s, 0.02, false);
    EXPECT_EQ(non_finite(), "");
    // Inside the bounds a value passes bit for bit.
    s.vx = 1999.75;
    frame(s, 0.02, false);
    EXPECT_EQ(host.params->body_vel_x, 1999.75);
}

TEST_F(Robustness, EachStartTwiceIsTheStartOnce) {
    for (void (*start)() :
         {host.ed_fm_cold_start, host.ed_fm_hot_start, host.ed_fm_hot_start_in_air}) {
        start();
        const std::uint64_t once = output_hash(host);
        start();
        EXPECT_EQ(output_hash(host), once);
    }
}

TEST_F(Robustness, UnknownCommandsAndParameterNumbersChangeNothing) {
    host.ed_fm_hot_start_in_air();
    frame(cruise(), 0.01, false);
    EXPECT_EQ(non_finite(), "");
    const std::uint64_t before = output_hash(host);
    const float values[] = {0.0f, 1.0f, -1.0f, 0.5f, 1.5f, 1e30f, -FLT_MAX, FLT_MAX};
    // The extremes, both neighbours of every known number, and a sweep.
    std::vector<int> unknown = {INT_MIN, -1, 0, 1, 100000, INT_MAX};
    for (int c : kCommands) {
        for (int n : {c - 1, c + 1}) {
            if (!contains(kCommands, n)) unknown.push_back(n);
        }
    }
    for (int c = 0; c < 4000; c += 13) {
        if (!contains(kCommands, c)) unknown.push_back(c);
    }
    for (int c : unknown) {
        for (float v : values) host.ed_fm_set_command(c, v);
    }
    EXPECT_EQ(output_hash(host), before);

    // Parameter numbers the library does not know read 0.0.
    for (unsigned p = 0; p < 100000; p += (p < 5000 ? 1 : 997)) {
        if (!contains(qfm_test::kParams, p)) {
            ASSERT_EQ(host.ed_fm_get_param(p), 0.0) << p;
        }
    }
    EXPECT_EQ(host.ed_fm_get_param(0xffffffffu), 0.0);
}

TEST_F(Robustness, NonFiniteCommandValuesAreIgnored) {
    host.ed_fm_hot_start_in_air();
    frame(cruise(), 0.01, false);
    const std::uint64_t before = output_hash(host);
    const double pedal = host.params->pedal_position;
    // Traps stay on: the value must be refused before anything compares it.
    const float values[] = {std::nanf(""), INFINITY, -INFINITY};
    // Commands that ignore their value act whatever it is.
    for (int c = 70; c < 3070; ++c) {
        if (contains(qfm_test::kValueFreeCommands, c)) continue;
        for (float v : values) host.ed_fm_set_command(c, v);
    }
    EXPECT_EQ(output_hash(host), before);
    EXPECT_EQ(host.params->pedal_position, pedal);

    host.ed_fm_set_command(QFM_CMD_WHEEL_BRAKES_ON, std::nanf(""));
    EXPECT_EQ(host.ed_fm_get_param(QFM_PARAM_LEFT_BRAKE), 1.0);
    host.ed_fm_set_command(QFM_CMD_PEDAL_RIGHT, INFINITY);
    EXPECT_EQ(host.params->pedal_position, pedal + 0.01);
}

TEST_F(Robustness, DamageOutsideTheTableAndEventsOfOtherTypesAreIgnored) {
    host.ed_fm_hot_start_in_air();
    frame(cruise(), 0.01, false);
    EXPECT_EQ(non_finite(), "");
    const std::uint64_t before = output_hash(host);
    for (int element : {INT_MIN, -QFM_DAMAGE_ELEMENTS, -1, QFM_DAMAGE_ELEMENTS,
                        QFM_DAMAGE_ELEMENTS + 1, INT_MAX}) {
        host.ed_fm_on_damage(element, 1.0);
        host.ed_fm_on_damage(element, 1e300);
    }
    EXPECT_FALSE(host.ed_fm_need_to_be_repaired());

    Qfm_Simulation_Event event;
    std::memset(&event, 0x5A, sizeof event);
    event.event_params[0] = 2.0f;
    for (unsigned type :
         {0u, QFM_EVENT_TYPE - 1, QFM_EVENT_TYPE + 1, QFM_EVENT_TYPE | 0x80000000u, 0xffffffffu}) {
        event.event_type = type;
        EXPECT_FALSE(host.ed_fm_push_simulation_event(&event)) << type;
    }
    EXPECT_EQ(output_hash(host), before);
    Qfm_Simulation_Event out;
    std::memset(&out, 0x33, sizeof out);
    EXPECT_FALSE(host.ed_fm_pop_simulation_event(&out));
    EXPECT_EQ(out.event_type, 0x33333333u);  // untouched

    // Traps stay on: a NaN or an infinity from the host is refused before
    // anything compares it, and leaves the state as it was.
    host.ed_fm_set_internal_fuel(2000.0);
    host.ed_fm_on_damage(5, -1.0);  // only values above 0 count
    EXPECT_FALSE(host.ed_fm_need_to_be_repaired());
    host.ed_fm_on_damage(5, 0.3);
    const double event_state = host.params->host_event_state;
    event.event_type = QFM_EVENT_TYPE;
    for (float bad : {std::nanf(""), INFINITY, -INFINITY}) {
        host.ed_fm_set_internal_fuel(bad);
        host.ed_fm_refueling_add_fuel(bad);
        host.ed_fm_on_damage(5, std::nan(""));
        host.ed_fm_on_damage(0, std::nan(""));
        event.event_params[0] = bad;
        EXPECT_FALSE(host.ed_fm_push_simulation_event(&event)) << bad;
    }
    EXPECT_EQ(host.ed_fm_get_internal_fuel(), 2000.0);
    EXPECT_TRUE(host.ed_fm_need_to_be_repaired());
    EXPECT_EQ(host.params->host_event_state, event_state);
    host.ed_fm_repair();
    host.ed_fm_on_damage(0, std::nan(""));
    host.ed_fm_on_damage(QFM_DAMAGE_ELEMENTS - 1, -INFINITY);
    EXPECT_FALSE(host.ed_fm_need_to_be_repaired());
    for (int i = 0; i < 5; ++i) frame(cruise(), 0.01, false);
    EXPECT_FALSE(host.ed_fm_pop_simulation_event(&out));
    EXPECT_EQ(non_finite(), "");
    host.ed_fm_repair();
    EXPECT_FALSE(host.ed_fm_need_to_be_repaired());
}

namespace {

// A long flight over the whole envelope the tables cover: angle of attack
// from -34 to 57 degrees, sideslip to +-34 degrees, 40 to 300 m/s, 200 m to
// 13,400 m (both ends of the cabin schedule), a ground run with the struts
// loaded, the gear and flaps cycled. Every input is finite and physical, so
// its hash is fixed: a change that moves any output by one bit changes it.
std::uint64_t fly_envelope_sweep() {
    Host host;
    if (!host.load()) return 0;
    host.ed_fm_set_internal_fuel(3000.0);
    host.ed_fm_hot_start_in_air();
    Hash h;
    for (int i = 0; i < 20000; ++i) {
        const double t = i * 0.01;
        const bool on_ground = i >= 15000 && i < 16000;
        Host::State s;
        s.vx = 170.0 + 130.0 * std::sin(0.031 * t);
        s.vy = 20.0 * std::sin(0.23 * t);
        s.vz = 15.0 * std::cos(0.17 * t);
        s.alpha = 0.2 + 0.8 * std::sin(0.047 * t);
        s.beta = 0.6 * std::sin(0.061 * t);
        s.p = 1.5 * std::sin(0.41 * t);
        s.q = 0.4 * std::cos(0.29 * t);
        s.r_host = 0.3 * std::sin(0.37 * t);
        s.yaw = 3.0 * std::sin(0.013 * t);
        s.pitch = 0.5 * std::sin(0.019 * t);
        s.roll = 1.2 * std::sin(0.027 * t);
        s.altitude = on_ground ? 101.5 : 6800.0 - 6600.0 * std::cos(0.011 * t);
        s.surface = 100.0;
        s.cg_x = 0.3 * std::sin(0.05 * t);
        host.push(s);
        host.struts(on_ground ? 0.1 : 0.0);
        host.ed_fm_set_command(QFM_CMD_PITCH_AXIS, static_cast<float>(0.9 * std::sin(0.8 * t)));
        host.ed_fm_set_command(QFM_CMD_ROLL_AXIS, static_cast<float>(0.9 * std::cos(0.5 * t)));
        host.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, static_cast<float>(0.9 * std::sin(0.3 * t)));
        host.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, static_cast<float>(std::sin(0.07 * t)));
        // Speed brake out and in, flap lever over its three stops, gear
        // handle up and down.
        if (i % 2500 == 0)
            host.ed_fm_set_command(QFM_CMD_SPEED_BRAKE, i % 5000 == 0 ? 1.0f : -1.0f);
        if (i % 2000 == 1000)
            host.ed_fm_set_command(QFM_CMD_FLAP_LEVER, static_cast<float>((i / 2000) % 3) * 0.5f);
        if (i % 7000 == 3500)
            host.ed_fm_set_command(QFM_CMD_GEAR_HANDLE, (i / 7000) % 2 == 0 ? 1.0f : 0.0f);
        host.ed_fm_simulate(0.01);
        h.add(output_hash(host));
        double c[6];
        while (host.ed_fm_add_local_force_component(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5])) {
            h.add(c);
        }
        h.add(host.mass_change());
        for (const char* name : kCockpitParams) h.add(host.cockpit(name));
    }
    return h.value;
}

}  // namespace

TEST(Determinism, EnvelopeSweepOutputsAreUnchanged) {
    // Recorded when the sweep was written; any change in any output of a
    // finite, physical flight is a change of the model and must be deliberate.
    EXPECT_EQ(fly_envelope_sweep(), 15140801669112902475ull);
}
