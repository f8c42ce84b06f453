// A sphere with drag only: CD 0.1 on 0.1963495 ft^2 (a 6 in diameter).
#include <cmath>

#include "check_vehicle.h"

namespace check_vehicle {
namespace {

constexpr double kArea = 0.1963495 * kSquareFoot;  // m^2
constexpr double kDrag = 0.1;                      // CD

}  // namespace

void vehicle_simulate(const State& s, Output& out) {
    const double* v = s.air_body;
    const double tas = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    // Drag 1/2 rho V^2 S CD against the air-relative velocity.
    const double k = -0.5 * s.density * tas * kArea * kDrag;
    for (int i = 0; i < 3; ++i) out.force[i] = k * v[i];
}

void vehicle_command(int, float) {}

}  // namespace check_vehicle
