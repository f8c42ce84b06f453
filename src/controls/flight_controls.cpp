#include "controls/flight_controls.h"
Flight_Controls G_FlightControls;
void control_step(double) {}
void surface_step(double, bool, bool, bool, double) {}
