// The check cases the rig flies, from NASA/TM-2015-218675 (Murri, Jackson,
// Shelton, "Check-Cases for Verification of 6-Degree-of-Freedom Flight
// Vehicle Simulations", 2015), and the 1976 standard atmosphere's table
// points. tests/data/README.md gives the data's origin; docs/verification.md
// explains every tolerance.
//
// The cases start at 30000 ft over the equator on a rotating round Earth; the
// rig's Earth is flat and does not rotate. The rig flies them with WGS-84
// normal gravity at latitude 0 (which includes the centrifugal relief: 9.752
// m/s^2 at 30000 ft) and geometric altitude in the 1976 atmosphere.
#include <cmath>
#include <string>

#include "analysis/trim.h"
#include "flight/verify.h"

namespace rig {
namespace {

constexpr double kSlugFoot2 = kSlug * kFoot * kFoot;  // kg m^2
constexpr double kStartAltitude = 30000.0 * kFoot;    // m
constexpr double kDegree = 1.0 / kDegPerRad;          // rad

// The tumbling brick (brick_inertia.dml). Body y of the tools is the rig's
// z and their z the rig's -y: their Iyy is the rig's Izz and Izz the rig's Iyy.
Mass_Properties brick() {
    Mass_Properties m;
    m.mass = 0.155404754 * kSlug;
    m.inertia = {0.00189422 * kSlugFoot2, 0.007194665 * kSlugFoot2, 0.006211019 * kSlugFoot2};
    return m;
}

// The sphere (cannonball_inertia.dml): 1 slug, 3.6 slug ft^2 about every axis.
Mass_Properties sphere() {
    Mass_Properties m;
    m.mass = 1.0 * kSlug;
    m.inertia = {3.6 * kSlugFoot2, 3.6 * kSlugFoot2, 3.6 * kSlugFoot2};
    return m;
}

// At rest relative to the ground at 30000 ft over the equator, level,
// heading north.
void drop(Host& host, const Mass_Properties& m) {
    host.mass_properties = m;
    host.env.gravity_model = Gravity_Model::Latitude;
    host.env.latitude = 0.0;
    host.body.position = {0.0, kStartAltitude, 0.0};
    host.body.attitude = Quat{};
}

// Initial body rates p, q, r = 10, 20, 30 deg/s (roll right, pitch up, yaw
// right): the rig's omega is (p, -r, q).
void tumble(Host& host) {
    drop(host, brick());
    host.body.omega = {10.0 * kDegree, -30.0 * kDegree, 20.0 * kDegree};
}

void setup_sphere(Host& host) { drop(host, sphere()); }
void setup_steady_wind(Host& host) {
    drop(host, sphere());
    host.env.wind_world = {0.0, 0.0, 20.0 * kFoot};  // toward the east
}
void setup_wind_shear(Host& host) {
    drop(host, sphere());
    // Toward the east, -20 ft/s at sea level to +70 ft/s at 30000 ft.
    host.env.wind_profile = {{0.0, {0.0, 0.0, -20.0 * kFoot}},
                             {kStartAltitude, {0.0, 0.0, 70.0 * kFoot}}};
}

const std::vector<Quantity> kRates{Quantity::P, Quantity::Q, Quantity::R};
const std::vector<Quantity> kAngles{Quantity::Yaw, Quantity::Pitch, Quantity::Roll};
const std::vector<Quantity> kAltitude{Quantity::Altitude};
const std::vector<Quantity> kVertical{Quantity::V_Down};
const std::vector<Quantity> kHorizontal{Quantity::V_North, Quantity::V_East};
const std::vector<Quantity> kGroundTrack{Quantity::North, Quantity::East};
const std::vector<Quantity> kAir{Quantity::Density, Quantity::Pressure, Quantity::Temperature};

// The Earth turns 7.292115e-5 rad/s x 30 s = 0.1253 deg under the local
// north-east-down frame in which the tools give their Euler angles.
const char* const kEarthTurn = "the tools' local frame turns with the Earth, 0.1253 deg in 30 s";
// A fall from rest at the equator drifts east by the Coriolis acceleration
// 2 omega v_down: omega g t^2 = 2.1 ft/s after 30 s.
const char* const kCoriolis =
    "Coriolis drift east of a fall at the equator, omega g t^2 = 2.10 ft/s";

// Case 11: the F-16 (check_f16.so, F16_inertia.dml) trimmed level at
// 10,013 ft and 565.685 ft/s true airspeed, heading 45 deg, over latitude
// 36.0192 deg, then flown 180 s with the controls held.
constexpr double kF16Altitude = 10013.0 * kFoot;  // m
constexpr double kF16Airspeed = 565.685 * kFoot;  // m/s
constexpr double kF16Heading = 45.0;              // deg
constexpr double kF16Latitude = 36.0191666667;    // deg
constexpr double kEarthRate = 7.292115e-5;        // rad/s
constexpr double kEarthRadius = 6371008.8;        // m, mean

Mass_Properties f16() {
    Mass_Properties m;
    m.mass = 637.1595 * kSlug;
    // The tools' Ixx (roll), Izz (yaw) and Iyy (pitch); Ixz = 982 slug ft^2.
    m.inertia = {9496.0 * kSlugFoot2, 63100.0 * kSlugFoot2, 55814.0 * kSlugFoot2};
    m.products = {-982.0 * kSlugFoot2, 0.0, 0.0};
    return m;
}

// The tools fly over a rotating round Earth, where level flight needs less
// lift than the weight: normal gravity (which already includes the Earth's
// centrifugal relief) less the Coriolis relief of the eastward speed,
// 2 omega v_east cos(latitude), and the centripetal acceleration of
// following the curved surface, v^2 / R. On the flat Earth the same
// balance is struck by this constant gravity, 0.019 m/s^2 below normal
// gravity there.
double f16_level_gravity() {
    Environment e;
    e.gravity_model = Gravity_Model::Latitude;
    e.latitude = kF16Latitude;
    const double latitude = kF16Latitude * kDegree;
    const double v_east = kF16Airspeed * std::sin(kF16Heading * kDegree);
    return environment_gravity(e, kF16Altitude) - 2.0 * kEarthRate * v_east * std::cos(latitude) -
           kF16Airspeed * kF16Airspeed / (kEarthRadius + kF16Altitude);
}

// Trims with the rig's trim (to 1e-8 of the weight, so that the trim's own
// residual does not drift the 180 s flight), then turns the trimmed state to
// the heading.
void setup_f16_trimmed(Host& host) {
    host.env.gravity = f16_level_gravity();
    Trim_Request q;
    q.tas = kF16Airspeed;
    q.altitude = kF16Altitude;
    q.empty_mass = f16().mass;
    q.fuel = 0.0;
    q.dt = host.dt;
    q.tolerance = 1e-8;
    const Trim_Result r = trim_level_flight(host, q);
    host.mass_properties = f16();
    const double alpha = r.alpha * kDegree;
    const double heading = kF16Heading * kDegree;
    host.body.attitude = from_euler({-heading, alpha, 0.0});
    host.body.velocity = {kF16Airspeed * std::cos(heading), 0.0, kF16Airspeed * std::sin(heading)};
}

Check angles(double tolerance, const char* reason) {
    return {"Euler angles", kAngles, tolerance, "deg", false, reason};
}

// A case of the TM: number as in its file names ("01"), compared with sim 04
// and, for the spread between tools, sim 01.
Verify_Case nasa_case(const std::string& number, const char* title, const char* vehicle,
                      void (*setup)(Host&)) {
    Verify_Case c;
    c.id = std::to_string(std::stoi(number));
    c.title = title;
    c.vehicle = vehicle;
    c.reference = "nasa-check-cases/Atmos_" + number + "_sim_04.csv";
    c.reference2 = "nasa-check-cases/Atmos_" + number + "_sim_01.csv";
    c.setup = setup;
    return c;
}

std::vector<Verify_Case> build_cases() {
    std::vector<Verify_Case> cases;
    Verify_Case c;

    c = Verify_Case{};
    c.id = "atmosphere";
    c.title = "1976 standard atmosphere at its table points, -5 to 81 km geometric";
    c.reference = "us1976/us1976_table_points.csv";
    c.checks = {{"density, pressure, temperature",
                 {},
                 1e-4,
                 "relative",
                 true,
                 "the table prints 6 significant figures"}};
    c.run = [](const Verify_Case& vc, const Verify_Paths& paths) {
        Case_Result r;
        r.verify_case = &vc;
        Table t;
        if (!read_table(paths.data + "/" + vc.reference, t, r.error)) return r;
        const int h = t.column("geometric_altitude_m");
        const int cols[3] = {t.column("density_kg_m3"), t.column("pressure_Pa"),
                             t.column("temperature_K")};
        Check_Result cr;
        cr.check = &vc.checks[0];
        if (h < 0 || cols[0] < 0 || cols[1] < 0 || cols[2] < 0) {
            r.error = vc.reference + ": missing columns";
            return r;
        }
        for (const std::vector<double>& row : t.rows) {
            const Air air = isa(row[h]);
            const double rig[3] = {air.density, air.pressure, air.temperature};
            for (int i = 0; i < 3; ++i) {
                const double e = std::fabs(rig[i] / row[cols[i]] - 1.0);
                if (e > cr.max_error) {
                    cr.max_error = e;
                    cr.at_time = row[h];
                }
            }
        }
        cr.passed = !t.rows.empty() && cr.max_error <= cr.check->tolerance;
        r.checks.push_back(cr);
        return r;
    };
    cases.push_back(c);

    // No aerodynamics: the shape does not matter.
    c = nasa_case("01", "dragless sphere dropped from 30000 ft", "check_brick.so", setup_sphere);
    c.checks = {
        {"altitude", kAltitude, 0.2, "ft", false,
         "flat Earth: no Coriolis lift of the east drift (omega^2 g t^4 / 6 = 0.023 ft), normal "
         "gravity for the tools' J2 field"},
        {"vertical speed", kVertical, 0.02, "ft/s", false, "as the altitude"},
        {"horizontal speed", kHorizontal, 2.2, "ft/s", false, kCoriolis},
        angles(0.13, kEarthTurn),
    };
    cases.push_back(c);

    c = nasa_case("02", "tumbling brick, no damping: torque-free rotation", "check_brick.so",
                  tumble);
    c.checks = {
        {"body rates", kRates, 1e-6, "deg/s", false,
         "inertial rates do not depend on the Earth model; the tools agree to 1e-10"},
        angles(0.13, kEarthTurn),
    };
    cases.push_back(c);

    c = nasa_case("03", "tumbling brick with rate damping", "check_damped_brick.so", tumble);
    c.checks = {
        {"body rates", kRates, 0.03, "deg/s", false,
         "the damping moment is held over the 10 ms frame: 0.017 deg/s (0.0015 at ten model "
         "calls per frame); the two tools differ by 0.074"},
        angles(0.2, "the Earth's turn (0.1253 deg) and the held moment"),
    };
    cases.push_back(c);

    const std::vector<Check> drag_checks = {
        {"altitude", kAltitude, 1.0, "ft", false,
         "the tools differ by 0.28 ft; the drag held over the 10 ms frame adds 0.4 ft (0.12 ft "
         "at ten model calls per frame)"},
        {"vertical speed", kVertical, 0.1, "ft/s", false,
         "the tools differ by 0.042 ft/s; the held drag adds 0.04"},
        {"horizontal speed", kHorizontal, 2.2, "ft/s", false, kCoriolis},
        {"air data", kAir, 1e-4, "relative", true,
         "1976 atmosphere at the geometric altitude flown; the tools' own altitudes differ"},
    };
    c = nasa_case("06", "sphere with drag dropped from 30000 ft, calm", "check_sphere.so",
                  setup_sphere);
    c.checks = drag_checks;
    cases.push_back(c);
    // The winds' own effect: the calm drop subtracted from the windy one, in
    // the rig and in each tool, cancels the Coriolis drift both share (to
    // first order: the drag is linear in the east air speed).
    std::vector<Check> wind_checks = drag_checks;
    wind_checks.push_back(
        {"wind's effect: north, east speed", kHorizontal, 0.01, "ft/s", false,
         "the tools differ by up to 0.0054 ft/s; the drag held over the 10 ms frame adds up to "
         "0.0012 (the wind adds 2.87 ft/s east at 30 s in case 7, 6.89 in case 8)",
         true});
    wind_checks.push_back(
        {"wind's effect: north, east position", kGroundTrack, 0.1, "ft", false,
         "the tools differ by up to 0.054 ft; their longitude read as distance differs from "
         "their integrated ground speed by 0.022 ft, the held drag 0.025 ft (the wind carries "
         "the sphere 27.5 ft east in case 7, 80.5 ft in case 8)",
         true});
    c = nasa_case("07", "sphere with drag in a steady 20 ft/s east wind", "check_sphere.so",
                  setup_steady_wind);
    c.baseline = "6";
    c.checks = wind_checks;
    cases.push_back(c);
    c = nasa_case("08",
                  "sphere with drag in an east wind shear, -20 ft/s at sea level to 70 ft/s at "
                  "30000 ft",
                  "check_sphere.so", setup_wind_shear);
    c.baseline = "6";
    c.checks = wind_checks;
    cases.push_back(c);

    const std::vector<Quantity> kHeading{Quantity::Yaw};
    const std::vector<Quantity> kPitch{Quantity::Pitch};
    const std::vector<Quantity> kRoll{Quantity::Roll};
    c = Verify_Case{};
    c.id = "11";
    c.title = "F-16 trimmed level at 10013 ft, 565.685 ft/s, flown 180 s with the controls held";
    c.vehicle = "check_f16.so";
    c.reference = "nasa-check-cases/F16/Atmos_11_sim_04_1s.csv";
    c.end = 180.0;
    c.setup = setup_f16_trimmed;
    c.checks = {
        {"altitude", kAltitude, 0.2, "ft", false,
         "the rig holds its height (trim to 1e-8 of the weight: 0.001 ft in 180 s); the tool's "
         "Coriolis relief changes as its heading turns (2 omega cos(lat) dv_east = 4.3e-4 "
         "ft/s^2), a phugoid of 4.3e-4 / omega_ph^2 = 0.07 ft"},
        {"vertical speed", kVertical, 0.01, "ft/s", false,
         "that phugoid: 4.3e-4 / omega_ph = 0.005 ft/s"},
        {"horizontal speed", kHorizontal, 4.2, "ft/s", false,
         "the tool's heading turns 0.59 deg (below): 565.685 ft/s x 0.0102 rad x cos 45 deg = "
         "4.09 ft/s per component"},
        {"heading", kHeading, 0.6, "deg", false,
         "the local north turns under the tool's path, (omega sin(lat) + v_east tan(lat) / R) "
         "t = 0.59 deg in 180 s; the flat Earth's north stays put"},
        {"pitch", kPitch, 0.002, "deg", false,
         "both trimmed for the same lift (the gravity above); the tool's phugoid tilts its "
         "path by up to 0.005 / 565.685 rad = 5e-4 deg"},
        {"roll", kRoll, 0.1, "deg", false,
         "the tool's wings follow the local level frame, which turns at up to omega + V / R = "
         "0.0057 deg/s, with a lag: it reaches 0.073 deg at 180 s; the flat Earth's does not "
         "turn"},
        {"body rates", kRates, 0.006, "deg/s", false,
         "the tool's rates are relative to inertial space and hold the aircraft level over "
         "the turning Earth: up to omega + V / R = 0.0042 + 0.0015 deg/s; the rig's are zero"},
    };
    cases.push_back(c);
    return cases;
}

}  // namespace

const std::vector<Verify_Case>& verify_cases() {
    static const std::vector<Verify_Case> cases = build_cases();
    return cases;
}

}  // namespace rig
