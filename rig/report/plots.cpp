#include "report/plots.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace rig {
namespace {

constexpr double kWidth = 900.0;                                             // px
constexpr double kHeight = 320.0;                                            // px
constexpr double kLeft = 70.0, kRight = 150.0, kTop = 36.0, kBottom = 44.0;  // margins, px
constexpr int kTicks = 5;

struct Series {
    const char* label;
    const char* colour;
    double Sample::*field;
    double scale;  // plotted value = field * scale
};

struct Chart {
    const char* file;
    const char* title;
    const char* unit;
    std::vector<Series> series;
};

// A round step of about range/kTicks: 1, 2 or 5 times a power of ten.
double nice_step(double range) {
    const double raw = range / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / power;
    return (m < 1.5 ? 1.0 : (m < 3.5 ? 2.0 : (m < 7.5 ? 5.0 : 10.0))) * power;
}

bool write_chart(const std::string& dir, const Chart& c, const std::vector<Sample>& samples) {
    const std::string path = dir + "/" + c.file;
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    double lo = 0.0, hi = 0.0, t_end = 0.0;
    bool first = true;
    for (const Sample& s : samples) {
        t_end = s.t;
        for (const Series& k : c.series) {
            const double v = s.*(k.field) * k.scale;
            if (first || v < lo) lo = v;
            if (first || v > hi) hi = v;
            first = false;
        }
    }
    if (hi - lo < 1e-9) {
        lo -= 1.0;
        hi += 1.0;
    }
    const double step = nice_step(hi - lo);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    if (t_end <= 0.0) t_end = 1.0;
    const double t_step = nice_step(t_end);
    const double pw = kWidth - kLeft - kRight, ph = kHeight - kTop - kBottom;
    auto px = [&](double t) { return kLeft + t / t_end * pw; };
    auto py = [&](double v) { return kTop + (hi - v) / (hi - lo) * ph; };

    std::fprintf(out,
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
                 "font-family=\"sans-serif\" font-size=\"12\">\n",
                 kWidth, kHeight);
    std::fprintf(out, "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n");
    std::fprintf(out, "<text x=\"%.0f\" y=\"20\" font-size=\"15\">%s (%s)</text>\n", kLeft, c.title,
                 c.unit);
    for (double v = lo; v <= hi + 0.5 * step; v += step) {
        std::fprintf(out,
                     "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#ddd\"/>"
                     "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%g</text>\n",
                     kLeft, kLeft + pw, py(v), py(v), kLeft - 6.0, py(v) + 4.0,
                     std::fabs(v) < 1e-12 ? 0.0 : v);
    }
    for (double t = 0.0; t <= t_end + 1e-9; t += t_step) {
        std::fprintf(out,
                     "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#eee\"/>"
                     "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%g</text>\n",
                     px(t), px(t), kTop, kTop + ph, px(t), kTop + ph + 16.0, t);
    }
    std::fprintf(
        out,
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
        "stroke=\"#444\"/>\n<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">time (s)</text>\n",
        kLeft, kTop, pw, ph, kLeft + pw / 2.0, kHeight - 8.0);
    int row = 0;
    for (const Series& k : c.series) {
        std::fprintf(out, "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\" points=\"",
                     k.colour);
        for (const Sample& s : samples) {
            std::fprintf(out, "%.1f,%.1f ", px(s.t), py(s.*(k.field) * k.scale));
        }
        std::fprintf(out, "\"/>\n");
        const double ly = kTop + 14.0 + 18.0 * row++;
        std::fprintf(out,
                     "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
                     "stroke-width=\"3\"/><text x=\"%.1f\" y=\"%.1f\">%s</text>\n",
                     kLeft + pw + 12.0, kLeft + pw + 32.0, ly - 4.0, ly - 4.0, k.colour,
                     kLeft + pw + 38.0, ly, k.label);
    }
    std::fprintf(out, "</svg>\n");
    return std::fclose(out) == 0;
}

}  // namespace

bool write_plots(const std::string& dir, const std::vector<Sample>& samples, std::string& error) {
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create " + dir;
        return false;
    }
    const double kt = 1.943844;  // knots per m/s
    const std::vector<Chart> charts = {
        {"altitude.svg", "Altitude", "m", {{"altitude", "#1f77b4", &Sample::altitude, 1.0}}},
        {"speed.svg",
         "Airspeed",
         "kt",
         {{"calibrated", "#1f77b4", &Sample::kcas, 1.0}, {"true", "#ff7f0e", &Sample::tas, kt}}},
        {"alpha.svg",
         "Angle of attack and pitch",
         "deg",
         {{"alpha", "#d62728", &Sample::alpha, 1.0}, {"pitch", "#2ca02c", &Sample::pitch, 1.0}}},
        {"engine.svg",
         "Engine",
         "% and kN",
         {{"rpm %", "#9467bd", &Sample::rpm, 1.0},
          {"thrust kN", "#8c564b", &Sample::thrust, 0.001},
          {"GTS %", "#7f7f7f", &Sample::gts, 1.0}}},
        {"surfaces.svg",
         "Control surfaces",
         "travel fraction",
         {{"elevator", "#1f77b4", &Sample::elevator, 1.0},
          {"aileron", "#ff7f0e", &Sample::aileron, 1.0},
          {"rudder", "#2ca02c", &Sample::rudder, 1.0},
          {"flaps", "#d62728", &Sample::flaps, 1.0},
          {"slats", "#9467bd", &Sample::slats, 1.0},
          {"speed brake", "#8c564b", &Sample::speedbrake, 1.0}}},
        {"gear.svg",
         "Gear and throttle",
         "fraction",
         {{"nose leg", "#1f77b4", &Sample::gear_nose, 1.0},
          {"on ground", "#2ca02c", &Sample::on_ground, 1.0},
          {"throttle", "#ff7f0e", &Sample::throttle, 1.0},
          {"brake", "#d62728", &Sample::brake_left, 1.0}}},
    };
    for (const Chart& c : charts) {
        if (!write_chart(dir, c, samples)) {
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
    for (const Chart& c : charts) {
        std::fprintf(out, "<li><a href=\"%s\">%s</a></li>\n", c.file, c.title);
    }
    std::fprintf(out, "</ul>\n");
    for (const Chart& c : charts)
        std::fprintf(out, "<p><img src=\"%s\" alt=\"%s\"></p>\n", c.file, c.title);
    std::fprintf(out, "</body></html>\n");
    if (std::fclose(out) != 0) {
        error = "cannot write " + index;
        return false;
    }
    return true;
}

}  // namespace rig
