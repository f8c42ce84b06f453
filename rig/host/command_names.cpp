#include "host/command_names.h"

#include <cctype>
#include <cstring>

#include "quillon_fm_ids.h"

namespace rig {
namespace {

struct Named_Command {
    const char* name;  // as in the header, prefix included
    int number;
};

#define NAMED(id) \
    { #id, id }
constexpr Named_Command kCommands[] = {
    NAMED(QFM_CMD_WHEEL_BRAKES_ON),
    NAMED(QFM_CMD_WHEEL_BRAKES_OFF),
    NAMED(QFM_CMD_ROLL_TRIM_LEFT),
    NAMED(QFM_CMD_ROLL_TRIM_RIGHT),
    NAMED(QFM_CMD_PITCH_TRIM_UP),
    NAMED(QFM_CMD_PITCH_TRIM_DOWN),
    NAMED(QFM_CMD_PITCH_AXIS),
    NAMED(QFM_CMD_ROLL_AXIS),
    NAMED(QFM_CMD_RUDDER_AXIS),
    NAMED(QFM_CMD_THROTTLE_AXIS),
    NAMED(QFM_CMD_BRAKES_AXIS),
    NAMED(QFM_CMD_LEFT_BRAKE_AXIS),
    NAMED(QFM_CMD_RIGHT_BRAKE_AXIS),
    NAMED(QFM_CMD_HOOK),
    NAMED(QFM_CMD_SPEED_BRAKE),
    NAMED(QFM_CMD_FLAP_LEVER),
    NAMED(QFM_CMD_STEER_MODE),
    NAMED(QFM_CMD_BAR),
    NAMED(QFM_CMD_GEAR_HANDLE),
    NAMED(QFM_CMD_GEAR_PANEL),
    NAMED(QFM_CMD_GEAR_EMERGENCY),
    NAMED(QFM_CMD_START_SWITCH),
    NAMED(QFM_CMD_BATTERY1),
    NAMED(QFM_CMD_BATTERY2),
    NAMED(QFM_CMD_GENERATOR),
    NAMED(QFM_CMD_GTS_START),
    NAMED(QFM_CMD_THROTTLE_CUTOFF),
    NAMED(QFM_CMD_HYDRAULIC_RESET),
    NAMED(QFM_CMD_FLAP_MODE),
    NAMED(QFM_CMD_ANTI_COLLISION),
    NAMED(QFM_CMD_LIGHT_B),
    NAMED(QFM_CMD_LIGHT_A),
    NAMED(QFM_CMD_LIGHT_STEADY),
    NAMED(QFM_CMD_LANDING_LIGHT),
    NAMED(QFM_CMD_FLASH_MODE),
    NAMED(QFM_CMD_COCKPIT_LIGHT1),
    NAMED(QFM_CMD_COCKPIT_LIGHT2),
    NAMED(QFM_CMD_COCKPIT_LIGHT3),
    NAMED(QFM_CMD_EXTERIOR_MASTER),
    NAMED(QFM_CMD_PARKING_BRAKE),
    NAMED(QFM_CMD_RUDDER_TRIM),
    NAMED(QFM_CMD_CANOPY),
    NAMED(QFM_CMD_HOOK_ALT),
    NAMED(QFM_CMD_FLAP_LEVER_ALT),
    NAMED(QFM_CMD_BAR_ALT),
    NAMED(QFM_CMD_GEAR_HANDLE_ALT),
    NAMED(QFM_CMD_GEAR_PANEL_ALT),
    NAMED(QFM_CMD_GEAR_EMERGENCY_ALT),
    NAMED(QFM_CMD_START_SWITCH_ALT),
    NAMED(QFM_CMD_BATTERY1_ALT),
    NAMED(QFM_CMD_BATTERY2_ALT),
    NAMED(QFM_CMD_GENERATOR_ALT),
    NAMED(QFM_CMD_COCKPIT_LIGHT1_ALT),
    NAMED(QFM_CMD_COCKPIT_LIGHT2_ALT),
    NAMED(QFM_CMD_COCKPIT_LIGHT3_ALT),
    NAMED(QFM_CMD_PEDAL_RIGHT),
    NAMED(QFM_CMD_PEDAL_LEFT),
    NAMED(QFM_CMD_PEDAL_CENTRE),
    NAMED(QFM_CMD_THROTTLE_UP),
    NAMED(QFM_CMD_THROTTLE_DOWN),
    NAMED(QFM_CMD_AUX_SWITCH),
    NAMED(QFM_CMD_AUX_ACTION),
    NAMED(QFM_CMD_AUX_ACTION_TRIPLE),
};
#undef NAMED

constexpr std::size_t kPrefixLength = sizeof("QFM_CMD_") - 1;

}  // namespace

bool command_by_name(const std::string& name, int& number) {
    for (const Named_Command& c : kCommands) {
        const char* short_name = c.name + kPrefixLength;
        if (std::strlen(short_name) != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(short_name[i])) ==
                   static_cast<unsigned char>(name[i]);
        }
        if (same) {
            number = c.number;
            return true;
        }
    }
    return false;
}

}  // namespace rig
