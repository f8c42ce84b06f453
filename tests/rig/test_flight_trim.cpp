// Six-axis trim of the model: the residuals vanish, and the trimmed state,
// flown freely, stays where it was put (an independent check of the trim's
// equations, attitude and turn kinematics); a gap of the level-flight
// envelope is found and named as one.
#include <gtest/gtest.h>

#include <cmath>

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

// A host that calls the model several times a frame trims to the same
// point: the settling runs on the model's time, not the frame count (it ran
// a quarter of the time with four sub-steps, 0.07 deg of alpha off).
TEST_F(Trim_Test, SubSteppingHostTrimsToTheSamePoint) {
    const Trim_Result one = trim(host_, Trim_Request{});
    host_.substeps = 4;
    const Trim_Result four = trim(host_, Trim_Request{});
    ASSERT_TRUE(one.ok && four.ok) << four.why;
    EXPECT_NEAR(four.alpha, one.alpha, 1e-4);
    EXPECT_NEAR(four.beta, one.beta, 1e-4);
}

}  // namespace
}  // namespace rig
