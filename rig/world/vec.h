// Small vector, quaternion and rotation helpers for the rig's rigid-body
// physics. Everything is plain double arithmetic, header-only.
//
// Axes (the host's): body x forward, y up, z right; world x north, y up,
// z east. Both frames are right-handed.
#pragma once

#include <cmath>

namespace rig {

struct V3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
inline V3 operator*(double s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline V3& operator+=(V3& a, V3 b) {
    a = a + b;
    return a;
}
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double norm(V3 a) { return std::sqrt(dot(a, a)); }
inline bool finite(V3 a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// Unit quaternion for the rotation body -> world.
struct Quat {
    double w = 1.0, x = 0.0, y = 0.0, z = 0.0;
};

inline Quat operator*(Quat a, Quat b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

inline Quat normalized(Quat q) {
    const double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {q.w / n, q.x / n, q.y / n, q.z / n};
}

// Rotation of angle (rad) about a unit axis.
inline Quat axis_angle(V3 axis, double angle) {
    const double s = std::sin(0.5 * angle);
    return {std::cos(0.5 * angle), s * axis.x, s * axis.y, s * axis.z};
}

// Body vector to world.
inline V3 rotate(Quat q, V3 v) {
    const V3 u{q.x, q.y, q.z};
    const V3 t = 2.0 * cross(u, v);
    return v + q.w * t + cross(u, t);
}

// World vector to body.
inline V3 unrotate(Quat q, V3 v) { return rotate(Quat{q.w, -q.x, -q.y, -q.z}, v); }

// The host's Euler angles, body -> world = R_y(yaw) R_z(pitch) R_x(roll):
// yaw about world up (positive nose left, so the heading from north toward
// east is -yaw), pitch about body z (positive nose up), roll about body x
// (positive right wing down).
struct Euler {
    double yaw = 0.0, pitch = 0.0, roll = 0.0;  // rad
};

inline Quat from_euler(Euler e) {
    return axis_angle({0, 1, 0}, e.yaw) * axis_angle({0, 0, 1}, e.pitch) *
           axis_angle({1, 0, 0}, e.roll);
}

inline Euler to_euler(Quat q) {
    const V3 fwd = rotate(q, {1, 0, 0});
    const V3 up = rotate(q, {0, 1, 0});
    const V3 right = rotate(q, {0, 0, 1});
    Euler e;
    const double s = fwd.y > 1.0 ? 1.0 : (fwd.y < -1.0 ? -1.0 : fwd.y);
    e.pitch = std::asin(s);
    e.yaw = std::atan2(-fwd.z, fwd.x);
    e.roll = std::atan2(-right.y, up.y);
    return e;
}

constexpr double kPi = 3.141592653589793;
constexpr double kDegPerRad = 57.29577951308232;
constexpr double kKnotsPerMps = 1.943844;
constexpr double kStandardGravity = 9.80665;  // m/s^2

}  // namespace rig
