// The model linearised about a trim: the loads' partial derivatives with
// respect to the pushed state and the pilot's inputs, the linear state-space
// model, its eigenvalues and the modes they make.
//
// Every partial derivative is a central difference of two held states: the
// state pushed to the model is perturbed and held while the model's
// actuators, control laws and engine settle (as in trim), and the loads of
// the settled frame are differenced. The rigid-body equations and the Euler
// kinematics that turn loads into state rates are the rig's own, so the
// rows for the pitch and bank attitudes and the height are exact.
//
// Conventions: p, q, r are roll (right wing down), pitch (nose up) and yaw
// (nose right) rates; forces X forward, Y right, Z down and moments L, M, N
// about the same axes (the usual flight-mechanics body axes, converted from
// the host's x forward, y up, z right).
#pragma once

#include <complex>
#include <string>
#include <vector>

#include "analysis/trim.h"

namespace rig {

struct Reference_Geometry {
    double area = 19.5;       // m^2
    double span = 9.3978984;  // m
    double chord = 1.880362;  // m
};

// State and input order of the linear model.
enum Lin_State { S_U, S_ALPHA, S_Q, S_THETA, S_H, S_BETA, S_P, S_R, S_PHI, kLinStates };
enum Lin_Input { I_PITCH, I_ROLL, I_RUDDER, I_THROTTLE, kLinInputs };
// Variables the loads are differenced against: the first six states that
// reach the aerodynamics, then the inputs.
enum Load_Var {
    V_U,
    V_ALPHA,
    V_BETA,
    V_P,
    V_Q,
    V_R,
    V_PITCH,
    V_ROLL,
    V_RUDDER,
    V_THROTTLE,
    kLoadVars
};
enum Load { X_FORCE, Y_FORCE, Z_FORCE, L_MOMENT, M_MOMENT, N_MOMENT, kLoads };

extern const char* const kLinStateNames[kLinStates];
extern const char* const kLinInputNames[kLinInputs];
extern const char* const kLoadVarNames[kLoadVars];

struct Linear_Request {
    // Hold the augmentation's surface motion: the bare airframe.
    bool bare = false;
    Reference_Geometry geometry;
};

struct Linear_Model {
    bool ok = false;
    std::string why;
    bool bare = false;
    double A[kLinStates][kLinStates] = {};
    double B[kLinStates][kLinInputs] = {};
    // Loads (N, N m) per unit of each variable (m/s, rad, rad/s, axis unit,
    // throttle fraction), at the trim.
    double dloads[kLoads][kLoadVars] = {};
    // Lift (perpendicular to the airspeed, in the plane of symmetry) per
    // radian of angle of attack, N.
    double dlift_dalpha = 0.0;
    double tas = 0.0, dynamic_pressure = 0.0, mass = 0.0, weight = 0.0;
    double alpha = 0.0;  // rad, of the trim
    V3 inertia;          // Ixx, Iyy (pitch), Izz (yaw), kg m^2
    Reference_Geometry geometry;
    // Bare airframe: the rudder held through the rudder trim; false when
    // the model has no such command and nothing could be held.
    bool rudder_held = false;
};

// Linearises the model about the state the host holds (as trim() leaves
// it) at the trimmed inputs.
Linear_Model linearise(Host& host, const Trim_Result& trim, const Linear_Request& request);

// Non-dimensional derivatives: CL, CD, CY (stability axes), Cl, Cm, Cn
// (body axes) per radian of alpha and beta, per p b/2V, q c/2V, r b/2V, per
// u/V, and per unit of each input.
struct Coefficient_Derivatives {
    double d[kLoads][kLoadVars] = {};
    double cn_beta_dynamic = 0.0;  // Cn_beta cos(alpha) - (Izz/Ixx) Cl_beta sin(alpha)
    double lcdp = 0.0;             // Cn_beta - Cl_beta Cn_roll / Cl_roll (roll axis)
};
enum Coefficient { C_L, C_D, C_Y, C_ROLL, C_PITCH, C_YAW };
extern const char* const kCoefficientNames[kLoads];
Coefficient_Derivatives coefficients(const Linear_Model& m);

// A derivative whose sign is the wrong one for a stable, controllable
// aeroplane.
struct Sign_Flag {
    std::string name;
    double value;
    const char* expected;  // "< 0" or "> 0"
};
std::vector<Sign_Flag> wrong_signs(const Coefficient_Derivatives& c);

struct Mode {
    // short_period, phugoid, dutch_roll, roll, spiral (+ _1, _2 for two real
    // roots of one mode), or roll_spiral: the roll and spiral coupled into an
    // oscillation (then there is no roll and no spiral).
    std::string name;
    std::complex<double> root;
    bool oscillatory = false;
    double omega_n = 0.0;         // rad/s
    double zeta = 0.0;            // real roots: +1 stable, -1 unstable
    double period = 0.0;          // s, oscillatory only
    double time_to_half = 0.0;    // s, when stable
    double time_to_double = 0.0;  // s, when unstable
    double time_constant = 0.0;   // s, real roots: -1/lambda
    double phi_over_beta = 0.0;   // |phi/beta| of the Dutch roll's eigenvector
};

struct Modes {
    std::vector<Mode> modes;                // named ones, longitudinal then lateral
    std::vector<std::complex<double>> all;  // every eigenvalue
    double n_alpha = 0.0;                   // g/rad
    double cap = 0.0;                       // omega_sp^2 / (n/alpha), 1/(g s^2); 0 if no pair
    bool short_period_real = false;
};

Modes find_modes(const Linear_Model& m);

// The eigenvalues of A, unnamed (for checks).
std::vector<std::complex<double>> eigenvalues(const Linear_Model& m);

// The mode of that name, or its first root (name_1) when it is two real
// roots; null when absent.
const Mode* find_mode(const Modes& m, const std::string& name);

}  // namespace rig
