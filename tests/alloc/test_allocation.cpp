// No allocation in steady flight, and bounded memory for a host that never
// drains its force components, through the exports of the dlopened library,
// counted by the allocator this executable defines (counting_allocator.cpp).
#include <gtest/gtest.h>

#include <cmath>

#include "alloc/counting_allocator.h"
#include "host_frame.h"

namespace {

// Six force lists (thrust and five drag lists), each capped at 4096 forces
// of three doubles.
constexpr long kLists = 6;
constexpr long kListCap = 4096;
constexpr long kListBytes = kListCap * 3 * static_cast<long>(sizeof(double));

struct Allocation : ::testing::Test {
    Host host;
    void SetUp() override { ASSERT_TRUE(host.load()) << host.error; }
};

// Steady flight with the pilot busy: stick, pedals, throttle, gear, flaps
// and speed brake move on a fixed schedule, and the state changes every
// frame.
void fly_busy(Host_Frame& frame, int frames) {
    const Host& host = frame.host;
    for (int i = 0; i < frames; ++i) {
        const double phase = i * 0.01;
        frame.state.alpha = 0.05 + 0.03 * std::sin(phase);
        frame.state.beta = 0.02 * std::cos(0.7 * phase);
        frame.state.q = 0.05 * std::cos(phase);
        frame.state.p = 0.1 * std::sin(0.3 * phase);
        frame.state.vx = 150.0 + 20.0 * std::sin(0.1 * phase);
        switch (i % 2000) {
            case 100:
                host.ed_fm_set_command(3016, 0.0f);
                break;  // gear down
            case 300:
                host.ed_fm_set_command(3013, 1.0f);
                break;  // flaps down
            case 500:
                host.ed_fm_set_command(3012, 1.0f);
                break;  // speed brake out
            case 900:
                host.ed_fm_set_command(3012, -1.0f);
                break;  // speed brake in
            case 1200:
                host.ed_fm_set_command(3013, 0.0f);
                break;  // flaps up
            case 1400:
                host.ed_fm_set_command(3016, 1.0f);
                break;  // gear up
            default:
                break;
        }
        host.ed_fm_set_command(2001, static_cast<float>(0.2 * std::sin(0.5 * phase)));
        host.ed_fm_set_command(2002, static_cast<float>(0.3 * std::cos(0.4 * phase)));
        host.ed_fm_set_command(95, 0.0f);
        frame.run();
    }
}

}  // namespace

TEST_F(Allocation, ControlTheFirstGrowthOfTheForceListsIsCounted) {
    // Proves the library's allocations reach this allocator at all: on the
    // first frame after load every force list allocates its storage.
    Host_Frame frame(host);
    host.ed_fm_set_internal_fuel(Host_Frame::kStartFuelKg);
    host.ed_fm_hot_start_in_air();
    counting_start();
    frame.run();
    const Allocation_Counts counts = counting_stop();
    EXPECT_GE(counts.allocations + counts.reallocations, kLists);
    EXPECT_GT(counts.live_bytes, 0);
}

TEST_F(Allocation, SteadyFlightWithADrainingHostAllocatesNothing) {
    Host_Frame frame(host);
    frame.start(200);
    fly_busy(frame, 200);
    counting_start();
    fly_busy(frame, 10000);
    const Allocation_Counts counts = counting_stop();
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.reallocations, 0);
    EXPECT_EQ(counts.frees, 0);
    EXPECT_TRUE(std::isfinite(frame.sink));
}

TEST_F(Allocation, HostThatNeverDrainsKeepsMemoryBounded) {
    host.ed_fm_set_internal_fuel(Host_Frame::kStartFuelKg);
    host.ed_fm_hot_start_in_air();
    Host_Frame frame(host);
    counting_start();
    for (int i = 0; i < 50000; ++i) {
        frame.push();
        host.ed_fm_simulate(Host_Frame::kDt);
    }
    const Allocation_Counts half = counting_now();
    for (int i = 0; i < 50000; ++i) {
        frame.push();
        host.ed_fm_simulate(Host_Frame::kDt);
    }
    const Allocation_Counts full = counting_stop();

    // The lists stopped growing long before half way, and hold no more than
    // their cap (the allocator may round a block up by a few bytes).
    EXPECT_EQ(full.allocations, half.allocations);
    EXPECT_EQ(full.reallocations, half.reallocations);
    EXPECT_EQ(full.live_bytes, half.live_bytes);
    EXPECT_LE(full.live_bytes, kLists * (kListBytes + 64));

    // Every list stopped at its cap: the newest forces were dropped.
    EXPECT_EQ(host.drain(), kLists * kListCap);
    EXPECT_EQ(host.drain(), 0);
}
