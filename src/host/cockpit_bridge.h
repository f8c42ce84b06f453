// Bridge to the host's cockpit library (CockpitBase). Each owner embeds its
// own Cockpit_Api, bound at load to a library that is already loaded in the
// process; the library is never loaded by us. An address that could not be
// resolved stays null, and every call through it is skipped.
#pragma once

using Cockpit_Handle = void*;

struct Cockpit_Api {
    void* (*get_parameter_handle)(const char* name) = nullptr;
    void (*update_parameter_with_string)(void* handle, const char* value) = nullptr;
    void (*update_parameter_with_number)(void* handle, double value) = nullptr;
    bool (*parameter_value_to_number)(const void* handle, double* value,
                                      bool interpolated) = nullptr;
    bool (*parameter_value_to_string)(const void* handle, char* buffer, unsigned size) = nullptr;
    int (*compare_parameters)(void* a, void* b) = nullptr;
    void (*dispatch_action_to_device)(int device, int action, double value) = nullptr;
};

// Resolves the seven functions by name (platform layer).
void cockpit_bind(Cockpit_Api& api);
// Requests a parameter handle; null when the function is missing.
Cockpit_Handle cockpit_handle(const Cockpit_Api& api, const char* name);
// Writes a number to a parameter; skipped when the function is missing.
void cockpit_set(const Cockpit_Api& api, Cockpit_Handle handle, double value);
// Sends an action to a cockpit device; skipped when the function is missing.
void cockpit_dispatch(const Cockpit_Api& api, int device, int action, double value);

// The instance that stands alone (wind parameters).
extern Cockpit_Api G_CockpitApi;
