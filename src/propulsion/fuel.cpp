#include "propulsion/fuel.h"
Fuel_System G_Fuel;
void fuel_construct() {}
void fill_tanks(double) {}
void fuel_burn(double, double) {}
double total_internal() { return 0.0; }
