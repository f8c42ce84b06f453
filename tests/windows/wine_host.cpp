// A Windows host for QuillonFM.dll, run under Wine by tools/check_windows.sh.
//
// It does what the flight simulator does: the cockpit library CockpitBase.dll
// is already in the process when the flight model is loaded, every export is
// found with GetProcAddress, and the model is driven only through them. It
// checks what can differ between the Windows and the Linux builds: the load
// (static initialisers run inside the loader), the export table, the data
// export G_Params, the binding to the cockpit library by module name, the
// layout of the event record, unload and a second load, and a load without
// the cockpit library. Flight behaviour is left to the Linux tests; here the
// only demand on a frame's output is that it is finite.
//
// Usage: wine_host.exe [folder holding QuillonFM.dll and CockpitBase.dll]
// (default: the folder of the executable). One line per check, then the
// summary "N passed, M failed"; the exit code is 0 only when nothing failed.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "cockpit_standin.h"
#include "quillon_fm.h"

// The record layouts the host relies on must come out the same under MinGW.
static_assert(offsetof(Qfm_Simulation_Event, event_params) == 516, "event parameters at 516");
static_assert(sizeof(Qfm_Simulation_Event) == 528, "event record of 528 bytes");
static_assert(sizeof(Global_Params) == 17 * sizeof(double), "G_Params is 17 doubles");
static_assert(offsetof(Global_Params, gear_leg_position) == 12 * sizeof(double),
              "gear leg positions follow the host event state");

namespace {

constexpr char kModelDll[] = "QuillonFM.dll";
constexpr char kCockpitDll[] = "CockpitBase.dll";

// Handle requests made while the model loads, in the order of its static
// initialisers.
constexpr const char* kHandleOrder[] = {
    QFM_COCKPIT_PARAM_ESS_BUS, QFM_COCKPIT_PARAM_GEN_BUS,    QFM_COCKPIT_PARAM_GTS_RPM,
    QFM_COCKPIT_PARAM_EGT,     QFM_COCKPIT_PARAM_TAT,        QFM_COCKPIT_PARAM_ENGINE_TEST,
    QFM_COCKPIT_PARAM_N1_RPM,  QFM_COCKPIT_PARAM_PITOT_ICED, QFM_COCKPIT_PARAM_CCIP,
    QFM_COCKPIT_PARAM_VV_VERT, QFM_COCKPIT_PARAM_VV_HORZ,    QFM_COCKPIT_PARAM_TEST,
    QFM_COCKPIT_PARAM_WIND_X,  QFM_COCKPIT_PARAM_WIND_Y};
constexpr int kHandleCount = static_cast<int>(sizeof(kHandleOrder) / sizeof(kHandleOrder[0]));

// Parameters that the host-interface part of the model writes every frame.
constexpr const char* kPerFrameParameters[] = {QFM_COCKPIT_PARAM_PITOT_ICED, QFM_COCKPIT_PARAM_CCIP,
                                               QFM_COCKPIT_PARAM_VV_VERT,
                                               QFM_COCKPIT_PARAM_VV_HORZ};

// A force component drain that does not end within this many calls is stuck.
constexpr int kMaxComponentsPerFrame = 64;

struct Report {
    int passed = 0;
    int failed = 0;
};

bool check(Report& report, bool ok, const char* format, ...) {
    std::printf("%s  ", ok ? "PASS" : "FAIL");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
    ++(ok ? report.passed : report.failed);
    return ok;
}

// GetProcAddress hands out every export as a FARPROC; void (*)() is the
// generic function pointer type that converts to any other without a cast
// warning.
template <typename Fn>
bool resolve(HMODULE module, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return out != nullptr;
}

struct Standin {
    HMODULE module = nullptr;
    decltype(&::standin_parameter_count) parameter_count = nullptr;
    decltype(&::standin_request_count) request_count = nullptr;
    decltype(&::standin_request_name) request_name = nullptr;
    decltype(&::standin_get_number) get_number = nullptr;
    decltype(&::standin_update_count) update_count = nullptr;

    bool resolve_all() {
        return resolve(module, "standin_parameter_count", parameter_count) &&
               resolve(module, "standin_request_count", request_count) &&
               resolve(module, "standin_request_name", request_name) &&
               resolve(module, "standin_get_number", get_number) &&
               resolve(module, "standin_update_count", update_count);
    }
};

struct Model {
    HMODULE module = nullptr;
#define QFM_FN(name) decltype(&::name) name = nullptr;
#include "abi/exports.inc"
#undef QFM_FN
    Global_Params* params = nullptr;

    // Resolves every export and G_Params. With one_line_each, one check line
    // per name; otherwise a single line for the lot. True when all resolved.
    bool resolve_all(Report& report, bool one_line_each, const char* label) {
        int missing = 0;
#define QFM_FN(name)                              \
    if (!resolve(module, #name, name)) ++missing; \
    if (one_line_each) check(report, name != nullptr, "export %s resolved", #name);
#include "abi/exports.inc"
#undef QFM_FN
        params = reinterpret_cast<Global_Params*>(
            reinterpret_cast<void*>(GetProcAddress(module, "G_Params")));
        if (!params) ++missing;
        if (one_line_each) check(report, params != nullptr, "data export G_Params resolved");
        if (!one_line_each) {
            check(report, missing == 0, "%s: every export and G_Params resolved (%d missing)",
                  label, missing);
        }
        return missing == 0;
    }
};

// The state a host pushes before each frame: level flight at 150 m/s, 1000 m
// above flat ground, international standard atmosphere.
struct Flight_Input {
    double vx = 150.0, vy = -2.0, vz = 1.0;  // body axes, m/s
    double alpha = 0.05, beta = 0.01;        // rad
    double yaw = 0.3, pitch = 0.04, roll = -0.02;
    double world_vx = 140.0, world_vy = -1.5, world_vz = 50.0;
    double altitude = 1000.0, surface = 0.0;
    double temperature = 281.65, speed_of_sound = 336.435, density = 1.11164, pressure = 89874.6;
    double wind_x = 3.0, wind_y = 1.0, wind_z = -4.0;  // world axes, m/s
    double mass = 8000.0;
    double cg_x = 0.1, cg_y = -0.05, cg_z = 0.02;
    double ix = 10247.0, iy = 28268.8, iz = 30032.72;
};

void push(const Model& m, const Flight_Input& s) {
    m.ed_fm_set_current_state_body_axis(0, 0, 0, s.vx, s.vy, s.vz, 0, 0, 0, 0, 0, 0, 0.01, 0.0,
                                        0.02, s.yaw, s.pitch, s.roll, s.alpha, s.beta);
    m.ed_fm_set_current_state(0, 0, 0, s.world_vx, s.world_vy, s.world_vz, 0, 0, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 1);
    m.ed_fm_set_current_mass_state(s.mass, s.cg_x, s.cg_y, s.cg_z, s.ix, s.iy, s.iz);
    m.ed_fm_set_atmosphere(s.altitude, s.temperature, s.speed_of_sound, s.density, s.pressure,
                           s.wind_x, s.wind_y, s.wind_z);
    m.ed_fm_set_surface(s.surface, s.surface, 0, 0, 1, 0);
}

bool all_finite(const double* v, int n) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

struct Frame_Outputs {
    int frames = 0;
    int nonfinite_sums = 0;        // frames whose force, point or moment sum was not finite
    int nonfinite_components = 0;  // force components that were not finite
    int stuck_drains = 0;          // frames whose component drain did not end
    int nonfinite_mass = 0;        // frames whose mass report was not finite
    double force[3] = {}, point[3] = {}, moment[3] = {};
};

// Runs one frame as a host does and collects every output.
void run_frame(const Model& m, const Flight_Input& s, double dt, Frame_Outputs& out) {
    push(m, s);
    m.ed_fm_simulate(dt);
    ++out.frames;

    m.ed_fm_add_local_force(&out.force[0], &out.force[1], &out.force[2], &out.point[0],
                            &out.point[1], &out.point[2]);
    m.ed_fm_add_local_moment(&out.moment[0], &out.moment[1], &out.moment[2]);
    if (!all_finite(out.force, 3) || !all_finite(out.point, 3) || !all_finite(out.moment, 3)) {
        ++out.nonfinite_sums;
    }

    int components = 0;
    double c[6];
    while (components < kMaxComponentsPerFrame &&
           m.ed_fm_add_local_force_component(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5])) {
        ++components;
        if (!all_finite(c, 6)) ++out.nonfinite_components;
    }
    if (components == kMaxComponentsPerFrame) ++out.stuck_drains;

    double mass[7] = {};
    m.ed_fm_change_mass(&mass[0], &mass[1], &mass[2], &mass[3], &mass[4], &mass[5], &mass[6]);
    if (!all_finite(mass, 7)) ++out.nonfinite_mass;
}

void report_frames(Report& report, const char* label, const Frame_Outputs& out) {
    check(report, out.nonfinite_sums == 0,
          "%s: force, point and moment sums finite (%d of %d frames not)", label,
          out.nonfinite_sums, out.frames);
    check(report, out.nonfinite_components == 0 && out.stuck_drains == 0,
          "%s: force components finite and drained (%d not finite, %d drains stuck)", label,
          out.nonfinite_components, out.stuck_drains);
    check(report, out.nonfinite_mass == 0, "%s: mass change report finite (%d frames not)", label,
          out.nonfinite_mass);
}

bool all_zero(const Global_Params& p) {
    Global_Params zero;
    std::memset(&zero, 0, sizeof zero);
    return std::memcmp(&p, &zero, sizeof zero) == 0;
}

bool module_loaded(const char* name) { return GetModuleHandleA(name) != nullptr; }

HMODULE load(const char* folder, const char* file) {
    char path[MAX_PATH];
    const int n = std::snprintf(path, sizeof path, "%s\\%s", folder, file);
    if (n < 0 || n >= static_cast<int>(sizeof path)) return nullptr;
    return LoadLibraryA(path);
}

// The handle requests the stand-in recorded from index first on must be the
// load order, once.
void check_handle_order(Report& report, const Standin& standin, int first, const char* label) {
    const int count = standin.request_count();
    check(report, count == first + kHandleCount, "%s: %d handle requests (expected %d)", label,
          count - first, kHandleCount);
    for (int i = 0; i < kHandleCount; ++i) {
        const char* name = standin.request_name(first + i);
        check(report, name != nullptr && std::strcmp(name, kHandleOrder[i]) == 0,
              "%s: handle request %d is \"%s\" (got \"%s\")", label, i + 1, kHandleOrder[i],
              name ? name : "(none)");
    }
}

// The pushed state must be visible through the data export, and the cockpit
// parameters must reach the stand-in through the model's own binding.
void check_state_and_cockpit(Report& report, const Model& m, const Standin& standin,
                             const Flight_Input& s, int frames) {
    const Global_Params& p = *m.params;
    check(report,
          p.body_vel_x == s.vx && p.body_vel_y == s.vy && p.body_vel_z == s.vz && p.yaw == s.yaw &&
              p.pitch == s.pitch && p.roll == s.roll && p.aoa_rad == s.alpha,
          "G_Params holds the pushed body-axis state");
    check(report,
          p.world_vel_x == s.world_vx && p.world_vel_y == s.world_vy && p.world_vel_z == s.world_vz,
          "G_Params holds the pushed world velocity");

    // Arguments are evaluated in no fixed order: read first, then report.
    double wind_x = NAN;
    double wind_y = NAN;
    const bool winds_written = standin.get_number(QFM_COCKPIT_PARAM_WIND_X, &wind_x) &&
                               standin.get_number(QFM_COCKPIT_PARAM_WIND_Y, &wind_y);
    check(report, winds_written && wind_x == s.wind_x && wind_y == s.wind_z,
          "atmosphere wind forwarded to WIND_X, WIND_Y (got %g, %g; expected %g, %g)", wind_x,
          wind_y, s.wind_x, s.wind_z);
    for (const char* name : kPerFrameParameters) {
        double value = NAN;
        const long updates = standin.update_count(name);
        const bool written = standin.get_number(name, &value);
        check(report, written && std::isfinite(value) && updates >= frames,
              "cockpit parameter %s written every frame with a finite value (%ld updates, %d "
              "frames, last %g)",
              name, updates, frames, value);
    }
}

// A flight after a hot start: frames at several frame times, a frame of zero
// and one of NaN seconds; everything the host collects must be finite.
// Returns the number of frames flown.
int fly(Report& report, const Model& m, const Flight_Input& s, const char* label) {
    m.ed_fm_hot_start();
    Frame_Outputs out;
    for (int i = 0; i < 40; ++i) run_frame(m, s, 0.01, out);
    for (int i = 0; i < 10; ++i) run_frame(m, s, 0.05, out);
    run_frame(m, s, 0.0, out);
    run_frame(m, s, NAN, out);
    for (int i = 0; i < 10; ++i) run_frame(m, s, 0.02, out);
    report_frames(report, label, out);
    return out.frames;
}

void run(Report& report, const char* folder) {
    // --- The cockpit library first, as the simulator has it loaded. -------
    check(report, !module_loaded(kModelDll) && !module_loaded(kCockpitDll),
          "neither DLL in the process before the host loads them");
    Standin standin;
    standin.module = load(folder, kCockpitDll);
    if (!check(report, standin.module != nullptr, "LoadLibraryA %s\\%s (error %lu)", folder,
               kCockpitDll, standin.module ? 0UL : GetLastError())) {
        return;
    }
    if (!check(report, standin.resolve_all(), "stand-in query functions resolved")) return;
    check(report, standin.request_count() == 0, "no handle requests before the model loads");

    // --- Then the model: its initialisers bind to the loaded library. -----
    Model model;
    model.module = load(folder, kModelDll);
    if (!check(report, model.module != nullptr, "LoadLibraryA %s\\%s (error %lu)", folder,
               kModelDll, model.module ? 0UL : GetLastError())) {
        return;
    }
    if (!model.resolve_all(report, true, "first load")) return;
    check(report, all_zero(*model.params), "G_Params all zeros after load");
    check_handle_order(report, standin, 0, "first load");
    check(report, standin.parameter_count() == kHandleCount, "%d distinct parameters (got %d)",
          kHandleCount, standin.parameter_count());

    const Flight_Input input;
    const int frames = fly(report, model, input, "hot start");
    check_state_and_cockpit(report, model, standin, input, frames);

    model.ed_fm_release();
    double f[6] = {1, 1, 1, 1, 1, 1};
    double mo[3] = {1, 1, 1};
    model.ed_fm_add_local_force(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    model.ed_fm_add_local_moment(&mo[0], &mo[1], &mo[2]);
    check(report,
          f[0] == 0.0 && f[1] == 0.0 && f[2] == 0.0 && mo[0] == 0.0 && mo[1] == 0.0 && mo[2] == 0.0,
          "release zeroes the force and moment sums");

    // --- Unload and load again: nothing is kept between loads. ------------
    check(report, FreeLibrary(model.module) != 0 && !module_loaded(kModelDll),
          "model unloaded (its clean-ups ran)");
    model.module = load(folder, kModelDll);
    if (!check(report, model.module != nullptr, "model loaded a second time")) return;
    if (!model.resolve_all(report, false, "second load")) return;
    check(report, all_zero(*model.params), "G_Params all zeros again after the second load");
    check_handle_order(report, standin, kHandleCount, "second load");
    fly(report, model, input, "second load");
    check(report, FreeLibrary(model.module) != 0, "model unloaded again");

    // --- Without the cockpit library: its calls are skipped. --------------
    check(report, standin.request_count() == 2 * kHandleCount,
          "%d handle requests over two loads (got %d)", 2 * kHandleCount, standin.request_count());
    check(report, FreeLibrary(standin.module) != 0 && !module_loaded(kCockpitDll),
          "cockpit library unloaded");
    model.module = load(folder, kModelDll);
    if (!check(report, model.module != nullptr, "model loaded without the cockpit library")) {
        return;
    }
    if (!model.resolve_all(report, false, "no cockpit library")) return;
    fly(report, model, input, "no cockpit library");
    check(report, FreeLibrary(model.module) != 0, "model unloaded without the cockpit library");
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends, so that the summary line reads the same on Linux.
    _setmode(_fileno(stdout), _O_BINARY);

    char folder[MAX_PATH] = {};
    if (argc > 1) {
        std::snprintf(folder, sizeof folder, "%s", argv[1]);
    } else {
        const DWORD n = GetModuleFileNameA(nullptr, folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) {
            std::printf("cannot find the folder of the executable\n0 passed, 1 failed\n");
            return 1;
        }
        char* slash = std::strrchr(folder, '\\');
        if (slash) *slash = '\0';
    }

    Report report;
    run(report, folder);
    std::printf("%d passed, %d failed\n", report.passed, report.failed);
    return report.failed == 0 && report.passed > 0 ? 0 : 1;
}
