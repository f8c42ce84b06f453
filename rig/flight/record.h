// The flight record: one CSV row per frame (or every n-th) and the thinned
// series the charts are drawn from.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/sample.h"

namespace rig {

struct Recorder {
    std::FILE* csv = nullptr;
    int every = 1;
    long count = 0;
    bool keep_plot_series = false;
    double next_plot_time = 0.0;
    std::vector<Sample> plot_samples;
};

// Opens the CSV (and starts the thinned chart series when asked); false with
// error on failure.
bool recorder_open(Recorder& r, const std::string& csv_path, int every, bool keep_plot_series,
                   std::string& error);
void recorder_add(Recorder& r, const Sample& s);
// Closes the CSV; false with error on failure.
bool recorder_close(Recorder& r, std::string& error);

// One CSV line for a sample (no newline); the header line names the columns.
void csv_header(std::FILE* out);
void csv_row(std::FILE* out, const Sample& s);

}  // namespace rig
