// The host's numbered parameters. Pure lookups of the current state; the
// numbers are the host's, so several of them repeat one value.
#include "gear/gear.h"
#include "host/air_data.h"
#include "outputs/outputs.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"

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
        case 1:
        case 3:
            return engine.gts_rpm / kPercent;
        case 2:
        case 17:
        case 117:
            return engine.gts_rpm;
        case 12:
        case 13:
        case 14:
        case 115:
        case 2124:
        case 2128:
            return 1.0;
        case 100:
        case 102:
        case 103:
        case 105:
        case 107:
            return engine.core.rpm / kPercent;
        case 101:
            return engine.core.n1_rpm / kPercent;
        case 104:
        case 106:
            return engine.core.rpm / kPercent * kEngineSpeedScale;
        case 112:
        case 113:
        case 114:
            return engine.core.fuel_flow;  // kg/s
        case 2002:
            return nose.gear_position;
        case 2005:
            // The host's steering travel has the opposite sign to ours, and
            // is centred while no wheel touches the ground.
            return weight_on_wheels() ? -gear.steer_position : 0.0;
        case 2011:
            return left.brake;
        case 2012:
            return left.gear_position;
        case 2013:
            return flag(left.gear_position == 0.0);
        case 2014:
            return flag(left.gear_position == 1.0);
        case 2021:
            return right.brake;
        case 2022:
            return right.gear_position;
        case 2023:
            return flag(right.gear_position == 0.0);
        case 2024:
            return flag(right.gear_position == 1.0);
        case 2119:
        case 2120:
            return total_internal();  // kg
        case 2121:
            return flag(G_Fuel.low_fuel_threshold >= total_internal());
        case 2122:
            return gear.panel_switch;
        case 2131:
            return G_Cabin.cabin_pressure_differential;  // Pa
        default:
            return 0.0;
    }
}
