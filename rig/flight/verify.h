// Verification of the rig against published check cases: a table of cases,
// each flown on a check vehicle and compared, at the reference's own time
// points, with the trajectories of independent simulation tools.
//
// Reference trajectories use the tools' units (ft, ft/s, deg, deg/s,
// slug/ft^3, lbf/ft^2, Rankine) and north-east-down axes; the rig's state is
// converted to them before comparing.
#pragma once

#include <string>
#include <vector>

#include "host/host_loop.h"

namespace rig {

// The references' units.
constexpr double kFoot = 0.3048;       // m
constexpr double kSlug = 14.59390294;  // kg

// A state a reference publishes, by its column name.
enum class Quantity {
    Altitude,  // ft above sea level
    V_North,   // ft/s over the ground
    V_East,
    V_Down,
    Yaw,  // deg, Euler angles of the local north-east-down frame
    Pitch,
    Roll,
    P,  // deg/s, body rates relative to inertial space
    Q,
    R,
    Density,      // slug/ft^3
    Pressure,     // lbf/ft^2
    Temperature,  // Rankine
    North,        // ft over the ground from the start (the reference's latitude)
    East,         // ft (the reference's longitude)
};
constexpr int kQuantityCount = 15;

const char* quantity_column(Quantity q);

// The rig's value of a quantity, in the reference's unit.
double quantity_value(const Host& host, Quantity q);

// One comparison of a case: a group of states with the same unit.
struct Check {
    std::string what;  // e.g. "body rates"
    std::vector<Quantity> quantities;
    double tolerance = 0.0;  // in unit; relative (a fraction) when relative
    std::string unit;
    bool relative = false;
    std::string reason;  // why this tolerance
    // Compared as the change from the case's baseline flight: (rig - rig's
    // baseline) against (reference - the same tool's baseline), which cancels
    // what both flights share and the rig does not model.
    bool differential = false;
};

// Where verify finds its data and vehicles.
struct Verify_Paths {
    std::string data;      // directory of the reference data
    std::string vehicles;  // directory of the check-vehicle libraries
    std::string standin;   // the stand-in cockpit library
};

// The defaults: the project's reference data and the vehicles built beside
// the rig, or, when the build tree is gone, those installed with it.
Verify_Paths default_verify_paths();

struct Check_Result {
    const Check* check = nullptr;
    double max_error = 0.0;     // in the check's unit
    double at_time = 0.0;       // s, where it occurred
    double tool_spread = -1.0;  // the same measure between two reference tools; < 0 unknown
    bool passed = false;
};

struct Verify_Case;

struct Case_Result {
    const Verify_Case* verify_case = nullptr;
    std::vector<Check_Result> checks;
    std::string error;  // could not be run: missing data, unloadable vehicle
    bool passed() const;
    // The check furthest from its tolerance (the largest error / tolerance).
    const Check_Result* worst() const;
};

struct Verify_Case {
    std::string id;          // "1", "2", "atmosphere", ...
    std::string title;       // one line
    std::string vehicle;     // library file name in the vehicle directory
    std::string reference;   // reference trajectory, relative to the data directory
    std::string reference2;  // a second tool's trajectory for the spread; may be empty
    double dt = 0.01;        // s, frame
    double end = 30.0;       // s
    int substeps = 1;
    // Id of the case the differential checks subtract; flown with this
    // case's frame and substeps.
    std::string baseline;
    // Mass properties, environment and initial state; the model is loaded.
    void (*setup)(Host& host) = nullptr;
    std::vector<Check> checks;
    // A case that is not a plain flight from setup (a trim first, or no
    // flight at all) replaces the whole run; null: fly_case.
    Case_Result (*run)(const Verify_Case& c, const Verify_Paths& paths) = nullptr;
};

// Every case the rig flies, in order.
const std::vector<Verify_Case>& verify_cases();

// Runs one case (its run function, or the plain flight).
Case_Result run_case(const Verify_Case& c, const Verify_Paths& paths);

// The plain flight: setup, then dt frames to end, compared at every
// reference time point on that frame grid; with differential checks, the
// baseline case is flown too.
Case_Result fly_case(const Verify_Case& c, const Verify_Paths& paths);

// A reference table read from CSV: the header's column names and the rows.
struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<double>> rows;
    int column(const std::string& name) const;  // -1 if absent
};
bool read_table(const std::string& path, Table& out, std::string& error);

// Every quantity at one time, in the references' units.
struct Point {
    double t = 0.0;
    double value[kQuantityCount] = {};
};
Point host_point(const Host& host, double t);

// The rows of a reference as points (quantities it lacks stay 0 and must not
// be compared).
std::vector<Point> table_points(const Table& t);

// Largest difference of a check between the flown points and the reference
// at the reference's times; points at times the reference lacks are skipped.
Check_Result compare(const Check& check, const Table& reference, const std::vector<Point>& flown);
Check_Result compare(const Check& check, const std::vector<Point>& expected,
                     const std::vector<Point>& flown);

// The points of a at the times b has, less b's values there.
std::vector<Point> difference(const std::vector<Point>& a, const std::vector<Point>& b);

}  // namespace rig
