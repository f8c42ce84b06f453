// Flies a scenario through the model: initial conditions, the checklist of
// events, the autopilot, the record, crash and sanity checks, expectations.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "flight/manoeuvre.h"
#include "flight/rudder_hold.h"
#include "flight/scenario.h"
#include "flight/summary.h"
#include "host/host_loop.h"

namespace rig {

struct Run_Options {
    std::string csv_path;             // empty: no CSV
    int csv_every = 1;                // write every n-th frame
    bool plot_series = false;         // keep the thinned series the charts are drawn from
    bool progress = false;            // a progress line on stderr
    std::FILE* log = nullptr;         // event log and summary; may be null
    double temperature_offset = 0.0;  // K from the standard day
    // Fly the bare airframe: the augmentation's rudder motion held out (an
    // air start; see flight/rudder_hold.h).
    bool bare = false;
    // Called with every frame's sample (for measurements the summary lacks).
    std::function<void(const Sample&)> on_sample;
};

struct Expectation_Result {
    const Expectation* expectation = nullptr;
    bool passed = false;
    bool evaluated = false;
    double worst = 0.0;  // the value furthest outside the bounds (or the value)
};

struct Run_Result {
    bool completed = false;  // reached its end or a stop without failing
    std::string failure;     // crash, non-finite value, I/O error
    Summary summary;
    std::vector<Expectation_Result> expectations;
    std::vector<Sample> plot_series;  // with Run_Options::plot_series: one sample every 0.2 s
    // One per input event, in order, each with its response until the next
    // input started or the flight ended.
    std::vector<Manoeuvre_Result> manoeuvres;
    bool bare = false;  // flown with the rudder held (Run_Options::bare, an air start)
    Rudder_Hold rudder_hold;
    bool expectations_met() const;
};

// Flies the scenario on a freshly loaded model (one flight per load).
Run_Result run_scenario(const Scenario& scenario, const Model_Api& api, const Run_Options& options);

}  // namespace rig
