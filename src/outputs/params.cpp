// The host's numbered parameters. Pure lookups of the current state; the
// numbers are the host's, so several of them repeat one value.
#include "gear/gear.h"
#include "host/air_data.h"
#include "outputs/outputs.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"
#include "quillon_fm_ids.h"

namespace {

constexpr double kPercent = 100.0;
// The host's engine-speed scale: 32000 at 100 per cent.
constexpr double kEngineSpeedScale = 32000.0;

double flag(bool value) { return value ? 1.0 : 0.0; }

}  // namespace

double get_param(unsigned index) {
    const Engine& engine = G_Engine;
    const Landing_Gear& gear = G_Gear;
    const Wheel_Contact& nose = gear.wheels[LEG_NOSE];
    const Wheel_Contact& left = gear.wheels[LEG_LEFT];
    const Wheel_Contact& right = gear.wheels[LEG_RIGHT];

    switch (index) {
        case QFM_PARAM_GTS_RPM_FRACTION_A:
        case QFM_PARAM_GTS_RPM_FRACTION_B:
            return engine.gts_rpm / kPercent;
        case QFM_PARAM_GTS_RPM_PERCENT_A:
        case QFM_PARAM_GTS_RPM_PERCENT_B:
        case QFM_PARAM_GTS_RPM_PERCENT_C:
            return engine.gts_rpm;
        case QFM_PARAM_ONE_A:
        case QFM_PARAM_ONE_B:
        case QFM_PARAM_ONE_C:
        case QFM_PARAM_ONE_D:
        case QFM_PARAM_ONE_E:
        case QFM_PARAM_ONE_F:
            return 1.0;
        case QFM_PARAM_RPM_FRACTION_A:
        case QFM_PARAM_RPM_FRACTION_B:
        case QFM_PARAM_RPM_FRACTION_C:
        case QFM_PARAM_RPM_FRACTION_D:
        case QFM_PARAM_RPM_FRACTION_E:
            return engine.core.rpm / kPercent;
        case QFM_PARAM_N1_FRACTION:
            return engine.core.n1_rpm / kPercent;
        case QFM_PARAM_ENGINE_SPEED_A:
        case QFM_PARAM_ENGINE_SPEED_B:
            return engine.core.rpm / kPercent * kEngineSpeedScale;
        case QFM_PARAM_FUEL_FLOW_A:
        case QFM_PARAM_FUEL_FLOW_B:
        case QFM_PARAM_FUEL_FLOW_C:
            return engine.core.fuel_flow;  // kg/s
        case QFM_PARAM_NOSE_GEAR:
            return nose.gear_position;
        case QFM_PARAM_STEERING:
            // The host's steering travel has the opposite sign to ours, and
            // is centred while no wheel touches the ground.
            return weight_on_wheels() ? -gear.steer_position : 0.0;
        case QFM_PARAM_LEFT_BRAKE:
            return left.brake;
        case QFM_PARAM_LEFT_GEAR:
            return left.gear_position;
        case QFM_PARAM_LEFT_GEAR_UP:
            return flag(left.gear_position == 0.0);
        case QFM_PARAM_LEFT_GEAR_DOWN:
            return flag(left.gear_position == 1.0);
        case QFM_PARAM_RIGHT_BRAKE:
            return right.brake;
        case QFM_PARAM_RIGHT_GEAR:
            return right.gear_position;
        case QFM_PARAM_RIGHT_GEAR_UP:
            return flag(right.gear_position == 0.0);
        case QFM_PARAM_RIGHT_GEAR_DOWN:
            return flag(right.gear_position == 1.0);
        case QFM_PARAM_INTERNAL_FUEL_A:
        case QFM_PARAM_INTERNAL_FUEL_B:
            return total_internal();  // kg
        case QFM_PARAM_LOW_FUEL:
            return flag(G_Fuel.low_fuel_threshold >= total_internal());
        case QFM_PARAM_GEAR_PANEL:
            return gear.panel_switch;
        case QFM_PARAM_CABIN_PRESSURE:
            return G_Cabin.cabin_pressure_differential;  // Pa
        default:
            return 0.0;
    }
}
