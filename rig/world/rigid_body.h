// Six-degree-of-freedom rigid body, integrated with classical fourth-order
// Runge-Kutta at a fixed step.
//
// State: centre-of-mass position and velocity in world axes (y up), the
// attitude as a unit quaternion (body -> world) and the angular velocity in
// body axes. The inertia tensor is full: moments and products of inertia.
#pragma once

#include "world/vec.h"

namespace rig {

struct Body_State {
    V3 position;  // centre of mass, world, m
    V3 velocity;  // centre of mass, world, m/s
    Quat attitude;
    V3 omega;  // body rates about x, y, z, rad/s
};

struct Mass_Properties {
    double mass = 1.0;          // kg
    V3 inertia{1.0, 1.0, 1.0};  // moments about body x, y, z, kg m^2
    // Products of inertia Ixy, Iyz, Izx: the integrals of x y, y z and z x over
    // the mass (kg m^2), which enter the tensor negated. With z down and y
    // right, as aircraft data are usually given, Ixz (x forward, z down) is
    // the negated Ixy here (y up): products.x = -Ixz.
    V3 products;
};

// I w for the full tensor.
V3 inertia_times(const Mass_Properties& m, V3 w);

// Forces and moments acting during a step. The body-axis force and the moment
// about the centre of mass are held constant over the step (the flight
// model's output of one frame); world-axis forces add to them.
struct Loads {
    V3 force_body;   // N
    V3 force_world;  // N
    V3 moment_body;  // N m about the centre of mass
};

// State-dependent loads (the ground) evaluated at every Runge-Kutta stage;
// adds to the given loads. May be null.
using Stage_Loads = void (*)(const Body_State& state, void* context, Loads& loads);

struct Derivative {
    V3 velocity;      // d position / dt
    V3 acceleration;  // d velocity / dt, world
    Quat attitude_rate;
    V3 angular_acceleration;  // body
};

// Rates of change of the state under the given loads and gravity (world -y).
Derivative rigid_body_derivative(const Body_State& s, const Mass_Properties& m, const Loads& loads,
                                 double gravity);

// Advances the state by dt under the held loads, the stage loads and gravity;
// the attitude is renormalised after the step.
void rigid_body_step(Body_State& s, const Mass_Properties& m, const Loads& held, Stage_Loads stage,
                     void* context, double gravity, double dt);

// Angular momentum in world axes, kg m^2/s.
V3 angular_momentum_world(const Body_State& s, const Mass_Properties& m);

}  // namespace rig
