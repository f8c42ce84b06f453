// Copies of every global record taken once, right after load, before any
// test runs; reset_model() copies them back. (Declared in
// support/model_state.h; the fuzzer, which has no GoogleTest, links this
// file as well.)

#include "aero/aero_data.h"
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "host/cockpit_bridge.h"
#include "host/hud_cues.h"
#include "host/lifecycle.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"

namespace {

struct Records {
    Global_Params params;
    Flight_State flight_state;
    Airframe airframe;
    Host_Interface host;
    Cockpit_Api cockpit_api;
    Cabin_State cabin;
    Ccip_Cue ccip;
    Velocity_Vector_Cue velocity_vector;
    Aero_Data aero;
    Engine engine;
    Fuel_System fuel;
    Electrical_System electrical;
    Landing_Gear gear;
    Flight_Controls flight_controls;
    Hydraulics hydraulics;
    Canopy canopy;
    Hook hook;
    Command_Input command_input;
    Lights lights;
};

Records take() {
    return Records{G_Params,     G_FlightState,    G_Airframe,   G_Host,
                   G_CockpitApi, G_Cabin,          G_CcipCue,    G_VelocityVectorCue,
                   G_Aero,       G_Engine,         G_Fuel,       G_Electrical,
                   G_Gear,       G_FlightControls, G_Hydraulics, G_Canopy,
                   G_Hook,       G_CommandInput,   G_Lights};
}

// Loading twice is harmless; the module's own load may not have run yet
// when this file's initialisers do.
const Records g_at_load = (library_load(), take());
Records g_saved = g_at_load;

// The list keeps the storage it has now, empty.
void restore_list(Force_List& list, Force_List current) {
    current.length = 0;
    list = current;
}

void put(const Records& r) {
    const Force_List thrust = G_Engine.core.forces;
    Force_List drag[DRAG_LIST_COUNT];
    for (int i = 0; i < DRAG_LIST_COUNT; ++i) drag[i] = G_Aero.drag[i];

    G_Params = r.params;
    G_FlightState = r.flight_state;
    G_Airframe = r.airframe;
    G_Host = r.host;
    G_CockpitApi = r.cockpit_api;
    G_Cabin = r.cabin;
    G_CcipCue = r.ccip;
    G_VelocityVectorCue = r.velocity_vector;
    G_Aero = r.aero;
    G_Engine = r.engine;
    G_Fuel = r.fuel;
    G_Electrical = r.electrical;
    G_Gear = r.gear;
    G_FlightControls = r.flight_controls;
    G_Hydraulics = r.hydraulics;
    G_Canopy = r.canopy;
    G_Hook = r.hook;
    G_CommandInput = r.command_input;
    G_Lights = r.lights;

    restore_list(G_Engine.core.forces, thrust);
    for (int i = 0; i < DRAG_LIST_COUNT; ++i) restore_list(G_Aero.drag[i], drag[i]);
}

}  // namespace

void reset_model() { put(g_at_load); }
void save_model() { g_saved = take(); }
void restore_model() { put(g_saved); }
