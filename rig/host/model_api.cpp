#include "host/model_api.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace rig {
namespace {

template <typename Fn>
bool resolve(void* library, const char* name, Fn& out, std::string& error) {
    void* symbol = dlsym(library, name);
    if (!symbol) {
        error = std::string("missing symbol ") + name;
        return false;
    }
    out = reinterpret_cast<Fn>(symbol);
    return true;
}

}  // namespace

double Model_Api::cockpit(const char* name) const {
    double value = 0.0;
    if (standin_get_number && !standin_get_number(name, &value)) value = 0.0;
    return value;
}

std::string build_or_installed_path(const char* built_path, const char* relative_to_prefix) {
    if (access(built_path, R_OK) == 0) return built_path;
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n <= 0) return built_path;
    std::string prefix(exe, static_cast<std::size_t>(n));
    for (int up = 0; up < 2; ++up) {  // drop the file name, then bin/
        const std::size_t slash = prefix.rfind('/');
        if (slash == std::string::npos) return built_path;
        prefix.erase(slash);
    }
    return prefix + "/" + relative_to_prefix;
}

Library_Paths default_library_paths() {
    return Library_Paths{build_or_installed_path(QFM_RIG_STANDIN_PATH, "lib/libCockpitBase.so"),
                         build_or_installed_path(QFM_RIG_LIBRARY_PATH, "lib/libQuillonFM.so")};
}

bool load_model(const Library_Paths& paths, Model_Api& api, std::string& error) {
    api.standin_handle = dlopen(paths.standin.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!api.standin_handle) {
        const char* why = dlerror();
        error = std::string("cannot load the cockpit stand-in: ") + (why ? why : paths.standin);
        return false;
    }
    api.model_handle = dlopen(paths.model.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!api.model_handle) {
        const char* why = dlerror();
        error = std::string("cannot load the flight model: ") + (why ? why : paths.model);
        return false;
    }
#define RIG_RESOLVE(name) \
    if (!resolve(api.model_handle, #name, api.name, error)) return false;
    RIG_MODEL_EXPORTS(RIG_RESOLVE)
#undef RIG_RESOLVE
#define RIG_RESOLVE(name) \
    if (!resolve(api.standin_handle, #name, api.name, error)) return false;
    RIG_STANDIN_QUERIES(RIG_RESOLVE)
#undef RIG_RESOLVE
    return true;
}

}  // namespace rig
