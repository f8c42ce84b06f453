// The rig as the model's host: the state reaches the model in the host's
// conventions. (That the moments coming back make a stable aircraft in the
// rig's axes is the derivatives test's.)
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>

#include "host/host_loop.h"
#include "host/model_api.h"

namespace rig {
namespace {

class Host_Test : public ::testing::Test {
 protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(load_model(default_library_paths(), api_, error)) << error;
        params_ = static_cast<const Global_Params*>(dlsym(api_.model_handle, "G_Params"));
        ASSERT_NE(params_, nullptr);
        host_init(host_, api_);
        host_.mass_properties.mass = 9000.0;
        api_.ed_fm_set_internal_fuel(2000.0);
        api_.ed_fm_hot_start_in_air();
    }

    Model_Api api_;
    const Global_Params* params_ = nullptr;
    Host host_;
};

TEST_F(Host_Test, StateReachesTheModelInTheHostsConventions) {
    host_.body.position = {100.0, 2000.0, -50.0};
    host_.body.attitude = from_euler({0.3, 0.08, 0.1});
    host_.body.velocity = {150.0, -5.0, 10.0};
    host_.body.omega = {0.1, 0.2, 0.05};
    host_.env.wind_world = {5.0, 0.0, -3.0};
    host_push_state(host_);
    host_simulate(host_);

    const Euler e = to_euler(host_.body.attitude);
    EXPECT_DOUBLE_EQ(params_->yaw, e.yaw);
    EXPECT_DOUBLE_EQ(params_->pitch, e.pitch);
    EXPECT_DOUBLE_EQ(params_->roll, e.roll);
    EXPECT_DOUBLE_EQ(params_->world_vel_y, -5.0);
    const V3 body = unrotate(host_.body.attitude, host_.body.velocity);
    EXPECT_DOUBLE_EQ(params_->body_vel_x, body.x);
    EXPECT_DOUBLE_EQ(params_->body_vel_z, body.z);
    const V3 air = body - unrotate(host_.body.attitude, host_.env.wind_world);
    EXPECT_DOUBLE_EQ(params_->aoa_rad, std::atan2(-air.y, air.x));
    EXPECT_GT(params_->aoa_rad, 0.0);  // descending with the nose up: air from below
    // The wind goes to the cockpit as world x and z.
    EXPECT_EQ(api_.cockpit("WIND_X"), 5.0);
    EXPECT_EQ(api_.cockpit("WIND_Y"), -3.0);
    // The velocity vector is computed from the ground-relative body velocity.
    EXPECT_DOUBLE_EQ(api_.cockpit("VelVecVert"), std::atan2(body.y, body.x));
    // In the air no strut is compressed: no nose-wheel steering is reported.
    EXPECT_EQ(api_.ed_fm_get_param(QFM_PARAM_STEERING), 0.0);
}

}  // namespace
}  // namespace rig
