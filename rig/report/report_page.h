// The flight-test report: one self-contained HTML page with its charts
// inline, readable in a browser without a network.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace rig {

struct Report_Input {
    nlohmann::json measurements;   // measure_all of the model
    nlohmann::json baseline;       // measure_all of the baseline build, or null
    nlohmann::json comparison;     // compare_figures(baseline, measurements), or null
    nlohmann::json verification;   // the rig's own verification, or null when not available
    nlohmann::json settings;       // the condition and sweep settings, for the record
    std::string verification_doc;  // the verification document's path, or empty
    std::string model;             // the measured build: path and identity
    std::string baseline_model;
    std::string date;      // UTC
    double seconds = 0.0;  // measuring time
};

// Writes dir/index.html (dir created if missing); false with error when not.
bool write_report(const std::string& dir, const Report_Input& input, std::string& error);

// The identity of a library file: path, size, modification time and a
// 64-bit FNV-1a hash of its bytes.
std::string build_identity(const std::string& path);

}  // namespace rig
