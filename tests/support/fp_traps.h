// Floating-point traps in the test binaries: tests/support/fp_traps.cpp turns
// on traps for invalid operations, division by zero and overflow before any
// test runs, so that a NaN or an infinity stops the test (SIGFPE) at the
// operation that made it. Tests that feed NaN or infinity on purpose, or that
// exercise a cue the model itself makes non-finite, hold an Fp_Traps_Off for
// the stretch that does so.
//
// Note that ordered comparisons (<, >, <=, >=) with a NaN operand raise
// "invalid" too, so merely looking at a NaN input trips the trap.
#pragma once

#include <fenv.h>

namespace qfm_test {

constexpr int kTrappedExceptions = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// Turns the traps on (clearing flags left by earlier operations first).
inline void enable_fp_traps() {
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(kTrappedExceptions);
}

// Turns the traps off for its lifetime; on leaving, clears the flags raised
// meanwhile and restores the traps that were on before.
class Fp_Traps_Off {
 public:
    Fp_Traps_Off() : saved_(fegetexcept()) { fedisableexcept(kTrappedExceptions); }
    ~Fp_Traps_Off() {
        feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(saved_ & kTrappedExceptions);
    }
    Fp_Traps_Off(const Fp_Traps_Off&) = delete;
    Fp_Traps_Off& operator=(const Fp_Traps_Off&) = delete;

 private:
    int saved_;
};

}  // namespace qfm_test
