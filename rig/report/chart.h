// Charts as SVG text: any number of series over shared axes (linear or
// logarithmic), with the unit on each axis and a legend. A series is a line,
// dots, separate segments or a shaded region. The flight record's charts,
// the handling-quality charts and every chart of the flight-test report are
// drawn by this one function.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace rig {

struct Chart_Series {
    Chart_Series(std::string label_ = "", std::string colour_ = "", std::vector<double> x_ = {},
                 std::vector<double> y_ = {}, bool dashed_ = false, bool markers_ = false,
                 bool segments_ = false)
        : label(std::move(label_)),
          colour(std::move(colour_)),
          x(std::move(x_)),
          y(std::move(y_)),
          dashed(dashed_),
          markers(markers_),
          segments(segments_) {}
    std::string label;         // empty: not in the legend
    std::string colour;        // empty: the next of the palette
    std::vector<double> x, y;  // a non-finite value breaks the line there
    bool dashed = false;       // drawn dashed (a baseline's curves)
    bool markers = false;      // a dot at every point, no line
    bool segments = false;     // consecutive pairs of points are separate strokes
    // A shaded region: each finite stretch of points is one closed polygon,
    // filled with the colour (translucent) and outlined by it.
    bool region = false;
    double width = 1.5;                     // of lines and segments, px
    std::vector<std::string> point_labels;  // markers: a small label by each dot
};

struct Chart {
    std::string title;
    std::string x_label, y_label;  // each with its unit, "speed (kt)"
    std::vector<Chart_Series> series;
    double width = 900.0, height = 360.0;  // px
    bool log_x = false, log_y = false;     // decades; only positive values are drawn
    // Fixed axis ranges; NAN: from the data. Lines and regions are clipped to
    // the plot; dots outside it are drawn at its edge.
    double x_min = NAN, x_max = NAN, y_min = NAN, y_max = NAN;
};

// The chart as one <svg> element.
std::string chart_svg(const Chart& chart);

// Writes chart_svg to a file; false when it cannot.
bool write_chart_file(const std::string& path, const Chart& chart);

// Contour lines of z over a grid (z[j][i] at x[i], y[j]) at one level, as
// segments for a Chart_Series; non-finite cells are skipped.
void contour_segments(const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<std::vector<double>>& z, double level,
                      std::vector<double>& sx, std::vector<double>& sy);

// A round axis step of about range/5: 1, 2 or 5 times a power of ten.
double nice_step(double range);

// The palette colours in order.
const char* palette_colour(std::size_t i);

}  // namespace rig
