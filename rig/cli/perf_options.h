// Options shared by the performance commands, the report and the comparison:
// the aircraft's condition, the workers, the output.
#pragma once

#include <cmath>
#include <string>

#include "cli/cli.h"
#include "report/measure.h"

namespace rig::cli {

struct Perf_Options {
    Perf_Settings settings;
    std::string gear = "up";
    double altitude = NAN;
    bool json_out = false;
    std::string plot;
};

// --mass, --fuel, --flaps, --gear, --isa-offset, --jobs, --json, --plot.
void add_condition_options(CLI::App* cmd, Perf_Options& a);

// Settles the options and the library paths; false (after saying why) when
// they cannot be used.
bool prepare(const Global_Options& g, Perf_Options& a, Library_Paths& paths);

}  // namespace rig::cli
