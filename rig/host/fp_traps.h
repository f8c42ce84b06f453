// Floating-point traps for the model's calls and the rig's own physics, so a
// NaN or an overflow stops the run where it is born.
#pragma once

#include <cfenv>

namespace rig {

class Trap_Scope {
 public:
    Trap_Scope() {
        std::feclearexcept(FE_ALL_EXCEPT);
        previous_ = fegetexcept();
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    ~Trap_Scope() {
        fedisableexcept(FE_ALL_EXCEPT);
        feenableexcept(previous_);
    }
    Trap_Scope(const Trap_Scope&) = delete;
    Trap_Scope& operator=(const Trap_Scope&) = delete;

 private:
    int previous_ = 0;
};

}  // namespace rig
