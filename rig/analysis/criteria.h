// Flying-qualities Levels of the linear modes for a Class IV (high
// manoeuvrability) airplane, in flight-phase Categories A, B and C, after
// MIL-F-8785C (5 November 1980). Level 1 is clearly adequate, 2 adequate
// with more workload, 3 safely controllable; 4 here means worse than 3.
#pragma once

#include <string>
#include <vector>

#include "analysis/linear.h"

namespace rig {

enum Category { CAT_A, CAT_B, CAT_C, kCategories };
extern const char* const kCategoryNames[kCategories];

struct Judgement {
    std::string criterion;  // e.g. "short-period damping"
    std::string symbol;     // e.g. "zeta_sp"
    double value = 0.0;
    std::string unit;
    int level[kCategories] = {};  // 1, 2, 3, or 4 (worse than 3); 0: mode absent
    std::string source;           // paragraph, table or figure
};

std::vector<Judgement> judge(const Modes& m);

// Level boundaries of the charts, per Category.
struct Cap_Bounds {
    double cap_min, cap_max;  // omega_sp^2 / (n/alpha), 1/(g s^2); cap_max 0: none
    double omega_min;         // rad/s, 0: none
    double n_alpha_min;       // g/rad, 0: none
};
// [category][level 1..3 as 0..2]
extern const Cap_Bounds kCapBounds[kCategories][3];

struct Dutch_Roll_Bounds {
    double zeta_min, zeta_omega_min, omega_min;  // -, rad/s, rad/s
};
extern const Dutch_Roll_Bounds kDutchRollBounds[kCategories][3];

}  // namespace rig
