// The linearisation through the host exports, on a fixture model whose
// eigenvalues are known in closed form; and the Levels of the criteria at
// their boundaries.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <complex>

#include "analysis/criteria.h"
#include "analysis/linear.h"
#include "host/model_api.h"

namespace rig {
namespace {

using C = std::complex<double>;

TEST(Linear, RecoversTheClosedFormEigenvaluesOfALinearFixture) {
    Library_Paths paths = default_library_paths();
    paths.model = QFM_RIG_LINEAR_FIXTURE;
    Model_Api api;
    std::string error;
    ASSERT_TRUE(load_model(paths, api, error)) << error;
    Host host;
    host_init(host, api);
    host.mass_properties.mass = 1000.0;
    host.mass_properties.inertia = {1000.0, 2000.0, 3000.0};
    host.body.position = {0.0, 1000.0, 0.0};
    host.body.velocity = {100.0, 0.0, 0.0};

    const Linear_Model m = linearise(host, Trim_Result{}, Linear_Request{});
    ASSERT_TRUE(m.ok) << m.why;
    const std::vector<C> roots = eigenvalues(m);
    const C expected[] = {{-0.02, 0.0}, {-1.5, std::sqrt(1.75)},    {-1.5, -std::sqrt(1.75)},
                          {-2.0, 0.0},  {-0.75, std::sqrt(3.9375)}, {-0.75, -std::sqrt(3.9375)}};
    for (const C e : expected) {
        double best = INFINITY;
        for (const C r : roots) best = std::fmin(best, std::abs(r - e) / std::abs(e));
        EXPECT_LT(best, 1e-4) << e;
    }
    const Modes modes = find_modes(m);
    ASSERT_NE(find_mode(modes, "short_period"), nullptr);
    EXPECT_NEAR(find_mode(modes, "short_period")->omega_n, 2.0, 2e-4);
    EXPECT_NEAR(find_mode(modes, "dutch_roll")->zeta, 0.75 / std::sqrt(4.5), 1e-4);
    EXPECT_NEAR(find_mode(modes, "roll")->time_constant, 0.5, 1e-4);
}

Mode real_mode(const char* name, double root) {
    Mode d;
    d.name = name;
    d.root = root;
    return d;
}

Mode pair_mode(const char* name, double omega, double zeta) {
    Mode d;
    d.name = name;
    d.oscillatory = true;
    d.omega_n = omega;
    d.zeta = zeta;
    d.root = {-zeta * omega, omega * std::sqrt(1.0 - zeta * zeta)};
    return d;
}

int level(const std::vector<Judgement>& js, const char* symbol, Category c) {
    for (const Judgement& j : js)
        if (j.symbol == symbol) return j.level[c];
    return -1;
}

TEST(Criteria, LevelsChangeAtTheTabulatedBoundaries) {
    Modes m;
    m.n_alpha = 20.0;
    m.modes = {pair_mode("short_period", 4.0, 0.36), pair_mode("phugoid", 0.1, 0.03),
               pair_mode("dutch_roll", 2.0, 0.2), real_mode("roll", -1.0 / 1.2),
               real_mode("spiral", std::log(2.0) / 10.0)};
    m.cap = 16.0 / 20.0;
    std::vector<Judgement> j = judge(m);
    EXPECT_EQ(level(j, "zeta_sp", CAT_A), 1);  // 0.36 >= 0.35
    EXPECT_EQ(level(j, "zeta_sp", CAT_B), 1);
    EXPECT_EQ(level(j, "cap", CAT_A), 1);           // 0.8 in 0.28..3.6
    EXPECT_EQ(level(j, "zeta_p", CAT_A), 2);        // 0 <= 0.03 < 0.04
    EXPECT_EQ(level(j, "zeta_d", CAT_A), 1);        // 0.2 >= 0.19
    EXPECT_EQ(level(j, "zeta_omega_d", CAT_A), 1);  // 0.4 >= 0.35
    EXPECT_EQ(level(j, "tau_r", CAT_A), 2);         // 1.0 < 1.2 <= 1.4
    EXPECT_EQ(level(j, "tau_r", CAT_B), 1);         // <= 1.4
    EXPECT_EQ(level(j, "t2_spiral", CAT_A), 2);     // 8 <= 10 < 12
    EXPECT_EQ(level(j, "t2_spiral", CAT_B), 2);     // < 20
    m.modes[0] = pair_mode("short_period", 1.5, 0.1);
    m.modes[4] = real_mode("spiral", std::log(2.0) / 3.0);
    m.cap = 2.25 / 20.0;
    j = judge(m);
    EXPECT_EQ(level(j, "zeta_sp", CAT_A), 4);  // below the Level 3 floor 0.15
    EXPECT_EQ(level(j, "cap", CAT_A), 4);      // 0.1125 < 0.16
    EXPECT_EQ(level(j, "cap", CAT_B), 1);      // >= 0.085
    EXPECT_EQ(level(j, "t2_spiral", CAT_C), 4);
}

// A lateral block built from two chosen oscillations: one mostly sideslip,
// one mostly bank. The bank one is the coupled roll-spiral, judged on its
// zeta omega, and neither it nor the Dutch roll is taken for a roll mode.
TEST(Criteria, NamesAndJudgesACoupledRollSpiral) {
    Eigen::Matrix4d T, J = Eigen::Matrix4d::Zero();
    // Columns: real and imaginary parts of the eigenvectors over beta, p, r, phi.
    T << 1.0, 0.0, 0.01, 0.0,  //
        0.0, 0.3, 0.2, 1.0,    //
        0.2, 1.0, 0.05, 0.0,   //
        0.1, 0.0, 1.0, 0.1;
    J.block<2, 2>(0, 0) << -0.6, 2.5, -2.5, -0.6;
    J.block<2, 2>(2, 2) << -0.35, 0.5, -0.5, -0.35;
    const Eigen::Matrix4d lat = T * J * T.inverse();
    Linear_Model m;
    const int states[4] = {S_BETA, S_P, S_R, S_PHI};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m.A[states[i]][states[j]] = lat(i, j);
    for (int i : {S_U, S_ALPHA, S_Q, S_THETA, S_H}) m.A[i][i] = -1.0 - i;
    const Modes modes = find_modes(m);
    const Mode* rs = find_mode(modes, "roll_spiral");
    ASSERT_NE(rs, nullptr);
    EXPECT_NEAR(std::abs(rs->root - C(-0.35, 0.5)), 0.0, 1e-9);
    EXPECT_NEAR(std::abs(find_mode(modes, "dutch_roll")->root - C(-0.6, 2.5)), 0.0, 1e-9);
    EXPECT_EQ(find_mode(modes, "roll"), nullptr);
    EXPECT_EQ(find_mode(modes, "spiral"), nullptr);
    const std::vector<Judgement> j = judge(modes);
    EXPECT_EQ(level(j, "zeta_omega_rs", CAT_A), 4);  // not allowed
    EXPECT_EQ(level(j, "zeta_omega_rs", CAT_B), 2);  // 0.3 <= 0.35 < 0.5
    EXPECT_EQ(level(j, "zeta_omega_rs", CAT_C), 2);
    EXPECT_EQ(level(j, "tau_r", CAT_A), -1);
}

}  // namespace
}  // namespace rig
