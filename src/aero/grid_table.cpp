#include "grid_table.h"

#include <cstring>

bool grid_allocate_work(Grid_Table& table) {
    if (table.dims < 1 || table.dims > Grid_Table::kMaxDims) {
        table.dims = 0;
        return false;
    }
    return true;
}

void grid_release(Grid_Table& table) {
    for (int d = 0; d < Grid_Table::kMaxDims; ++d) {
        table.axes[d] = nullptr;
        table.axisSizes[d] = 0;
    }
    table.values = nullptr;
    table.dims = 0;
}

namespace {

// Linear scan from the start of the axis every time. An exact hit gives a
// degenerate bracket; an interior breakpoint is matched by the first of the
// two intervals that touch it.
void search_axis(const double* a, std::uint32_t n, double x, std::uint32_t* bracket) {
    if (x < a[0] || x > a[n - 1]) return;
    for (std::uint32_t i = 0; i + 1 < n; ++i) {
        if (x == a[i]) {
            bracket[0] = bracket[1] = i;
            return;
        }
        if (x == a[i + 1]) {
            bracket[0] = bracket[1] = i + 1;
            return;
        }
        if (a[i] < x && x < a[i + 1]) {
            bracket[0] = i;
            bracket[1] = i + 1;
            return;
        }
    }
}

std::uint32_t flat_index(int dims, const std::uint32_t* sizes, const std::uint32_t* idx) {
    std::uint32_t index = 0;
    std::uint32_t stride = 1;
    for (int d = 0; d < dims; ++d) {
        index += idx[d] * stride;
        stride *= sizes[d];
    }
    return index;
}

// Gather the 2^n corners and reduce them axis by axis, first axis first. The
// blend is t*upper + (1 - t)*lower; t is not clamped, so a kept bracket with
// an input outside it extrapolates.
double gather_and_reduce(int dims, const std::uint32_t* sizes, const double* const* axes,
                         const double* values, const double* inputs,
                         std::uint32_t (*bracket_index)[2], double (*bracket_value)[2],
                         std::uint32_t* corner_index, double* corner_value) {
    for (int d = 0; d < dims; ++d) {
        bracket_value[d][0] = axes[d][bracket_index[d][0]];
        bracket_value[d][1] = axes[d][bracket_index[d][1]];
    }
    const int corners = 1 << dims;
    for (int c = 0; c < corners; ++c) {
        for (int d = 0; d < dims; ++d) corner_index[d] = bracket_index[d][(c >> d) & 1];
        corner_value[c] = values[flat_index(dims, sizes, corner_index)];
    }
    double w[Grid_Table::kMaxCorners];
    std::memcpy(w, corner_value, sizeof(double) * static_cast<unsigned>(corners));
    for (int d = 0; d < dims; ++d) {
        const int m = 1 << (dims - 1 - d);
        const double lo = bracket_value[d][0];
        const double hi = bracket_value[d][1];
        // A NaN in either counts as differing, so it reaches the division.
        if (lo != hi) {
            const double t = (inputs[d] - lo) / (hi - lo);
            for (int j = 0; j < m; ++j) w[j] = t * w[2 * j + 1] + (1.0 - t) * w[2 * j];
        } else {
            for (int j = 0; j < m; ++j) w[j] = w[2 * j];
        }
    }
    return w[0];
}

}  // namespace

void grid_find_brackets(Grid_Table& table, const double* inputs) {
    for (int d = 0; d < table.dims; ++d) {
        search_axis(table.axes[d], table.axisSizes[d], inputs[d], table.bracketIndex[d]);
    }
}

double grid_lookup(Grid_Table& table, const double* inputs) {
    if (table.dims == 0) return 0.0;
    grid_find_brackets(table, inputs);
    return gather_and_reduce(table.dims, table.axisSizes, table.axes, table.values, inputs,
                             table.bracketIndex, table.bracketValue, table.cornerIndex,
                             table.cornerValue);
}

std::uint32_t grid_flat_index(const Grid_Table& table, const std::uint32_t* indices) {
    return flat_index(table.dims, table.axisSizes, indices);
}

double grid_lookup_once(const Grid_Descriptor& descriptor, const double* inputs) {
    const int dims = descriptor.dims;
    if (dims < 1 || dims > Grid_Table::kMaxDims) return 0.0;
    std::uint32_t bracket_index[Grid_Table::kMaxDims][2] = {};
    double bracket_value[Grid_Table::kMaxDims][2];
    std::uint32_t corner_index[Grid_Table::kMaxDims];
    double corner_value[Grid_Table::kMaxCorners];
    for (int d = 0; d < dims; ++d) {
        search_axis(descriptor.axes[d], descriptor.axisSizes[d], inputs[d], bracket_index[d]);
    }
    return gather_and_reduce(dims, descriptor.axisSizes, descriptor.axes, descriptor.values, inputs,
                             bracket_index, bracket_value, corner_index, corner_value);
}

double clamp(double x, double lo, double hi) {
    if (x > hi) return hi;
    return lo > x ? lo : x;
}

double lerp_clamped(double x, double x0, double x1, double y0, double y1) {
    const double y = (x - x0) / (x1 - x0) * (y1 - y0) + y0;
    const double lo = y0 < y1 ? y0 : y1;
    const double hi = y0 < y1 ? y1 : y0;
    return clamp(y, lo, hi);
}
