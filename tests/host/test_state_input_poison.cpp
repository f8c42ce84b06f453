// One bad frame of host input never poisons the model. For every argument
// of every state export, one frame carries NaN, +inf or -inf in that
// argument alone, then 300 clean frames follow. Every output stays finite
// (traps are on: a NaN that any step compared would stop the test), and the
// model's records are byte for byte those of a run whose bad frame carried
// the argument's previous value instead: the field held its last value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "host/lifecycle.h"
#include "quillon_fm.h"
#include "support/model_state.h"
#include "support/protocol.h"

namespace {

enum Export { BODY, WORLD, MASS, ATMOSPHERE, SURFACE, STRUT, EXPORT_COUNT };
// Double arguments of each export (the surface type, an integer, is left out).
constexpr int kArgs[EXPORT_COUNT] = {20, 19, 7, 8, 5, QFM_SUSPENSION_RECORD_DOUBLES};
const char* const kNames[EXPORT_COUNT] = {"body state", "world state", "mass state",
                                          "atmosphere", "surface",     "strut record"};
constexpr int kMaxArgs = 20;
constexpr double kDt = 0.02;
constexpr int kCleanFrames = 300;

// The clean arguments of one export at frame n: a cruise at 1500 m whose
// every value moves from frame to frame, so that a held value differs from
// the current one.
void clean_args(Export e, int n, double* v) {
    const double w = std::sin(0.1 * n);
    const double c = std::cos(0.07 * n);
    auto set = [v](std::initializer_list<double> values) {
        std::copy(values.begin(), values.end(), v);
    };
    switch (e) {
        case BODY:
            set({0.1 * w, -0.2 * c, 0.05,    150.0 + 3.0 * w, 5.0 * c,
                 2.0 * w, 1.0 + c,  0.5 * w, -0.8 * c,        0.01 * w,
                 0.02,    -0.01,    0.3 * w, 0.08 * c,        0.05 * w,
                 0.4 + w, 0.06 * c, 0.2 * w, 0.05 + 0.02 * w, 0.01 * c});
            break;
        case WORLD:
            for (int i = 0; i < 19; ++i) v[i] = (i + 1) * 0.1 * w;
            v[3] = 140.0 + 3.0 * w;
            v[4] = 4.0 * c;
            v[5] = 30.0 * w;
            v[18] = 1.0;
            break;
        case MASS:
            set({8000.0 - 10.0 * w, 0.2 * w, 0.05 * c, 0.01 * w, 10247.0 + c, 28268.8 + 2.0 * w,
                 30032.72 - w});
            break;
        case ATMOSPHERE:
            set({1500.0 + 20.0 * w, 278.4 + 0.1 * c, 334.5 + 0.1 * w, 1.0581 + 0.001 * c,
                 84556.0 + 50.0 * w, 3.0 * w, 0.2 * c, -4.0 * c});
            break;
        case SURFACE:
            set({200.0 + 5.0 * w, 210.0 + 5.0 * c, 0.01 * w, 1.0, 0.01 * c});
            break;
        default:
            for (int i = 0; i < QFM_SUSPENSION_RECORD_DOUBLES; ++i) v[i] = 0.1 * (i + 1) * c;
            v[7] = 0.0;  // in the air
            break;
    }
}

// Post 1 of the struts carries v; posts 0 and 2 the clean arguments.
void push(Export e, const double* v, const double* clean) {
    switch (e) {
        case BODY:
            ed_fm_set_current_state_body_axis(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8],
                                              v[9], v[10], v[11], v[12], v[13], v[14], v[15], v[16],
                                              v[17], v[18], v[19]);
            break;
        case WORLD:
            ed_fm_set_current_state(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                                    v[10], v[11], v[12], v[13], v[14], v[15], v[16], v[17], v[18]);
            break;
        case MASS:
            ed_fm_set_current_mass_state(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
            break;
        case ATMOSPHERE:
            ed_fm_set_atmosphere(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            break;
        case SURFACE:
            ed_fm_set_surface(v[0], v[1], 7u, v[2], v[3], v[4]);
            break;
        default:
            ed_fm_suspension_feedback(0, clean);
            ed_fm_suspension_feedback(1, v);
            ed_fm_suspension_feedback(2, clean);
            break;
    }
}

// A host frame: every export's arguments, argument arg of export bad_export
// replaced by value (no replacement when bad_export is EXPORT_COUNT), then
// the frame and the pulls a host makes after it.
void host_frame(int n, Export bad_export = EXPORT_COUNT, int arg = 0, double value = 0.0) {
    for (int e = 0; e < EXPORT_COUNT; ++e) {
        double clean[kMaxArgs] = {}, v[kMaxArgs];
        clean_args(Export(e), n, clean);
        std::copy(clean, clean + kMaxArgs, v);
        if (e == bad_export) v[arg] = value;
        push(Export(e), v, clean);
    }
    ed_fm_simulate(kDt);
    double f[6];
    while (ed_fm_add_local_force_component(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5])) {
    }
    double dm = 0.0;
    ed_fm_change_mass(&dm, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
}

// Empty when every output a host reads is finite.
std::string non_finite_outputs() {
    std::ostringstream bad;
    auto check = [&bad](const char* what, long index, double v) {
        if (!std::isfinite(v)) bad << what << " " << index << " = " << v << "; ";
    };
    double f[9];
    ed_fm_add_local_force(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    ed_fm_add_local_moment(&f[6], &f[7], &f[8]);
    for (int i = 0; i < 9; ++i) check("force/point/moment", i, f[i]);
    for (unsigned p : qfm_test::kParams) check("param", p, ed_fm_get_param(p));
    static float external[QFM_EXTERNAL_ARG_COUNT];
    static float cockpit[QFM_COCKPIT_ARG_COUNT];
    ed_fm_set_draw_args_v2(external, QFM_EXTERNAL_ARG_COUNT);
    ed_fm_set_fc3_cockpit_draw_args_v2(cockpit, QFM_COCKPIT_ARG_COUNT);
    for (int i = 0; i < QFM_EXTERNAL_ARG_COUNT; ++i) check("external arg", i, external[i]);
    for (int i = 0; i < QFM_COCKPIT_ARG_COUNT; ++i) check("cockpit arg", i, cockpit[i]);
    check("shake", 0, ed_fm_get_shake_amplitude());
    return bad.str();
}

}  // namespace

TEST(StateInputPoison, OneNonFiniteArgumentHoldsItsFieldAndPoisonsNothing) {
    ed_fm_set_internal_fuel(2500.0);
    ed_fm_hot_start_in_air();
    for (int n = -50; n < 0; ++n) host_frame(n);
    save_model();

    const double bad_values[] = {std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()};
    for (int e = 0; e < EXPORT_COUNT; ++e) {
        for (int arg = 0; arg < kArgs[e]; ++arg) {
            // The held value: what the previous frame sent in this argument.
            double previous[kMaxArgs];
            clean_args(Export(e), -1, previous);
            restore_model();
            host_frame(0, Export(e), arg, previous[arg]);
            const std::vector<unsigned char> held_after_frame = model_bytes();
            for (int n = 1; n <= kCleanFrames; ++n) host_frame(n);
            const std::vector<unsigned char> held_at_end = model_bytes();

            for (double bad : bad_values) {
                SCOPED_TRACE(::testing::Message()
                             << kNames[e] << " argument " << arg + 1 << " = " << bad);
                restore_model();
                host_frame(0, Export(e), arg, bad);
                ASSERT_EQ(non_finite_outputs(), "");
                ASSERT_TRUE(model_bytes() == held_after_frame);
                for (int n = 1; n <= kCleanFrames; ++n) {
                    host_frame(n);
                    ASSERT_EQ(non_finite_outputs(), "") << "clean frame " << n;
                }
                ASSERT_TRUE(model_bytes() == held_at_end);
            }
        }
    }
}
