#include "report/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace rig {
namespace {

constexpr double kLeft = 74.0, kRight = 190.0, kTop = 36.0, kBottom = 46.0;  // margins, px
constexpr int kTicks = 5;

struct Axis {
    double lo = 0.0, hi = 0.0, step = 1.0;
    bool any = false, log = false;
    bool drawable(double v) const { return std::isfinite(v) && (!log || v > 0.0); }
    void include(double v) {
        if (!drawable(v)) return;
        if (!any || v < lo) lo = v;
        if (!any || v > hi) hi = v;
        any = true;
    }
    // Round ends (whole decades on a log axis), or the fixed ones given.
    void round(double fixed_lo, double fixed_hi) {
        if (log) {
            if (!any) lo = 1.0, hi = 10.0;
            lo = std::pow(10.0, std::floor(std::log10(lo) + 1e-9));
            hi = std::pow(10.0, std::ceil(std::log10(hi) - 1e-9));
            if (hi <= lo) hi = lo * 10.0;
        } else {
            if (!any) lo = 0.0, hi = 1.0;
            if (hi - lo < 1e-9 * std::fmax(1.0, std::fabs(hi))) {
                lo -= 1.0;
                hi += 1.0;
            }
            step = nice_step(hi - lo);
            lo = std::floor(lo / step + 1e-9) * step;
            hi = std::ceil(hi / step - 1e-9) * step;
        }
        if (drawable(fixed_lo)) lo = fixed_lo;
        if (drawable(fixed_hi)) hi = fixed_hi;
        if (!log) step = nice_step(hi - lo);
    }
    // Position along the axis, 0 at lo and 1 at hi.
    double fraction(double v) const {
        return log ? std::log10(v / lo) / std::log10(hi / lo) : (v - lo) / (hi - lo);
    }
    // Grid values: 1, 2 and 5 of each decade (only 1 over many decades), or
    // the round steps.
    std::vector<double> ticks() const {
        std::vector<double> t;
        if (log) {
            const bool dense = std::log10(hi / lo) <= 4.0 + 1e-9;
            for (double d = std::pow(10.0, std::floor(std::log10(lo) + 1e-9)); d <= hi * 1.0001;
                 d *= 10.0) {
                for (double m : {1.0, 2.0, 5.0}) {
                    if ((dense || m == 1.0) && d * m >= lo * 0.9999 && d * m <= hi * 1.0001)
                        t.push_back(d * m);
                }
            }
        } else {
            for (double v = std::ceil(lo / step - 1e-9) * step; v <= hi + 0.5 * step; v += step) {
                if (v <= hi + 1e-9 * step) t.push_back(std::fabs(v) < 1e-9 * step ? 0.0 : v);
            }
        }
        return t;
    }
};

std::string escape(const std::string& s) {
    std::string out;
    for (char ch : s) {
        if (ch == '<') {
            out += "&lt;";
        } else if (ch == '>') {
            out += "&gt;";
        } else if (ch == '&') {
            out += "&amp;";
        } else {
            out += ch;
        }
    }
    return out;
}

void append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string& out, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) out.append(buffer, static_cast<std::size_t>(n < 511 ? n : 511));
}

}  // namespace

double nice_step(double range) {
    const double raw = range / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / power;
    return (m < 1.5 ? 1.0 : (m < 3.5 ? 2.0 : (m < 7.5 ? 5.0 : 10.0))) * power;
}

const char* palette_colour(std::size_t i) {
    static const char* const kPalette[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                           "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
    return kPalette[i % (sizeof kPalette / sizeof kPalette[0])];
}

std::string chart_svg(const Chart& c) {
    Axis ax, ay;
    ax.log = c.log_x;
    ay.log = c.log_y;
    for (const Chart_Series& s : c.series) {
        for (std::size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
            if (!ax.drawable(s.x[i]) || !ay.drawable(s.y[i])) continue;
            ax.include(s.x[i]);
            ay.include(s.y[i]);
        }
    }
    ax.round(c.x_min, c.x_max);
    ay.round(c.y_min, c.y_max);
    const double pw = c.width - kLeft - kRight, ph = c.height - kTop - kBottom;
    auto px = [&](double v) { return kLeft + ax.fraction(v) * pw; };
    auto py = [&](double v) { return kTop + (1.0 - ay.fraction(v)) * ph; };

    std::string out;
    append(out,
           "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" width=\"%.0f\" "
           "height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" "
           "font-size=\"12\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
           c.width, c.height, c.width, c.height);
    out += "<text x=\"" + std::to_string(static_cast<int>(kLeft)) +
           "\" y=\"20\" font-size=\"15\">" + escape(c.title) + "</text>\n";
    for (double v : ay.ticks()) {
        append(out,
               "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#ddd\"/>"
               "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%g</text>\n",
               kLeft, kLeft + pw, py(v), py(v), kLeft - 6.0, py(v) + 4.0, v);
    }
    for (double v : ax.ticks()) {
        append(out,
               "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#eee\"/>"
               "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%g</text>\n",
               px(v), px(v), kTop, kTop + ph, px(v), kTop + ph + 16.0, v);
    }
    append(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">", kLeft + pw / 2.0,
           c.height - 8.0);
    out += escape(c.x_label) + "</text>\n";
    append(out, "<text transform=\"translate(16 %.1f) rotate(-90)\" text-anchor=\"middle\">",
           kTop + ph / 2.0);
    out += escape(c.y_label) + "</text>\n";

    // Lines and regions inside a nested svg the size of the plot, which clips
    // them to it; dots and the legend after it.
    std::string plot, dots, legend;
    append(plot,
           "<svg x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" viewBox=\"%.1f %.1f %.1f "
           "%.1f\">\n",
           kLeft, kTop, pw, ph, kLeft, kTop, pw, ph);
    std::size_t row = 0;
    for (std::size_t k = 0; k < c.series.size(); ++k) {
        const Chart_Series& s = c.series[k];
        const std::string colour = s.colour.empty() ? palette_colour(k) : s.colour;
        const char* dash = s.dashed ? " stroke-dasharray=\"6 4\"" : "";
        const std::size_t n = s.x.size() < s.y.size() ? s.x.size() : s.y.size();
        auto good = [&](std::size_t i) { return ax.drawable(s.x[i]) && ay.drawable(s.y[i]); };
        if (s.markers) {
            const double r = s.point_labels.empty() ? 2.5 : 4.0;
            for (std::size_t i = 0; i < n; ++i) {
                if (!good(i)) continue;
                const double x = std::fmin(std::fmax(px(s.x[i]), kLeft), kLeft + pw);
                const double y = std::fmin(std::fmax(py(s.y[i]), kTop), kTop + ph);
                append(dots, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"%s\"/>", x, y, r,
                       colour.c_str());
                if (i < s.point_labels.size()) {
                    append(dots, "<text x=\"%.1f\" y=\"%.1f\" font-size=\"10\">", x + 6.0, y - 5.0);
                    dots += escape(s.point_labels[i]) + "</text>";
                }
            }
            dots += "\n";
        } else if (s.segments) {
            append(plot, "<path fill=\"none\" stroke=\"%s\" stroke-width=\"%.1f\"%s d=\"",
                   colour.c_str(), s.width, dash);
            for (std::size_t i = 0; i + 1 < n; i += 2) {
                if (!good(i) || !good(i + 1)) continue;
                append(plot, "M%.1f %.1fL%.1f %.1f", px(s.x[i]), py(s.y[i]), px(s.x[i + 1]),
                       py(s.y[i + 1]));
            }
            plot += "\"/>\n";
        } else {
            // One polyline, or polygon, per finite stretch.
            std::string head;
            if (s.region) {
                append(head,
                       "<polygon fill=\"%s\" fill-opacity=\"0.18\" stroke=\"%s\" "
                       "stroke-opacity=\"0.6\"%s points=\"",
                       colour.c_str(), colour.c_str(), dash);
            } else {
                append(head,
                       "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"%.1f\"%s points=\"",
                       colour.c_str(), s.width, dash);
            }
            bool open = false;
            for (std::size_t i = 0; i <= n; ++i) {
                if (i < n && good(i)) {
                    if (!open) plot += head;
                    open = true;
                    append(plot, "%.1f,%.1f ", px(s.x[i]), py(s.y[i]));
                } else if (open) {
                    plot += "\"/>";
                    open = false;
                }
            }
            plot += "\n";
        }
        if (s.label.empty()) continue;
        const double ly = kTop + 14.0 + 18.0 * static_cast<double>(row++);
        const double lx = kLeft + pw + 12.0;
        if (s.markers) {
            append(legend, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"%s\"/>", lx + 10.0,
                   ly - 4.0, colour.c_str());
        } else if (s.region) {
            append(legend,
                   "<rect x=\"%.1f\" y=\"%.1f\" width=\"20\" height=\"10\" fill=\"%s\" "
                   "fill-opacity=\"0.18\" stroke=\"%s\"/>",
                   lx, ly - 9.0, colour.c_str(), colour.c_str());
        } else {
            append(legend,
                   "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
                   "stroke-width=\"3\"%s/>",
                   lx, lx + 20.0, ly - 4.0, ly - 4.0, colour.c_str(), dash);
        }
        append(legend, "<text x=\"%.1f\" y=\"%.1f\">", lx + 26.0, ly);
        legend += escape(s.label) + "</text>\n";
    }
    out += plot + "</svg>\n" + dots;
    append(out,
           "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
           "stroke=\"#444\"/>\n",
           kLeft, kTop, pw, ph);
    out += legend + "</svg>\n";
    return out;
}

bool write_chart_file(const std::string& path, const Chart& chart) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    const std::string text = chart_svg(chart);
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

void contour_segments(const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<std::vector<double>>& z, double level,
                      std::vector<double>& sx, std::vector<double>& sy) {
    // Marching squares: each cell's edges where z crosses the level, joined
    // in pairs (a saddle cell is joined by the order of its crossings).
    for (std::size_t j = 0; j + 1 < y.size() && j + 1 < z.size(); ++j) {
        const std::size_t columns = std::min(z[j].size(), z[j + 1].size());
        for (std::size_t i = 0; i + 1 < x.size() && i + 1 < columns; ++i) {
            const double cx[4] = {x[i], x[i + 1], x[i + 1], x[i]};
            const double cy[4] = {y[j], y[j], y[j + 1], y[j + 1]};
            const double cz[4] = {z[j][i], z[j][i + 1], z[j + 1][i + 1], z[j + 1][i]};
            bool finite = true;
            for (double v : cz) finite = finite && std::isfinite(v);
            if (!finite) continue;
            double hx[4], hy[4];
            int hits = 0;
            for (int e = 0; e < 4; ++e) {
                const int f = (e + 1) % 4;
                const double a = cz[e] - level, b = cz[f] - level;
                if ((a < 0.0) == (b < 0.0)) continue;
                const double t = a / (a - b);
                hx[hits] = cx[e] + t * (cx[f] - cx[e]);
                hy[hits] = cy[e] + t * (cy[f] - cy[e]);
                ++hits;
            }
            for (int h = 0; h + 1 < hits; h += 2) {
                sx.push_back(hx[h]);
                sy.push_back(hy[h]);
                sx.push_back(hx[h + 1]);
                sy.push_back(hy[h + 1]);
            }
        }
    }
}

}  // namespace rig
