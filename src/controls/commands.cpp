// Pilot command input. Every command the host sends lands here: the value is
// decoded, then stored in the owning subsystem's input field (or handed to
// the owner's operation). Nothing moves until the next frame.
#include "controls/commands.h"

#include <cmath>

#include "aero/grid_table.h"
#include "controls/canopy_hook.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/finite_bits.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "quillon_fm_ids.h"

Command_Input G_CommandInput;

namespace {

constexpr float kEncodedAbove = 1.0f;
constexpr float kEncodedScale = 8.0f;
constexpr float kEncodedOffset = 2.0f;

constexpr double kTrimLimit = 1.0;
constexpr double kPedalLimit = 1.0;
constexpr double kPedalKeyStep = 0.01;  // per command
constexpr double kThrottleMaxPercent = 100.0;
constexpr double kThrottleKeyStep = 1.0;  // per cent per command
constexpr float kHalfLightLevel = 0.5f;   // stored for the -1 position

constexpr double kAuxActionValue = 1.0;
constexpr int kAuxTripleRepeats = 3;

// An axis in -1..1 whose +1 end is the released end, as a 0..1 demand.
double axis_fraction(float axis) { return (1.0 - static_cast<double>(axis)) * 0.5; }

double throttle_floor() { return G_Engine.approach_idle ? kApproachIdlePercent : 0.0; }

// -1 on a three-position light switch is the half-bright position.
float light_level(float value) { return value == -1.0f ? kHalfLightLevel : value; }

// Commands that act the same whatever value comes with them.
bool value_ignored(int command) {
    switch (command) {
        case QFM_CMD_WHEEL_BRAKES_ON:
        case QFM_CMD_WHEEL_BRAKES_OFF:
        case QFM_CMD_ROLL_TRIM_LEFT:
        case QFM_CMD_ROLL_TRIM_RIGHT:
        case QFM_CMD_PITCH_TRIM_UP:
        case QFM_CMD_PITCH_TRIM_DOWN:
        case QFM_CMD_GTS_START:
        case QFM_CMD_THROTTLE_CUTOFF:
        case QFM_CMD_HYDRAULIC_RESET:
        case QFM_CMD_PEDAL_RIGHT:
        case QFM_CMD_PEDAL_LEFT:
        case QFM_CMD_PEDAL_CENTRE:
        case QFM_CMD_THROTTLE_UP:
        case QFM_CMD_THROTTLE_DOWN:
        case QFM_CMD_AUX_ACTION:
        case QFM_CMD_AUX_ACTION_TRIPLE:
            return true;
        default:
            return false;
    }
}

void dispatch_aux_action() {
    cockpit_dispatch(G_CommandInput.api, QFM_COCKPIT_AUX_DEVICE, QFM_COCKPIT_AUX_ACTION,
                     kAuxActionValue);
}

}  // namespace

float command_preconvert(float value) {
    if (!(value > kEncodedAbove)) return value;
    float whole = 0.0f;
    return std::modf(value, &whole) * kEncodedScale - kEncodedOffset;
}

void command_input(int command, float raw_value) {
    // A NaN would be stored and run through every law into the outputs; an
    // infinite value has no meaning on any control. Neither is stored; a
    // command that ignores its value still acts.
    if (!finite_bits(raw_value)) {
        if (!value_ignored(command)) return;
        raw_value = 0.0f;
    }
    const float value = command_preconvert(raw_value);
    const double wide = static_cast<double>(value);

    Flight_Controls& fcs = G_FlightControls;
    Landing_Gear& gear = G_Gear;
    Wheel_Contact& left = gear.wheels[LEG_LEFT];
    Wheel_Contact& right = gear.wheels[LEG_RIGHT];
    Electrical_System& elec = G_Electrical;
    Lights& lights = G_Lights;
    Engine& engine = G_Engine;
    double& pedal = G_Params.pedal_position;

    switch (command) {
        case QFM_CMD_WHEEL_BRAKES_ON:
            left.brake = right.brake = 1.0;
            break;
        case QFM_CMD_WHEEL_BRAKES_OFF:
            left.brake = right.brake = 0.0;
            break;
        case QFM_CMD_ROLL_TRIM_LEFT:
            fcs.roll_trim = clamp(fcs.roll_trim - fcs.roll_trim_step, -kTrimLimit, kTrimLimit);
            break;
        case QFM_CMD_ROLL_TRIM_RIGHT:
            fcs.roll_trim = clamp(fcs.roll_trim + fcs.roll_trim_step, -kTrimLimit, kTrimLimit);
            break;
        case QFM_CMD_PITCH_TRIM_UP:
            fcs.pitch_trim = clamp(fcs.pitch_trim + fcs.pitch_trim_step, -kTrimLimit, kTrimLimit);
            break;
        case QFM_CMD_PITCH_TRIM_DOWN:
            fcs.pitch_trim = clamp(fcs.pitch_trim - fcs.pitch_trim_step, -kTrimLimit, kTrimLimit);
            break;
        // The stored stick and pedal values are the negated axes; roll is not.
        case QFM_CMD_PITCH_AXIS:
            fcs.pitch_stick = -wide;
            break;
        case QFM_CMD_ROLL_AXIS:
            fcs.roll_stick = wide;
            break;
        case QFM_CMD_RUDDER_AXIS:
            pedal = -wide;
            break;
        case QFM_CMD_THROTTLE_AXIS:
            engine.core.throttle =
                clamp(axis_fraction(value) * 100.0, throttle_floor(), kThrottleMaxPercent);
            break;
        case QFM_CMD_BRAKES_AXIS:
            left.brake = right.brake = clamp(axis_fraction(value), 0.0, 1.0);
            break;
        case QFM_CMD_LEFT_BRAKE_AXIS:
            left.brake = clamp(axis_fraction(value), 0.0, 1.0);
            break;
        case QFM_CMD_RIGHT_BRAKE_AXIS:
            right.brake = clamp(axis_fraction(value), 0.0, 1.0);
            break;
        case QFM_CMD_HOOK:
        case QFM_CMD_HOOK_ALT:
            G_Hook.hook_up_selected = value <= 0.0f;
            break;
        case QFM_CMD_SPEED_BRAKE:
            fcs.speed_brake_switch = wide;
            break;
        case QFM_CMD_FLAP_LEVER:
        case QFM_CMD_FLAP_LEVER_ALT:
            fcs.flap_lever = value;
            break;
        case QFM_CMD_STEER_MODE:
            select_steer_mode(wide);
            break;
        case QFM_CMD_BAR:
        case QFM_CMD_BAR_ALT:
            gear.bar_switch = value == 1.0f;
            break;
        case QFM_CMD_GEAR_HANDLE:
        case QFM_CMD_GEAR_HANDLE_ALT:
            gear.gear_up_selected = value <= 0.0f;
            break;
        case QFM_CMD_GEAR_PANEL:
        case QFM_CMD_GEAR_PANEL_ALT:
            gear.panel_switch = value;
            break;
        case QFM_CMD_GEAR_EMERGENCY:
        case QFM_CMD_GEAR_EMERGENCY_ALT:
            gear.emergency_handle = wide;
            break;
        case QFM_CMD_START_SWITCH:
        case QFM_CMD_START_SWITCH_ALT:
            set_start_switch(wide);
            break;
        case QFM_CMD_BATTERY1:
        case QFM_CMD_BATTERY1_ALT:
            elec.battery1_on = value == 1.0f;
            break;
        case QFM_CMD_BATTERY2:
        case QFM_CMD_BATTERY2_ALT:
            elec.battery2_on = value == 1.0f;
            break;
        case QFM_CMD_GENERATOR:
        case QFM_CMD_GENERATOR_ALT:
            // The switch's on position sends 0.5; any value but 0.5 and 0
            // leaves it where it is.
            if (value == 0.5f) {
                elec.generator_switch = true;
            } else if (value == 0.0f) {
                elec.generator_switch = false;
            }
            break;
        case QFM_CMD_GTS_START:
            press_gts_start();
            break;
        case QFM_CMD_THROTTLE_CUTOFF:
            toggle_cutoff();
            break;
        case QFM_CMD_HYDRAULIC_RESET:
            hydraulic_reset();
            break;
        case QFM_CMD_FLAP_MODE:
            fcs.flap_mode = value;
            break;
        case QFM_CMD_ANTI_COLLISION:
            lights.anti_collision_switch = value;
            break;
        case QFM_CMD_LIGHT_B:
            lights.level_b = light_level(value);
            break;
        case QFM_CMD_LIGHT_A:
            lights.level_a = light_level(value);
            break;
        case QFM_CMD_LIGHT_STEADY:
            lights.level_steady = light_level(value);
            break;
        case QFM_CMD_LANDING_LIGHT:
            lights.landing_light_switch = value;
            break;
        case QFM_CMD_FLASH_MODE:
            lights.flash_mode_switch = value;
            break;
        case QFM_CMD_COCKPIT_LIGHT1:
        case QFM_CMD_COCKPIT_LIGHT1_ALT:
            lights.cockpit_level_input[0] = value;
            break;
        case QFM_CMD_COCKPIT_LIGHT2:
        case QFM_CMD_COCKPIT_LIGHT2_ALT:
            lights.cockpit_level_input[1] = value;
            break;
        case QFM_CMD_COCKPIT_LIGHT3:
        case QFM_CMD_COCKPIT_LIGHT3_ALT:
            lights.cockpit_level_input[2] = value;
            break;
        case QFM_CMD_EXTERIOR_MASTER:
            lights.master_switch = value;
            break;
        case QFM_CMD_PARKING_BRAKE:
            gear.parking_brake = value > 0.0f;
            // Only the switch's off position releases the wheel brakes too.
            if (value == 0.0f) left.brake = right.brake = 0.0;
            break;
        case QFM_CMD_RUDDER_TRIM:
            fcs.rudder_trim = wide;
            break;
        case QFM_CMD_CANOPY:
            G_Canopy.canopy_open_selected = value > 0.0f;
            break;
        case QFM_CMD_PEDAL_RIGHT:
            pedal = clamp(pedal + kPedalKeyStep, -kPedalLimit, kPedalLimit);
            break;
        case QFM_CMD_PEDAL_LEFT:
            pedal = clamp(pedal - kPedalKeyStep, -kPedalLimit, kPedalLimit);
            break;
        case QFM_CMD_PEDAL_CENTRE:
            pedal = 0.0;
            break;
        case QFM_CMD_THROTTLE_UP:
            engine.core.throttle = clamp(engine.core.throttle + kThrottleKeyStep, throttle_floor(),
                                         kThrottleMaxPercent);
            break;
        case QFM_CMD_THROTTLE_DOWN:
            engine.core.throttle = clamp(engine.core.throttle - kThrottleKeyStep, throttle_floor(),
                                         kThrottleMaxPercent);
            break;
        case QFM_CMD_AUX_SWITCH:
            G_CommandInput.aux_action_switch = value > 0.0f;
            break;
        case QFM_CMD_AUX_ACTION:
            if (G_CommandInput.aux_action_switch) dispatch_aux_action();
            break;
        case QFM_CMD_AUX_ACTION_TRIPLE:
            // The switch is tested before every dispatch: the host's action
            // may itself turn it off.
            for (int i = 0; i < kAuxTripleRepeats && G_CommandInput.aux_action_switch; ++i) {
                dispatch_aux_action();
            }
            break;
        default:
            break;
    }
}
