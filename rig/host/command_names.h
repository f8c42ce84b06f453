// The host's command numbers by name, for scenario files: a command is
// written as its name in quillon_fm_ids.h without the QFM_CMD_ prefix, in
// lower case (`command battery1 1`, `command start_switch 0.5`).
#pragma once

#include <string>

namespace rig {

// The number of a command name; false when there is no such command.
bool command_by_name(const std::string& name, int& number);

}  // namespace rig
