// A body with no aerodynamics at all: torque-free tumbling and free fall.
// Its shape does not matter; the host's mass properties make it the brick or
// the sphere.
#include "check_vehicle.h"

namespace check_vehicle {

void vehicle_simulate(const State&, Output&) {}

void vehicle_command(int, float) {}

}  // namespace check_vehicle
