// One host frame of steady flight, exactly as a host drives the library
// through its exports: push the state and the pilot's axes, simulate, then
// pull everything a host reads after a frame. Shared by the benchmarks and by
// the instruction-count driver so that both measure the same work.
#pragma once

#include <cstddef>

#include "abi/host.h"

struct Host_Frame {
    // Frame time of a 100 Hz physics loop, s.
    static constexpr double kDt = 0.01;
    // Animation arrays as large as the host hands them over.
    static constexpr std::size_t kExternalArgs = QFM_EXTERNAL_ARG_COUNT;
    static constexpr std::size_t kCockpitArgs = QFM_COCKPIT_ARG_COUNT;
    // Parameters a host reads every frame: starter and engine speeds, fuel
    // flow, gear, steering, brakes, fuel state, cabin pressure.
    static constexpr unsigned kReadParams[] = {
        QFM_PARAM_GTS_RPM_FRACTION_A, QFM_PARAM_GTS_RPM_PERCENT_A, QFM_PARAM_RPM_FRACTION_A,
        QFM_PARAM_N1_FRACTION,        QFM_PARAM_ENGINE_SPEED_A,    QFM_PARAM_FUEL_FLOW_A,
        QFM_PARAM_NOSE_GEAR,          QFM_PARAM_STEERING,          QFM_PARAM_LEFT_BRAKE,
        QFM_PARAM_LEFT_GEAR,          QFM_PARAM_RIGHT_BRAKE,       QFM_PARAM_RIGHT_GEAR,
        QFM_PARAM_INTERNAL_FUEL_A,    QFM_PARAM_LOW_FUEL,          QFM_PARAM_CABIN_PRESSURE};

    const Host& host;
    Host::State state;
    float external[kExternalArgs] = {};
    float cockpit[kCockpitArgs] = {};
    // Everything pulled is folded in here so the compiler cannot drop it.
    double sink = 0.0;

    explicit Host_Frame(const Host& h) : host(h) {
        // Level cruise at 1000 m: 150 m/s, 3 degrees angle of attack.
        state.vx = 150.0;
        state.alpha = 0.05;
    }

    // Internal fuel at the start, kg: enough for any run length used here.
    static constexpr double kStartFuelKg = 2500.0;

    // Fuel, hot start in the air, then enough frames for the engine and the
    // actuators to settle and the force lists to reach their working size.
    void start(int settle_frames) {
        host.ed_fm_set_internal_fuel(kStartFuelKg);
        host.ed_fm_hot_start_in_air();
        for (int i = 0; i < settle_frames; ++i) run();
    }

    void push() const {
        host.push(state);
        // In the air: every strut reports no compression.
        host.struts(0.0);
        host.ed_fm_set_command(QFM_CMD_PITCH_AXIS, -0.02f);
        host.ed_fm_set_command(QFM_CMD_ROLL_AXIS, 0.0f);
        host.ed_fm_set_command(QFM_CMD_RUDDER_AXIS, 0.0f);
        host.ed_fm_set_command(QFM_CMD_THROTTLE_AXIS, -0.2f);
    }

    void pull() {
        double f[6];
        double m[3];
        host.ed_fm_add_local_force(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
        host.ed_fm_add_local_moment(&m[0], &m[1], &m[2]);
        sink += f[0] + f[1] + f[2] + m[0] + m[1] + m[2];
        double c[6];
        while (host.ed_fm_add_local_force_component(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5])) {
            sink += c[0];
        }
        double dm = 0.0;
        double d[6];
        host.ed_fm_change_mass(&dm, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]);
        sink += dm;
        for (unsigned p : kReadParams) sink += host.ed_fm_get_param(p);
        host.ed_fm_set_draw_args_v2(external, kExternalArgs);
        host.ed_fm_set_fc3_cockpit_draw_args_v2(cockpit, kCockpitArgs);
        sink += external[0] + cockpit[0] + host.ed_fm_get_shake_amplitude();
        Qfm_Simulation_Event event;
        if (host.ed_fm_pop_simulation_event(&event)) sink += event.event_params[0];
    }

    void run() {
        push();
        host.ed_fm_simulate(kDt);
        pull();
    }
};
