// Six-axis trim of the model: the residuals vanish, and the trimmed state,
// flown freely, stays where it was put (an independent check of the trim's
// equations, attitude and turn kinematics); a gap of the level-flight
// envelope is found and named as one.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/linear.h"
#include "analysis/trim.h"
#include "host/model_api.h"

namespace rig {
namespace {

class Trim_Test : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(load_model(default_library_paths(), api_, error)) << error;
        host_init(host_, api_);
    }

    // Flies the trimmed state for two seconds and returns the sample.
    Sample fly_free(double seconds) {
        const int frames = static_cast<int>(std::lround(seconds / host_.dt));
        for (int i = 0; i < frames; ++i) host_frame(host_);
        return host_sample(host_);
    }

    Model_Api api_;
    Host host_;
};

TEST_F(Trim_Test, SixResidualsVanishAndTheTrimmedStateHolds) {
    struct Case {
        Trim_Kind kind;
        double kcas;
        double bank = 0.0, vs = NAN, beta = 0.0;
        Lateral_Trim lateral = Lateral_Trim::Wings_Level;
    };
    const Case cases[] = {
        {Trim_Kind::Level, 250.0},
        {Trim_Kind::Level, 300.0},
        {Trim_Kind::Level, 250.0, 0.0, NAN, 0.0, Lateral_Trim::Zero_Sideslip},
        {Trim_Kind::Turn, 250.0, 45.0},
        {Trim_Kind::Climb, 250.0, 0.0, 10.0},
        {Trim_Kind::Sideslip, 250.0, 0.0, NAN, 4.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(trim_kind_name(c.kind));
        SCOPED_TRACE(c.kcas);
        Trim_Request q;
        q.kind = c.kind;
        q.kcas = c.kcas;
        q.bank_deg = c.bank;
        q.vertical_speed = c.vs;
        q.beta_deg = c.beta;
        q.lateral = c.lateral;
        const Trim_Result r = trim(host_, q);
        ASSERT_TRUE(r.ok) << r.why;
        for (double residual : r.residuals) EXPECT_LT(std::fabs(residual), 1e-4);
        EXPECT_NEAR(r.kcas, c.kcas, 1e-6);
        EXPECT_LT(r.condition, 1e6);
        if (c.lateral == Lateral_Trim::Zero_Sideslip || c.kind == Trim_Kind::Sideslip) {
            EXPECT_EQ(r.beta, c.beta);
        }
        const double heading_rate = r.turn_rate;
        const Sample before = host_sample(host_);
        const Sample s = fly_free(2.0);
        EXPECT_NEAR(s.alpha, r.alpha, 0.05);
        EXPECT_NEAR(s.beta, r.beta, 0.05);
        EXPECT_NEAR(s.roll, r.bank, 0.2);
        EXPECT_NEAR(s.tas, r.tas, 0.05);
        EXPECT_NEAR(s.vs, std::isfinite(c.vs) ? c.vs : 0.0, 0.3);
        const double turned =
            std::remainder(s.heading - before.heading - 2.0 * heading_rate, 360.0);
        EXPECT_NEAR(turned, 0.0, 0.2);
    }
}

TEST_F(Trim_Test, LevelEnvelopeGapAtSixThousandMetresIsReportedAsAGap) {
    Trim_Request q;
    q.altitude = 6000.0;
    for (double kcas : {270.0, 315.0}) {
        q.kcas = kcas;
        EXPECT_TRUE(trim(host_, q).ok) << kcas;
    }
    q.kcas = 295.0;
    const Trim_Result r = trim(host_, q);
    ASSERT_FALSE(r.ok);
    EXPECT_LT(r.gap_low, 295.0);
    EXPECT_GT(r.gap_high, 295.0);
    EXPECT_NE(r.why.find("gap"), std::string::npos) << r.why;
    EXPECT_EQ(r.why.find("maximum level speed"), std::string::npos) << r.why;
    EXPECT_EQ(r.why.find(" 0 %"), std::string::npos) << r.why;
}

// The bare airframe holds the rudder against the yaw damper: the Dutch
// roll's damping with the control laws is many times the bare airframe's,
// and the bare yaw-rate derivative is the airframe's small one.
TEST_F(Trim_Test, BareAirframeHoldsTheYawDampersRudder) {
    const Trim_Result t = trim(host_, Trim_Request{});
    ASSERT_TRUE(t.ok) << t.why;
    Linear_Request with_laws, bare;
    bare.bare = true;
    const Linear_Model laws_model = linearise(host_, t, with_laws);
    const Linear_Model bare_model = linearise(host_, t, bare);
    ASSERT_TRUE(bare_model.rudder_held);
    const Modes laws_modes = find_modes(laws_model), bare_modes = find_modes(bare_model);
    const Mode* dr_laws = find_mode(laws_modes, "dutch_roll");
    const Mode* dr_bare = find_mode(bare_modes, "dutch_roll");
    ASSERT_TRUE(dr_laws && dr_bare);
    EXPECT_GT(dr_laws->zeta, 5.0 * dr_bare->zeta);
    const double cnr_laws = coefficients(laws_model).d[C_YAW][V_R];
    const double cnr_bare = coefficients(bare_model).d[C_YAW][V_R];
    EXPECT_LT(cnr_laws, 10.0 * cnr_bare);  // both negative
    // Longitudinally nothing is augmented: the short period is the same.
    EXPECT_NEAR(bare_model.A[S_Q][S_ALPHA], laws_model.A[S_Q][S_ALPHA],
                1e-3 * std::fabs(laws_model.A[S_Q][S_ALPHA]));
}

}  // namespace
}  // namespace rig
