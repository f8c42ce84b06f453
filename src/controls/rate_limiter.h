// A value that slews toward its command at a fixed rate, optionally held
// between end stops. Every moving part of the aircraft is one. No lag, no
// overshoot; the owner writes command, calls rate_limiter_step once a frame
// and reads position.
#pragma once

struct Rate_Limiter {
    double rate = 0.0;      // greatest travel per second, in the element's units
    double command = 0.0;   // target, written by the owner before each step
    double position = 0.0;  // output; the state carried between frames
    double min = 0.0;       // lower end stop
    double max = 0.0;       // upper end stop; also the full travel for fractions
    bool limited = false;   // clamp position to [min, max] after each move
    bool enabled = false;   // false freezes the element completely
};

// An enabled element held between end stops, at rest at 0: what every moving
// part of the aircraft starts as. rate in units per second.
constexpr Rate_Limiter limited_element(double rate, double min, double max) {
    return Rate_Limiter{rate, 0.0, 0.0, min, max, true, true};
}

// Advances by dt seconds. Half speed is obtained by passing dt / 2.
void rate_limiter_step(Rate_Limiter& element, double dt);

// position / max, or 0 when max is exactly 0: the travel fraction owners
// publish.
double rate_limiter_fraction(const Rate_Limiter& element);
