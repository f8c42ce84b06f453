// libFuzzer target: decodes the input bytes into a sequence of export calls
// with arbitrary arguments (NaN, infinities, huge, tiny and negative values,
// unknown commands and parameter numbers, null pointers, short animation
// arrays with their true size, any strut index, events of any type, starts
// in any order, any frame time) and runs it on the statically linked model.
//
// It fails on any crash or sanitizer report. The first byte of an input
// makes its sequence either wild (any value at all) or checked: every value
// finite, and the host's state values within the magnitudes of
// into_checked_domain. A checked sequence also fails on any summed force or
// moment, force component, mass change, parameter, animation argument, event
// parameter, shake amplitude or fuel value that is not finite. Cockpit
// parameters are not checked: the impact-point cue is non-finite at zero
// height by design.
//
// Every input starts from the state the library had right after load (the
// records are restored from a snapshot), so a finding replays on its own.
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
#include "quillon_fm.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// The checked domain of the host's state values (velocities, rates, angles,
// atmosphere, heights, mass, centre of mass, fuel): zero or a magnitude
// between kTinyState and kHugeState. Beyond it, squares and quotients of such
// values overflow double precision, which is arithmetic, not a fault. The
// bounds lie far beyond anything physical (1e9 m/s, 1e9 kg/m^3), so checked
// sequences still reach every clamp and limit.
constexpr double kHugeState = 1e9;
constexpr double kTinyState = 1e-9;

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
const int kCommands[] = {74,
                         75,
                         93,
                         94,
                         95,
                         96,
                         2001,
                         2002,
                         2003,
                         2004,
                         2101,
                         2112,
                         2113,
                         3011,
                         3012,
                         3013,
                         3014,
                         3015,
                         3016,
                         3017,
                         3018,
                         3019,
                         3020,
                         3021,
                         3022,
                         3023,
                         3024,
                         3025,
                         3027,
                         3028,
                         3029,
                         3030,
                         3031,
                         3032,
                         3033,
                         3034,
                         3035,
                         3036,
                         3037,
                         3038,
                         3041,
                         3042,
                         3043,
                         3044,
                         3045,
                         3046,
                         3047,
                         3048,
                         3049,
                         3050,
                         3051,
                         3052,
                         3053,
                         3054,
                         3055,
                         3056,
                         3057,
                         3058,
                         3059,
                         3060,
                         3061,
                         3062,
                         3063,
                         0,
                         -1,
                         1000,
                         3026,
                         3039,
                         3040,
                         5000,
                         std::numeric_limits<int>::min(),
                         std::numeric_limits<int>::max()};
constexpr int kCommandCount = sizeof(kCommands) / sizeof(kCommands[0]);

// Parameter numbers the host reads, and some it does not.
const unsigned kParamNumbers[] = {0,    1,    2,    3,    12,   17,   100,  101,
                                  104,  112,  117,  2001, 2002, 2005, 2011, 2012,
                                  2013, 2014, 2021, 2022, 2023, 2024, 2119, 2120,
                                  2121, 2122, 2124, 2128, 2131, 4999, 5000, 0xffffffffu};

// Array sizes for the animation arguments: empty, short, the host's, larger.
const std::size_t kArraySizes[] = {0, 1, 7, 50, 71, 100, 103, 411, 412, 500, 501, 600};

// Magnitudes outside [kTinyState, kHugeState] (other than zero) and
// non-finite values become, in a checked sequence, the nearest magnitude
// inside with the same sign (NaN becomes 0).
double into_checked_domain(double v) {
    if (v != v) return 0.0;
    const double magnitude = std::fabs(v);
    if (magnitude > kHugeState) return std::copysign(kHugeState, v);
    if (magnitude != 0.0 && magnitude < kTinyState) return std::copysign(kTinyState, v);
    return v;
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    // The first byte of an input chooses a checked sequence (even: every
    // value in the checked domain, every output must be finite) or a wild
    // one (odd: any value at all, only crashes and sanitizer reports count).
    bool checked = false;

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
    // bit pattern of eight more bytes.
    double any_double() {
        const std::uint8_t pick = byte();
        if (pick < kPaletteSize) return kPalette[pick];
        if (pick < kRawDoublePick) return raw<std::int16_t>() / 100.0;
        return raw<double>();
    }

    // A value of the host's state.
    double state() {
        const double v = any_double();
        return checked ? into_checked_domain(v) : v;
    }

    // A frame time: in a checked sequence any finite value, of any size or
    // sign.
    double dt() {
        const double v = any_double();
        if (!checked || std::isfinite(v)) return v;
        return v != v ? 0.0 : std::copysign(std::numeric_limits<double>::max(), v);
    }

    // A command value or event parameter: in a checked sequence any finite
    // float.
    float single() {
        constexpr double kFloatMax = std::numeric_limits<float>::max();
        const std::uint8_t pick = byte();
        double v;
        if (pick < kPaletteSize) {
            v = kPalette[pick];
        } else if (pick < kRawDoublePick) {
            v = raw<std::int16_t>() / 100.0;
        } else {
            v = raw<float>();
        }
        if (checked && !std::isfinite(v)) {
            v = v != v ? 0.0 : std::copysign(kFloatMax, v);
        }
        // Doubles beyond the float range become the float infinities, or in
        // a checked sequence the largest float.
        if (v > kFloatMax)
            return checked ? static_cast<float>(kFloatMax) : std::numeric_limits<float>::infinity();
        if (v < -kFloatMax)
            return checked ? static_cast<float>(-kFloatMax)
                           : -std::numeric_limits<float>::infinity();
        return static_cast<float>(v);
    }

    int command() {
        const std::uint8_t pick = byte();
        return pick < kCommandCount ? kCommands[pick] : raw<int>();
    }

    unsigned param_number() {
        const std::uint8_t pick = byte();
        return pick < sizeof(kParamNumbers) / sizeof(kParamNumbers[0]) ? kParamNumbers[pick]
                                                                       : raw<unsigned>();
    }

    bool flag() { return (byte() & 1) != 0; }
};

[[noreturn]] void fail(const char* what, double value) {
    std::fprintf(stderr, "non-finite %s (%g) from a sequence of finite values\n", what, value);
    std::abort();
}

void expect_finite(const Reader& in, const char* what, double value) {
    if (in.checked && !std::isfinite(value)) fail(what, value);
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
    in.checked = (in.byte() & 1) == 0;
    while (!in.empty()) run_op(in);
    return 0;
}
