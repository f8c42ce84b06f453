// The rig's command line: one subcommand per file, each added to the one
// CLI11 application that main() builds. A command's callback runs during the
// parse and leaves its exit status in the shared integer.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "host/model_api.h"

namespace rig::cli {

enum Exit_Code {
    EXIT_OK = 0,
    EXIT_EXPECTATIONS = 1,  // ran, but did not show what it should (or no trim)
    EXIT_CRASH = 2,         // crash or a non-finite value
    EXIT_USAGE = 3,         // bad arguments, unreadable input, model not loadable
    EXIT_FP_TRAP = 4,       // a floating-point trap fired
};

// Options every command understands, before or after the command's name.
struct Global_Options {
    std::string model;      // the flight model; empty: the one built beside the rig
    std::string standin;    // the stand-in cockpit library; empty: the one built beside the rig
    std::string scenarios;  // where shipped scenarios are looked up
};

// Loads the stand-in and the model; prints why not and returns false on failure.
bool load(const Global_Options& g, Model_Api& api);

void add_list_command(CLI::App& app, const Global_Options& g, int& status);
void add_fly_command(CLI::App& app, const Global_Options& g, int& status);
void add_trim_command(CLI::App& app, const Global_Options& g, int& status);
void add_verify_command(CLI::App& app, const Global_Options& g, int& status);

}  // namespace rig::cli
