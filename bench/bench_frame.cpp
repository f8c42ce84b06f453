// Benchmarks through the exports, as a host calls them: the stand-in cockpit
// library and then libQuillonFM.so are loaded with dlopen, and the model is
// flown in steady level flight.
//   BM_HostFrame: the input calls, ed_fm_simulate and every pull of a frame.
//   BM_Simulate:  ed_fm_simulate alone.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "host_frame.h"

namespace {

// Frames flown before timing starts: the engine and the actuators settle and
// the force lists reach their working capacity.
constexpr int kSettleFrames = 2000;
// BM_Simulate drains the force lists outside the timed region once per this
// many frames, so the lists never reach their cap.
constexpr int kDrainEvery = 512;

Host g_host;

void BM_HostFrame(benchmark::State& state) {
    Host_Frame frame(g_host);
    frame.start(kSettleFrames);
    for (auto _ : state) {
        frame.run();
    }
    benchmark::DoNotOptimize(frame.sink);
}
BENCHMARK(BM_HostFrame);

void BM_Simulate(benchmark::State& state) {
    Host_Frame frame(g_host);
    frame.start(kSettleFrames);
    frame.push();
    int since_drain = 0;
    for (auto _ : state) {
        g_host.ed_fm_simulate(Host_Frame::kDt);
        if (++since_drain == kDrainEvery) {
            state.PauseTiming();
            g_host.drain();
            since_drain = 0;
            state.ResumeTiming();
        }
    }
    g_host.drain();
}
BENCHMARK(BM_Simulate);

}  // namespace

int main(int argc, char** argv) {
    if (!g_host.load()) {
        std::fprintf(stderr, "cannot load the model: %s\n", g_host.error.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
