// A body with no aerodynamics at all: torque-free tumbling and free fall.
// Its shape does not matter; the host's mass properties make it the brick or
// the sphere.
#include "check_vehicle.h"

namespace check_vehicle {

void vehicle_loads(const State&, double force[3], double moment[3]) {
    for (int i = 0; i < 3; ++i) force[i] = moment[i] = 0.0;
}

void vehicle_command(int, float) {}

}  // namespace check_vehicle
