#include "gear/gear.h"
Landing_Gear G_Gear;
bool weight_on_wheels() { return false; }
bool all_gear_down() { return false; }
void gear_step(double, bool) {}
void select_steer_mode(double) {}
void suspension_feedback(int, const double*) {}
