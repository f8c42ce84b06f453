// The flight model as a host sees it: the stand-in cockpit library and
// libQuillonFM.so loaded with dlopen, every export resolved by name. Nothing
// of the model is linked into the rig.
#pragma once

#include <string>

#include "cockpit_standin.h"
#include "quillon_fm.h"

namespace rig {

// Every export the rig calls, for X-macro use.
#define RIG_MODEL_EXPORTS(X)              \
    X(ed_fm_simulate)                     \
    X(ed_fm_set_current_state_body_axis)  \
    X(ed_fm_set_current_state)            \
    X(ed_fm_set_current_mass_state)       \
    X(ed_fm_set_atmosphere)               \
    X(ed_fm_set_surface)                  \
    X(ed_fm_suspension_feedback)          \
    X(ed_fm_set_command)                  \
    X(ed_fm_add_local_force)              \
    X(ed_fm_add_local_moment)             \
    X(ed_fm_add_local_force_component)    \
    X(ed_fm_change_mass)                  \
    X(ed_fm_get_internal_fuel)            \
    X(ed_fm_set_internal_fuel)            \
    X(ed_fm_unlimited_fuel)               \
    X(ed_fm_get_param)                    \
    X(ed_fm_set_draw_args_v2)             \
    X(ed_fm_set_fc3_cockpit_draw_args_v2) \
    X(ed_fm_get_shake_amplitude)          \
    X(ed_fm_cold_start)                   \
    X(ed_fm_hot_start)                    \
    X(ed_fm_hot_start_in_air)             \
    X(ed_fm_pop_simulation_event)

#define RIG_STANDIN_QUERIES(X) X(standin_get_number)

struct Model_Api {
#define RIG_DECLARE(name) decltype(&::name) name = nullptr;
    RIG_MODEL_EXPORTS(RIG_DECLARE)
    RIG_STANDIN_QUERIES(RIG_DECLARE)
#undef RIG_DECLARE
    void* standin_handle = nullptr;
    void* model_handle = nullptr;

    // Last number the model wrote to a named cockpit parameter; 0 if none.
    double cockpit(const char* name) const;
};

struct Library_Paths {
    std::string standin;
    std::string model;
};

// The libraries built beside the rig; for an installed rig, whose build tree
// is gone, the ones installed beside it (../lib from the executable).
Library_Paths default_library_paths();

// A path the build tree gave (built_path) if it is still there, else the
// installed one, relative_to_prefix from the folder above the executable's.
std::string build_or_installed_path(const char* built_path, const char* relative_to_prefix);

// Loads the stand-in first (RTLD_GLOBAL, so that the model finds it by its
// soname without loading it), then the model. On failure returns false with
// a message in error.
bool load_model(const Library_Paths& paths, Model_Api& api, std::string& error);

}  // namespace rig
