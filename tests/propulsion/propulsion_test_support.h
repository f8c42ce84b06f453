// Shared fixture for the propulsion tests: the records at load (cockpit
// writes go nowhere) and a sea-level standard atmosphere.
#pragma once

#include <functional>

#include "host/lifecycle.h"
#include "host/shared_state.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"
#include "support/model_state.h"

class PropulsionTest : public Model_Test {
 protected:
    void SetUp() override {
        Model_Test::SetUp();
        sea_level(0.0);
    }

    // The air the engine reads (K, m/s, m), with mach and kcas set
    // directly, as the air data would leave them.
    static void air(double kelvin, double sound, double altitude, double mach, double kcas = 0.0) {
        Flight_State& s = G_FlightState;
        s.temperature = kelvin;
        s.speed_of_sound = sound;
        s.altitude = altitude;
        s.mach = mach;
        s.kcas = kcas;
    }
    // Standard sea-level air at a calibrated airspeed.
    static void sea_level(double kcas) { air(288.15, 340.294, 0.0, 0.0, kcas); }

    bool weight_on_wheels = true;
    bool all_gear_down = true;

    // The propulsion part of a frame in the frame driver's order: engine
    // (with the fuel before the burn), burn, electrical.
    void frame(double dt) {
        const double fuel = total_internal();
        engine_step(dt, fuel, all_gear_down, weight_on_wheels);
        if (!G_Fuel.unlimited_fuel && fuel != 0.0) fuel_burn(dt, G_Engine.core.fuel_flow);
        electrical_step(dt, G_Engine.core.rpm / 100.0);
    }

    void run(double seconds, double dt = 0.01) {
        const int frames = static_cast<int>(seconds / dt + 0.5);
        for (int i = 0; i < frames; ++i) frame(dt);
    }

    // Runs frames until done() holds; returns the time it took, or -1 when
    // it did not happen within limit seconds.
    double run_until(const std::function<bool()>& done, double limit, double dt = 0.01) {
        const int frames = static_cast<int>(limit / dt + 0.5);
        for (int i = 1; i <= frames; ++i) {
            frame(dt);
            if (done()) return i * dt;
        }
        return -1.0;
    }

    // A running engine at idle, as a hot start on the ground leaves it.
    void hot_start(double fuel_kg = 2000.0) {
        start_aircraft(Start_Mode::Hot);
        empty_tanks();
        fill_tanks(fuel_kg);
    }

    static void empty_tanks() {
        for (Fuel_Tank& tank : G_Fuel.tanks) tank.quantity = 0.0;
    }
};
