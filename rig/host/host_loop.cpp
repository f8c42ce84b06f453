#include "host/host_loop.h"

#include <cmath>

#include "quillon_fm_ids.h"

namespace rig {
namespace {

// Moments of inertia the model pushes toward through ed_fm_change_mass.
constexpr V3 kAircraftInertia{10247.0, 28268.8, 30032.72};  // kg m^2
// Where the model hands out the engine's thrust (its thrust point).
constexpr V3 kThrustPoint{-5.0, 0.02, 0.0};
// A host drains the component lists each frame; more than this many in one
// frame means the model keeps appending, and the rest waits for next frame.
constexpr int kMaxComponentsPerFrame = 256;
// A leg counts as locked down from this position on.
constexpr double kLegDown = 0.99;
// Full nose-wheel steering authority (parameter 2005 = +-1).
constexpr double kMaxSteerAngle = 45.0 / kDegPerRad;  // rad
constexpr unsigned kRunwaySurfaceType = 1;

// Parameter numbers the model answers.

// Animation arguments the rig records.
constexpr double kPressureGaugePsi = 4000.0;  // gauge full scale

bool near_point(V3 a, V3 b) { return norm(a - b) < 1e-9; }

}  // namespace

void host_init(Host& host, const Model_Api& api) {
    host = Host{};
    host.api = &api;
    host.ground = default_ground();
    host.mass_properties.inertia = kAircraftInertia;
}

double host_altitude(const Host& host) { return host.env.field_elevation + host.body.position.y; }

V3 host_wind(const Host& host) {
    return environment_wind(host.env, host_altitude(host), host.time) + host.turbulence;
}

double step_dt(const Host& host) { return host.dt / host.substeps; }

Air_State air_state(const Host& host) {
    Air_State a;
    const Body_State& b = host.body;
    a.air = environment_air(host.env, host_altitude(host));
    a.velocity_body = unrotate(b.attitude, b.velocity);
    a.wind_body = unrotate(b.attitude, host_wind(host));
    a.air_body = a.velocity_body - a.wind_body;
    a.tas = norm(a.air_body);
    a.kcas = kcas_from_tas(a.tas, a.air.density);
    a.mach = a.tas / a.air.speed_of_sound;
    a.alpha = std::atan2(-a.air_body.y, a.air_body.x);
    if (a.tas > 0.0) {
        const double s = a.air_body.z / a.tas;
        a.beta = std::asin(s > 1.0 ? 1.0 : (s < -1.0 ? -1.0 : s));
    }
    a.euler = to_euler(b.attitude);
    return a;
}

void strut_record(const Strut_Result& r, double record[8]) {
    // The model reads only the eighth value, the compression; the rig puts
    // the strut's load and rate in the first two for anyone looking.
    for (int i = 0; i < 8; ++i) record[i] = 0.0;
    record[0] = r.load;
    record[1] = r.rate;
    record[7] = r.compression;
}

void host_push_state(Host& host) {
    const Model_Api& fm = *host.api;
    Air_State& a = host.pushed;
    a = air_state(host);
    const Body_State& b = host.body;
    host.ground.center_of_mass = host.center_of_mass;

    fm.ed_fm_set_current_state_body_axis(
        host.last_acceleration_body.x, host.last_acceleration_body.y, host.last_acceleration_body.z,
        a.velocity_body.x, a.velocity_body.y, a.velocity_body.z, a.wind_body.x, a.wind_body.y,
        a.wind_body.z, host.last_angular_acceleration.x, host.last_angular_acceleration.y,
        host.last_angular_acceleration.z, b.omega.x, b.omega.y, b.omega.z, a.euler.yaw,
        a.euler.pitch, a.euler.roll, a.alpha, a.beta);
    const V3 omega_world = rotate(b.attitude, b.omega);
    const V3 acceleration_world = rotate(b.attitude, host.last_acceleration_body);
    const double altitude = host_altitude(host);
    fm.ed_fm_set_current_state(acceleration_world.x, acceleration_world.y, acceleration_world.z,
                               b.velocity.x, b.velocity.y, b.velocity.z, b.position.x, altitude,
                               b.position.z, host.last_angular_acceleration.x,
                               host.last_angular_acceleration.y, host.last_angular_acceleration.z,
                               omega_world.x, omega_world.y, omega_world.z, b.attitude.x,
                               b.attitude.y, b.attitude.z, b.attitude.w);
    const Mass_Properties& m = host.mass_properties;
    fm.ed_fm_set_current_mass_state(m.mass, host.center_of_mass.x, host.center_of_mass.y,
                                    host.center_of_mass.z, m.inertia.x, m.inertia.y, m.inertia.z);
    // The reference point is the centre of mass, which stays well above the
    // runway while the aircraft is on its wheels, so the model's height above
    // the surface is never zero.
    const V3 wind = host_wind(host);
    fm.ed_fm_set_atmosphere(altitude, a.air.temperature, a.air.speed_of_sound, a.air.density,
                            a.air.pressure, wind.x, wind.y, wind.z);
    fm.ed_fm_set_surface(host.env.field_elevation, host.env.field_elevation, kRunwaySurfaceType,
                         0.0, 1.0, 0.0);

    Loads unused;
    ground_loads(b, &host.ground, unused);
    for (int post = 0; post < POST_COUNT; ++post) {
        double record[8];
        strut_record(host.ground.result[post], record);
        fm.ed_fm_suspension_feedback(post, record);
    }
}

void host_simulate(Host& host) {
    const Model_Api& fm = *host.api;
    Frame_Outputs& o = host.out;
    fm.ed_fm_simulate(step_dt(host));

    fm.ed_fm_add_local_force(&o.force.x, &o.force.y, &o.force.z, &o.force_point.x, &o.force_point.y,
                             &o.force_point.z);
    fm.ed_fm_add_local_moment(&o.moment.x, &o.moment.y, &o.moment.z);
    o.component_force = V3{};
    o.component_moment = V3{};
    o.thrust = 0.0;
    o.components = 0;
    V3 f, point;
    while (o.components < kMaxComponentsPerFrame &&
           fm.ed_fm_add_local_force_component(&f.x, &f.y, &f.z, &point.x, &point.y, &point.z)) {
        ++o.components;
        o.component_force += f;
        o.component_moment += cross(point - host.center_of_mass, f);
        if (near_point(point, kThrustPoint)) o.thrust += f.x;
    }
    double dm = 0.0;
    V3 dp, di;
    fm.ed_fm_change_mass(&dm, &dp.x, &dp.y, &dp.z, &di.x, &di.y, &di.z);
    o.delta_mass = dm;
    o.delta_inertia = di;
    fm.ed_fm_set_draw_args_v2(o.external, kExternalArgs);
    fm.ed_fm_set_fc3_cockpit_draw_args_v2(o.cockpit, kCockpitArgs);
    Qfm_Simulation_Event event{};
    o.event_type = 0;
    if (fm.ed_fm_pop_simulation_event(&event)) {
        o.event_type = event.event_type;
        for (int i = 0; i < 3; ++i) o.event_params[i] = event.event_params[i];
    }
    host.fuel = fm.ed_fm_get_internal_fuel();

    Ground_Controls& c = host.ground.controls;
    c.leg_down[POST_NOSE] = fm.ed_fm_get_param(QFM_PARAM_NOSE_GEAR) >= kLegDown;
    c.leg_down[POST_LEFT] = fm.ed_fm_get_param(QFM_PARAM_LEFT_GEAR) >= kLegDown;
    c.leg_down[POST_RIGHT] = fm.ed_fm_get_param(QFM_PARAM_RIGHT_GEAR) >= kLegDown;
    c.brake[POST_LEFT] = fm.ed_fm_get_param(QFM_PARAM_LEFT_BRAKE);
    c.brake[POST_RIGHT] = fm.ed_fm_get_param(QFM_PARAM_RIGHT_BRAKE);
    // The model reports the steering travel as the rotation about the body's
    // up axis, so positive turns the nose wheel to the left.
    c.steer_angle = fm.ed_fm_get_param(QFM_PARAM_STEERING) * kMaxSteerAngle;
}

void host_integrate(Host& host) {
    const Frame_Outputs& o = host.out;
    Loads held;
    held.force_body = o.force + o.component_force;
    held.moment_body =
        o.moment + o.component_moment + cross(o.force_point - host.center_of_mass, o.force);

    const Body_State before = host.body;
    const double dt = step_dt(host);
    host.ground.center_of_mass = host.center_of_mass;
    host.ground.friction = host.env.runway;
    rigid_body_step(host.body, host.mass_properties, held, ground_loads, &host.ground,
                    environment_gravity(host.env, host_altitude(host)), dt);
    host.time += dt;
    // Accelerations over the step, reported with the next push.
    const V3 dv = (1.0 / dt) * (host.body.velocity - before.velocity);
    host.last_acceleration_body = unrotate(host.body.attitude, dv);
    host.last_angular_acceleration = (1.0 / dt) * (host.body.omega - before.omega);
    // The ground's results describe the state after the step.
    Loads unused;
    ground_loads(host.body, &host.ground, unused);

    host.mass_properties.mass += o.delta_mass;
    host.mass_properties.inertia += o.delta_inertia;
}

void host_frame(Host& host) {
    if (host.env.turbulence.intensity > 0.0) {
        const V3 mean = environment_wind(host.env, host_altitude(host), host.time);
        host.turbulence = dryden_step(host.dryden, host.env.turbulence, host.body.position.y,
                                      air_state(host).tas, mean, host.dt);
    }
    for (int i = 0; i < host.substeps; ++i) {
        host_push_state(host);
        host_simulate(host);
        host_integrate(host);
    }
}

Sample host_sample(const Host& host) {
    const Model_Api& fm = *host.api;
    const Body_State& b = host.body;
    const Air_State a = air_state(host);
    const Frame_Outputs& o = host.out;
    Sample s;
    s.x = b.position.x;
    s.altitude = b.position.y;
    s.z = b.position.z;
    s.v_north = b.velocity.x;
    s.vs = b.velocity.y;
    s.v_east = b.velocity.z;
    s.groundspeed = std::hypot(b.velocity.x, b.velocity.z);
    s.tas = a.tas;
    s.kcas = a.kcas;
    s.mach = a.mach;
    s.alpha = a.alpha * kDegPerRad;
    s.beta = a.beta * kDegPerRad;
    s.roll = a.euler.roll * kDegPerRad;
    s.pitch = a.euler.pitch * kDegPerRad;
    double heading = -a.euler.yaw * kDegPerRad;
    if (heading < 0.0) heading += 360.0;
    s.heading = heading;
    s.p = b.omega.x * kDegPerRad;
    s.q = b.omega.z * kDegPerRad;
    s.r = -b.omega.y * kDegPerRad;
    // Load factor: specific force along body y, in g.
    const double g = environment_gravity(host.env, host_altitude(host));
    const V3 gravity_body = unrotate(b.attitude, V3{0.0, -g, 0.0});
    s.nz = (host.last_acceleration_body.y - gravity_body.y) / g;

    s.rpm = fm.ed_fm_get_param(QFM_PARAM_RPM_FRACTION_A) * 100.0;
    s.gts = fm.ed_fm_get_param(QFM_PARAM_GTS_RPM_PERCENT_A);
    s.n1 = fm.ed_fm_get_param(QFM_PARAM_N1_FRACTION) * 100.0;
    s.thrust = o.thrust;
    s.fuel_flow = fm.ed_fm_get_param(QFM_PARAM_FUEL_FLOW_A);
    s.fuel = host.fuel;
    s.mass = host.mass_properties.mass;
    s.throttle_lever = o.cockpit[QFM_COCKPIT_ARG_THROTTLE];
    s.elevator = o.external[QFM_ARG_ELEVATOR_A];
    s.aileron = o.external[QFM_ARG_AILERON];
    s.rudder = o.external[QFM_ARG_RUDDER];
    s.flaps = o.external[QFM_ARG_FLAP_RIGHT];
    s.slats = o.external[QFM_ARG_SLAT_A];
    s.speedbrake = o.external[QFM_ARG_SPEED_BRAKE];
    s.gear_nose = fm.ed_fm_get_param(QFM_PARAM_NOSE_GEAR);
    s.gear_left = fm.ed_fm_get_param(QFM_PARAM_LEFT_GEAR);
    s.gear_right = fm.ed_fm_get_param(QFM_PARAM_RIGHT_GEAR);
    const Strut_Result* r = host.ground.result;
    s.strut_nose = r[POST_NOSE].compression;
    s.strut_right = r[POST_RIGHT].compression;
    s.strut_left = r[POST_LEFT].compression;
    s.on_ground = (r[0].contact || r[1].contact || r[2].contact) ? 1.0 : 0.0;
    s.brake_left = fm.ed_fm_get_param(QFM_PARAM_LEFT_BRAKE);
    s.brake_right = fm.ed_fm_get_param(QFM_PARAM_RIGHT_BRAKE);
    s.steering = fm.ed_fm_get_param(QFM_PARAM_STEERING);
    s.hyd_backup = o.cockpit[QFM_COCKPIT_ARG_BACKUP_PRESSURE] * kPressureGaugePsi;
    s.hyd_main = o.cockpit[QFM_COCKPIT_ARG_MAIN_PRESSURE] * kPressureGaugePsi;
    s.hyd_brake = o.cockpit[QFM_COCKPIT_ARG_BRAKE_PRESSURE] * kPressureGaugePsi;
    s.ess_bus = fm.cockpit("ESS_SERV_BUS");
    s.gen_bus = fm.cockpit("GEN_BUS");
    s.tat = fm.cockpit("TOTAL_AIR_TEMP");
    s.egt = fm.cockpit("EGT");
    s.gts_rpm_cockpit = fm.cockpit("GTS_RPM");
    s.n1_cockpit = fm.cockpit("N1_RPM");
    s.pitot_iced = fm.cockpit("PITOT_ICED");
    s.ccip_v = fm.cockpit("CCIP_V");
    s.velvec_vert = fm.cockpit("VelVecVert");
    s.velvec_horz = fm.cockpit("VelVecHorz");
    s.wind_x = fm.cockpit("WIND_X");
    s.wind_y = fm.cockpit("WIND_Y");
    s.shake = fm.ed_fm_get_shake_amplitude();
    s.force_x = o.force.x;
    s.force_y = o.force.y;
    s.force_z = o.force.z;
    s.moment_x = o.moment.x;
    s.moment_y = o.moment.y;
    s.moment_z = o.moment.z;
    s.event = o.event_type;
    s.event_param = o.event_params[0];
    return s;
}

}  // namespace rig
