#include "controls/canopy_hook.h"
Canopy G_Canopy;
Hook G_Hook;
void canopy_step(double) {}
void hook_step(double, double) {}
