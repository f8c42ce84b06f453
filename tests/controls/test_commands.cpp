#include <limits>
#include <vector>

#include "controls_test_support.h"

namespace {

// The stand-in for the host's dispatch: counts calls and can turn the
// auxiliary switch off from inside a dispatch, as a host action could.
int g_dispatched = 0;
int g_switch_off_after = -1;
void record_dispatch(int device, int action, double value) {
    EXPECT_EQ(device, 0);
    EXPECT_EQ(action, 83);
    EXPECT_EQ(value, 1.0);
    if (++g_dispatched == g_switch_off_after) command_input(3061, 0.0f);
}

class Commands : public ControlsTest {
 protected:
    void SetUp() override {
        ControlsTest::SetUp();
        saved_api_ = G_CommandInput.api;
        G_CommandInput.api.dispatch_action_to_device = &record_dispatch;
        g_dispatched = 0;
        g_switch_off_after = -1;
    }
    void TearDown() override {
        G_CommandInput.api = saved_api_;
        ControlsTest::TearDown();
    }

 private:
    Cockpit_Api saved_api_;
};

template <typename T>
std::vector<unsigned char> bytes_of(const T& record) {
    const auto* p = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(p, p + sizeof(T));
}

TEST_F(Commands, ValuesAboveOneArriveEncoded) {
    EXPECT_EQ(command_preconvert(1.5f), 2.0f);
    EXPECT_EQ(command_preconvert(1.25f), 0.0f);
    EXPECT_EQ(command_preconvert(3.125f), -1.0f);
    EXPECT_EQ(command_preconvert(1.0f), 1.0f);
    EXPECT_EQ(command_preconvert(-7.5f), -7.5f);
    command_input(3012, 1.5f);
    EXPECT_EQ(G_FlightControls.speed_brake_switch, 2.0);
    command_input(3012, 1.0f);
    EXPECT_EQ(G_FlightControls.speed_brake_switch, 1.0);
}

TEST_F(Commands, AxesKeepTheirSignsAndTrimsHoldAtTheirLimits) {
    Flight_Controls& fcs = G_FlightControls;
    command_input(2001, 0.3f);
    command_input(2002, 0.3f);
    command_input(2003, -0.7f);
    EXPECT_EQ(fcs.pitch_stick, -static_cast<double>(0.3f));
    EXPECT_EQ(fcs.roll_stick, static_cast<double>(0.3f));
    EXPECT_EQ(G_Params.pedal_position, static_cast<double>(0.7f));

    command_input(95, 0.0f);
    EXPECT_EQ(fcs.pitch_trim, 0.0008);
    for (int i = 0; i < 2000; ++i) {
        command_input(95, 0.0f);
        ASSERT_LE(fcs.pitch_trim, 1.0);
    }
    EXPECT_EQ(fcs.pitch_trim, 1.0);
    fcs.roll_trim = -1.0;
    command_input(93, 0.0f);
    EXPECT_EQ(fcs.roll_trim, -1.0);
    G_Params.pedal_position = 0.995;
    command_input(3056, 0.0f);
    EXPECT_EQ(G_Params.pedal_position, 1.0);
}

TEST_F(Commands, ThrottleHasApproachIdleFloor) {
    double& throttle = G_Engine.core.throttle;
    command_input(2004, 1.0f);
    EXPECT_EQ(throttle, 0.0);
    command_input(2004, -1.0f);
    EXPECT_EQ(throttle, 100.0);
    command_input(3059, 0.0f);
    EXPECT_EQ(throttle, 100.0);
    G_Engine.approach_idle = true;
    command_input(2004, 1.0f);
    EXPECT_EQ(throttle, 37.7);
    command_input(3060, 0.0f);
    EXPECT_EQ(throttle, 37.7);
}

TEST_F(Commands, BrakesAndSwitchesCompareExactly) {
    Wheel_Contact* w = G_Gear.wheels;
    command_input(2101, -1.0f);
    command_input(2112, 0.0f);
    EXPECT_EQ(w[LEG_LEFT].brake, 0.5);
    EXPECT_EQ(w[LEG_RIGHT].brake, 1.0);
    // Parking brake: 0.5 sets it and leaves the brakes, -1 clears only the
    // flag, exactly 0 also releases both brakes.
    command_input(3038, 0.5f);
    EXPECT_TRUE(G_Gear.parking_brake);
    command_input(3038, -1.0f);
    EXPECT_FALSE(G_Gear.parking_brake);
    EXPECT_EQ(w[LEG_RIGHT].brake, 1.0);
    command_input(3038, 0.0f);
    EXPECT_EQ(w[LEG_LEFT].brake, 0.0);
    EXPECT_EQ(w[LEG_RIGHT].brake, 0.0);

    command_input(3052, 0.5f);
    EXPECT_TRUE(G_Electrical.generator_switch);
    command_input(3022, 1.0f);  // not a position of this switch
    EXPECT_TRUE(G_Electrical.generator_switch);
    command_input(3022, 0.0f);
    EXPECT_FALSE(G_Electrical.generator_switch);
    command_input(3030, -1.0f);  // the half-bright position
    command_input(3029, 1.0f);
    EXPECT_EQ(G_Lights.level_a, 0.5f);
    EXPECT_EQ(G_Lights.level_b, 1.0f);
}

TEST_F(Commands, AuxiliaryActionDispatchesOnlyWhileSwitchIsOn) {
    command_input(3063, 0.0f);
    EXPECT_EQ(g_dispatched, 0);
    command_input(3061, 1.0f);
    command_input(3062, 0.0f);
    command_input(3063, 0.0f);
    EXPECT_EQ(g_dispatched, 4);
    // The switch is tested again before each dispatch of the three.
    g_switch_off_after = 5;
    command_input(3063, 0.0f);
    EXPECT_EQ(g_dispatched, 5);
}

TEST_F(Commands, UnknownCommandsAndNonFiniteValuesChangeNothing) {
    G_FlightControls.pitch_stick = 0.25;
    G_Params.pedal_position = 0.5;
    const auto fcs = bytes_of(G_FlightControls);
    const auto gear = bytes_of(G_Gear);
    const auto params = bytes_of(G_Params);
    const auto lights = bytes_of(G_Lights);
    const auto engine = bytes_of(G_Engine);
    for (int cmd : {0, 1000, 2005, 3026, 3039, 3064, -1}) command_input(cmd, 1.0f);
    command_input(2001, std::numeric_limits<float>::quiet_NaN());
    command_input(2003, -std::numeric_limits<float>::infinity());
    command_input(3012, std::numeric_limits<float>::infinity());
    EXPECT_EQ(bytes_of(G_FlightControls), fcs);
    EXPECT_EQ(bytes_of(G_Gear), gear);
    EXPECT_EQ(bytes_of(G_Params), params);
    EXPECT_EQ(bytes_of(G_Lights), lights);
    EXPECT_EQ(bytes_of(G_Engine), engine);
}

}  // namespace
