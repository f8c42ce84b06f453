// The platform layer of the cockpit bridge: find the already loaded cockpit
// library and resolve its functions by name. Nothing here loads a module.
#include "cockpit_bridge.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
using Module = HMODULE;
Module find_cockpit_module() { return GetModuleHandleA("CockpitBase.dll"); }
void* resolve(Module module, const char* name) {
    // GetProcAddress returns a FARPROC; the cast to a data pointer and back
    // to the real function type is how Win32 hands out exports.
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}
void forget(Module) {}
#else
using Module = void*;
Module find_cockpit_module() {
    // RTLD_NOLOAD: only a library that is already in the process is found.
    return dlopen("libCockpitBase.so", RTLD_NOLOAD | RTLD_LAZY);
}
void* resolve(Module module, const char* name) { return module ? dlsym(module, name) : nullptr; }
// dlopen with RTLD_NOLOAD still counts a reference; give it back so that the
// host can unload its library whenever it likes.
void forget(Module module) {
    if (module) dlclose(module);
}
#endif

template <typename Fn>
void bind_one(Fn& slot, Module module, const char* name) {
    slot = reinterpret_cast<Fn>(resolve(module, name));
}

}  // namespace

void cockpit_bind(Cockpit_Api& api) {
    Module module = find_cockpit_module();
    bind_one(api.get_parameter_handle, module, "ed_cockpit_get_parameter_handle");
    bind_one(api.update_parameter_with_string, module, "ed_cockpit_update_parameter_with_string");
    bind_one(api.update_parameter_with_number, module, "ed_cockpit_update_parameter_with_number");
    bind_one(api.parameter_value_to_number, module, "ed_cockpit_parameter_value_to_number");
    bind_one(api.parameter_value_to_string, module, "ed_cockpit_parameter_value_to_string");
    bind_one(api.compare_parameters, module, "ed_cockpit_compare_parameters");
    bind_one(api.dispatch_action_to_device, module, "ed_cockpit_dispatch_action_to_device");
    forget(module);
}
