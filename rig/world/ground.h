// The rig's ground: a flat runway at world height 0, three spring-damper
// struts with tyre friction, and the airframe points that must never touch.
//
// Struts are indexed by the host's gear post: 0 nose, 1 right main, 2 left
// main. Each strut is a vertical spring-damper acting at its wheel's contact
// point; compression is measured vertically from the point where the tyre
// would touch at full extension.
#pragma once

#include "world/environment.h"
#include "world/rigid_body.h"
#include "world/vec.h"

namespace rig {

enum { POST_NOSE = 0, POST_RIGHT = 1, POST_LEFT = 2, POST_COUNT = 3 };

struct Strut {
    V3 contact;        // tyre contact at full extension, body axes from the body origin, m
    double stiffness;  // N/m
    double damping;    // N s/m
    double stroke;     // m of travel before the bump stop
};

// What the flight model tells the ground each frame.
struct Ground_Controls {
    bool leg_down[POST_COUNT] = {true, true, true};
    double brake[POST_COUNT] = {0.0, 0.0, 0.0};  // 0..1 (mains only)
    double steer_angle = 0.0;  // nose wheel, rad about body y: positive turns left
};

struct Strut_Result {
    double compression = 0.0;  // m, 0 without contact
    double rate = 0.0;         // m/s, positive compressing
    double load = 0.0;         // N, vertical
    bool contact = false;
};

struct Ground {
    Strut struts[POST_COUNT];
    Ground_Controls controls;
    V3 center_of_mass;                // body axes, m
    Runway_Friction friction;         // the tyres on this runway
    Strut_Result result[POST_COUNT];  // written by every evaluation
};

// The rig's aircraft: struts tuned so that it sits level at about 9000 kg
// with the mains compressed 0.08 m and the nose 0.05 m.
Ground default_ground();

// Adds the strut and tyre forces at state s to loads and records each
// strut's result in the Ground passed as context. Stage_Loads-compatible.
void ground_loads(const Body_State& s, void* ground, Loads& loads);

// Index of the first airframe point (not a wheel) below the runway, or -1.
int hull_contact(const Body_State& s, const V3& center_of_mass);
const char* hull_point_name(int index);

// Centre-of-mass height and pitch (rad) at which the aircraft rests on its
// struts with the given weight, level in roll.
struct Rest_Pose {
    double height = 0.0;
    double pitch = 0.0;
};
Rest_Pose rest_pose(const Ground& g, double mass, double gravity);

}  // namespace rig
