#include "world/ground.h"

#include <cmath>

namespace rig {
namespace {

// Strut springs: tuned for level rest at about 9000 kg, centre of mass at the
// body origin (nose load 7.35 %, the rest on the mains): the nose compresses
// 0.05 m and the mains 0.08 m, which the 0.03 m higher nose contact point
// evens out.
constexpr double kNoseStiffness = 1.3e5;  // N/m
constexpr double kNoseDamping = 1.1e4;    // N s/m, about 0.6 of critical
constexpr double kNoseStroke = 0.30;      // m
constexpr double kMainStiffness = 5.1e5;  // N/m
constexpr double kMainDamping = 5.5e4;    // N s/m, about 0.6 of critical
constexpr double kMainStroke = 0.30;      // m
// Past the stroke the strut bottoms on a stop this many times stiffer.
constexpr double kBumpStopFactor = 20.0;

// Friction builds up linearly over these slips instead of switching sign at
// rest, which keeps the integration smooth at a standstill.
constexpr double kRollingSlipSpeed = 0.1;  // m/s
constexpr double kSlipAngleAtPeak = 0.1;   // rad
constexpr double kSlipSpeedFloor = 1.0;    // m/s, slip angle reference at rest

struct Hull_Point {
    const char* name;
    V3 point;  // body axes, m
};

// Airframe points that mean a crash when they touch the runway.
constexpr Hull_Point kHull[] = {
    {"nose", {6.5, -0.5, 0.0}},
    {"forward fuselage", {3.0, -0.9, 0.0}},
    {"belly", {0.0, -1.0, 0.0}},
    {"tail", {-5.5, -0.5, 0.0}},
    {"left wing tip", {-1.5, -0.5, -4.7}},
    {"right wing tip", {-1.5, -0.5, 4.7}},
};
constexpr int kHullCount = sizeof(kHull) / sizeof(kHull[0]);

double saturate(double x) { return x > 1.0 ? 1.0 : (x < -1.0 ? -1.0 : x); }

}  // namespace

Ground default_ground() {
    Ground g;
    g.struts[POST_NOSE] = {{3.78, -1.77, 0.0}, kNoseStiffness, kNoseDamping, kNoseStroke};
    g.struts[POST_RIGHT] = {{-0.3, -1.8, 1.88}, kMainStiffness, kMainDamping, kMainStroke};
    g.struts[POST_LEFT] = {{-0.3, -1.8, -1.88}, kMainStiffness, kMainDamping, kMainStroke};
    return g;
}

void ground_loads(const Body_State& s, void* context, Loads& loads) {
    Ground& g = *static_cast<Ground*>(context);
    const V3 up{0.0, 1.0, 0.0};
    for (int i = 0; i < POST_COUNT; ++i) {
        const Strut& strut = g.struts[i];
        Strut_Result& r = g.result[i];
        r = Strut_Result{};
        if (!g.controls.leg_down[i]) continue;
        const V3 arm = strut.contact - g.center_of_mass;
        const V3 point = s.position + rotate(s.attitude, arm);
        if (point.y >= 0.0) continue;
        const V3 point_velocity = s.velocity + rotate(s.attitude, cross(s.omega, arm));

        r.contact = true;
        r.compression = -point.y;
        r.rate = -point_velocity.y;
        double load = strut.stiffness * r.compression + strut.damping * r.rate;
        if (r.compression > strut.stroke) {
            load += kBumpStopFactor * strut.stiffness * (r.compression - strut.stroke);
        }
        if (load < 0.0) load = 0.0;  // a tyre does not pull the aircraft down
        r.load = load;

        // Rolling direction of the wheel, flattened onto the runway.
        const double steer = i == POST_NOSE ? g.controls.steer_angle : 0.0;
        const V3 wheel_forward = rotate(s.attitude, {std::cos(steer), 0.0, -std::sin(steer)});
        V3 forward{wheel_forward.x, 0.0, wheel_forward.z};
        const double flat = norm(forward);
        V3 force = load * up;
        if (flat > 1e-6) {
            forward = (1.0 / flat) * forward;
            const V3 side = cross(forward, up);  // to the wheel's right
            const double v_long = dot(point_velocity, forward);
            const double v_side = dot(point_velocity, side);
            const double mu_long = g.friction.rolling + g.friction.brake * g.controls.brake[i];
            const double f_long = -mu_long * load * saturate(v_long / kRollingSlipSpeed);
            const double slip = std::atan2(v_side, std::fmax(std::fabs(v_long), kSlipSpeedFloor));
            const double f_side = -g.friction.side * load * saturate(slip / kSlipAngleAtPeak);
            force += f_long * forward;
            force += f_side * side;
        }
        loads.force_world += force;
        loads.moment_body += cross(arm, unrotate(s.attitude, force));
    }
}

int hull_contact(const Body_State& s, const V3& center_of_mass) {
    for (int i = 0; i < kHullCount; ++i) {
        const V3 p = s.position + rotate(s.attitude, kHull[i].point - center_of_mass);
        if (p.y < 0.0) return i;
    }
    return -1;
}

const char* hull_point_name(int index) {
    return index >= 0 && index < kHullCount ? kHull[index].name : "airframe";
}

Rest_Pose rest_pose(const Ground& g, double mass, double gravity) {
    const Strut& nose = g.struts[POST_NOSE];
    const Strut& main = g.struts[POST_RIGHT];
    const V3& cg = g.center_of_mass;
    const double weight = mass * gravity;
    // Static balance of moments about the centre of mass.
    const double nose_load = weight * (cg.x - main.contact.x) / (nose.contact.x - main.contact.x);
    const double main_load = 0.5 * (weight - nose_load);
    const double height_main = cg.y - main.contact.y - main_load / main.stiffness;
    const double height_nose = cg.y - nose.contact.y - nose_load / nose.stiffness;
    Rest_Pose pose;
    pose.pitch = std::atan((height_nose - height_main) / (nose.contact.x - main.contact.x));
    pose.height = height_main + (cg.x - main.contact.x) * std::sin(pose.pitch);
    return pose;
}

}  // namespace rig
