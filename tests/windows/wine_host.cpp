// A Windows host for QuillonFM.dll, run under Wine by tools/check_windows.sh.
//
// It does what the flight simulator does: the cockpit library CockpitBase.dll
// is already in the process when the flight model is loaded, every export is
// found with GetProcAddress, and the model is driven only through them. It
// checks only what can differ between the Windows and the Linux builds: the
// load (static initialisers run inside the loader), the export table and the
// data export G_Params, the binding to the cockpit library through its
// module handle, the record layouts under MinGW, unload and a second load,
// and a load without the cockpit library. Everything else (handle order,
// state input, events, flight behaviour) is the Linux ABI tests' to check;
// here the only demand on a frame's output is that it is finite.
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
// Cockpit parameter handles the model asks for at load.
constexpr int kHandleCount = 14;

int g_passed = 0;
int g_failed = 0;

bool check(bool ok, const char* format, ...) {
    std::printf("%s  ", ok ? "PASS" : "FAIL");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
    ++(ok ? g_passed : g_failed);
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

HMODULE load(const char* folder, const char* file) {
    char path[MAX_PATH];
    const int n = std::snprintf(path, sizeof path, "%s\\%s", folder, file);
    if (n < 0 || n >= static_cast<int>(sizeof path)) return nullptr;
    return LoadLibraryA(path);
}

bool module_loaded(const char* name) { return GetModuleHandleA(name) != nullptr; }

struct Model {
    HMODULE module = nullptr;
#define QFM_FN(name) decltype(&::name) name = nullptr;
#include "abi/exports.inc"
#undef QFM_FN
    Global_Params* params = nullptr;

    // Loads the DLL and resolves every export and G_Params, one check line
    // naming what is missing.
    bool load_and_resolve(const char* folder, const char* label) {
        module = load(folder, kModelDll);
        if (!check(module != nullptr, "%s: LoadLibraryA %s (error %lu)", label, kModelDll,
                   module ? 0UL : GetLastError())) {
            return false;
        }
        int missing = 0;
        const char* first = "";
#define QFM_FN(name) \
    if (!resolve(module, #name, name) && missing++ == 0) first = #name;
#include "abi/exports.inc"
#undef QFM_FN
        params = reinterpret_cast<Global_Params*>(
            reinterpret_cast<void*>(GetProcAddress(module, "G_Params")));
        if (!params && missing++ == 0) first = "G_Params";
        if (!check(missing == 0, "%s: every export and G_Params resolved (%d missing%s%s)", label,
                   missing, missing ? ", the first " : "", first)) {
            return false;
        }
        Global_Params zero;
        std::memset(&zero, 0, sizeof zero);
        check(std::memcmp(params, &zero, sizeof zero) == 0, "%s: G_Params all zeros after load",
              label);
        return true;
    }

    bool finite_outputs() const {
        double v[9];
        ed_fm_add_local_force(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
        ed_fm_add_local_moment(&v[6], &v[7], &v[8]);
        bool ok = true;
        for (double x : v) ok = ok && std::isfinite(x);
        // A drain that does not end within 64 calls is stuck.
        int components = 0;
        while (components < 64 &&
               ed_fm_add_local_force_component(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5])) {
            ++components;
            for (int i = 0; i < 6; ++i) ok = ok && std::isfinite(v[i]);
        }
        double mass[7] = {};
        ed_fm_change_mass(&mass[0], &mass[1], &mass[2], &mass[3], &mass[4], &mass[5], &mass[6]);
        for (double x : mass) ok = ok && std::isfinite(x);
        return ok && components < 64;
    }

    // A flight after a hot start, level at 150 m/s 1000 m above flat ground,
    // at several frame times and frames of zero and NaN seconds; returns the
    // number of frames, after a check that every output was finite.
    int fly(const char* label) const {
        ed_fm_hot_start();
        const double frame_times[] = {0.01, 0.05, 0.0, NAN, 0.02};
        int frames = 0;
        int bad = 0;
        for (double dt : frame_times) {
            for (int i = 0; i < 12; ++i, ++frames) {
                ed_fm_set_current_state_body_axis(0, 0, 0, 150.0, -2.0, 1.0, 0, 0, 0, 0, 0, 0, 0.01,
                                                  0.0, 0.02, 0.3, 0.04, -0.02, 0.05, 0.01);
                ed_fm_set_current_state(0, 0, 0, 140.0, -1.5, 50.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0, 1);
                ed_fm_set_current_mass_state(8000.0, 0.1, -0.05, 0.02, 10247.0, 28268.8, 30032.72);
                ed_fm_set_atmosphere(1000.0, 281.65, 336.435, 1.11164, 89874.6, 3.0, 1.0, -4.0);
                ed_fm_set_surface(0, 0, 0, 0, 1, 0);
                ed_fm_simulate(dt);
                if (!finite_outputs()) ++bad;
            }
        }
        check(bad == 0, "%s: every output finite (%d of %d frames not)", label, bad, frames);
        return frames;
    }

    bool unload(const char* label) {
        return check(FreeLibrary(module) != 0 && !module_loaded(kModelDll), "%s: model unloaded",
                     label);
    }
};

void run(const char* folder) {
    // The cockpit library first, as the simulator has it loaded.
    check(!module_loaded(kModelDll) && !module_loaded(kCockpitDll),
          "neither DLL in the process before the host loads them");
    const HMODULE cockpit = load(folder, kCockpitDll);
    decltype(&::standin_request_count) request_count = nullptr;
    decltype(&::standin_update_count) update_count = nullptr;
    if (!check(cockpit && resolve(cockpit, "standin_request_count", request_count) &&
                   resolve(cockpit, "standin_update_count", update_count),
               "LoadLibraryA %s\\%s and its query functions", folder, kCockpitDll)) {
        return;
    }

    // Then the model: its initialisers find the loaded library by its module
    // handle and ask it for their parameter handles.
    Model model;
    if (!model.load_and_resolve(folder, "first load")) return;
    check(request_count() == kHandleCount, "first load: %d handle requests (got %d)", kHandleCount,
          request_count());
    const int frames = model.fly("first load");
    const long updates = update_count(QFM_COCKPIT_PARAM_VV_VERT);
    check(updates >= frames, "cockpit parameters written every frame (%ld updates, %d frames)",
          updates, frames);
    if (!model.unload("first load")) return;

    // Unload and load again: nothing is kept between loads.
    if (!model.load_and_resolve(folder, "second load")) return;
    check(request_count() == 2 * kHandleCount, "second load: %d handle requests in all (got %d)",
          2 * kHandleCount, request_count());
    model.fly("second load");
    if (!model.unload("second load")) return;

    // Without the cockpit library: its calls are skipped.
    check(FreeLibrary(cockpit) != 0 && !module_loaded(kCockpitDll), "cockpit library unloaded");
    if (!model.load_and_resolve(folder, "no cockpit library")) return;
    model.fly("no cockpit library");
    model.unload("no cockpit library");
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
    run(folder);
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 && g_passed > 0 ? 0 : 1;
}
