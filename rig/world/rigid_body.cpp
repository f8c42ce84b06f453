#include "world/rigid_body.h"

namespace rig {
namespace {

Body_State advance(const Body_State& s, const Derivative& d, double h) {
    Body_State out;
    out.position = s.position + h * d.velocity;
    out.velocity = s.velocity + h * d.acceleration;
    out.attitude = {s.attitude.w + h * d.attitude_rate.w, s.attitude.x + h * d.attitude_rate.x,
                    s.attitude.y + h * d.attitude_rate.y, s.attitude.z + h * d.attitude_rate.z};
    out.omega = s.omega + h * d.angular_acceleration;
    return out;
}

Derivative stage(const Body_State& s, const Mass_Properties& m, const Loads& held,
                 Stage_Loads extra, void* context, double gravity) {
    Loads loads = held;
    if (extra) extra(s, context, loads);
    return rigid_body_derivative(s, m, loads, gravity);
}

}  // namespace

Derivative rigid_body_derivative(const Body_State& s, const Mass_Properties& m, const Loads& loads,
                                 double gravity) {
    Derivative d;
    d.velocity = s.velocity;
    const V3 force_world = rotate(s.attitude, loads.force_body) + loads.force_world;
    d.acceleration = (1.0 / m.mass) * force_world + V3{0.0, -gravity, 0.0};
    // q' = q (0, omega) / 2 for body-axis rates.
    const Quat w{0.0, s.omega.x, s.omega.y, s.omega.z};
    const Quat qd = s.attitude * w;
    d.attitude_rate = {0.5 * qd.w, 0.5 * qd.x, 0.5 * qd.y, 0.5 * qd.z};
    // Euler's equations: I omega' = M - omega x (I omega).
    const V3 h{m.inertia.x * s.omega.x, m.inertia.y * s.omega.y, m.inertia.z * s.omega.z};
    const V3 net = loads.moment_body - cross(s.omega, h);
    d.angular_acceleration = {net.x / m.inertia.x, net.y / m.inertia.y, net.z / m.inertia.z};
    return d;
}

void rigid_body_step(Body_State& s, const Mass_Properties& m, const Loads& held, Stage_Loads extra,
                     void* context, double gravity, double dt) {
    const Derivative k1 = stage(s, m, held, extra, context, gravity);
    const Derivative k2 = stage(advance(s, k1, 0.5 * dt), m, held, extra, context, gravity);
    const Derivative k3 = stage(advance(s, k2, 0.5 * dt), m, held, extra, context, gravity);
    const Derivative k4 = stage(advance(s, k3, dt), m, held, extra, context, gravity);
    const double w = dt / 6.0;
    Derivative sum;
    sum.velocity = k1.velocity + 2.0 * k2.velocity + 2.0 * k3.velocity + k4.velocity;
    sum.acceleration =
        k1.acceleration + 2.0 * k2.acceleration + 2.0 * k3.acceleration + k4.acceleration;
    sum.attitude_rate = {k1.attitude_rate.w + 2.0 * k2.attitude_rate.w + 2.0 * k3.attitude_rate.w +
                             k4.attitude_rate.w,
                         k1.attitude_rate.x + 2.0 * k2.attitude_rate.x + 2.0 * k3.attitude_rate.x +
                             k4.attitude_rate.x,
                         k1.attitude_rate.y + 2.0 * k2.attitude_rate.y + 2.0 * k3.attitude_rate.y +
                             k4.attitude_rate.y,
                         k1.attitude_rate.z + 2.0 * k2.attitude_rate.z + 2.0 * k3.attitude_rate.z +
                             k4.attitude_rate.z};
    sum.angular_acceleration = k1.angular_acceleration + 2.0 * k2.angular_acceleration +
                               2.0 * k3.angular_acceleration + k4.angular_acceleration;
    s = advance(s, sum, w);
    s.attitude = normalized(s.attitude);
}

V3 angular_momentum_world(const Body_State& s, const Mass_Properties& m) {
    const V3 h{m.inertia.x * s.omega.x, m.inertia.y * s.omega.y, m.inertia.z * s.omega.z};
    return rotate(s.attitude, h);
}

}  // namespace rig
