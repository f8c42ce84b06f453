#include "propulsion/engine.h"
Engine G_Engine;
void engine_step(double, double, bool, bool) {}
void set_start_switch(double) {}
void press_gts_start() {}
void toggle_cutoff() {}
