// The brick with aerodynamic rate damping, Clp = Cmq = Cnr = -1 per radian
// of p b / 2V, q c / 2V and r b / 2V (docs/verification.md).
//
// The brick's data also give it a drag coefficient of 0.01, but the published
// trajectories of the damped case fall exactly as the dragless one (the same
// vertical speed to 1e-4 ft/s at 30 s), so the case was flown with the
// damping moments only, and so is this vehicle.
#include <algorithm>
#include <cmath>

#include "check_vehicle.h"

namespace check_vehicle {
namespace {

constexpr double kArea = 0.22222 * kSquareFoot;  // m^2
constexpr double kSpan = 0.33333 * kFoot;        // m
constexpr double kChord = 0.66667 * kFoot;       // m
constexpr double kRollDamping = -1.0;            // Clp, per rad
constexpr double kPitchDamping = -1.0;           // Cmq, per rad
constexpr double kYawDamping = -1.0;             // Cnr, per rad
constexpr double kMinAirspeed = 0.5 * kFoot;     // m/s, floor of the rate scaling

}  // namespace

void vehicle_simulate(const State& s, Output& out) {
    const double* v = s.air_body;
    const double tas = std::max(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), kMinAirspeed);
    // q S l C * rate l / 2V = rho V S l^2 C rate / 4. Yaw rate (nose right)
    // is -omega y, and the yaw moment acts about -y: the signs cancel.
    const double k = 0.25 * s.density * tas * kArea;
    out.moment[0] = k * kSpan * kSpan * kRollDamping * s.omega[0];
    out.moment[1] = k * kSpan * kSpan * kYawDamping * s.omega[1];
    out.moment[2] = k * kChord * kChord * kPitchDamping * s.omega[2];
}

void vehicle_command(int, float) {}

}  // namespace check_vehicle
