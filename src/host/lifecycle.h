// Load, unload, the three start modes, release, damage and the event
// exchange with the host.
#pragma once

#include "host/cockpit_bridge.h"
#include "quillon_fm_ids.h"

constexpr int kDamageElements = QFM_DAMAGE_ELEMENTS;

struct Host_Interface {
    double damage[kDamageElements] = {};
    bool immortal = false;
    // Outgoing event request, set by every frame: a Qfm_Event_Request.
    double event_request = 0.0;
    // Handles of the standalone cockpit instance.
    Cockpit_Handle wind_x_handle = nullptr;
    Cockpit_Handle wind_y_handle = nullptr;
};

extern Host_Interface G_Host;

enum class Start_Mode { Cold, Hot, HotInAir };

// Brings every object into being in its fixed order, binding the cockpit
// library and requesting its parameter handles. Runs once, at library load.
void library_load();
// Clean-ups in reverse order, at unload.
void library_unload();

void start_aircraft(Start_Mode mode);
void release_aircraft();
