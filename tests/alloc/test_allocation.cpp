// No allocation in steady flight, through the exports of the dlopened
// library, counted by the allocator this executable defines
// (counting_allocator.cpp). A host that never drains is held to bounded
// memory by the robustness tests.
#include <gtest/gtest.h>

#include <cmath>

#include "alloc/counting_allocator.h"
#include "host_frame.h"

namespace {

// Six force lists: thrust and five drag lists.
constexpr long kLists = 6;

struct Allocation : ::testing::Test {
    Host host;
    void SetUp() override { ASSERT_TRUE(host.load()) << host.error; }
};

// Frame (of every 2000), command and value: gear down, flaps down, speed
// brake out and in, flaps up, gear up.
const struct {
    int at;
    int command;
    float value;
} kSchedule[] = {{100, QFM_CMD_GEAR_HANDLE, 0.0f}, {300, QFM_CMD_FLAP_LEVER, 1.0f},
                 {500, QFM_CMD_SPEED_BRAKE, 1.0f}, {900, QFM_CMD_SPEED_BRAKE, -1.0f},
                 {1200, QFM_CMD_FLAP_LEVER, 0.0f}, {1400, QFM_CMD_GEAR_HANDLE, 1.0f}};

// Steady flight with the pilot busy: stick, trim, gear, flaps
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
        for (const auto& [at, command, value] : kSchedule) {
            if (i % 2000 == at) host.ed_fm_set_command(command, value);
        }
        host.ed_fm_set_command(QFM_CMD_PITCH_AXIS, static_cast<float>(0.2 * std::sin(0.5 * phase)));
        host.ed_fm_set_command(QFM_CMD_ROLL_AXIS, static_cast<float>(0.3 * std::cos(0.4 * phase)));
        host.ed_fm_set_command(QFM_CMD_PITCH_TRIM_UP, 0.0f);
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
