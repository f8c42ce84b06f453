// A minimal host for the ABI tests: loads the stand-in cockpit library, then
// the flight model, with dlopen, and resolves every export by name. Nothing
// of the model is linked in. Its end unloads both, so every Host (every test
// case) sees a fresh load of each, as a host that restarts a mission does.
#pragma once

#include <dlfcn.h>

#include <cstddef>
#include <string>

#include "cockpit_standin.h"
#include "quillon_fm.h"

struct Host {
    void* standin = nullptr;
    void* model = nullptr;

#define QFM_FN(name) decltype(&::name) name = nullptr;
#include "abi/exports.inc"
#undef QFM_FN
    Global_Params* params = nullptr;

    // Stand-in queries, by their names without "standin_".
#define QFM_STANDIN_FNS(X) \
    X(request_count) X(request_name) X(get_number) X(update_count) X(action_count) X(action)
#define QFM_FN(name) decltype(&::standin_##name) name = nullptr;
    QFM_STANDIN_FNS(QFM_FN)
#undef QFM_FN

    std::string error;

    Host() = default;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    // Unloads both libraries, so the next Host of the process sees a fresh
    // load (the model keeps its state in static records) whatever ran before.
    ~Host() {
        if (model) dlclose(model);
        if (standin) dlclose(standin);
    }

    // Loads both libraries; false (with error set) on any failure.
    bool load(bool with_standin = true) {
        if (with_standin) {
            standin = dlopen(QFM_STANDIN_PATH, RTLD_NOW | RTLD_GLOBAL);
            if (!standin) return fail(dlerror());
#define QFM_FN(name) \
    if (!resolve(standin, "standin_" #name, name)) return false;
            QFM_STANDIN_FNS(QFM_FN)
#undef QFM_FN
        }
        model = dlopen(QFM_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!model) return fail(dlerror());
#define QFM_FN(name) \
    if (!resolve(model, #name, name)) return false;
#include "abi/exports.inc"
#undef QFM_FN
        params = static_cast<Global_Params*>(dlsym(model, "G_Params"));
        if (!params) return fail("G_Params not exported");
        return true;
    }

    // Last number the model wrote to a cockpit parameter (NaN if none).
    double cockpit(const char* name) const {
        double value = __builtin_nan("");
        if (get_number) get_number(name, &value);
        return value;
    }

    // One frame as a host drives it: body state, world state, mass,
    // atmosphere, surface, simulate. Air-relative velocity along body x.
    struct State {
        double vx = 0.0, vy = 0.0, vz = 0.0;
        double alpha = 0.0, beta = 0.0;         // rad
        double p = 0.0, q = 0.0, r_host = 0.0;  // host's angular rates, rad/s
        double yaw = 0.0, pitch = 0.0, roll = 0.0;
        double altitude = 1000.0, surface = 0.0;
        double temperature = 281.65, speed_of_sound = 336.435, density = 1.11164,
               pressure = 89874.6;
        double mass = 8000.0;
        double cg_x = 0.0, cg_y = 0.0, cg_z = 0.0;
        double ix = 10247.0, iy = 28268.8, iz = 30032.72;
    };

    void push(const State& s) const {
        ed_fm_set_current_state_body_axis(0, 0, 0, s.vx, s.vy, s.vz, 0, 0, 0, 0, 0, 0, s.p,
                                          s.r_host, s.q, s.yaw, s.pitch, s.roll, s.alpha, s.beta);
        ed_fm_set_current_state(0, 0, 0, s.vx, s.vy, s.vz, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
        ed_fm_set_current_mass_state(s.mass, s.cg_x, s.cg_y, s.cg_z, s.ix, s.iy, s.iz);
        ed_fm_set_atmosphere(s.altitude, s.temperature, s.speed_of_sound, s.density, s.pressure, 0,
                             0, 0);
        ed_fm_set_surface(s.surface, s.surface, 0, 0, 1, 0);
    }

    // Reports the same strut compression for every gear post.
    void struts(double compression) const {
        double record[QFM_SUSPENSION_RECORD_DOUBLES] = {};
        record[QFM_SUSPENSION_COMPRESSION] = compression;
        for (int post = 0; post < 3; ++post) ed_fm_suspension_feedback(post, record);
    }

    // The mass change the library reports after a frame, kg.
    double mass_change() const {
        double dm = 0.0, d[6];
        ed_fm_change_mass(&dm, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]);
        return dm;
    }

    // Drains every pending force component; returns how many there were.
    int drain() const {
        int n = 0;
        double f[6];
        while (ed_fm_add_local_force_component(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5])) ++n;
        return n;
    }

    // Runs n frames of dt with the same pushed state, draining forces.
    void fly(const State& s, int n, double dt) const {
        for (int i = 0; i < n; ++i) {
            push(s);
            ed_fm_simulate(dt);
            drain();
            mass_change();
        }
    }

 private:
    template <typename Fn>
    bool resolve(void* lib, const char* name, Fn& out) {
        void* sym = dlsym(lib, name);
        if (!sym) return fail(std::string("missing symbol ") + name);
        out = reinterpret_cast<Fn>(sym);
        return true;
    }
    bool fail(const std::string& why) {
        error = why;
        return false;
    }
};
