#include "analysis/criteria.h"

#include <cmath>

namespace rig {

const char* const kCategoryNames[kCategories] = {"A", "B", "C"};

// MIL-F-8785C 3.2.2.1.1, Figures 1 (Cat A), 2 (Cat B), 3 (Cat C), Class IV
// rows. The Cat C Level 1 floors (n/alpha 2.7 g/rad, omega 0.85 rad/s) and
// the Level 2 n/alpha floor (1.7 g/rad) are read off the figure between grid
// lines: unconfirmed to the last digit.
const Cap_Bounds kCapBounds[kCategories][3] = {
    {{0.28, 3.6, 1.0, 0.0}, {0.16, 10.0, 0.6, 0.0}, {0.16, 0.0, 0.0, 0.0}},
    {{0.085, 3.6, 0.0, 0.0}, {0.038, 10.0, 0.0, 0.0}, {0.038, 0.0, 0.0, 0.0}},
    {{0.16, 3.6, 0.85, 2.7}, {0.096, 10.0, 0.6, 1.7}, {0.096, 0.0, 0.6, 0.0}},
};

// MIL-F-8785C 3.3.1.1, Table VI, Class IV. Category A is the row for phases
// other than air-to-air combat and ground attack (those ask zeta >= 0.4).
const Dutch_Roll_Bounds kDutchRollBounds[kCategories][3] = {
    {{0.19, 0.35, 1.0}, {0.02, 0.05, 0.4}, {0.0, -INFINITY, 0.4}},
    {{0.08, 0.15, 0.4}, {0.02, 0.05, 0.4}, {0.0, -INFINITY, 0.4}},
    {{0.08, 0.15, 1.0}, {0.02, 0.05, 0.4}, {0.0, -INFINITY, 0.4}},
};

namespace {

constexpr double kLog2 = 0.6931471805599453;

// MIL-F-8785C 3.2.2.1.2, Table IV: short-period damping, min and max.
struct Range {
    double lo, hi;
};
constexpr Range kShortPeriodDamping[kCategories][3] = {
    {{0.35, 1.30}, {0.25, 2.00}, {0.15, INFINITY}},
    {{0.30, 2.00}, {0.20, 2.00}, {0.15, INFINITY}},
    {{0.35, 1.30}, {0.25, 2.00}, {0.15, INFINITY}},
};
// MIL-F-8785C 3.3.1.2, Table VII: maximum roll-mode time constant, s.
constexpr double kRollTimeConstant[kCategories][3] = {
    {1.0, 1.4, 10.0}, {1.4, 3.0, 10.0}, {1.0, 1.4, 10.0}};
// MIL-F-8785C 3.3.1.3, Table VIII: minimum spiral time to double, s.
constexpr double kSpiralDouble[kCategories][3] = {
    {12.0, 8.0, 4.0}, {20.0, 8.0, 4.0}, {12.0, 8.0, 4.0}};
// MIL-F-8785C 3.3.1.4: minimum zeta omega of a coupled roll-spiral
// oscillation, rad/s, Categories B and C; it is not allowed in Category A.
constexpr double kRollSpiralZetaOmega[3] = {0.5, 0.3, 0.15};
// Table VI note: when omega^2 |phi/beta| exceeds 20 (rad/s)^2, the minimum
// zeta omega rises by this much per unit of the excess, Levels 1, 2, 3.
constexpr double kDutchRollCoupling[3] = {0.014, 0.009, 0.005};

template <typename Passes>
int level_of(Passes passes) {
    for (int l = 0; l < 3; ++l) {
        if (passes(l)) return l + 1;
    }
    return 4;
}

// Frequency and damping of a mode given as a pair, or as two real roots
// (whose product is omega^2 and whose sum is -2 zeta omega).
bool second_order(const Modes& m, const std::string& name, double& omega, double& zeta) {
    const Mode* a = find_mode(m, name);
    if (!a) return false;
    if (a->oscillatory) {
        omega = a->omega_n;
        zeta = a->zeta;
        return true;
    }
    const Mode* b = find_mode(m, name + "_2");
    if (!b) return false;
    const double product = a->root.real() * b->root.real();
    if (!(product > 0.0)) return false;  // one root diverges: no damping ratio
    omega = std::sqrt(product);
    zeta = -(a->root.real() + b->root.real()) / (2.0 * omega);
    return true;
}

Judgement make(const char* criterion, const char* symbol, double value, const char* unit,
               const char* source) {
    Judgement j;
    j.criterion = criterion;
    j.symbol = symbol;
    j.value = value;
    j.unit = unit;
    j.source = source;
    return j;
}

}  // namespace

std::vector<Judgement> judge(const Modes& m) {
    std::vector<Judgement> out;
    double w = 0.0, z = 0.0;
    const bool sp = second_order(m, "short_period", w, z);
    {
        Judgement j = make("short-period damping", "zeta_sp", sp ? z : NAN, "",
                           "MIL-F-8785C 3.2.2.1.2, Table IV");
        for (int c = 0; c < kCategories; ++c) {
            j.level[c] = level_of([&](int l) {
                return sp && z >= kShortPeriodDamping[c][l].lo && z <= kShortPeriodDamping[c][l].hi;
            });
        }
        out.push_back(j);
    }
    {
        Judgement j = make("CAP, omega_sp^2/(n/alpha)", "cap", sp ? m.cap : NAN, "1/(g s^2)",
                           "MIL-F-8785C 3.2.2.1.1, Figs 1-3");
        for (int c = 0; c < kCategories; ++c) {
            j.level[c] = level_of([&](int l) {
                const Cap_Bounds& b = kCapBounds[c][l];
                return sp && m.cap >= b.cap_min && (b.cap_max == 0.0 || m.cap <= b.cap_max) &&
                       w >= b.omega_min && m.n_alpha >= b.n_alpha_min;
            });
        }
        out.push_back(j);
    }
    if (const Mode* p = find_mode(m, "phugoid")) {
        // The least stable phugoid root decides.
        const Mode* p2 = find_mode(m, "phugoid_2");
        const Mode& worst = p2 && p2->root.real() > p->root.real() ? *p2 : *p;
        const double t2 = worst.root.real() > 0.0 ? kLog2 / worst.root.real() : INFINITY;
        const double zeta = worst.oscillatory ? worst.zeta : (worst.root.real() < 0.0 ? 1.0 : -1.0);
        Judgement j = make("phugoid damping", "zeta_p", zeta, "", "MIL-F-8785C 3.2.1.2");
        for (int c = 0; c < kCategories; ++c) {
            j.level[c] = level_of(
                [&](int l) { return l == 0 ? zeta >= 0.04 : (l == 1 ? zeta >= 0.0 : t2 >= 55.0); });
        }
        out.push_back(j);
    }
    const bool dr = second_order(m, "dutch_roll", w, z);
    const Mode* drm = find_mode(m, "dutch_roll");
    const double coupling = drm ? w * w * drm->phi_over_beta : 0.0;
    const char* table_vi = "MIL-F-8785C 3.3.1.1, Table VI";
    Judgement jz = make("Dutch-roll damping", "zeta_d", dr ? z : NAN, "", table_vi);
    Judgement jw = make("Dutch-roll frequency", "omega_nd", dr ? w : NAN, "rad/s", table_vi);
    Judgement jzw =
        make("Dutch-roll zeta x omega", "zeta_omega_d", dr ? z * w : NAN, "rad/s", table_vi);
    for (int c = 0; c < kCategories; ++c) {
        jz.level[c] = level_of([&](int l) { return dr && z >= kDutchRollBounds[c][l].zeta_min; });
        jw.level[c] = level_of([&](int l) { return dr && w >= kDutchRollBounds[c][l].omega_min; });
        jzw.level[c] = level_of([&](int l) {
            const double extra = coupling > 20.0 ? kDutchRollCoupling[l] * (coupling - 20.0) : 0.0;
            return dr && z * w >= kDutchRollBounds[c][l].zeta_omega_min + extra;
        });
    }
    out.push_back(jz);
    out.push_back(jw);
    out.push_back(jzw);
    if (const Mode* r = find_mode(m, "roll")) {
        const double tau = r->root.real() < 0.0 ? -1.0 / r->root.real() : INFINITY;
        Judgement j =
            make("roll-mode time constant", "tau_r", tau, "s", "MIL-F-8785C 3.3.1.2, Table VII");
        for (int c = 0; c < kCategories; ++c) {
            j.level[c] = level_of([&](int l) { return tau <= kRollTimeConstant[c][l]; });
        }
        out.push_back(j);
    }
    if (const Mode* s = find_mode(m, "spiral")) {
        const double t2 = s->root.real() > 0.0 ? kLog2 / s->root.real() : INFINITY;
        Judgement j =
            make("spiral time to double", "t2_spiral", t2, "s", "MIL-F-8785C 3.3.1.3, Table VIII");
        for (int c = 0; c < kCategories; ++c) {
            j.level[c] = level_of([&](int l) { return t2 >= kSpiralDouble[c][l]; });
        }
        out.push_back(j);
    }
    if (const Mode* rs = find_mode(m, "roll_spiral")) {
        const double zw = rs->zeta * rs->omega_n;
        Judgement j =
            make("roll-spiral zeta x omega", "zeta_omega_rs", zw, "rad/s", "MIL-F-8785C 3.3.1.4");
        j.level[CAT_A] = 4;
        for (int c = CAT_B; c < kCategories; ++c) {
            j.level[c] = level_of([&](int l) { return zw >= kRollSpiralZetaOmega[l]; });
        }
        out.push_back(j);
    }
    return out;
}

}  // namespace rig
