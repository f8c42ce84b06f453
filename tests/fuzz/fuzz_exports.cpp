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
// records are restored from a snapshot), so a finding replays on its own.
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
#include "fuzz_model_state.h"
#include "host/finite_bits.h"
#include "quillon_fm.h"
#include "support/protocol.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// Values the decoder picks by one byte; the rest come as raw bit patterns.
const double kPalette[] = {
    0.0,
    -0.0,
    1.0,
    -1.0,
    0.5,
    -0.5,
    2.0,
    0.01,
    0.005,
    0.1,
    10.0,
    100.0,
    150.0,
    340.0,
    1000.0,
    1e6,
    1e9,
    -1e9,
    1e-9,
    -1e-9,
    45.0,
    90.0,
    -30.0,
    5.0,
    4.9,
    1500.0,
    1600.0,
    3000.0,
    600.0,
    0.98,
    55.0,
    60.0,
    1.225,
    101325.0,
    288.15,
    253.0,
    273.0,
    263.0,
    0.9,
    1e300,
    -1e300,
    1e-300,
    kInf,
    -kInf,
    kNan,
    std::numeric_limits<double>::max(),
    std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::max(),
    0.3,
    3.0,
};
constexpr int kPaletteSize = sizeof(kPalette) / sizeof(kPalette[0]);
// Picks from here up take a raw bit pattern.
constexpr int kRawDoublePick = 224;

// Command numbers the library knows, a few it does not, and extremes.
constexpr int kOtherCommands[] = {0,
                                  -1,
                                  1000,
                                  3026,
                                  3039,
                                  3040,
                                  5000,
                                  std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()};
constexpr int kKnownCommandCount = sizeof(qfm_test::kCommands) / sizeof(qfm_test::kCommands[0]);
constexpr int kCommandCount =
    kKnownCommandCount + static_cast<int>(sizeof(kOtherCommands) / sizeof(kOtherCommands[0]));

// Parameter numbers the host reads, and some it does not.
// clang-format off
const unsigned kParamNumbers[] = {
    0, QFM_PARAM_GTS_RPM_FRACTION_A, QFM_PARAM_GTS_RPM_PERCENT_A, QFM_PARAM_GTS_RPM_FRACTION_B,
    QFM_PARAM_ONE_A, QFM_PARAM_GTS_RPM_PERCENT_B, QFM_PARAM_RPM_FRACTION_A, QFM_PARAM_N1_FRACTION,
    QFM_PARAM_ENGINE_SPEED_A, QFM_PARAM_FUEL_FLOW_A, QFM_PARAM_GTS_RPM_PERCENT_C, 2001,
    QFM_PARAM_NOSE_GEAR, QFM_PARAM_STEERING, QFM_PARAM_LEFT_BRAKE, QFM_PARAM_LEFT_GEAR,
    QFM_PARAM_LEFT_GEAR_UP, QFM_PARAM_LEFT_GEAR_DOWN, QFM_PARAM_RIGHT_BRAKE, QFM_PARAM_RIGHT_GEAR,
    QFM_PARAM_RIGHT_GEAR_UP, QFM_PARAM_RIGHT_GEAR_DOWN, QFM_PARAM_INTERNAL_FUEL_A,
    QFM_PARAM_INTERNAL_FUEL_B, QFM_PARAM_LOW_FUEL, QFM_PARAM_GEAR_PANEL, QFM_PARAM_ONE_E,
    QFM_PARAM_ONE_F, QFM_PARAM_CABIN_PRESSURE, 4999, 5000, 0xffffffffu};
// clang-format on

// Array sizes for the animation arguments: empty, short, the host's, larger.
const std::size_t kArraySizes[] = {0,
                                   1,
                                   7,
                                   50,
                                   QFM_COCKPIT_LAMP_ENGINE_RPM,
                                   100,
                                   QFM_COCKPIT_LAMP_GEAR_PANEL + 1,
                                   QFM_COCKPIT_ARG_COUNT - 1,
                                   QFM_COCKPIT_ARG_COUNT,
                                   QFM_ARG_SPEED_BRAKE,
                                   QFM_EXTERNAL_ARG_COUNT,
                                   600};

// Cockpit parameters that must stay finite: all but the impact-point cue.
const char* const kFiniteCockpitNames[] = {
    QFM_COCKPIT_PARAM_ESS_BUS,    QFM_COCKPIT_PARAM_GEN_BUS, QFM_COCKPIT_PARAM_TAT,
    QFM_COCKPIT_PARAM_EGT,        QFM_COCKPIT_PARAM_GTS_RPM, QFM_COCKPIT_PARAM_N1_RPM,
    QFM_COCKPIT_PARAM_PITOT_ICED, QFM_COCKPIT_PARAM_VV_VERT, QFM_COCKPIT_PARAM_VV_HORZ,
    QFM_COCKPIT_PARAM_WIND_X,     QFM_COCKPIT_PARAM_WIND_Y};

constexpr int kTraps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// In a finite sequence a non-finite double becomes 0 (NaN) or the largest
// double of its sign. Classified from the bits: traps are on, and the bits
// may spell a signalling NaN, which any floating-point comparison traps.
double finite(double v) {
    if (finite_bits(v)) return v;
    return nan_bits(v) ? 0.0 : std::copysign(std::numeric_limits<double>::max(), v);
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    // The first byte of an input chooses a finite sequence (even) or a wild
    // one (odd: NaN and the infinities too).
    bool finite_only = false;

    bool empty() const { return size == 0; }

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

    // One byte picks a palette value, or a value of two more bytes in
    // hundredths (-327.68 .. 327.67, the range of most host values), or the
    // bit pattern of eight more bytes: any double at all.
    double any_double() {
        const std::uint8_t pick = byte();
        if (pick < kPaletteSize) return kPalette[pick];
        if (pick < kRawDoublePick) return raw<std::int16_t>() / 100.0;
        return raw<double>();
    }

    // A value of the host's state: any double, finite in a finite sequence.
    double state() {
        const double v = any_double();
        return finite_only ? finite(v) : v;
    }

    // A frame time: mostly a host's short frame (1 to 50 ms, where the lags
    // and rate limiters keep what they take), otherwise any double.
    double dt() {
        if (byte() < 160) return 0.001 + 0.049 * (byte() / 255.0);
        return state();
    }

    // A command value or event parameter: any float, finite in a finite
    // sequence. Doubles beyond the float range become the float infinities,
    // or the largest float in a finite sequence.
    float single() {
        constexpr double kFloatMax = std::numeric_limits<float>::max();
        const std::uint8_t pick = byte();
        double v;
        if (pick < kPaletteSize) {
            v = kPalette[pick];
        } else if (pick < kRawDoublePick) {
            v = raw<std::int16_t>() / 100.0;
        } else {
            // Any float the bits spell, signalling NaNs among them; widened
            // only when finite.
            const float f = raw<float>();
            if (finite_bits(f) || !finite_only) return f;
            // In a finite sequence a NaN becomes 0, an infinity the largest
            // float of its sign.
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            if ((bits & 0x7fffffffu) > 0x7f800000u) return 0.0f;
            return std::copysign(std::numeric_limits<float>::max(), f);
        }
        if (std::isnan(v)) return finite_only ? 0.0f : std::numeric_limits<float>::quiet_NaN();
        if (v > kFloatMax || v < -kFloatMax) {
            const float big = finite_only ? std::numeric_limits<float>::max()
                                          : std::numeric_limits<float>::infinity();
            return v > 0.0 ? big : -big;
        }
        return static_cast<float>(v);
    }

    int command() {
        const std::uint8_t pick = byte();
        if (pick < kKnownCommandCount) return qfm_test::kCommands[pick];
        return pick < kCommandCount ? kOtherCommands[pick - kKnownCommandCount] : raw<int>();
    }

    unsigned param_number() {
        const std::uint8_t pick = byte();
        return pick < sizeof(kParamNumbers) / sizeof(kParamNumbers[0]) ? kParamNumbers[pick]
                                                                       : raw<unsigned>();
    }

    bool flag() { return (byte() & 1) != 0; }
};

[[noreturn]] void fail(const char* what, double value) {
    fedisableexcept(kTraps);
    std::fprintf(stderr, "non-finite %s (%g)\n", what, value);
    std::abort();
}

void expect_finite(const Reader&, const char* what, double value) {
    if (!std::isfinite(value)) fail(what, value);
}

// Host-owned out-parameters, or null where the input says so.
struct Outs {
    double values[7] = {};
    double* pointer(unsigned mask, int i) { return (mask >> i) & 1 ? nullptr : &values[i]; }
};

void check_sums(const Reader& in) {
    double f[6];
    double m[3];
    ed_fm_add_local_force(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    ed_fm_add_local_moment(&m[0], &m[1], &m[2]);
    for (double v : f) expect_finite(in, "summed force or its point", v);
    for (double v : m) expect_finite(in, "summed moment", v);
    expect_finite(in, "shake amplitude", ed_fm_get_shake_amplitude());
    expect_finite(in, "internal fuel", ed_fm_get_internal_fuel());
    for (unsigned p : kParamNumbers) expect_finite(in, "parameter", ed_fm_get_param(p));
    for (const char* name : kFiniteCockpitNames) {
        double value = 0.0;
        if (standin_get_number(name, &value)) expect_finite(in, name, value);
    }
}

void draw_args(Reader& in, bool cockpit) {
    const std::uint8_t pick = in.byte();
    const std::size_t size = kArraySizes[pick % (sizeof(kArraySizes) / sizeof(kArraySizes[0]))];
    if (pick & 0x80) {
        // A null array, whatever size the host claims.
        if (cockpit) {
            ed_fm_set_fc3_cockpit_draw_args_v2(nullptr, size);
        } else {
            ed_fm_set_draw_args_v2(nullptr, size);
        }
        return;
    }
    // Exactly size floats on the heap, so that a write past the end is an
    // address-sanitizer report.
    std::vector<float> args(size, 0.0f);
    if (cockpit) {
        ed_fm_set_fc3_cockpit_draw_args_v2(args.data(), size);
    } else {
        ed_fm_set_draw_args_v2(args.data(), size);
    }
    for (float v : args) expect_finite(in, "animation argument", v);
}

void run_op(Reader& in) {
    Outs out;
    switch (in.byte() % 22) {
        case 0:
            ed_fm_simulate(in.dt());
            check_sums(in);
            break;
        case 1: {
            double v[20];
            for (double& x : v) x = in.state();
            ed_fm_set_current_state_body_axis(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8],
                                              v[9], v[10], v[11], v[12], v[13], v[14], v[15], v[16],
                                              v[17], v[18], v[19]);
            break;
        }
        case 2: {
            const double vx = in.state();
            const double vy = in.state();
            const double vz = in.state();
            ed_fm_set_current_state(0, 0, 0, vx, vy, vz, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
            break;
        }
        case 3: {
            double v[7];
            for (double& x : v) x = in.state();
            ed_fm_set_current_mass_state(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
            break;
        }
        case 4: {
            double v[8];
            for (double& x : v) x = in.state();
            ed_fm_set_atmosphere(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            break;
        }
        case 5: {
            const double h = in.state();
            const double h_obj = in.state();
            const unsigned type = in.raw<unsigned>();
            const double nx = in.state();
            const double ny = in.state();
            const double nz = in.state();
            ed_fm_set_surface(h, h_obj, type, nx, ny, nz);
            break;
        }
        case 6: {
            const std::uint8_t pick = in.byte();
            const int idx = pick < 8 ? static_cast<int>(pick) - 2 : in.raw<int>();
            double record[QFM_SUSPENSION_RECORD_DOUBLES];
            for (double& x : record) x = in.state();
            ed_fm_suspension_feedback(idx, in.flag() ? nullptr : record);
            break;
        }
        case 7: {
            const int command = in.command();
            ed_fm_set_command(command, in.single());
            break;
        }
        case 8: {
            const unsigned mask = in.byte();
            ed_fm_add_local_force(out.pointer(mask, 0), out.pointer(mask, 1), out.pointer(mask, 2),
                                  out.pointer(mask, 3), out.pointer(mask, 4), out.pointer(mask, 5));
            for (double v : out.values) expect_finite(in, "summed force", v);
            break;
        }
        case 9: {
            const unsigned mask = in.byte();
            ed_fm_add_local_moment(out.pointer(mask, 0), out.pointer(mask, 1),
                                   out.pointer(mask, 2));
            for (double v : out.values) expect_finite(in, "summed moment", v);
            break;
        }
        case 10: {
            // Pull up to count components; a mask with bits set passes a null.
            const int count = in.byte() % 40;
            const unsigned mask = in.byte() & 0x3f;
            for (int i = 0; i < count; ++i) {
                if (!ed_fm_add_local_force_component(out.pointer(mask, 0), out.pointer(mask, 1),
                                                     out.pointer(mask, 2), out.pointer(mask, 3),
                                                     out.pointer(mask, 4), out.pointer(mask, 5))) {
                    break;
                }
                for (double v : out.values) expect_finite(in, "force component", v);
            }
            break;
        }
        case 11: {
            const unsigned mask = in.byte() & 0x7f;
            ed_fm_change_mass(out.pointer(mask, 0), out.pointer(mask, 1), out.pointer(mask, 2),
                              out.pointer(mask, 3), out.pointer(mask, 4), out.pointer(mask, 5),
                              out.pointer(mask, 6));
            for (double v : out.values) expect_finite(in, "mass change", v);
            break;
        }
        case 12:
            expect_finite(in, "parameter", ed_fm_get_param(in.param_number()));
            break;
        case 13:
            draw_args(in, false);
            break;
        case 14:
            draw_args(in, true);
            break;
        case 15:
            expect_finite(in, "shake amplitude", ed_fm_get_shake_amplitude());
            break;
        case 16:
            switch (in.byte() % 5) {
                case 0:
                    ed_fm_cold_start();
                    break;
                case 1:
                    ed_fm_hot_start();
                    break;
                case 2:
                    ed_fm_hot_start_in_air();
                    break;
                case 3:
                    ed_fm_release();
                    break;
                default:
                    ed_fm_repair();
                    break;
            }
            break;
        case 17: {
            const std::uint8_t pick = in.byte();
            const int element = pick < 200 ? static_cast<int>(pick) * 2 - 30 : in.raw<int>();
            ed_fm_on_damage(element, in.state());
            (void)ed_fm_need_to_be_repaired();
            ed_fm_set_immortal(in.flag());
            break;
        }
        case 18: {
            Qfm_Simulation_Event event;
            std::memset(&event, 0, sizeof event);
            const std::uint8_t pick = in.byte();
            event.event_type = pick < 8 ? pick : in.raw<unsigned>();
            for (float& p : event.event_params) p = in.single();
            (void)ed_fm_push_simulation_event(in.flag() ? nullptr : &event);
            break;
        }
        case 19: {
            Qfm_Simulation_Event event;
            std::memset(&event, 0, sizeof event);
            if (ed_fm_pop_simulation_event(in.flag() ? nullptr : &event)) {
                for (float p : event.event_params) expect_finite(in, "event parameter", p);
            }
            break;
        }
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
                    expect_finite(in, "external fuel", ed_fm_get_external_fuel());
                    break;
                default:
                    expect_finite(in, "internal fuel", ed_fm_get_internal_fuel());
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
    fuzz_snapshot_model_state();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_restore_model_state();
    Reader in{data, size};
    in.finite_only = (in.byte() & 1) == 0;
    // Traps on around every call of the sequence, off again for libFuzzer.
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(kTraps);
    while (!in.empty()) run_op(in);
    fedisableexcept(kTraps);
    feclearexcept(FE_ALL_EXCEPT);
    return 0;
}
