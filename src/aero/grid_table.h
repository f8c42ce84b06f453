// n-dimensional table of doubles over strictly ascending breakpoint lists,
// looked up by multilinear interpolation. The grid and the breakpoints are
// static data the table only points at; the table owns its work arrays and
// the bracket of its last lookup, which carries over to the next lookup.
//
// Work arrays are held inline at their greatest size (kMaxDims axes), so
// set-up only records the dimension count and no lookup, and no set-up,
// can fail to allocate.
#pragma once

#include <cstdint>

struct Grid_Table {
    static constexpr int kMaxDims = 4;
    static constexpr int kMaxCorners = 1 << kMaxDims;

    // Scratch: the grid index on each axis of the corner being gathered.
    std::uint32_t cornerIndex[kMaxDims] = {};
    // Grid values at the 2^n corners of the current cell.
    double cornerValue[kMaxCorners] = {};
    // Per axis, the breakpoint values at the lower and upper bracket index.
    double bracketValue[kMaxDims][2] = {};
    // Per axis, lower and upper bracket index of the last successful search.
    std::uint32_t bracketIndex[kMaxDims][2] = {};
    int dims = 0;                            // n, set before set-up
    std::uint32_t axisSizes[kMaxDims] = {};  // breakpoints per axis, each >= 2
    const double* axes[kMaxDims] = {};       // breakpoint lists, not owned
    const double* values = nullptr;          // grid, first axis fastest; not owned
    // Upper limit the owner applies to the first input; 0 = not used.
    double inputCeiling = 0.0;
};

// A table known only by static data, for one-off lookups.
struct Grid_Descriptor {
    int dims = 0;
    const std::uint32_t* axisSizes = nullptr;
    const double* const* axes = nullptr;
    const double* values = nullptr;
};

// Set-up on a zeroed table whose dims is set: returns false (and leaves the
// table unusable, dims 0) when dims is outside 1..kMaxDims.
bool grid_allocate_work(Grid_Table& table);
// Undoes set-up; harmless twice.
void grid_release(Grid_Table& table);

// Per axis: finds the bracket of inputs[d]. Inputs outside the axis, or NaN,
// keep the previous bracket of that axis.
void grid_find_brackets(Grid_Table& table, const double* inputs);
// Search, gather and multilinear reduction; inputs holds one value per axis.
double grid_lookup(Grid_Table& table, const double* inputs);
// Sum over d of indices[d] times the product of the sizes of the axes before
// d (32-bit unsigned arithmetic).
std::uint32_t grid_flat_index(const Grid_Table& table, const std::uint32_t* indices);
// The same lookup for a table given by a descriptor, with its work arrays on
// the stack for the duration of the call.
double grid_lookup_once(const Grid_Descriptor& descriptor, const double* inputs);

// hi when x > hi, else the larger of lo and x.
double clamp(double x, double lo, double hi);
// (x - x0)/(x1 - x0)*(y1 - y0) + y0, limited to the range between y0 and y1.
double lerp_clamped(double x, double x0, double x1, double y0, double y1);
