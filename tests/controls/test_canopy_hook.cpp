#include "controls_test_support.h"

namespace {

using CanopyHook = ControlsTest;

TEST_F(CanopyHook, CanopyOpensAndClosesInNinetyFramesAndStopsExactly) {
    Canopy& c = G_Canopy;
    c.canopy_open_selected = true;
    canopy_step(kFrame);
    EXPECT_DOUBLE_EQ(c.canopy.position, 0.01);
    for (int i = 1; i < 89; ++i) canopy_step(kFrame);
    EXPECT_LT(c.canopy.position, 0.9);
    canopy_step(kFrame);
    EXPECT_EQ(c.canopy.position, 0.9);
    canopy_step(kFrame);
    EXPECT_EQ(c.canopy.position, 0.9);

    c.canopy_open_selected = false;
    for (int i = 0; i < 89; ++i) canopy_step(kFrame);
    EXPECT_GT(c.canopy.position, 0.0);
    canopy_step(kFrame);
    EXPECT_EQ(c.canopy.position, 0.0);
    EXPECT_EQ(c.canopy.command, 0.0);
}

TEST_F(CanopyHook, HookFallsWithoutPressureAndRisesOnlyWithIt) {
    Hook& h = G_Hook;
    // Down selected with no hydraulic pressure: 1 s to full extension.
    h.hook_up_selected = false;
    for (int i = 0; i < 25; ++i) hook_step(kFrame, 0.0);
    EXPECT_NEAR(h.hook_position, 0.5, 1e-12);
    // Up selected mid-travel without pressure: it keeps going down.
    h.hook_up_selected = true;
    for (int i = 0; i < 25; ++i) hook_step(kFrame, 0.0);
    EXPECT_EQ(h.hook_position, 1.0);
    for (int i = 0; i < 100; ++i) hook_step(kFrame, 1500.0);
    EXPECT_EQ(h.hook_position, 1.0);
    EXPECT_EQ(h.hook.position, h.hook_position);

    // Above 1500 psi it retracts in 1 s.
    for (int i = 0; i < 49; ++i) hook_step(kFrame, 1500.5);
    EXPECT_GT(h.hook_position, 0.0);
    hook_step(kFrame, 1500.5);
    EXPECT_NEAR(h.hook_position, 0.0, 1e-12);
    hook_step(kFrame, 3000.0);
    EXPECT_EQ(h.hook_position, 0.0);
}

}  // namespace
