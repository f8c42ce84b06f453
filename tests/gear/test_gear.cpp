// Strut feedback and steering settling through gear_step (the gear cycle,
// steering modes and brakes are exercised through the exports in abi/).
#include <gtest/gtest.h>

#include "gear/gear.h"
#include "host/shared_state.h"
#include "support/model_state.h"

using Gear = Model_Test;

namespace {

void run(int frames, double dt) {
    for (int i = 0; i < frames; ++i) gear_step(dt, true);
}

}  // namespace

TEST_F(Gear, HostPostsMapToNoseRightLeftWithCompressionLast) {
    const double right[8] = {1, 2, 3, 4, 5, 6, 7, 0.05};
    suspension_feedback(QFM_POST_RIGHT, right);
    EXPECT_EQ(G_Gear.wheels[LEG_RIGHT].feedback[6], 7.0);
    EXPECT_TRUE(weight_on_wheels());
    const double left[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    suspension_feedback(QFM_POST_LEFT, left);
    EXPECT_EQ(G_Gear.wheels[LEG_LEFT].compression, 9.0);
    const double unloaded[8] = {};
    suspension_feedback(3, unloaded);
    suspension_feedback(-1, unloaded);
    EXPECT_EQ(G_Gear.wheels[LEG_LEFT].compression, 9.0);
    suspension_feedback(QFM_POST_RIGHT, unloaded);
    suspension_feedback(QFM_POST_LEFT, unloaded);
    EXPECT_FALSE(weight_on_wheels());
    EXPECT_EQ(G_Gear.wheels[LEG_NOSE].feedback[0], 0.0);
}

TEST_F(Gear, SteeringSettlesWithLongFramesInsteadOfSwinging) {
    G_Gear.wheels[LEG_NOSE].compression = 0.05;
    G_Params.pedal_position = -1.0;  // target 0.185
    // At 20 Hz a full step is 0.05, five times the dead band: the wheel
    // must still come to rest inside it rather than swing about the target.
    run(10, 0.05);
    const double settled = G_Gear.steer_position;
    EXPECT_NEAR(settled, 0.185, 0.01);
    run(5, 0.05);
    EXPECT_EQ(G_Gear.steer_position, settled);
    // At 100 Hz every step ends inside the dead band, as it always did.
    G_Params.pedal_position = 1.0;
    run(100, 0.01);
    EXPECT_NEAR(G_Gear.steer_position, -0.185, 0.01);
    EXPECT_NE(G_Gear.steer_position, -0.185);  // stopped on entering the band
}
