// Stand-in cockpit library. Parameters live in a fixed table; a handle is
// the address of the parameter's slot, so an update costs no search.
#include "cockpit_standin.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxParameters = 256;
constexpr int kMaxNameLength = 64;
constexpr int kMaxRequests = 1024;
constexpr int kMaxActions = 1024;
constexpr int kMaxStringValue = 64;

struct Parameter {
    char name[kMaxNameLength];
    double number;
    bool has_number;
    char text[kMaxStringValue];
    long updates;
};

struct Action {
    int device;
    int action;
    double value;
};

struct Standin_State {
    Parameter parameters[kMaxParameters];
    int parameter_count;
    int requests[kMaxRequests];  // parameter index of each request
    int request_count;
    Action actions[kMaxActions];
    int action_count;
};

Standin_State g_state;

Parameter* find(const char* name) {
    if (!name) return nullptr;
    for (int i = 0; i < g_state.parameter_count; ++i) {
        if (std::strncmp(g_state.parameters[i].name, name, kMaxNameLength) == 0) {
            return &g_state.parameters[i];
        }
    }
    return nullptr;
}

// A handle is valid when it points at a slot in use.
Parameter* from_handle(const void* handle) {
    const Parameter* first = g_state.parameters;
    const Parameter* p = static_cast<const Parameter*>(handle);
    if (!p || p < first || p >= first + g_state.parameter_count) return nullptr;
    return const_cast<Parameter*>(p);
}

}  // namespace

extern "C" {

void* ed_cockpit_get_parameter_handle(const char* name) {
    if (!name) return nullptr;
    Parameter* p = find(name);
    if (!p) {
        if (g_state.parameter_count == kMaxParameters) return nullptr;
        p = &g_state.parameters[g_state.parameter_count++];
        std::memset(p, 0, sizeof(*p));
        std::snprintf(p->name, sizeof(p->name), "%s", name);
    }
    const int index = static_cast<int>(p - g_state.parameters);
    if (g_state.request_count < kMaxRequests) g_state.requests[g_state.request_count] = index;
    ++g_state.request_count;
    return p;
}

void ed_cockpit_update_parameter_with_string(void* handle, const char* value) {
    Parameter* p = from_handle(handle);
    if (!p || !value) return;
    std::snprintf(p->text, sizeof(p->text), "%s", value);
    ++p->updates;
}

void ed_cockpit_update_parameter_with_number(void* handle, double value) {
    Parameter* p = from_handle(handle);
    if (!p) return;
    p->number = value;
    p->has_number = true;
    ++p->updates;
}

bool ed_cockpit_parameter_value_to_number(const void* handle, double* value, bool) {
    const Parameter* p = from_handle(handle);
    if (!p || !value || !p->has_number) return false;
    *value = p->number;
    return true;
}

bool ed_cockpit_parameter_value_to_string(const void* handle, char* buffer, unsigned size) {
    const Parameter* p = from_handle(handle);
    if (!p || !buffer || size == 0) return false;
    if (p->has_number) {
        std::snprintf(buffer, size, "%.17g", p->number);
    } else {
        std::snprintf(buffer, size, "%s", p->text);
    }
    return true;
}

int ed_cockpit_compare_parameters(void* a, void* b) {
    const Parameter* pa = from_handle(a);
    const Parameter* pb = from_handle(b);
    if (!pa || !pb) return pa == pb ? 0 : (pa ? 1 : -1);
    if (pa->number < pb->number) return -1;
    if (pa->number > pb->number) return 1;
    return 0;
}

void ed_cockpit_dispatch_action_to_device(int device, int action, double value) {
    if (g_state.action_count < kMaxActions) {
        g_state.actions[g_state.action_count] = Action{device, action, value};
    }
    ++g_state.action_count;
}

void standin_reset(void) { std::memset(&g_state, 0, sizeof(g_state)); }

int standin_parameter_count(void) { return g_state.parameter_count; }

const char* standin_parameter_name(int i) {
    if (i < 0 || i >= g_state.parameter_count) return nullptr;
    return g_state.parameters[i].name;
}

int standin_request_count(void) { return g_state.request_count; }

const char* standin_request_name(int i) {
    if (i < 0 || i >= g_state.request_count || i >= kMaxRequests) return nullptr;
    return g_state.parameters[g_state.requests[i]].name;
}

bool standin_get_number(const char* name, double* value) {
    const Parameter* p = find(name);
    if (!p || !value || !p->has_number) return false;
    *value = p->number;
    return true;
}

long standin_update_count(const char* name) {
    const Parameter* p = find(name);
    return p ? p->updates : 0;
}

int standin_action_count(void) { return g_state.action_count; }

bool standin_action(int i, int* device, int* action, double* value) {
    if (i < 0 || i >= g_state.action_count || i >= kMaxActions) return false;
    const Action& a = g_state.actions[i];
    if (device) *device = a.device;
    if (action) *action = a.action;
    if (value) *value = a.value;
    return true;
}

}  // extern "C"
