#include "report/plots.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

#include "report/chart.h"

namespace rig {
namespace {

// Below this true airspeed the angles of the air-relative velocity mean
// nothing (at a standstill they swing to +-180 deg), so they are not drawn.
constexpr double kMinAngleSpeed = 20.0;  // m/s

struct Series {
    const char* label;
    double Sample::*field;
    double scale;  // plotted value = field * scale
};

struct Time_Chart {
    const char* file;
    const char* title;
    const char* unit;
    std::vector<Series> series;
    bool needs_airspeed = false;  // angles of the airflow
};

bool write_time_chart(const std::string& dir, const Time_Chart& c,
                      const std::vector<Sample>& samples) {
    Chart chart;
    chart.title = c.title;
    chart.x_label = "time (s)";
    chart.y_label = std::string(c.title) + " (" + c.unit + ")";
    for (const Series& k : c.series) {
        Chart_Series s;
        s.label = k.label;
        for (const Sample& sample : samples) {
            s.x.push_back(sample.t);
            const bool shown = !c.needs_airspeed || sample.tas >= kMinAngleSpeed;
            s.y.push_back(shown ? sample.*(k.field) * k.scale : NAN);
        }
        chart.series.push_back(std::move(s));
    }
    return write_chart_file(dir + "/" + c.file, chart);
}

}  // namespace

bool write_plots(const std::string& dir, const std::vector<Sample>& samples, std::string& error) {
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create " + dir;
        return false;
    }
    const double kt = 1.943844;  // knots per m/s
    const std::vector<Time_Chart> charts = {
        {"altitude.svg", "Altitude", "m", {{"altitude", &Sample::altitude, 1.0}}},
        {"speed.svg",
         "Airspeed",
         "kt",
         {{"calibrated", &Sample::kcas, 1.0}, {"true", &Sample::tas, kt}}},
        {"alpha.svg",
         "Angle of attack and sideslip",
         "deg",
         {{"alpha", &Sample::alpha, 1.0}, {"beta", &Sample::beta, 1.0}},
         true},
        {"attitude.svg",
         "Attitude",
         "deg",
         {{"pitch", &Sample::pitch, 1.0}, {"bank", &Sample::roll, 1.0}}},
        {"engine.svg",
         "Engine",
         "% and kN",
         {{"rpm %", &Sample::rpm, 1.0},
          {"thrust kN", &Sample::thrust, 0.001},
          {"GTS %", &Sample::gts, 1.0}}},
        {"surfaces.svg",
         "Control surfaces",
         "travel fraction",
         {{"elevator", &Sample::elevator, 1.0},
          {"aileron", &Sample::aileron, 1.0},
          {"rudder", &Sample::rudder, 1.0},
          {"flaps", &Sample::flaps, 1.0},
          {"slats", &Sample::slats, 1.0},
          {"speed brake", &Sample::speedbrake, 1.0}}},
        {"gear.svg",
         "Gear and throttle",
         "fraction",
         {{"nose leg", &Sample::gear_nose, 1.0},
          {"on ground", &Sample::on_ground, 1.0},
          {"throttle", &Sample::throttle, 1.0},
          {"brake", &Sample::brake_left, 1.0}}},
    };
    for (const Time_Chart& c : charts) {
        if (!write_time_chart(dir, c, samples)) {
            error = "cannot write " + dir + "/" + c.file;
            return false;
        }
    }
    const std::string index = dir + "/index.html";
    std::FILE* out = std::fopen(index.c_str(), "w");
    if (!out) {
        error = "cannot write " + index;
        return false;
    }
    std::fprintf(
        out,
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>quillon-rig flight"
        "</title></head>\n<body style=\"font-family:sans-serif\">\n<h1>Flight record</h1>\n<ul>\n");
    for (const Time_Chart& c : charts) {
        std::fprintf(out, "<li><a href=\"%s\">%s</a></li>\n", c.file, c.title);
    }
    std::fprintf(out, "</ul>\n");
    for (const Time_Chart& c : charts)
        std::fprintf(out, "<p><img src=\"%s\" alt=\"%s\"></p>\n", c.file, c.title);
    std::fprintf(out, "</body></html>\n");
    if (std::fclose(out) != 0) {
        error = "cannot write " + index;
        return false;
    }
    return true;
}

}  // namespace rig
