// The coefficient build-up against its closed forms, one configuration at a
// time, from the slots the table pass leaves.
#include <gtest/gtest.h>

#include <cmath>

#include "aero/aero_data.h"
#include "controls/flight_controls.h"
#include "host/shared_state.h"
#include "support/model_state.h"

namespace {

struct AeroFixture : ::testing::Test {
    Body_Motion motion{};
    Surface_State surfaces{};

    void SetUp() override {
        reset_model();
        G_FlightState.dynamic_pressure = 10000.0;
        G_FlightState.true_airspeed = 150.0;
        G_FlightState.mach = 0.5;
    }

    void run(bool on_ground = false) {
        aero_table_pass(motion, on_ground);
        aero_build_coefficients(surfaces, motion);
    }
    double slot(int s) const { return G_Aero.slots[s]; }
};

Vec3 newest(Force_List& list) {
    Vec3 f;
    EXPECT_TRUE(force_list_pop(list, f));
    return f;
}

}  // namespace

TEST_F(AeroFixture, CleanAircraftAtRestSurfacesIsTheBasicData) {
    motion.alpha_deg = 7.0;
    motion.beta_deg = 3.0;
    run();
    const double xm = 0.325;  // Mach 0.5 (MomentReferenceFollowsMach)
    EXPECT_EQ(G_Aero.CX, slot(CX_BASIC));
    EXPECT_EQ(G_Aero.CZ, slot(CZ_BASIC));
    EXPECT_DOUBLE_EQ(G_Aero.Cm, 2.5 * slot(CM_BASIC) + xm * slot(CZ_BASIC) + slot(CM_EXTRA) + 0.2);
    EXPECT_EQ(G_Aero.CY, slot(CY_BASIC));
    EXPECT_DOUBLE_EQ(
        G_Aero.Cn, slot(CN_BASIC) - slot(CY_BASIC) * xm * 0.2000832441431799 + slot(CN_BETA) * 3.0);
    EXPECT_DOUBLE_EQ(G_Aero.Cl, slot(CL_BASIC) + slot(CL_BETA) * 3.0);
}

TEST_F(AeroFixture, FullFlapAtZeroAlpha) {
    run();
    const double cx0 = G_Aero.CX;
    const double cz0 = G_Aero.CZ;
    surfaces.flap_fraction_left = surfaces.flap_fraction_right = 1.0;
    run();
    const double one_deg = 0.017453292519943295;
    EXPECT_DOUBLE_EQ(G_Aero.CX - cx0, -0.125 * std::cos(one_deg));
    EXPECT_DOUBLE_EQ(G_Aero.CZ - cz0, -(0.35 + 0.125 * std::sin(one_deg)));
}

TEST_F(AeroFixture, FullSlatsReplaceTheCleanData) {
    motion.alpha_deg = 10.0;
    motion.beta_deg = 4.0;
    motion.pitch_rate = 0.1;
    motion.roll_rate = 0.2;
    motion.yaw_rate = -0.05;
    surfaces.slat_fraction = 1.0;
    surfaces.aileron_fraction = 1.0;
    run();
    const double kc = 1.880362 / 300.0;
    const double kb = 9.3978984 / 300.0;
    EXPECT_NEAR(G_Aero.CX, slot(CX_SLAT) + (slot(CXQ) + slot(CXQ_SLAT)) * kc * 0.1 - 0.0, 1e-12);
    // The aileron increment now comes from the slat aileron tables alone.
    EXPECT_NEAR(G_Aero.dCl_aileron, slot(CL_AILERON_SLAT) - slot(CL_SLAT), 1e-15);
    EXPECT_NEAR(G_Aero.dCY_aileron, slot(CY_AILERON_SLAT) - slot(CY_SLAT), 1e-15);
    EXPECT_NEAR(G_Aero.dCn_aileron, slot(CN_AILERON_SLAT) - slot(CN_SLAT), 1e-15);
    const double cy = slot(CY_SLAT) + G_Aero.dCY_aileron + (slot(CYP) + slot(CYP_SLAT)) * kb * 0.2 +
                      (slot(CYR) + slot(CYR_SLAT)) * kb * -0.05;
    EXPECT_NEAR(G_Aero.CY, cy, 1e-12);
}

TEST_F(AeroFixture, AlphaAndBetaClampsAndTheSlatCeiling) {
    motion.alpha_deg = 60.0;
    motion.beta_deg = 40.0;
    run();
    const double at60[2] = {60.0, 30.0};
    const double at45[2] = {45.0, 30.0};
    EXPECT_EQ(slot(CX_BASIC), grid_lookup(G_Aero.tables[CX_BASIC], at60));
    EXPECT_EQ(slot(CX_SLAT), grid_lookup(G_Aero.tables[CX_SLAT], at45));
    EXPECT_EQ(slot(CY_SLAT), grid_lookup(G_Aero.tables[CY_SLAT], at45));
    // The beta terms use the unclamped 40 degrees.
    const double xm = G_Aero.xm;
    EXPECT_DOUBLE_EQ(G_Aero.Cl, slot(CL_BASIC) + slot(CL_BETA) * 40.0);
    EXPECT_DOUBLE_EQ(G_Aero.Cn, slot(CN_BASIC) - slot(CY_BASIC) * xm * 0.2000832441431799 +
                                    slot(CN_BETA) * 40.0);
}

TEST_F(AeroFixture, RateTermsVanishAtZeroAirspeed) {
    G_FlightState.true_airspeed = 0.0;
    motion.pitch_rate = motion.roll_rate = motion.yaw_rate = 1.0;
    run();
    const double cz_with_rates = G_Aero.CZ;
    const double cl_with_rates = G_Aero.Cl;
    motion.pitch_rate = motion.roll_rate = motion.yaw_rate = 0.0;
    run();
    EXPECT_EQ(G_Aero.CZ, cz_with_rates);
    EXPECT_EQ(G_Aero.Cl, cl_with_rates);
    EXPECT_TRUE(std::isfinite(cz_with_rates));
}

TEST_F(AeroFixture, DragForcesGoToTheirListsEveryFrame) {
    surfaces.speed_brake_fraction = 1.0;
    G_Params.gear_leg_position[0] = 1.0;
    G_Params.gear_leg_position[1] = 0.5;
    G_Params.gear_leg_position[2] = 0.0;
    run();
    EXPECT_EQ(newest(G_Aero.drag[DRAG_SPEED_BRAKE_LEFT]).x, -5850.0);
    EXPECT_EQ(newest(G_Aero.drag[DRAG_SPEED_BRAKE_RIGHT]).x, -5850.0);
    EXPECT_DOUBLE_EQ(newest(G_Aero.drag[DRAG_GEAR_NOSE]).x, -1700.0);
    EXPECT_DOUBLE_EQ(newest(G_Aero.drag[DRAG_GEAR_LEFT]).x, -850.0);
    // A retracted leg still pushes its (zero) force.
    EXPECT_EQ(G_Aero.drag[DRAG_GEAR_RIGHT].length, 1u);
    EXPECT_EQ(newest(G_Aero.drag[DRAG_GEAR_RIGHT]).x, 0.0);
}

TEST_F(AeroFixture, MomentReferenceFollowsMach) {
    for (auto [mach, xm] : {std::pair{0.0, 0.3}, {0.5, 0.325}, {1.8, 0.39}, {2.5, 0.39}}) {
        G_FlightState.mach = mach;
        run();
        EXPECT_DOUBLE_EQ(G_Aero.xm, xm) << mach;
    }
}

TEST_F(AeroFixture, BuffetOnsetSpanAndGround) {
    for (auto [alpha, amplitude] :
         {std::pair{6.0, 0.0}, {15.0, 8.5 / 14.0}, {25.0, 1.0}, {-10.0, 0.0}}) {
        motion.alpha_deg = alpha;
        run(false);
        EXPECT_DOUBLE_EQ(G_Aero.shakeAmplitude, amplitude) << alpha;
        run(true);
        EXPECT_EQ(G_Aero.shakeAmplitude, 0.0) << alpha;
    }
}
