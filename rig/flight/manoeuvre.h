// Standard test inputs flown from trim (step, pulse, doublet, 3-2-1-1,
// frequency sweep on one axis) and the metrics taken from the response:
// fitted frequency and damping, overshoot, roll performance, stick per g,
// the spiral's growth rate, the frequency response of a sweep.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/identification.h"
#include "flight/summary.h"
#include "host/sample.h"

namespace rig {

enum class Input_Shape { Step, Pulse, Doublet, Input_3211, Sweep };
enum class Input_Axis { Pitch, Roll, Rudder, Throttle };

struct Test_Input {
    Input_Shape shape = Input_Shape::Doublet;
    Input_Axis axis = Input_Axis::Pitch;
    double amplitude = 0.0;                         // axis travel (-1..1; throttle: fraction 0..1)
    double width = 1.0;                             // s: pulse length, doublet half, 3-2-1-1 unit
    double from_hz = 0.0, to_hz = 0.0, over = 0.0;  // sweep: Hz, Hz, s
};

const char* input_shape_name(Input_Shape shape);
const char* input_axis_name(Input_Axis axis);
bool parse_input_shape(const std::string& word, Input_Shape& out);
bool parse_input_axis(const std::string& word, Input_Axis& out);

// The input added to the axis at tau seconds after it starts; 0 outside it.
double test_input_value(const Test_Input& input, double tau);
// How long the input moves the axis (s); a step never ends (infinity).
double test_input_length(const Test_Input& input);

// What the response is sampled for, one point per frame from the start of
// the input (the first point is the state just before it).
struct Response_Point {
    double t = 0.0;
    double input = 0.0;  // the input as added to the axis
    double alpha = 0.0, beta = 0.0, roll = 0.0, p = 0.0, q = 0.0, r = 0.0, nz = 0.0;
};

Response_Point response_point(const Sample& s, double input);

struct Manoeuvre_Metrics {
    // Mode fitted to the free response after an input other than a step:
    // angle of attack after a pitch input (short period), sideslip after a
    // roll or rudder input (Dutch roll).
    const char* mode = "";                // "short period" or "Dutch roll"; "" when not fitted
    const char* variable = "";            // the column fitted
    double fit_from = 0.0, fit_to = 0.0;  // s, flight time
    Damped_Fit oscillation;
    double overshoot = NAN;    // pitch step: alpha beyond its settled value, over the change
    double stick_per_g = NAN;  // pitch step: axis travel per g of settled load factor
    double time_to_bank_30 = NAN, time_to_bank_90 = NAN;  // s, roll step
    double roll_time_constant = NAN;  // s, roll step: roll rate's approach to steady
    double spiral_growth = NAN;       // 1/s, of the bank angle from 3 s after a lateral input
                                      // until it has changed by 10 degrees
    std::vector<Frequency_Point> frequency_response;  // sweep: rate per axis travel
};

struct Manoeuvre_Result {
    Test_Input input;
    double start = 0.0;  // s, flight time
    std::vector<Response_Point> response;
    Manoeuvre_Metrics metrics;
};

Manoeuvre_Metrics analyse_manoeuvre(const Test_Input& input,
                                    const std::vector<Response_Point>& response);

// The metrics that were found, as summary values (a later manoeuvre
// overwrites an earlier one's).
void summarise_manoeuvre(Summary& summary, const Manoeuvre_Metrics& m);

// The input and its metrics as lines of the flight summary.
void print_manoeuvre(std::FILE* out, const Manoeuvre_Result& m);

}  // namespace rig
