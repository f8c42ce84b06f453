// Line charts as SVG text: any number of series over shared axes, with the
// unit on each axis and a legend. The flight record's charts and every
// chart of the flight-test report are drawn by this one function.
#pragma once

#include <string>
#include <vector>

namespace rig {

struct Chart_Series {
    std::string label;
    std::string colour;        // empty: the next of the palette
    std::vector<double> x, y;  // a non-finite value breaks the line there
    bool dashed = false;       // drawn dashed (a baseline's curves)
    bool markers = false;      // a dot at every point, no line
    bool segments = false;     // consecutive pairs of points are separate strokes
};

struct Chart {
    std::string title;
    std::string x_label, y_label;  // each with its unit, "speed (kt)"
    std::vector<Chart_Series> series;
    double width = 900.0, height = 360.0;  // px
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
