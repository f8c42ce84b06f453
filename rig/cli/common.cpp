#include <cstdio>

#include "cli/cli.h"

namespace rig::cli {

bool load(const Global_Options& g, Model_Api& api) {
    Library_Paths paths = default_library_paths();
    if (!g.model.empty()) paths.model = g.model;
    if (!g.standin.empty()) paths.standin = g.standin;
    std::string error;
    if (!load_model(paths, api, error)) {
        std::fprintf(stderr, "quillon-rig: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace rig::cli
