#include "analysis/alpha_trim.h"

#include <cmath>
#include <cstdio>

#include "world/environment.h"

namespace rig {

double tas_from_mach(const Host& host, double mach, double altitude) {
    return mach * environment_air(host.env, altitude).speed_of_sound;
}

namespace {

// A pull-up at one load factor; when full throttle falls short of the drag,
// the same pull-up descending at full throttle.
Trim_Result pull_up(Host& host, Trim_Request q, double n, const Trim_Result* from) {
    q.load_factor = n;
    q.warm_start = from && from->ok ? from : nullptr;
    Trim_Result r = trim(host, q);
    if (r.ok || !(r.at_stop[3] && r.throttle >= 1.0)) return r;
    q.throttle = 1.0;
    Trim_Result held = trim(host, q);
    // Say why the descending pull-up failed when a control stopped it.
    const bool control_stop = held.at_stop[0] || held.at_stop[1] || held.at_stop[2];
    return held.ok || control_stop ? held : r;
}

Trim_Result failure(Trim_Result r, const char* text) {
    r.ok = false;
    r.why = text;
    return r;
}

}  // namespace

Trim_Result trim_at_alpha(Host& host, const Trim_Request& request, double alpha_deg,
                          const Alpha_Trim_Limits& limits) {
    Trim_Request q = request;
    q.kind = Trim_Kind::Pull_Up;
    q.gamma_deg = 0.0;
    q.throttle = -1.0;
    q.retry = false;  // the speed is fixed; a failure is about the load factor
    auto bounded = [&](double n) {
        return std::fmin(std::fmax(n, limits.min_load_factor), limits.max_load_factor);
    };
    const Trim_Result* warm = request.warm_start;
    double n0 = bounded(warm && warm->ok ? warm->load_factor : 1.0);
    Trim_Result r0 = pull_up(host, q, n0, warm);
    if (!r0.ok && n0 != 1.0) {
        n0 = 1.0;
        r0 = pull_up(host, q, n0, nullptr);
    }
    char text[320];
    if (!r0.ok) {
        std::snprintf(text, sizeof(text), "alpha %.2f deg: no trim even at %.2f g: %s", alpha_deg,
                      n0, r0.why.c_str());
        return failure(r0, text);
    }
    if (std::fabs(r0.alpha - alpha_deg) <= limits.tolerance) return r0;
    // First step: the load factor in proportion to the angle of attack.
    double n1 = n0 + (alpha_deg - r0.alpha) * n0 / std::fmax(r0.alpha, 2.0);
    int halvings = 0;
    for (int i = 0; i < 30; ++i) {
        n1 = bounded(n1);
        if (n1 == n0) {
            const bool high = alpha_deg > r0.alpha;
            std::snprintf(text, sizeof(text),
                          "alpha %.2f deg needs a load factor %s %.2f g (alpha %.2f deg at %.2f g)",
                          alpha_deg, high ? "above" : "below", n0, r0.alpha, n0);
            return failure(r0, text);
        }
        const Trim_Result r1 = pull_up(host, q, n1, &r0);
        if (!r1.ok) {
            // Back toward the last point that trimmed, to find the edge.
            if (++halvings > 5) {
                std::snprintf(text, sizeof(text),
                              "alpha %.2f deg not reached: the last trim is alpha %.2f deg at "
                              "%.2f g; at %.2f g %s",
                              alpha_deg, r0.alpha, n0, n1, r1.why.c_str());
                return failure(r1, text);
            }
            n1 = 0.5 * (n0 + n1);
            continue;
        }
        if (std::fabs(r1.alpha - alpha_deg) <= limits.tolerance) return r1;
        if (r1.alpha == r0.alpha) break;
        halvings = 0;
        const double n2 = n1 + (alpha_deg - r1.alpha) * (n1 - n0) / (r1.alpha - r0.alpha);
        r0 = r1;
        n0 = n1;
        n1 = n2;
    }
    std::snprintf(text, sizeof(text),
                  "alpha %.2f deg: the load-factor search did not converge (alpha %.2f deg at "
                  "%.2f g)",
                  alpha_deg, r0.alpha, n0);
    return failure(r0, text);
}

}  // namespace rig
