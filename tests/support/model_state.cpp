// Copies of every global record taken once, right after load, before any
// test runs; reset_model() copies them back. (Declared in
// support/model_state.h; the fuzzer, which has no GoogleTest, links this
// file as well.)

#include <algorithm>
#include <iterator>
#include <vector>

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

// Every global record, listed once for the copies below and the byte image.
// clang-format off
#define QFM_RECORDS(X)                                                                         \
    X(G_Params) X(G_FlightState) X(G_Airframe) X(G_Host) X(G_CockpitApi) X(G_Cabin)            \
    X(G_CcipCue) X(G_VelocityVectorCue) X(G_Aero) X(G_Engine) X(G_Fuel) X(G_Electrical)        \
    X(G_Gear) X(G_FlightControls) X(G_Hydraulics) X(G_Canopy) X(G_Hook) X(G_CommandInput)      \
    X(G_Lights)
// clang-format on

struct Records {
#define QFM_FIELD(g) decltype(::g) g;
    QFM_RECORDS(QFM_FIELD)
};

Records take() {
    Records r;
#define QFM_TAKE(g) r.g = ::g;
    QFM_RECORDS(QFM_TAKE)
    return r;
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
    std::copy(std::begin(G_Aero.drag), std::end(G_Aero.drag), drag);
#define QFM_PUT(g) ::g = r.g;
    QFM_RECORDS(QFM_PUT)
    restore_list(G_Engine.core.forces, thrust);
    for (int i = 0; i < DRAG_LIST_COUNT; ++i) restore_list(G_Aero.drag[i], drag[i]);
}

}  // namespace

void reset_model() { put(g_at_load); }
void save_model() { g_saved = take(); }
void restore_model() { put(g_saved); }

std::vector<unsigned char> model_bytes() {
    std::vector<unsigned char> out;
#define QFM_APPEND(g)                                                 \
    out.insert(out.end(), reinterpret_cast<const unsigned char*>(&g), \
               reinterpret_cast<const unsigned char*>(&g) + sizeof g);
    QFM_RECORDS(QFM_APPEND)
    return out;
}
