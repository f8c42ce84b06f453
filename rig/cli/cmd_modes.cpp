// quillon-rig modes: the linear model about a trim, its modes and their
// flying-qualities Levels; sweeps over speed, angle of attack or Mach; the
// CAP and Dutch-roll charts.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "analysis/criteria.h"
#include "analysis/linear.h"
#include "cli/cli.h"
#include "report/plots.h"

namespace rig::cli {
namespace {

struct Modes_Command : Sweep_Options {
    std::string charts;
    std::string category = "A";
};

struct Point_Result {
    Trim_Result trim;
    Linear_Model model;
    Modes modes;
    std::vector<Judgement> levels;
};

void print_point(const Point_Result& p, double altitude) {
    const Trim_Result& t = p.trim;
    std::printf(
        "modes at %.1f kcas, %.0f m (Mach %.3f, alpha %.2f deg, beta %.2f deg, n %.3f g): %s\n",
        t.kcas, altitude, t.mach, t.alpha, t.beta, t.load_factor,
        p.model.bare ? "bare airframe, the augmentation's rudder motion held"
                     : "control laws active, as the pilot flies it");
    if (p.model.bare && !p.model.rudder_held)
        std::printf("  (the model answers no rudder trim: nothing could be held)\n");
    std::printf("  %-15s %10s %10s %9s %8s %9s %14s\n", "mode", "real", "imag", "omega_n", "zeta",
                "period", "t_half/t_dbl");
    for (const Mode& d : p.modes.modes) {
        char period[16] = "-", time[24] = "-";
        if (d.oscillatory) std::snprintf(period, sizeof(period), "%.4g s", d.period);
        if (d.time_to_half > 0.0) std::snprintf(time, sizeof(time), "half %.4g s", d.time_to_half);
        if (d.time_to_double > 0.0)
            std::snprintf(time, sizeof(time), "double %.4g s", d.time_to_double);
        std::printf("  %-15s %10.4g %10.4g %9.4g %8.4g %9s %14s\n", d.name.c_str(), d.root.real(),
                    d.root.imag(), d.omega_n, d.zeta, period, time);
    }
    if (p.modes.short_period_real)
        std::printf("  the short period is overdamped: two real roots\n");
    if (const Mode* rs = find_mode(p.modes, "roll_spiral")) {
        std::printf(
            "  the roll and spiral are coupled into one oscillation (roll_spiral), zeta x "
            "omega_n %.4g rad/s\n",
            rs->zeta * rs->omega_n);
    }
    std::printf("  n/alpha %.4g g/rad, CAP %.4g 1/(g s^2)\n", p.modes.n_alpha, p.modes.cap);
    std::printf("  %-28s %10s %5s %3s %3s  %s\n", "criterion (Class IV)", "value", "A", "B", "C",
                "source");
    for (const Judgement& j : p.levels) {
        char lv[3][8];
        for (int c = 0; c < kCategories; ++c) {
            if (j.level[c] == 4) {
                std::snprintf(lv[c], sizeof(lv[c]), ">3");
            } else {
                std::snprintf(lv[c], sizeof(lv[c]), "%d", j.level[c]);
            }
        }
        std::printf("  %-28s %10.4g %5s %3s %3s  %s\n", j.criterion.c_str(), j.value, lv[0], lv[1],
                    lv[2], j.source.c_str());
    }
}

nlohmann::json number(double v) { return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(); }

nlohmann::json point_json(const Point_Result& p) {
    nlohmann::json j;
    j["trim"] = trim_json(p.trim);
    j["alpha_deg"] = p.trim.alpha;
    j["mach"] = p.trim.mach;
    j["bare"] = p.model.bare;
    nlohmann::json modes = nlohmann::json::array();
    for (const Mode& d : p.modes.modes) {
        nlohmann::json m{{"name", d.name},
                         {"real", d.root.real()},
                         {"imag", d.root.imag()},
                         {"omega_n", d.omega_n},
                         {"zeta", d.zeta}};
        if (d.oscillatory) m["period"] = d.period;
        if (d.time_to_half > 0.0) m["time_to_half"] = d.time_to_half;
        if (d.time_to_double > 0.0) m["time_to_double"] = d.time_to_double;
        if (d.name == "dutch_roll") m["phi_over_beta"] = d.phi_over_beta;
        if (d.name == "roll_spiral") m["zeta_omega_n"] = d.zeta * d.omega_n;
        modes.push_back(m);
    }
    j["modes"] = modes;
    j["n_alpha"] = p.modes.n_alpha;
    j["cap"] = p.modes.cap;
    nlohmann::json levels = nlohmann::json::array();
    for (const Judgement& c : p.levels) {
        levels.push_back({{"criterion", c.symbol},
                          {"value", number(c.value)},
                          {"unit", c.unit},
                          {"level", {{"A", c.level[0]}, {"B", c.level[1]}, {"C", c.level[2]}}},
                          {"source", c.source}});
    }
    j["levels"] = levels;
    return j;
}

int run_modes(const Global_Options& g, const Modes_Command& a) {
    Linear_Request lr;
    lr.bare = a.bare;
    std::vector<Point_Result> points;
    std::vector<nlohmann::json> out;
    Trim_Result failed;
    std::vector<nlohmann::json> not_trimmed;
    const int status = for_each_trim(
        g, a,
        [&](Host& host, const Trim_Result& t) {
            Point_Result p;
            p.trim = t;
            p.model = linearise(host, t, lr);
            p.modes = find_modes(p.model);
            p.levels = judge(p.modes);
            if (!a.json) print_point(p, a.trim.altitude);
            if (a.json) out.push_back(point_json(p));
            points.push_back(p);
        },
        failed, &not_trimmed);
    print_outcome(a, status, failed, out, not_trimmed);
    if (points.empty()) return status;
    if (!a.charts.empty()) {
        const Category cat = a.category == "B" ? CAT_B : (a.category == "C" ? CAT_C : CAT_A);
        std::vector<Handling_Point> cap, dr;
        for (const Point_Result& p : points) {
            char label[16];
            // The swept quantity: kcas, alpha (deg) or Mach.
            if (!a.sweep_alpha.empty()) {
                std::snprintf(label, sizeof(label), "a%.1f", p.trim.alpha);
            } else if (!a.sweep_mach.empty()) {
                std::snprintf(label, sizeof(label), "M%.2f", p.trim.mach);
            } else {
                std::snprintf(label, sizeof(label), "%.0f", p.trim.kcas);
            }
            if (p.modes.cap > 0.0)
                cap.push_back({label, p.modes.n_alpha, std::sqrt(p.modes.cap * p.modes.n_alpha)});
            if (const Mode* d = find_mode(p.modes, "dutch_roll"); d && d->oscillatory)
                dr.push_back({label, d->zeta, d->omega_n});
        }
        mkdir(a.charts.c_str(), 0755);  // an existing folder is fine
        const std::string cap_path = a.charts + "/cap.svg", dr_path = a.charts + "/dutch_roll.svg";
        if (!write_cap_chart(cap_path, cat, cap) || !write_dutch_roll_chart(dr_path, cat, dr)) {
            std::fprintf(stderr, "quillon-rig modes: cannot write the charts in %s\n",
                         a.charts.c_str());
            return EXIT_USAGE;
        }
        std::fprintf(stderr, "charts: %s, %s\n", cap_path.c_str(), dr_path.c_str());
    }
    return status;
}

}  // namespace

void add_modes_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Modes_Command>();
    CLI::App* cmd = app.add_subcommand(
        "modes",
        "Linear model about a trim (u, alpha, q, theta, h, beta, p, r, phi; the four pilot "
        "axes), its eigenvalues named as modes with frequency, damping, period, time to half or "
        "double, CAP, and the MIL-F-8785C Class IV Levels in Categories A, B and C. Exit status 1 "
        "when a point does not trim.");
    add_sweep_options(cmd, *a);
    cmd->add_option("--charts", a->charts, "write cap.svg and dutch_roll.svg into this folder");
    cmd->add_option("--category", a->category, "flight-phase Category of the charts")
        ->check(CLI::IsMember({"A", "B", "C"}))
        ->capture_default_str();
    cmd->callback([&g, &status, a] { status = run_modes(g, *a); });
}

}  // namespace rig::cli
