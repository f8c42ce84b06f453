// Check vehicles: tiny flight models behind the same C exports as the
// aircraft, for flying published check cases in the rig. Each vehicle
// supplies its loads; check_vehicle.cpp holds the exports and the state the
// host pushes.
//
// Axes are the host's: body x forward, y up, z right. SI units.
#pragma once

namespace check_vehicle {

constexpr double kFoot = 0.3048;                    // m
constexpr double kSquareFoot = kFoot * kFoot;       // m^2
constexpr double kSlug = 14.59390294;               // kg
constexpr double kSlugFoot2 = kSlug * kSquareFoot;  // kg m^2
constexpr double kPound = 4.4482216152605;          // N

struct State {
    double air_body[3] = {};  // air-relative velocity, body axes, m/s
    double omega[3] = {};     // body rates about x, y, z, rad/s
    double density = 0.0;     // kg/m^3
};

// Force (N, body axes, at the centre of mass) and moment (N m) of the vehicle.
void vehicle_loads(const State& s, double force[3], double moment[3]);

// A pilot command; vehicles without controls ignore it.
void vehicle_command(int command, float value);

}  // namespace check_vehicle
