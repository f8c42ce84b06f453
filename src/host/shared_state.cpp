#include "host/shared_state.h"

Global_Params G_Params = {};
Flight_State G_FlightState;
Airframe G_Airframe{&G_FlightState, {}, {}, {}, {}, 0.0, 0.0, {}};

void add_force(const Vec3& f) {
    Airframe& a = G_Airframe;
    a.force.x += f.x;
    a.force.y += f.y;
    a.force.z += f.z;
    // Lever from the centre of mass to the body origin, where f acts.
    const double rx = 0.0 - a.force_point.x;
    const double ry = 0.0 - a.force_point.y;
    const double rz = 0.0 - a.force_point.z;
    a.moment.x += ry * f.z - rz * f.y;
    a.moment.y += rz * f.x - rx * f.z;
    a.moment.z += rx * f.y - ry * f.x;
}
