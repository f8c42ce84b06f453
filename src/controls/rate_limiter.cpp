#include "rate_limiter.h"

void rate_limiter_step(Rate_Limiter& element, double dt) {
    if (!element.enabled) return;
    const double allowance = element.rate * dt;
    const double error = element.command - element.position;
    const double magnitude = error < 0.0 ? -error : error;
    if (!(magnitude > allowance)) {
        // Arrive exactly, without residue: state machines compare positions
        // with their end values.
        element.position = element.command;
    } else if (error > 0.0) {
        element.position += allowance;
    } else if (error < 0.0) {
        element.position -= allowance;
    }
    // With both stops at the same value the element is deliberately left
    // unlimited, even when `limited` is set.
    if (element.limited && element.min != element.max) {
        if (element.position > element.max) {
            element.position = element.max;
        } else if (element.position < element.min) {
            element.position = element.min;
        }
    }
}

double rate_limiter_fraction(const Rate_Limiter& element) {
    return element.max == 0.0 ? 0.0 : element.position / element.max;
}
