#include "flight/verify.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "host/fp_traps.h"
#include "host/model_api.h"

namespace rig {
namespace {

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
    "latitude_deg",
    "longitude_deg",
};

// WGS-84, for the references' latitude and longitude as distances.
constexpr double kEquatorRadius = 6378137.0;  // m
constexpr double kEccentricity2 = 6.69437999014e-3;

bool is_angle(Quantity q) {
    return q == Quantity::Yaw || q == Quantity::Pitch || q == Quantity::Roll;
}

double error(Quantity q, double rig, double reference, bool relative) {
    if (relative) return std::fabs(rig / reference - 1.0);
    double d = rig - reference;
    if (is_angle(q)) d = std::remainder(d, 360.0);
    return std::fabs(d);
}

bool has_columns(const Check& check, const Table& reference) {
    bool all = true;
    for (Quantity q : check.quantities) all &= reference.column(quantity_column(q)) >= 0;
    return all;
}

long time_key(double t) { return std::lround(t / kTimeMatch); }

// Latitude and longitude (deg) at a height (ft) as distances (ft) north of the
// equator and east of the prime meridian, along the ellipsoid's meridian and
// parallel radii raised by the height; the tools' ground speeds integrate to
// these to 0.03 ft over the 30 s drops.
void latitude_longitude_to_feet(double& north, double& east, double height) {
    const double latitude = north / kDegPerRad, longitude = east / kDegPerRad;
    const double s2 = std::sin(latitude) * std::sin(latitude);
    const double w = std::sqrt(1.0 - kEccentricity2 * s2);
    const double meridian = kEquatorRadius * (1.0 - kEccentricity2) / (w * w * w);
    const double prime = kEquatorRadius / w;
    const double h = height * kFoot;
    north = latitude * (meridian + h) / kFoot;
    east = longitude * (prime + h) * std::cos(latitude) / kFoot;
}

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
        case Quantity::North:
            return b.position.x / kFoot;
        case Quantity::East:
            return b.position.z / kFoot;
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
    return Verify_Paths{
        build_or_installed_path(QFM_RIG_DATA_DIR, "share/quillon-fm/check-cases"),
        build_or_installed_path(QFM_RIG_VEHICLE_DIR, "lib/quillon-fm/check_vehicles"),
        default_library_paths().standin};
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
        latitude_longitude_to_feet(p.value[static_cast<int>(Quantity::North)],
                                   p.value[static_cast<int>(Quantity::East)],
                                   p.value[static_cast<int>(Quantity::Altitude)]);
        points.push_back(p);
    }
    return points;
}

Check_Result compare(const Check& check, const Table& reference, const std::vector<Point>& flown) {
    Check_Result r = compare(check, table_points(reference), flown);
    r.passed &= has_columns(check, reference);
    return r;
}

std::vector<Point> difference(const std::vector<Point>& a, const std::vector<Point>& b) {
    std::map<long, const Point*> by_time;
    for (const Point& p : b) by_time[time_key(p.t)] = &p;
    std::vector<Point> out;
    for (const Point& p : a) {
        const auto found = by_time.find(time_key(p.t));
        if (found == by_time.end()) continue;
        Point d = p;
        for (int i = 0; i < kQuantityCount; ++i) d.value[i] -= found->second->value[i];
        out.push_back(d);
    }
    return out;
}

Check_Result compare(const Check& check, const std::vector<Point>& expected,
                     const std::vector<Point>& flown) {
    Check_Result r;
    r.check = &check;
    std::map<long, const Point*> by_time;
    for (const Point& p : flown) by_time[time_key(p.t)] = &p;
    int compared = 0;
    for (const Point& e : expected) {
        const auto found = by_time.find(time_key(e.t));
        if (found == by_time.end()) continue;
        ++compared;
        for (Quantity q : check.quantities) {
            const int i = static_cast<int>(q);
            const double d = error(q, found->second->value[i], e.value[i], check.relative);
            if (d > r.max_error) {
                r.max_error = d;
                r.at_time = e.t;
            }
        }
    }
    r.passed = compared > 0 && r.max_error <= check.tolerance;
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

namespace {

// A case flown: its references and the rig's points at their times.
struct Flight {
    Table reference;
    Table second;  // the second tool's; no rows when the case has none
    std::vector<Point> flown;
};

bool fly(const Verify_Case& c, const Verify_Paths& paths, Flight& f, std::string& error) {
    if (!read_table(paths.data + "/" + c.reference, f.reference, error)) return false;
    const int time = f.reference.column("time");
    if (time < 0) {
        error = c.reference + ": no time column";
        return false;
    }
    Model_Api api;
    if (!load_model({paths.standin, paths.vehicles + "/" + c.vehicle}, api, error)) return false;

    // Frames that end on a reference time.
    std::map<long, bool> wanted;
    for (const std::vector<double>& row : f.reference.rows) {
        const long frame = std::lround(row[time] / c.dt);
        if (std::fabs(static_cast<double>(frame) * c.dt - row[time]) < kTimeMatch) {
            wanted[frame] = true;
        }
    }
    {
        Trap_Scope traps;
        Host host;
        host_init(host, api);
        host.dt = c.dt;
        host.substeps = c.substeps;
        c.setup(host);
        const long frames = std::lround(c.end / c.dt);
        if (wanted.count(0)) f.flown.push_back(host_point(host, 0.0));
        for (long n = 1; n <= frames; ++n) {
            host_frame(host);
            if (wanted.count(n)) {
                f.flown.push_back(host_point(host, static_cast<double>(n) * c.dt));
            }
        }
    }
    std::string unread;  // without the second tool there is no spread, nothing worse
    if (!c.reference2.empty()) read_table(paths.data + "/" + c.reference2, f.second, unread);
    return true;
}

}  // namespace

Case_Result fly_case(const Verify_Case& c, const Verify_Paths& paths) {
    Case_Result result;
    result.verify_case = &c;
    Flight f;
    if (!fly(c, paths, f, result.error)) return result;

    Flight base;
    bool differential = false;
    for (const Check& check : c.checks) differential |= check.differential;
    if (differential) {
        const Verify_Case* listed = nullptr;
        for (const Verify_Case& b : verify_cases()) {
            if (b.id == c.baseline && !b.run) listed = &b;
        }
        if (!listed) {
            result.error = "no flown case '" + c.baseline + "' to subtract";
            return result;
        }
        Verify_Case b = *listed;
        b.dt = c.dt;
        b.substeps = c.substeps;
        if (!fly(b, paths, base, result.error)) return result;
    }

    const bool have_second = !f.second.rows.empty();
    for (const Check& check : c.checks) {
        Check_Result r;
        if (!check.differential) {
            r = compare(check, f.reference, f.flown);
            if (have_second) {
                r.tool_spread = compare(check, f.reference, table_points(f.second)).max_error;
            }
        } else {
            const std::vector<Point> expected =
                difference(table_points(f.reference), table_points(base.reference));
            r = compare(check, expected, difference(f.flown, base.flown));
            r.passed &= has_columns(check, f.reference) && has_columns(check, base.reference);
            if (have_second && !base.second.rows.empty()) {
                const std::vector<Point> second =
                    difference(table_points(f.second), table_points(base.second));
                r.tool_spread = compare(check, expected, second).max_error;
            }
        }
        result.checks.push_back(r);
    }
    return result;
}

Case_Result run_case(const Verify_Case& c, const Verify_Paths& paths) {
    return c.run ? c.run(c, paths) : fly_case(c, paths);
}

}  // namespace rig
