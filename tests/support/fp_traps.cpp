// Linked into every unit-test and ABI-test binary: traps on invalid
// operations, division by zero and overflow from before main, so a NaN or an
// infinity fails the test where it is born. The ABI tests' dlopened library
// runs on the same thread and is trapped as well. (clang builds compile with
// -ffp-exception-behavior=maytrap, so a guarded division is not speculated
// into a spurious trap.)
#include "support/fp_traps.h"

namespace {

struct Enable_Fp_Traps {
    Enable_Fp_Traps() { qfm_test::enable_fp_traps(); }
};

const Enable_Fp_Traps g_enable_fp_traps;

}  // namespace
