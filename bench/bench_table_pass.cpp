// The aerodynamic table pass alone, on the statically linked model: the 47
// lookups and the buffet amplitude at a fixed cruise angle, and over a sweep
// of angles of attack and sideslip that visits every part of every axis.
#include <benchmark/benchmark.h>

#include "aero/aero_data.h"
#include "controls/flight_controls.h"
#include "host/lifecycle.h"

namespace {

void BM_TablePassCruise(benchmark::State& state) {
    library_load();
    Body_Motion motion;
    motion.alpha_deg = 2.8647889756541161;  // 0.05 rad
    motion.beta_deg = 0.0;
    for (auto _ : state) {
        aero_table_pass(motion, false);
        benchmark::DoNotOptimize(G_Aero.slots);
    }
}
BENCHMARK(BM_TablePassCruise);

void BM_TablePassSweep(benchmark::State& state) {
    library_load();
    // Alpha steps through -25..95 degrees and beta through -35..35 degrees in
    // steps that are not multiples of any breakpoint spacing.
    constexpr double kAlphaStepDeg = 0.37;
    constexpr double kBetaStepDeg = 0.23;
    Body_Motion motion;
    motion.alpha_deg = -25.0;
    motion.beta_deg = -35.0;
    for (auto _ : state) {
        aero_table_pass(motion, false);
        benchmark::DoNotOptimize(G_Aero.slots);
        motion.alpha_deg = motion.alpha_deg > 95.0 ? -25.0 : motion.alpha_deg + kAlphaStepDeg;
        motion.beta_deg = motion.beta_deg > 35.0 ? -35.0 : motion.beta_deg + kBetaStepDeg;
    }
}
BENCHMARK(BM_TablePassSweep);

}  // namespace

BENCHMARK_MAIN();
