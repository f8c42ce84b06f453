#include "propulsion/electrical.h"
Electrical_System G_Electrical;
void electrical_step(double, double) {}
