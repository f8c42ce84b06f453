#include "flight/verify.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "host/fp_traps.h"

namespace rig {
namespace {

constexpr double kFoot = 0.3048;                         // m
constexpr double kSlugPerCubicFoot = 515.378818;         // kg/m^3 (14.59390294 kg / 0.3048^3 m^3)
constexpr double kPoundPerSquareFoot = 47.880258980335;  // Pa (4.4482216152605 N / 0.3048^2 m^2)
constexpr double kRankinePerKelvin = 1.8;
constexpr double kTimeMatch = 1e-6;  // s: a frame time and a reference time are the same

const char* const kReferenceColumns[kQuantityCount] = {
    "altitudeMsl_ft",
    "feVelocity_ft_s_X",
    "feVelocity_ft_s_Y",
    "feVelocity_ft_s_Z",
    "eulerAngle_deg_Yaw",
    "eulerAngle_deg_Pitch",
    "eulerAngle_deg_Roll",
    "bodyAngularRateWrtEi_deg_s_Roll",
    "bodyAngularRateWrtEi_deg_s_Pitch",
    "bodyAngularRateWrtEi_deg_s_Yaw",
    "airDensity_slug_ft3",
    "ambientPressure_lbf_ft2",
    "ambientTemperature_dgR",
};

bool is_angle(Quantity q) {
    return q == Quantity::Yaw || q == Quantity::Pitch || q == Quantity::Roll;
}

double difference(Quantity q, double rig, double reference, bool relative) {
    if (relative) return std::fabs(rig / reference - 1.0);
    double d = rig - reference;
    if (is_angle(q)) d = std::remainder(d, 360.0);
    return std::fabs(d);
}

long time_key(double t) { return std::lround(t / kTimeMatch); }

}  // namespace

const char* quantity_column(Quantity q) { return kReferenceColumns[static_cast<int>(q)]; }

double quantity_value(const Host& host, Quantity q) {
    const Body_State& b = host.body;
    switch (q) {
        case Quantity::Altitude:
            return host_altitude(host) / kFoot;
        case Quantity::V_North:
            return b.velocity.x / kFoot;
        case Quantity::V_East:
            return b.velocity.z / kFoot;
        case Quantity::V_Down:
            return -b.velocity.y / kFoot;
        case Quantity::Yaw:  // the host's yaw is positive nose left
            return -to_euler(b.attitude).yaw * kDegPerRad;
        case Quantity::Pitch:
            return to_euler(b.attitude).pitch * kDegPerRad;
        case Quantity::Roll:
            return to_euler(b.attitude).roll * kDegPerRad;
        case Quantity::P:
            return b.omega.x * kDegPerRad;
        case Quantity::Q:
            return b.omega.z * kDegPerRad;
        case Quantity::R:
            return -b.omega.y * kDegPerRad;
        case Quantity::Density:
            return air_state(host).air.density / kSlugPerCubicFoot;
        case Quantity::Pressure:
            return air_state(host).air.pressure / kPoundPerSquareFoot;
        case Quantity::Temperature:
            return air_state(host).air.temperature * kRankinePerKelvin;
    }
    return 0.0;
}

Point host_point(const Host& host, double t) {
    Point p;
    p.t = t;
    for (int i = 0; i < kQuantityCount; ++i)
        p.value[i] = quantity_value(host, static_cast<Quantity>(i));
    return p;
}

Verify_Paths default_verify_paths() {
    return Verify_Paths{QFM_RIG_DATA_DIR, QFM_RIG_VEHICLE_DIR, QFM_RIG_STANDIN_PATH};
}

int Table::column(const std::string& name) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == name) return static_cast<int>(i);
    }
    return -1;
}

bool read_table(const std::string& path, Table& out, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    Table t;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream cells(line);
        std::string cell;
        if (t.columns.empty()) {
            while (std::getline(cells, cell, ',')) t.columns.push_back(cell);
            continue;
        }
        std::vector<double> row;
        while (std::getline(cells, cell, ',')) {
            char* end = nullptr;
            const double v = std::strtod(cell.c_str(), &end);
            if (cell.empty() || *end != '\0' || !std::isfinite(v)) {
                error =
                    path + ": line " + std::to_string(number) + ": not a number: '" + cell + "'";
                return false;
            }
            row.push_back(v);
        }
        if (row.size() != t.columns.size()) {
            error = path + ": line " + std::to_string(number) + ": " + std::to_string(row.size()) +
                    " values for " + std::to_string(t.columns.size()) + " columns";
            return false;
        }
        t.rows.push_back(row);
    }
    if (t.columns.empty()) {
        error = path + ": no header";
        return false;
    }
    out = t;
    return true;
}

std::vector<Point> table_points(const Table& t) {
    int index[kQuantityCount];
    for (int i = 0; i < kQuantityCount; ++i) index[i] = t.column(kReferenceColumns[i]);
    const int time = t.column("time");
    std::vector<Point> points;
    if (time < 0) return points;
    for (const std::vector<double>& row : t.rows) {
        Point p;
        p.t = row[time];
        for (int i = 0; i < kQuantityCount; ++i) {
            if (index[i] >= 0) p.value[i] = row[index[i]];
        }
        points.push_back(p);
    }
    return points;
}

Check_Result compare(const Check& check, const Table& reference, const std::vector<Point>& flown) {
    Check_Result r;
    r.check = &check;
    std::map<long, const Point*> by_time;
    for (const Point& p : flown) by_time[time_key(p.t)] = &p;
    const std::vector<Point> expected = table_points(reference);
    bool all_columns = true;
    for (Quantity q : check.quantities) all_columns &= reference.column(quantity_column(q)) >= 0;
    int compared = 0;
    for (const Point& e : expected) {
        const auto found = by_time.find(time_key(e.t));
        if (found == by_time.end()) continue;
        ++compared;
        for (Quantity q : check.quantities) {
            const int i = static_cast<int>(q);
            const double d = difference(q, found->second->value[i], e.value[i], check.relative);
            if (d > r.max_error) {
                r.max_error = d;
                r.at_time = e.t;
            }
        }
    }
    r.passed = all_columns && compared > 0 && r.max_error <= check.tolerance;
    return r;
}

bool Case_Result::passed() const {
    if (!error.empty() || checks.empty()) return false;
    for (const Check_Result& c : checks) {
        if (!c.passed) return false;
    }
    return true;
}

const Check_Result* Case_Result::worst() const {
    // Failed checks first, then the largest share of the tolerance.
    const Check_Result* worst = nullptr;
    for (const Check_Result& c : checks) {
        if (!worst || (!c.passed && worst->passed) ||
            (c.passed == worst->passed &&
             c.max_error / c.check->tolerance > worst->max_error / worst->check->tolerance)) {
            worst = &c;
        }
    }
    return worst;
}

Case_Result fly_case(const Verify_Case& c, const Verify_Paths& paths) {
    Case_Result result;
    result.verify_case = &c;
    Table reference;
    if (!read_table(paths.data + "/" + c.reference, reference, result.error)) return result;
    if (reference.column("time") < 0) {
        result.error = c.reference + ": no time column";
        return result;
    }
    Model_Api api;
    if (!load_model({paths.standin, paths.vehicles + "/" + c.vehicle}, api, result.error)) {
        return result;
    }

    // Frames that end on a reference time.
    std::map<long, bool> wanted;
    for (const std::vector<double>& row : reference.rows) {
        const double t = row[reference.column("time")];
        const long frame = std::lround(t / c.dt);
        if (std::fabs(static_cast<double>(frame) * c.dt - t) < kTimeMatch) wanted[frame] = true;
    }
    std::vector<Point> flown;
    {
        Trap_Scope traps;
        Host host;
        host_init(host, api);
        host.dt = c.dt;
        host.substeps = c.substeps;
        c.setup(host);
        const long frames = std::lround(c.end / c.dt);
        if (wanted.count(0)) flown.push_back(host_point(host, 0.0));
        for (long n = 1; n <= frames; ++n) {
            host_frame(host);
            if (wanted.count(n)) flown.push_back(host_point(host, static_cast<double>(n) * c.dt));
        }
    }

    Table second;
    const bool have_second =
        !c.reference2.empty() && read_table(paths.data + "/" + c.reference2, second, result.error);
    result.error.clear();
    for (const Check& check : c.checks) {
        Check_Result r = compare(check, reference, flown);
        if (have_second) r.tool_spread = compare(check, reference, table_points(second)).max_error;
        result.checks.push_back(r);
    }
    return result;
}

Case_Result run_case(const Verify_Case& c, const Verify_Paths& paths) {
    return c.run ? c.run(c, paths) : fly_case(c, paths);
}

}  // namespace rig
