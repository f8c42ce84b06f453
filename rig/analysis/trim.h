// Steady flight on all six axes: the angle of attack, sideslip or bank, the
// pitch, roll and rudder axes and the throttle at which the model's forces
// and moments balance gravity and the inertial loads of the manoeuvre.
//
// The host state is held fixed while the model's actuators, control laws and
// engine settle (repeated frames at the same pushed state); a Newton
// iteration with a finite-difference Jacobian and a backtracking line search
// works on six unknowns. The equations are those of steady motion in body
// axes: F + m g - m (w x v) = 0 and M - w x (I w) = 0.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

#include "host/host_loop.h"

namespace rig {

enum class Trim_Kind {
    Level,     // straight and level
    Climb,     // straight, at a flight-path angle or vertical speed
    Turn,      // steady level turn at a bank angle or load factor, no sideslip
    Pull_Up,   // wings level, at the bottom of a pull-up at a load factor
    Sideslip,  // steady heading at a sideslip angle, banked to hold it
};

enum class Lateral_Trim {
    Wings_Level,    // bank 0, sideslip solved
    Zero_Sideslip,  // sideslip 0, bank solved
};

struct Trim_Request {
    double kcas = 250.0;
    double altitude = 3000.0;  // m
    double flaps = 0.0;        // lever 0..1
    bool gear_down = false;
    double fuel = 2000.0;        // kg
    double empty_mass = 7000.0;  // kg
    V3 center_of_mass;
    double dt = 0.01;  // s
    // Largest residual accepted: forces in weights, moments in weight x span.
    double tolerance = 1e-5;

    double tas = 0.0;  // m/s; > 0 replaces kcas
    Trim_Kind kind = Trim_Kind::Level;
    Lateral_Trim lateral = Lateral_Trim::Wings_Level;  // Level and Climb
    double gamma_deg = 0.0;                            // Climb (and Pull_Up)
    double vertical_speed = NAN;                       // m/s, Climb: used when finite
    double bank_deg = 0.0;                             // Turn, positive right
    // Turn: used when > 0 instead of the bank. Pull_Up: 0 is 1 g, and
    // between 0 and 1 the top of a push-over.
    double load_factor = 0.0;
    double beta_deg = 0.0;  // Sideslip, positive wind from the right
    // >= 0: the throttle is held at this fraction and the flight-path angle
    // (Level, Climb, Pull_Up, Sideslip) or the bank and load factor (Turn) is
    // solved instead.
    double throttle = -1.0;
    // The engine shut down (its start switch off) after the air start: no
    // combustion, the rpm runs down to what the airflow turns (windmilling).
    bool engine_off = false;
    // A trimmed result to start from (a neighbouring point); null: defaults.
    const struct Trim_Result* warm_start = nullptr;
    // Failed points are retried from the nearest speed that trims, and a
    // failure is explained by a speed sweep (level-flight envelope gaps).
    bool retry = true;
};

struct Trim_Result {
    bool ok = false;
    std::string why;          // when not ok
    double alpha = 0.0;       // deg
    double pitch_axis = 0.0;  // pitch axis value (command 2001), -1..1
    double elevator = 0.0;    // elevator travel fraction the model reports
    double throttle = 0.0;    // 0..1
    double thrust = 0.0;      // N
    double fuel_flow = 0.0;   // kg/s
    double rpm = 0.0;         // %
    double tas = 0.0;         // m/s
    double residual = 0.0;    // largest of the six residuals below
    int iterations = 0;

    double beta = 0.0;            // deg
    double bank = 0.0;            // deg, positive right wing down
    double gamma = 0.0;           // deg, flight-path angle
    double pitch_attitude = 0.0;  // deg
    double load_factor = 1.0;     // body-normal specific force, g
    double turn_rate = 0.0;       // deg/s, positive to the right
    double roll_axis = 0.0;       // command 2002, -1..1
    double rudder_axis = 0.0;     // command 2003, -1..1
    double aileron = 0.0;         // travel fractions the model reports
    double rudder = 0.0;
    double kcas = 0.0;
    double mach = 0.0;
    // Body axes (x forward, y up, z right): Fx, Fy, Fz in weights; roll,
    // pitch and yaw (nose right) moments L, M, N in weight x span.
    double residuals[6] = {};
    bool at_stop[4] = {};    // pitch, roll, rudder, throttle: axis or surface at a limit
    double condition = 0.0;  // of the final Jacobian (scaled unknowns), 2-norm
    V3 omega_body;           // rad/s, body axes, of the held state
    // When the point fails with trims found on both sides: the nearest
    // speeds that trim (kcas), else NAN.
    double gap_low = NAN, gap_high = NAN;
};

// Starts the model in the air (hot start), configures it and trims. The host
// must be bound to a loaded model, with host.env set; afterwards it holds the
// trimmed state (heading 0, position (0, altitude, 0)) and the model sits at
// the trimmed inputs with unlimited fuel switched off again.
Trim_Result trim(Host& host, const Trim_Request& request);

// trim() for straight and level flight, wings level.
Trim_Result trim_level_flight(Host& host, const Trim_Request& request);

// Frames at the held host state until the model's actuators, control laws
// and engine have settled (seconds of simulated time).
void run_held(Host& host, double seconds);
// Frames at the held state until its loads stop changing (to 1e-7 of the
// weight over half a second; at least kSurfaceSettleTime, at most
// kEngineSettleTime).
void settle_held(Host& host, double weight);
constexpr double kEngineSettleTime = 30.0;  // s, the slowest power lag is 2 s
constexpr double kSurfaceSettleTime = 2.0;  // s, surfaces move at 60 deg/s

// Total body-axis force (N) and moment about the centre of mass (N m) of the
// frame just run.
struct Held_Loads {
    V3 force, moment;
};
Held_Loads held_loads(const Host& host);

// The reference span the rig scales moments with (m).
constexpr double kReferenceSpan = 9.3978984;

void print_trim(std::FILE* out, const Trim_Request& request, const Trim_Result& result);

const char* trim_kind_name(Trim_Kind kind);

}  // namespace rig
