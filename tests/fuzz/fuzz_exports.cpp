// libFuzzer target: decodes the input bytes into a sequence of export calls
// with arbitrary arguments (every double the bits can spell: NaN, the
// infinities, huge, tiny, subnormal and negative values; unknown commands
// and parameter numbers, null pointers, short animation arrays with their
// true size, any strut index, events of any type, starts in any order,
// frame times short, long and absurd) and runs it on the statically linked
// model.
//
// Floating-point traps (invalid operation, division by zero, overflow) are
// on for the whole sequence, so an input fails where any step of the
// library first makes a NaN or an infinity, as well as on any crash or
// sanitizer report. The impact-point cue, which is not finite at or below
// the surface by design, computes with exceptions held and so trips no trap.
//
// The first byte of an input makes its sequence either finite (every value
// a finite double or float) or wild (non-finite values as well). Either
// way the library must hold every output finite: a summed force or moment,
// force component, mass change, parameter, animation argument, event
// parameter, shake amplitude, fuel value or cockpit parameter other than
// the impact-point cue.
//
// Every input starts from the state the library had right after load (the
// records are restored, support/model_state.cpp), so a finding replays on
// its own. The byte format is tests/fuzz/make_seed_corpus.py's: keep the
// lists below in their order.
#include <fenv.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "cockpit_standin.h"
#include "host/finite_bits.h"
#include "quillon_fm.h"
#include "support/protocol.h"

void reset_model();  // support/model_state.cpp

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr float kFloatMax = std::numeric_limits<float>::max();

template <typename T, std::size_t N>
constexpr int count(const T (&)[N]) {
    return static_cast<int>(N);
}

// clang-format off
// Values the decoder picks by one byte; the rest come as raw bit patterns.
const double kPalette[] = {
    0.0, -0.0, 1.0, -1.0, 0.5, -0.5, 2.0, 0.01, 0.005, 0.1, 10.0, 100.0, 150.0, 340.0, 1000.0,
    1e6, 1e9, -1e9, 1e-9, -1e-9, 45.0, 90.0, -30.0, 5.0, 4.9, 1500.0, 1600.0, 3000.0, 600.0,
    0.98, 55.0, 60.0, 1.225, 101325.0, 288.15, 253.0, 273.0, 263.0, 0.9, 1e300, -1e300, 1e-300,
    kInf, -kInf, std::numeric_limits<double>::quiet_NaN(), kMax,
    std::numeric_limits<double>::denorm_min(), -kMax, 0.3, 3.0};
// Command numbers the library does not know, and extremes, after its own.
constexpr int kOtherCommands[] = {0, -1, 1000, 3026, 3039, 3040, 5000,
                                  std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
// Parameter numbers the host reads, and some it does not.
const unsigned kParamNumbers[] = {
    0, QFM_PARAM_GTS_RPM_FRACTION_A, QFM_PARAM_GTS_RPM_PERCENT_A, QFM_PARAM_GTS_RPM_FRACTION_B,
    QFM_PARAM_ONE_A, QFM_PARAM_GTS_RPM_PERCENT_B, QFM_PARAM_RPM_FRACTION_A, QFM_PARAM_N1_FRACTION,
    QFM_PARAM_ENGINE_SPEED_A, QFM_PARAM_FUEL_FLOW_A, QFM_PARAM_GTS_RPM_PERCENT_C, 2001,
    QFM_PARAM_NOSE_GEAR, QFM_PARAM_STEERING, QFM_PARAM_LEFT_BRAKE, QFM_PARAM_LEFT_GEAR,
    QFM_PARAM_LEFT_GEAR_UP, QFM_PARAM_LEFT_GEAR_DOWN, QFM_PARAM_RIGHT_BRAKE, QFM_PARAM_RIGHT_GEAR,
    QFM_PARAM_RIGHT_GEAR_UP, QFM_PARAM_RIGHT_GEAR_DOWN, QFM_PARAM_INTERNAL_FUEL_A,
    QFM_PARAM_INTERNAL_FUEL_B, QFM_PARAM_LOW_FUEL, QFM_PARAM_GEAR_PANEL, QFM_PARAM_ONE_E,
    QFM_PARAM_ONE_F, QFM_PARAM_CABIN_PRESSURE, 4999, 5000, 0xffffffffu};
// Array sizes for the animation arguments: empty, short, the host's, larger.
const std::size_t kArraySizes[] = {
    0, 1, 7, 50, QFM_COCKPIT_LAMP_ENGINE_RPM, 100, QFM_COCKPIT_LAMP_GEAR_PANEL + 1,
    QFM_COCKPIT_ARG_COUNT - 1, QFM_COCKPIT_ARG_COUNT, QFM_ARG_SPEED_BRAKE, QFM_EXTERNAL_ARG_COUNT,
    600};
// clang-format on
// Picks from here up take a raw bit pattern.
constexpr int kRawPick = 224;
constexpr int kKnownCommands = count(qfm_test::kCommands);
constexpr int kTraps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

[[noreturn]] void fail(const char* what, double value) {
    fedisableexcept(kTraps);
    std::fprintf(stderr, "non-finite %s (%g)\n", what, value);
    std::abort();
}

void expect_finite(const char* what, double value) {
    if (!std::isfinite(value)) fail(what, value);
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    // The first byte of an input chooses a finite sequence (even) or a wild
    // one (odd: NaN and the infinities too).
    bool finite_only = false;

    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }

    // The next sizeof(T) bytes as a T; missing bytes at the end read as 0.
    template <typename T>
    T raw() {
        unsigned char bytes[sizeof(T)] = {};
        const std::size_t n = size < sizeof(T) ? size : sizeof(T);
        if (n > 0) std::memcpy(bytes, data, n);
        data += n;
        size -= n;
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

    // A value of the host's state. One byte picks a palette value, or a
    // value of two more bytes in hundredths (-327.68 .. 327.67, the range
    // of most host values), or the bit pattern of eight more bytes: any
    // double at all. In a finite sequence a NaN becomes 0 and an infinity
    // the largest double of its sign, classified from the bits: traps are
    // on, and the bits may spell a signalling NaN.
    double state() {
        const std::uint8_t pick = byte();
        const double v = pick < count(kPalette) ? kPalette[pick]
                         : pick < kRawPick      ? raw<std::int16_t>() / 100.0
                                                : raw<double>();
        if (!finite_only || finite_bits(v)) return v;
        return nan_bits(v) ? 0.0 : std::copysign(kMax, v);
    }

    // A frame time: mostly a host's short frame (1 to 50 ms, where the lags
    // and rate limiters keep what they take), otherwise any double.
    double dt() { return byte() < 160 ? 0.001 + 0.049 * (byte() / 255.0) : state(); }

    // A command value or event parameter: any float, finite in a finite
    // sequence (a NaN becomes 0, anything beyond the float range the
    // largest float of its sign; in a wild one the float infinity).
    float single() {
        const std::uint8_t pick = byte();
        if (pick >= kRawPick) {
            // Any float the bits spell, signalling NaNs among them; looked
            // at through its bits only.
            const float f = raw<float>();
            if (finite_bits(f) || !finite_only) return f;
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            return (bits & 0x7fffffffu) > 0x7f800000u ? 0.0f : std::copysign(kFloatMax, f);
        }
        const double v = pick < count(kPalette) ? kPalette[pick] : raw<std::int16_t>() / 100.0;
        if (std::isnan(v)) return finite_only ? 0.0f : std::numeric_limits<float>::quiet_NaN();
        if (v >= -kFloatMax && v <= kFloatMax) return static_cast<float>(v);
        const float big = finite_only ? kFloatMax : std::numeric_limits<float>::infinity();
        return v > 0.0 ? big : -big;
    }

    int command() {
        const std::uint8_t pick = byte();
        if (pick < kKnownCommands) return qfm_test::kCommands[pick];
        return pick < kKnownCommands + count(kOtherCommands) ? kOtherCommands[pick - kKnownCommands]
                                                             : raw<int>();
    }

    unsigned param_number() {
        const std::uint8_t pick = byte();
        return pick < count(kParamNumbers) ? kParamNumbers[pick] : raw<unsigned>();
    }

    bool flag() { return (byte() & 1) != 0; }
};

// Host-owned out-parameters, or null where a mask bit says so; every value
// written must be finite.
struct Outs {
    double v[7] = {};
    unsigned mask = 0;
    double* operator[](int i) { return (mask >> i) & 1 ? nullptr : &v[i]; }
    void check(const char* what) const {
        for (double x : v) expect_finite(what, x);
    }
};

// After a frame: every output the host reads without changing the state.
void check_outputs() {
    Outs out;
    ed_fm_add_local_force(out[0], out[1], out[2], out[3], out[4], out[5]);
    out.check("summed force or its point");
    ed_fm_add_local_moment(out[0], out[1], out[2]);
    out.check("summed moment");
    expect_finite("shake amplitude", ed_fm_get_shake_amplitude());
    expect_finite("internal fuel", ed_fm_get_internal_fuel());
    for (unsigned p : kParamNumbers) expect_finite("parameter", ed_fm_get_param(p));
    for (const char* name : qfm_test::kCockpitParams) {
        double value = 0.0;
        if (std::strcmp(name, QFM_COCKPIT_PARAM_CCIP) != 0 && standin_get_number(name, &value)) {
            expect_finite(name, value);
        }
    }
}

void draw_args(Reader& in, void (*write)(float*, std::size_t)) {
    const std::uint8_t pick = in.byte();
    const std::size_t size = kArraySizes[pick % count(kArraySizes)];
    if (pick & 0x80) {
        write(nullptr, size);  // a null array, whatever size the host claims
        return;
    }
    // Exactly size floats on the heap, so that a write past the end is an
    // address-sanitizer report.
    std::vector<float> args(size, 0.0f);
    write(args.data(), size);
    for (float v : args) expect_finite("animation argument", v);
}

void run_op(Reader& in) {
    Outs out;
    double v[20];
    Qfm_Simulation_Event event;
    std::memset(&event, 0, sizeof event);
    auto states = [&](int n) {
        for (int i = 0; i < n; ++i) v[i] = in.state();
    };
    switch (in.byte() % 22) {
        case 0:
            ed_fm_simulate(in.dt());
            check_outputs();
            break;
        case 1:
            states(20);
            ed_fm_set_current_state_body_axis(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8],
                                              v[9], v[10], v[11], v[12], v[13], v[14], v[15], v[16],
                                              v[17], v[18], v[19]);
            break;
        case 2:
            states(3);
            ed_fm_set_current_state(0, 0, 0, v[0], v[1], v[2], 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    1);
            break;
        case 3:
            states(7);
            ed_fm_set_current_mass_state(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
            break;
        case 4:
            states(8);
            ed_fm_set_atmosphere(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            break;
        case 5: {
            states(2);
            const unsigned type = in.raw<unsigned>();
            v[2] = in.state();
            v[3] = in.state();
            v[4] = in.state();
            ed_fm_set_surface(v[0], v[1], type, v[2], v[3], v[4]);
            break;
        }
        case 6: {
            const std::uint8_t pick = in.byte();
            const int idx = pick < 8 ? static_cast<int>(pick) - 2 : in.raw<int>();
            states(QFM_SUSPENSION_RECORD_DOUBLES);
            ed_fm_suspension_feedback(idx, in.flag() ? nullptr : v);
            break;
        }
        case 7: {
            const int command = in.command();
            ed_fm_set_command(command, in.single());
            break;
        }
        case 8:
            out.mask = in.byte();
            ed_fm_add_local_force(out[0], out[1], out[2], out[3], out[4], out[5]);
            out.check("summed force");
            break;
        case 9:
            out.mask = in.byte();
            ed_fm_add_local_moment(out[0], out[1], out[2]);
            out.check("summed moment");
            break;
        case 10: {
            // Pull up to count components; a mask with bits set passes a null.
            const int n = in.byte() % 40;
            out.mask = in.byte() & 0x3f;
            for (int i = 0; i < n && ed_fm_add_local_force_component(out[0], out[1], out[2], out[3],
                                                                     out[4], out[5]);
                 ++i) {
                out.check("force component");
            }
            break;
        }
        case 11:
            out.mask = in.byte() & 0x7f;
            ed_fm_change_mass(out[0], out[1], out[2], out[3], out[4], out[5], out[6]);
            out.check("mass change");
            break;
        case 12:
            expect_finite("parameter", ed_fm_get_param(in.param_number()));
            break;
        case 13:
            draw_args(in, ed_fm_set_draw_args_v2);
            break;
        case 14:
            draw_args(in, ed_fm_set_fc3_cockpit_draw_args_v2);
            break;
        case 15:
            expect_finite("shake amplitude", ed_fm_get_shake_amplitude());
            break;
        case 16: {
            void (*const starts[])() = {ed_fm_cold_start, ed_fm_hot_start, ed_fm_hot_start_in_air,
                                        ed_fm_release, ed_fm_repair};
            starts[in.byte() % 5]();
            break;
        }
        case 17: {
            const std::uint8_t pick = in.byte();
            const int element = pick < 200 ? static_cast<int>(pick) * 2 - 30 : in.raw<int>();
            ed_fm_on_damage(element, in.state());
            (void)ed_fm_need_to_be_repaired();
            ed_fm_set_immortal(in.flag());
            break;
        }
        case 18: {
            const std::uint8_t pick = in.byte();
            event.event_type = pick < 8 ? pick : in.raw<unsigned>();
            for (float& p : event.event_params) p = in.single();
            (void)ed_fm_push_simulation_event(in.flag() ? nullptr : &event);
            break;
        }
        case 19:
            if (ed_fm_pop_simulation_event(in.flag() ? nullptr : &event)) {
                for (float p : event.event_params) expect_finite("event parameter", p);
            }
            break;
        case 20:
            switch (in.byte() % 6) {
                case 0:
                    ed_fm_set_internal_fuel(in.state());
                    break;
                case 1:
                    ed_fm_refueling_add_fuel(in.state());
                    break;
                case 2:
                    ed_fm_unlimited_fuel(in.flag());
                    break;
                case 3:
                    ed_fm_set_external_fuel(in.state());
                    break;
                case 4:
                    expect_finite("external fuel", ed_fm_get_external_fuel());
                    break;
                default:
                    expect_finite("internal fuel", ed_fm_get_internal_fuel());
                    break;
            }
            break;
        default: {
            // The calls the library accepts and ignores.
            const bool null = in.flag();
            ed_fm_configure(null ? nullptr : "cfg");
            (void)ed_fm_enable_debug_info();
            double b[15] = {};
            (void)ed_fm_make_balance(&b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &b[8],
                                     &b[9], &b[10], &b[11], &b[12], &b[13], &b[14]);
            ed_fm_on_planned_failure(null ? nullptr : "failure");
            ed_fm_set_easy_flight(in.flag());
            ed_fm_set_plugin_data_install_path(null ? nullptr : "/nowhere");
            ed_fm_set_property_numeric(null ? nullptr : "p", in.single());
            ed_fm_set_property_string(null ? nullptr : "p", null ? nullptr : "v");
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The stand-in cockpit library is linked in, so the model found it at
    // load and its cockpit calls run too.
    if (standin_parameter_count() == 0) {
        std::fprintf(stderr, "the model did not bind the stand-in cockpit library\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    reset_model();
    Reader in{data, size};
    in.finite_only = (in.byte() & 1) == 0;
    // Traps on around every call of the sequence, off again for libFuzzer.
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(kTraps);
    while (in.size > 0) run_op(in);
    fedisableexcept(kTraps);
    feclearexcept(FE_ALL_EXCEPT);
    return 0;
}
