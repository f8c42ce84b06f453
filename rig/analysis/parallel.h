// Work spread over worker processes. The flight model keeps its state in
// globals, one copy per process, so two computations can only run side by
// side in two processes. The parent never loads the model: each worker is
// forked from it, loads its own fresh copy, computes one task and hands back
// its result as JSON text through a pipe.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/model_api.h"

namespace rig {

// One task: computes a result on a freshly loaded model.
using Task = std::function<nlohmann::json(const Model_Api&)>;

struct Task_Outcome {
    bool ok = false;
    std::string error;  // load failure, crash, signal or unreadable output
    nlohmann::json result;
};

struct Pool_Options {
    int jobs = 2;                     // worker processes at a time
    bool progress = false;            // a progress bar on stderr
    std::string label = "measuring";  // shown before the bar
};

// Runs every task, at most options.jobs at a time, each in a new process that
// loads the libraries of paths; outcomes are in the tasks' order.
std::vector<Task_Outcome> run_tasks(const Library_Paths& paths, const std::vector<Task>& tasks,
                                    const Pool_Options& options);

}  // namespace rig
