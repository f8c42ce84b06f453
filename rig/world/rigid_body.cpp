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

bool diagonal(const Mass_Properties& m) {
    return m.products.x == 0.0 && m.products.y == 0.0 && m.products.z == 0.0;
}

// Solves I x = b for the symmetric tensor (Cramer's rule on the cofactors).
V3 inertia_solve(const Mass_Properties& m, V3 b) {
    if (diagonal(m)) return {b.x / m.inertia.x, b.y / m.inertia.y, b.z / m.inertia.z};
    const double a = m.inertia.x, d = m.inertia.y, f = m.inertia.z;
    const double xy = -m.products.x, yz = -m.products.y, zx = -m.products.z;
    // Cofactors of [[a, xy, zx], [xy, d, yz], [zx, yz, f]].
    const double c00 = d * f - yz * yz, c01 = zx * yz - xy * f, c02 = xy * yz - d * zx;
    const double c11 = a * f - zx * zx, c12 = xy * zx - a * yz, c22 = a * d - xy * xy;
    const double det = a * c00 + xy * c01 + zx * c02;
    return {(c00 * b.x + c01 * b.y + c02 * b.z) / det, (c01 * b.x + c11 * b.y + c12 * b.z) / det,
            (c02 * b.x + c12 * b.y + c22 * b.z) / det};
}

}  // namespace

V3 inertia_times(const Mass_Properties& m, V3 w) {
    const V3 i = m.inertia, p = m.products;
    return {i.x * w.x - p.x * w.y - p.z * w.z, -p.x * w.x + i.y * w.y - p.y * w.z,
            -p.z * w.x - p.y * w.y + i.z * w.z};
}

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
    const V3 net = loads.moment_body - cross(s.omega, inertia_times(m, s.omega));
    d.angular_acceleration = inertia_solve(m, net);
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
    return rotate(s.attitude, inertia_times(m, s.omega));
}

}  // namespace rig
