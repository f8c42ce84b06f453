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

// An x-y chart with Level regions drawn as boundary lines and the points.
struct Xy_Axes {
    double x0, x1, y0, y1;
    bool log;
    double left = 80.0, top = 40.0, width = 560.0, height = 420.0;
    double px(double x) const {
        const double f = log ? std::log10(x / x0) / std::log10(x1 / x0) : (x - x0) / (x1 - x0);
        return left + f * width;
    }
    double py(double y) const {
        const double f = log ? std::log10(y / y0) / std::log10(y1 / y0) : (y - y0) / (y1 - y0);
        return top + (1.0 - f) * height;
    }
};

struct Boundary {
    std::vector<std::pair<double, double>> points;  // chart units
    const char* colour;
    std::string label;
};

const char* const kLevelColours[3] = {"#2ca02c", "#ff7f0e", "#d62728"};

bool write_xy(const std::string& path, const std::string& title, const char* x_label,
              const char* y_label, const Xy_Axes& ax, const std::vector<Boundary>& lines,
              const std::vector<Handling_Point>& points) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    const double w = ax.left + ax.width + 230.0, h = ax.top + ax.height + 60.0;
    std::fprintf(out,
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
                 "font-family=\"sans-serif\" font-size=\"12\">\n<rect width=\"100%%\" "
                 "height=\"100%%\" fill=\"white\"/>\n<text x=\"%.0f\" y=\"22\" "
                 "font-size=\"15\">%s</text>\n",
                 w, h, ax.left, title.c_str());
    std::fprintf(out,
                 "<clipPath id=\"plot\"><rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" "
                 "height=\"%.1f\"/></clipPath>\n",
                 ax.left, ax.top, ax.width, ax.height);
    // Grid: decades on log axes, nice steps on linear ones.
    auto ticks = [&](double lo, double hi) {
        std::vector<double> t;
        if (ax.log) {
            for (double d = std::pow(10.0, std::floor(std::log10(lo))); d <= hi * 1.0001; d *= 10.0)
                for (double m : {1.0, 2.0, 5.0})
                    if (d * m >= lo * 0.9999 && d * m <= hi * 1.0001) t.push_back(d * m);
        } else {
            const double step = nice_step(hi - lo);
            for (double v = std::ceil(lo / step) * step; v <= hi + 1e-9; v += step) t.push_back(v);
        }
        return t;
    };
    for (double x : ticks(ax.x0, ax.x1)) {
        std::fprintf(out,
                     "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#e4e4e4\"/>"
                     "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%g</text>\n",
                     ax.px(x), ax.px(x), ax.top, ax.top + ax.height, ax.px(x),
                     ax.top + ax.height + 16.0, std::fabs(x) < 1e-12 ? 0.0 : x);
    }
    for (double y : ticks(ax.y0, ax.y1)) {
        std::fprintf(out,
                     "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#e4e4e4\"/>"
                     "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%g</text>\n",
                     ax.left, ax.left + ax.width, ax.py(y), ax.py(y), ax.left - 6.0, ax.py(y) + 4.0,
                     std::fabs(y) < 1e-12 ? 0.0 : y);
    }
    std::fprintf(out,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
                 "stroke=\"#444\"/>\n<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%s</text>\n"
                 "<text transform=\"translate(18,%.1f) rotate(-90)\" "
                 "text-anchor=\"middle\">%s</text>\n",
                 ax.left, ax.top, ax.width, ax.height, ax.left + ax.width / 2.0, h - 14.0, x_label,
                 ax.top + ax.height / 2.0, y_label);
    int row = 0;
    const double lx = ax.left + ax.width + 14.0;
    for (const Boundary& b : lines) {
        std::fprintf(out,
                     "<polyline clip-path=\"url(#plot)\" fill=\"none\" stroke=\"%s\" "
                     "stroke-width=\"2\" points=\"",
                     b.colour);
        for (const auto& p : b.points)
            std::fprintf(out, "%.1f,%.1f ", ax.px(p.first), ax.py(p.second));
        std::fprintf(out, "\"/>\n");
        if (!b.label.empty()) {
            const double ly = ax.top + 14.0 + 18.0 * row++;
            std::fprintf(out,
                         "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
                         "stroke-width=\"3\"/><text x=\"%.1f\" y=\"%.1f\">%s</text>\n",
                         lx, lx + 20.0, ly - 4.0, ly - 4.0, b.colour, lx + 26.0, ly,
                         b.label.c_str());
        }
    }
    const double ly = ax.top + 14.0 + 18.0 * row;
    std::fprintf(out,
                 "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"#1f77b4\"/><text x=\"%.1f\" "
                 "y=\"%.1f\">the aircraft (kcas)</text>\n",
                 lx + 10.0, ly - 4.0, lx + 26.0, ly);
    for (const Handling_Point& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        const double x = std::fmin(std::fmax(p.x, ax.x0), ax.x1);
        const double y = std::fmin(std::fmax(p.y, ax.y0), ax.y1);
        std::fprintf(out,
                     "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"#1f77b4\"/><text x=\"%.1f\" "
                     "y=\"%.1f\" font-size=\"10\">%s</text>\n",
                     ax.px(x), ax.py(y), ax.px(x) + 6.0, ax.py(y) - 5.0, p.label.c_str());
    }
    std::fprintf(out, "</svg>\n");
    return std::fclose(out) == 0;
}

}  // namespace

bool write_cap_chart(const std::string& path, Category category,
                     const std::vector<Handling_Point>& points) {
    const Xy_Axes ax{1.0, 100.0, 0.1, 100.0, true};
    std::vector<Boundary> lines;
    for (int l = 0; l < 3; ++l) {
        const Cap_Bounds& b = kCapBounds[category][l];
        const std::string level = "Level " + std::to_string(l + 1);
        // The region of a Level: CAP between its lines, above its floors.
        const double n_lo = std::fmax(ax.x0, b.n_alpha_min);
        auto w_at = [](double cap, double n) { return std::sqrt(cap * n); };
        // Lower boundary: the frequency floor, then the lower CAP line.
        const double n_knee = b.omega_min > 0.0 ? b.omega_min * b.omega_min / b.cap_min : n_lo;
        Boundary lower{{}, kLevelColours[l], level + " bounds"};
        if (b.n_alpha_min > 0.0) lower.points.push_back({n_lo, ax.y1});
        lower.points.push_back({n_lo, std::fmax(b.omega_min, w_at(b.cap_min, n_lo))});
        if (n_knee > n_lo) lower.points.push_back({n_knee, b.omega_min});
        for (double n = std::fmax(n_lo, n_knee); n <= ax.x1 * 1.0001; n *= 1.25)
            lower.points.push_back({n, w_at(b.cap_min, n)});
        lower.points.push_back({ax.x1, w_at(b.cap_min, ax.x1)});
        lines.push_back(lower);
        if (b.cap_max > 0.0) {
            Boundary upper{{}, kLevelColours[l], ""};
            for (double n = n_lo; n <= ax.x1 * 1.0001; n *= 1.25)
                upper.points.push_back({n, w_at(b.cap_max, n)});
            upper.points.push_back({ax.x1, w_at(b.cap_max, ax.x1)});
            lines.push_back(upper);
        }
    }
    const std::string title =
        std::string("Short-period frequency and n/alpha, Class IV, Category ") +
        kCategoryNames[category] + " (MIL-F-8785C 3.2.2.1.1)";
    return write_xy(path, title, "n/alpha (g/rad)", "short-period frequency omega_sp (rad/s)", ax,
                    lines, points);
}

bool write_dutch_roll_chart(const std::string& path, Category category,
                            const std::vector<Handling_Point>& points) {
    double y1 = 4.0;
    for (const Handling_Point& p : points) y1 = std::fmax(y1, std::ceil(p.y * 1.2));
    const Xy_Axes ax{-0.1, 1.0, 0.0, y1, false};
    std::vector<Boundary> lines;
    for (int l = 0; l < 3; ++l) {
        const Dutch_Roll_Bounds& b = kDutchRollBounds[category][l];
        // The Level's corner: frequency floor, damping floor, and the
        // zeta x omega hyperbola between them.
        Boundary edge{{}, kLevelColours[l], "Level " + std::to_string(l + 1) + " minimum"};
        edge.points.push_back({b.zeta_min, ax.y1});
        const double zw = std::isfinite(b.zeta_omega_min) ? b.zeta_omega_min : 0.0;
        const double w_top =
            zw > 0.0 ? std::fmax(b.omega_min, zw / std::fmax(b.zeta_min, 1e-6)) : b.omega_min;
        if (zw > 0.0 && w_top > b.omega_min) {
            for (double w = std::fmin(w_top, ax.y1); w >= b.omega_min - 1e-9;
                 w -= (w_top - b.omega_min) / 40.0 + 1e-3)
                edge.points.push_back({std::fmax(b.zeta_min, zw / w), w});
        }
        edge.points.push_back(
            {std::fmax(b.zeta_min, zw > 0.0 ? zw / b.omega_min : b.zeta_min), b.omega_min});
        edge.points.push_back({ax.x1, b.omega_min});
        lines.push_back(edge);
    }
    const std::string title = std::string("Dutch roll, Class IV, Category ") +
                              kCategoryNames[category] + " (MIL-F-8785C 3.3.1.1, Table VI)";
    return write_xy(path, title, "Dutch-roll damping ratio zeta_d",
                    "Dutch-roll frequency omega_nd (rad/s)", ax, lines, points);
}

}  // namespace rig
