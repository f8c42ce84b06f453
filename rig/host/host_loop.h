// The rig as the flight model's host: each frame it pushes the state, runs
// ed_fm_simulate, collects every output and integrates the rigid body.
#pragma once

#include "host/model_api.h"
#include "host/sample.h"
#include "world/atmosphere.h"
#include "world/environment.h"
#include "world/ground.h"
#include "world/rigid_body.h"
#include "world/vec.h"

namespace rig {

// Sizes of the two animation-argument arrays the host hands the model.
constexpr int kExternalArgs = 501;
constexpr int kCockpitArgs = 412;

// Everything the model handed back after one frame.
struct Frame_Outputs {
    V3 force;             // summed force, body axes, N
    V3 force_point;       // where it acts, body axes, m
    V3 moment;            // summed moment about the centre of mass, N m
    V3 component_force;   // sum of the force components, body axes, N
    V3 component_moment;  // their moments about the centre of mass, N m
    double thrust = 0.0;  // the engine's component, N
    int components = 0;
    double delta_mass = 0.0;  // kg, from ed_fm_change_mass
    V3 delta_inertia;         // kg m^2
    float external[kExternalArgs] = {};
    float cockpit[kCockpitArgs] = {};
    unsigned event_type = 0;  // 0 when no event was pending
    float event_params[3] = {};
};

// The state as pushed to the model this frame, with the derived air data.
struct Air_State {
    Air air;
    V3 velocity_body;  // over the ground, m/s
    V3 wind_body;      // m/s
    V3 air_body;       // air-relative velocity, body axes, m/s
    double tas = 0.0;  // m/s
    double kcas = 0.0;
    double mach = 0.0;
    double alpha = 0.0;  // rad
    double beta = 0.0;   // rad
    Euler euler;
};

struct Host {
    const Model_Api* api = nullptr;
    Body_State body;
    Mass_Properties mass_properties;
    V3 center_of_mass;  // body axes, m
    Environment env;    // atmosphere, gravity, wind, field
    Ground ground;
    double dt = 0.01;  // s, one frame
    // Model calls per frame, each over dt / substeps. A host calls once, so
    // the model's output is held over the whole frame.
    int substeps = 1;
    double time = 0.0;    // s since the start, advanced by host_integrate
    Dryden_State dryden;  // the turbulence filters
    V3 turbulence;        // turbulent wind of this frame, world axes, m/s

    Air_State pushed;
    Frame_Outputs out;
    V3 last_acceleration_body;  // m/s^2, reported as the host's acceleration
    V3 last_angular_acceleration;
    double fuel = 0.0;  // kg, after the frame
};

// A host at rest for the given model, with the rig's ground and the model's
// target inertias.
void host_init(Host& host, const Model_Api& api);

// Air data and angles of the current body state.
Air_State air_state(const Host& host);

// Height above sea level of the centre of mass (the runway is at the field
// elevation), m.
double host_altitude(const Host& host);

// The wind at the aircraft now: steady, profile, gusts and turbulence, world axes.
V3 host_wind(const Host& host);

// The five state pushes and the three strut reports, in the host's order.
void host_push_state(Host& host);

// ed_fm_simulate(dt), then the outputs in the host's order. The ground's
// controls (legs, brakes, steering) follow from the parameters.
void host_simulate(Host& host);

// Integrates the rigid body over dt under the collected loads, gravity and
// the ground, then applies the model's mass change.
void host_integrate(Host& host);

// One whole frame: the turbulence advances, then push, simulate and
// integrate, once per substep.
void host_frame(Host& host);

// The record of the frame just flown (everything but t).
Sample host_sample(const Host& host);

// Cockpit compression report of a strut index for ed_fm_suspension_feedback.
void strut_record(const Strut_Result& r, double record[8]);

}  // namespace rig
