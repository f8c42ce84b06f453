#include "controls/hydraulics.h"
Hydraulics G_Hydraulics;
void hydraulic_step(double, double, double, double) {}
void ram_air_step(double, double) {}
void hydraulic_reset() {}
