// quillon-rig derivatives: stability and control derivatives about a trim,
// dimensional and non-dimensional, with wrong signs flagged and the
// departure criteria; sweeps over speed, angle of attack or Mach.
#include <cmath>
#include <cstdio>
#include <memory>

#include "analysis/linear.h"
#include "cli/cli.h"

namespace rig::cli {
namespace {

struct Derivatives_Command : Sweep_Options {
    Reference_Geometry geometry;
};

const char* const kLoadNames[kLoads] = {"X (N)", "Y (N)", "Z (N)", "L (N m)", "M (N m)", "N (N m)"};
const char* const kVarUnits[kLoadVars] = {"m/s",   "rad",  "rad",  "rad/s", "rad/s",
                                          "rad/s", "axis", "axis", "axis",  "fraction"};
const char* const kNondimVars[kLoadVars] = {"u/V",   "alpha", "beta", "pb/2V",  "qc/2V",
                                            "rb/2V", "pitch", "roll", "rudder", "throttle"};

struct Point_Result {
    Trim_Result trim;
    Linear_Model model;
    Coefficient_Derivatives c;
    std::vector<Sign_Flag> flags;
};

void print_point(const Point_Result& p, double altitude) {
    const Trim_Result& t = p.trim;
    std::printf(
        "derivatives at %.1f kcas, %.0f m (Mach %.3f, alpha %.2f deg, n %.3f g, qbar %.0f Pa): "
        "%s\n",
        t.kcas, altitude, t.mach, t.alpha, t.load_factor, p.model.dynamic_pressure,
        p.model.bare ? "bare airframe" : "control laws active");
    std::printf("  dimensional, body axes (X fwd, Y right, Z down), per unit of the column\n  %-9s",
                "");
    for (int j = 0; j < kLoadVars; ++j) std::printf(" %11s", kLoadVarNames[j]);
    std::printf("\n  %-9s", "");
    for (int j = 0; j < kLoadVars; ++j) std::printf(" %11s", kVarUnits[j]);
    std::printf("\n");
    for (int i = 0; i < kLoads; ++i) {
        std::printf("  %-9s", kLoadNames[i]);
        for (int j = 0; j < kLoadVars; ++j) std::printf(" %11.4g", p.model.dloads[i][j]);
        std::printf("\n");
    }
    std::printf("  non-dimensional (CL, CD, CY stability axes; Cl, Cm, Cn body axes)\n  %-9s", "");
    for (int j = 0; j < kLoadVars; ++j) std::printf(" %11s", kNondimVars[j]);
    std::printf("\n");
    for (int i = 0; i < kLoads; ++i) {
        std::printf("  %-9s", kCoefficientNames[i]);
        for (int j = 0; j < kLoadVars; ++j) std::printf(" %11.4g", p.c.d[i][j]);
        std::printf("\n");
    }
    std::printf("  Cn_beta,dynamic %.4g /rad%s   LCDP %.4g /rad%s\n", p.c.cn_beta_dynamic,
                p.c.cn_beta_dynamic < 0.0 ? " (NEGATIVE: departure-prone)" : "", p.c.lcdp,
                p.c.lcdp < 0.0 ? " (NEGATIVE: roll reversal)" : "");
    for (const Sign_Flag& f : p.flags)
        std::printf("  WRONG SIGN: %s = %.4g, expected %s\n", f.name.c_str(), f.value, f.expected);
}

nlohmann::json point_json(const Point_Result& p) {
    nlohmann::json j;
    j["trim"] = trim_json(p.trim);
    j["alpha_deg"] = p.trim.alpha;
    j["mach"] = p.trim.mach;
    j["bare"] = p.model.bare;
    j["dynamic_pressure"] = p.model.dynamic_pressure;
    nlohmann::json dim, non;
    for (int i = 0; i < kLoads; ++i) {
        for (int k = 0; k < kLoadVars; ++k) {
            dim[kLoadNames[i]][kLoadVarNames[k]] = p.model.dloads[i][k];
            non[kCoefficientNames[i]][kNondimVars[k]] = p.c.d[i][k];
        }
    }
    j["dimensional"] = dim;
    j["nondimensional"] = non;
    j["cn_beta_dynamic"] = p.c.cn_beta_dynamic;
    j["lcdp"] = p.c.lcdp;
    nlohmann::json flags = nlohmann::json::array();
    for (const Sign_Flag& f : p.flags)
        flags.push_back({{"name", f.name}, {"value", f.value}, {"expected", f.expected}});
    j["wrong_signs"] = flags;
    return j;
}

int run_derivatives(const Global_Options& g, const Derivatives_Command& a) {
    Linear_Request lr;
    lr.bare = a.bare;
    lr.geometry = a.geometry;
    std::vector<nlohmann::json> out;
    const bool table = any_sweep(a) && !a.json;
    if (table) {
        std::printf("%7s %6s %7s %6s %9s %9s %9s %9s %9s %9s %9s %9s\n", "kcas", "Mach", "alpha",
                    "n", "Cm_alpha", "Cn_beta", "Cl_beta", "Cl_p", "Cm_q", "Cn_r", "Cnb_dyn",
                    "LCDP");
    }
    Trim_Result failed;
    std::vector<nlohmann::json> not_trimmed;
    const int status = for_each_trim(
        g, a,
        [&](Host& host, const Trim_Result& t) {
            Point_Result p;
            p.trim = t;
            p.model = linearise(host, t, lr);
            p.c = coefficients(p.model);
            p.flags = wrong_signs(p.c);
            if (table) {
                const auto& d = p.c.d;
                std::printf(
                    "%7.1f %6.3f %7.2f %6.3f %9.4g %9.4g %9.4g %9.4g %9.4g %9.4g %9.4g %9.4g\n",
                    t.kcas, t.mach, t.alpha, t.load_factor, d[C_PITCH][V_ALPHA], d[C_YAW][V_BETA],
                    d[C_ROLL][V_BETA], d[C_ROLL][V_P], d[C_PITCH][V_Q], d[C_YAW][V_R],
                    p.c.cn_beta_dynamic, p.c.lcdp);
            } else if (!a.json) {
                print_point(p, a.trim.altitude);
            }
            if (a.json) out.push_back(point_json(p));
        },
        failed, &not_trimmed);
    print_outcome(a, status, failed, out, not_trimmed);
    return status;
}

}  // namespace

void add_derivatives_command(CLI::App& app, const Global_Options& g, int& status) {
    auto a = std::make_shared<Derivatives_Command>();
    CLI::App* cmd = app.add_subcommand(
        "derivatives",
        "Stability and control derivatives about a trim (central differences of the settled "
        "model in u, alpha, beta, p, q, r and the four pilot axes), dimensional and "
        "non-dimensional, wrong signs flagged, Cn_beta,dynamic and LCDP. With --sweep, a table "
        "over speed (alpha and Mach together); with --sweep-alpha over angle of attack at one "
        "speed, with --sweep-mach over Mach at one angle of attack (--alpha).");
    add_sweep_options(cmd, *a);
    cmd->add_option("--area", a->geometry.area, "reference area, m^2")->capture_default_str();
    cmd->add_option("--span", a->geometry.span, "reference span, m")->capture_default_str();
    cmd->add_option("--chord", a->geometry.chord, "reference chord, m")->capture_default_str();
    cmd->callback([&g, &status, a] { status = run_derivatives(g, *a); });
}

}  // namespace rig::cli
