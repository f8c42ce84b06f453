#include "flight/record.h"

namespace rig {
namespace {
constexpr double kPlotInterval = 0.2;  // s between charted points
}  // namespace

void csv_header(std::FILE* out) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        std::fprintf(out, "%s%s", i ? "," : "", kColumns[i].name);
    }
    std::fputc('\n', out);
}

void csv_row(std::FILE* out, const Sample& s) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        std::fprintf(out, "%s%.9g", i ? "," : "", s.*(kColumns[i].field));
    }
    std::fputc('\n', out);
}

bool recorder_open(Recorder& r, const std::string& csv_path, int every, bool keep_plot_series,
                   std::string& error) {
    r.every = every > 0 ? every : 1;
    r.keep_plot_series = keep_plot_series;
    if (keep_plot_series) r.plot_samples.reserve(1 << 14);
    if (csv_path.empty()) return true;
    r.csv = std::fopen(csv_path.c_str(), "w");
    if (!r.csv) {
        error = "cannot write " + csv_path;
        return false;
    }
    csv_header(r.csv);
    return true;
}

void recorder_add(Recorder& r, const Sample& s) {
    if (r.csv && r.count % r.every == 0) csv_row(r.csv, s);
    ++r.count;
    if (r.keep_plot_series && s.t >= r.next_plot_time) {
        r.plot_samples.push_back(s);
        r.next_plot_time = s.t + kPlotInterval - 1e-9;
    }
}

bool recorder_close(Recorder& r, std::string& error) {
    bool ok = true;
    if (r.csv) {
        ok = std::fclose(r.csv) == 0;
        r.csv = nullptr;
        if (!ok) error = "writing the CSV failed";
    }
    return ok;
}

}  // namespace rig
