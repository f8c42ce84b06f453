#include "fuzz_model_state.h"

#include "aero/aero_data.h"
#include "controls/canopy_hook.h"
#include "controls/commands.h"
#include "controls/flight_controls.h"
#include "controls/hydraulics.h"
#include "gear/gear.h"
#include "host/air_data.h"
#include "host/cockpit_bridge.h"
#include "host/force_list.h"
#include "host/hud_cues.h"
#include "host/lifecycle.h"
#include "host/shared_state.h"
#include "outputs/lights.h"
#include "propulsion/electrical.h"
#include "propulsion/engine.h"
#include "propulsion/fuel.h"

namespace {

// Every record of the model with static storage, as the library left it at
// load. The force lists' storage belongs to the live records, never to the
// snapshot.
struct Model_State {
    Global_Params params;
    Flight_State flight_state;
    Airframe airframe;
    Aero_Data aero;
    Engine engine;
    Fuel_System fuel;
    Electrical_System electrical;
    Lights lights;
    Landing_Gear gear;
    Flight_Controls flight_controls;
    Hydraulics hydraulics;
    Canopy canopy;
    Hook hook;
    Cabin_State cabin;
    Ccip_Cue ccip;
    Velocity_Vector_Cue velocity_vector;
    Command_Input command_input;
    Cockpit_Api cockpit_api;
    Host_Interface host;
};

Model_State g_snapshot;

}  // namespace

void fuzz_snapshot_model_state() {
    g_snapshot = Model_State{G_Params,       G_FlightState,    G_Airframe,   G_Aero,
                             G_Engine,       G_Fuel,           G_Electrical, G_Lights,
                             G_Gear,         G_FlightControls, G_Hydraulics, G_Canopy,
                             G_Hook,         G_Cabin,          G_CcipCue,    G_VelocityVectorCue,
                             G_CommandInput, G_CockpitApi,     G_Host};
}

void fuzz_restore_model_state() {
    Force_List engine_forces = G_Engine.core.forces;
    Force_List drag[DRAG_LIST_COUNT];
    for (int i = 0; i < DRAG_LIST_COUNT; ++i) drag[i] = G_Aero.drag[i];

    G_Params = g_snapshot.params;
    G_FlightState = g_snapshot.flight_state;
    G_Airframe = g_snapshot.airframe;
    G_Aero = g_snapshot.aero;
    G_Engine = g_snapshot.engine;
    G_Fuel = g_snapshot.fuel;
    G_Electrical = g_snapshot.electrical;
    G_Lights = g_snapshot.lights;
    G_Gear = g_snapshot.gear;
    G_FlightControls = g_snapshot.flight_controls;
    G_Hydraulics = g_snapshot.hydraulics;
    G_Canopy = g_snapshot.canopy;
    G_Hook = g_snapshot.hook;
    G_Cabin = g_snapshot.cabin;
    G_CcipCue = g_snapshot.ccip;
    G_VelocityVectorCue = g_snapshot.velocity_vector;
    G_CommandInput = g_snapshot.command_input;
    G_CockpitApi = g_snapshot.cockpit_api;
    G_Host = g_snapshot.host;

    // The live storage stays with the live lists, emptied.
    G_Engine.core.forces = engine_forces;
    G_Engine.core.forces.length = 0;
    for (int i = 0; i < DRAG_LIST_COUNT; ++i) {
        G_Aero.drag[i] = drag[i];
        G_Aero.drag[i].length = 0;
    }
}
