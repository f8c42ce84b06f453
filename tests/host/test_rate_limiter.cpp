#include <gtest/gtest.h>

#include "controls/rate_limiter.h"

TEST(RateLimiter, SlewsAtItsRateAndArrivesExactly) {
    Rate_Limiter e{10.0, 0.35, 0.0, 0.0, 1.0, true, true};
    rate_limiter_step(e, 0.02);  // allowance 0.2
    EXPECT_DOUBLE_EQ(e.position, 0.2);
    rate_limiter_step(e, 0.02);  // 0.15 left: arrives without residue
    EXPECT_EQ(e.position, 0.35);
    e.command = 0.0;
    rate_limiter_step(e, 0.02);
    EXPECT_DOUBLE_EQ(e.position, 0.15);
}

TEST(RateLimiter, EndStopsHoldThePositionNotTheCommand) {
    Rate_Limiter e{12.0, 40.0, 24.0, 0.0, 25.0, true, true};
    rate_limiter_step(e, 0.5);
    EXPECT_EQ(e.position, 25.0);
    EXPECT_EQ(e.command, 40.0);
    // A position written outside the stops is brought back by the next step
    // even when the command agrees with it.
    e.position = -3.0;
    e.command = -3.0;
    rate_limiter_step(e, 0.01);
    EXPECT_EQ(e.position, 0.0);
}

TEST(RateLimiter, EqualStopsMeanNoClamping) {
    Rate_Limiter e{1.0, 5.0, 4.5, 0.0, 0.0, true, true};
    rate_limiter_step(e, 1.0);
    EXPECT_EQ(e.position, 5.0);
    EXPECT_EQ(rate_limiter_fraction(e), 0.0);  // no division by a zero travel
}

TEST(RateLimiter, ZeroTimeStepOrDisabledMovesNothing) {
    Rate_Limiter e{10.0, 5.0, 1.0, -10.0, 10.0, true, true};
    rate_limiter_step(e, 0.0);
    EXPECT_EQ(e.position, 1.0);
    Rate_Limiter off{1.0, 5.0, -2.0, 0.0, 1.0, true, false};
    rate_limiter_step(off, 1.0);
    EXPECT_EQ(off.position, -2.0);  // neither moved nor clamped
}
