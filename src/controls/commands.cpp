#include "controls/commands.h"
Command_Input G_CommandInput;
float command_preconvert(float value) { return value; }
void command_input(int, float) {}
