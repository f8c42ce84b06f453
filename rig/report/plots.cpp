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

namespace rig {
namespace {

const char* const kLevelColours[3] = {"#2ca02c", "#ff7f0e", "#d62728"};

Chart_Series line(const std::string& label, const char* colour) {
    Chart_Series s;
    s.label = label;
    s.colour = colour;
    return s;
}

void add(Chart_Series& s, double x, double y) {
    s.x.push_back(x);
    s.y.push_back(y);
}

// The aircraft's points, each labelled with its speed.
Chart_Series aircraft(const std::vector<Handling_Point>& points) {
    Chart_Series s = line("the aircraft (kcas)", "#1f77b4");
    s.markers = true;
    for (const Handling_Point& p : points) {
        add(s, p.x, p.y);
        s.point_labels.push_back(p.label);
    }
    return s;
}

}  // namespace

Chart cap_chart(Category category, const std::vector<Handling_Point>& points) {
    Chart c;
    c.title = std::string("Short-period frequency and n/alpha, Class IV, Category ") +
              kCategoryNames[category] + " (MIL-F-8785C 3.2.2.1.1)";
    c.x_label = "n/alpha (g/rad)";
    c.y_label = "short-period frequency omega_sp (rad/s)";
    c.log_x = c.log_y = true;
    c.x_min = 1.0;
    c.x_max = 100.0;
    c.y_min = 0.1;
    c.y_max = 100.0;
    c.height = 480.0;
    auto w_at = [](double cap, double n) { return std::sqrt(cap * n); };
    Chart_Series region;
    for (int l = 0; l < 3; ++l) {
        const Cap_Bounds& b = kCapBounds[category][l];
        const std::string level = "Level " + std::to_string(l + 1);
        // A Level: CAP between its lines, above its frequency and n/alpha floors.
        const double n_lo = std::fmax(c.x_min, b.n_alpha_min);
        const double n_knee = b.omega_min > 0.0 ? b.omega_min * b.omega_min / b.cap_min : n_lo;
        Chart_Series lower = line(level + " bounds", kLevelColours[l]);
        lower.x.push_back(n_lo);
        lower.y.push_back(std::fmax(b.omega_min, w_at(b.cap_min, n_lo)));
        if (n_knee > n_lo) add(lower, n_knee, b.omega_min);
        for (double n = std::fmax(n_lo, n_knee); n <= c.x_max * 1.0001; n *= 1.25)
            add(lower, n, w_at(b.cap_min, n));
        add(lower, c.x_max, w_at(b.cap_min, c.x_max));
        Chart_Series upper = line("", kLevelColours[l]);
        if (b.cap_max > 0.0) {
            for (double n = n_lo; n <= c.x_max * 1.0001; n *= 1.25)
                add(upper, n, w_at(b.cap_max, n));
            add(upper, c.x_max, w_at(b.cap_max, c.x_max));
        } else {
            add(upper, c.x_max, c.y_max);
            add(upper, n_lo, c.y_max);
        }
        if (l == 0) {
            // The Level 1 region: along the lower edge, back along the upper.
            region = lower;
            region.label = "Level 1 region";
            region.region = true;
            region.x.insert(region.x.end(), upper.x.rbegin(), upper.x.rend());
            region.y.insert(region.y.end(), upper.y.rbegin(), upper.y.rend());
        }
        // The n/alpha floor closes the Level on the left.
        if (b.n_alpha_min > 0.0) {
            lower.x.insert(lower.x.begin(), n_lo);
            lower.y.insert(lower.y.begin(), upper.y.empty() ? c.y_max : upper.y.front());
        }
        c.series.push_back(lower);
        if (b.cap_max > 0.0) c.series.push_back(upper);
    }
    c.series.insert(c.series.begin(), region);
    c.series.push_back(aircraft(points));
    return c;
}

Chart dutch_roll_chart(Category category, const std::vector<Handling_Point>& points) {
    Chart c;
    c.title = std::string("Dutch roll, Class IV, Category ") + kCategoryNames[category] +
              " (MIL-F-8785C 3.3.1.1, Table VI)";
    c.x_label = "Dutch-roll damping ratio zeta_d";
    c.y_label = "Dutch-roll frequency omega_nd (rad/s)";
    c.height = 480.0;
    double top = 4.0;
    for (const Handling_Point& p : points)
        if (std::isfinite(p.y)) top = std::fmax(top, std::ceil(p.y * 1.2));
    c.x_min = -0.1;
    c.x_max = 1.0;
    c.y_min = 0.0;
    c.y_max = top;
    for (int l = 0; l < 3; ++l) {
        const Dutch_Roll_Bounds& b = kDutchRollBounds[category][l];
        // The Level's corner: damping floor, the zeta x omega hyperbola, the
        // frequency floor.
        Chart_Series edge = line("Level " + std::to_string(l + 1) + " minimum", kLevelColours[l]);
        add(edge, b.zeta_min, top);
        const double zw = std::isfinite(b.zeta_omega_min) ? b.zeta_omega_min : 0.0;
        const double w_top =
            zw > 0.0 ? std::fmax(b.omega_min, zw / std::fmax(b.zeta_min, 1e-6)) : b.omega_min;
        if (zw > 0.0 && w_top > b.omega_min) {
            for (double w = std::fmin(w_top, top); w >= b.omega_min - 1e-9;
                 w -= (w_top - b.omega_min) / 40.0 + 1e-3)
                add(edge, std::fmax(b.zeta_min, zw / w), w);
        }
        add(edge, std::fmax(b.zeta_min, zw > 0.0 ? zw / b.omega_min : b.zeta_min), b.omega_min);
        add(edge, c.x_max, b.omega_min);
        if (l == 0) {
            Chart_Series region = edge;
            region.label = "Level 1 region";
            region.region = true;
            add(region, c.x_max, top);
            c.series.insert(c.series.begin(), region);
        }
        c.series.push_back(edge);
    }
    c.series.push_back(aircraft(points));
    return c;
}

bool write_cap_chart(const std::string& path, Category category,
                     const std::vector<Handling_Point>& points) {
    return write_chart_file(path, cap_chart(category, points));
}

bool write_dutch_roll_chart(const std::string& path, Category category,
                            const std::vector<Handling_Point>& points) {
    return write_chart_file(path, dutch_roll_chart(category, points));
}

}  // namespace rig
