#include "cockpit_bridge.h"

Cockpit_Api G_CockpitApi;

Cockpit_Handle cockpit_handle(const Cockpit_Api& api, const char* name) {
    return api.get_parameter_handle ? api.get_parameter_handle(name) : nullptr;
}

void cockpit_set(const Cockpit_Api& api, Cockpit_Handle handle, double value) {
    if (api.update_parameter_with_number) api.update_parameter_with_number(handle, value);
}

void cockpit_dispatch(const Cockpit_Api& api, int device, int action, double value) {
    if (api.dispatch_action_to_device) api.dispatch_action_to_device(device, action, value);
}
