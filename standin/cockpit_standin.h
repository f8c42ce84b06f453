/*
 * Stand-in for the host's cockpit library, for tests and the flight-test
 * rig. It exports the seven cockpit functions the flight model binds, keeps
 * every named parameter's last value, the order in which names were first
 * requested, the update counts and the dispatched actions, and offers the
 * query functions below. Fixed capacities; it never allocates.
 */
#ifndef QUILLON_COCKPIT_STANDIN_H
#define QUILLON_COCKPIT_STANDIN_H

#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#if defined(STANDIN_BUILDING)
#define STANDIN_API __declspec(dllexport)
#else
#define STANDIN_API __declspec(dllimport)
#endif
#else
#define STANDIN_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The cockpit library's own functions. */
STANDIN_API void* ed_cockpit_get_parameter_handle(const char* name);
STANDIN_API void ed_cockpit_update_parameter_with_string(void* handle, const char* value);
STANDIN_API void ed_cockpit_update_parameter_with_number(void* handle, double value);
STANDIN_API bool ed_cockpit_parameter_value_to_number(const void* handle, double* value,
                                                      bool interpolated);
STANDIN_API bool ed_cockpit_parameter_value_to_string(const void* handle, char* buffer,
                                                      unsigned size);
STANDIN_API int ed_cockpit_compare_parameters(void* a, void* b);
STANDIN_API void ed_cockpit_dispatch_action_to_device(int device, int action, double value);

/* Queries for tests and tools. */

/* Forgets every parameter, request and action. Handles handed out before
 * become invalid. */
STANDIN_API void standin_reset(void);
/* Number of distinct parameter names requested so far. */
STANDIN_API int standin_parameter_count(void);
/* Name of the i-th distinct parameter, in order of first request; null when
 * out of range. */
STANDIN_API const char* standin_parameter_name(int i);
/* Number of handle requests so far, repeats included. */
STANDIN_API int standin_request_count(void);
/* Name requested by the i-th handle request; null when out of range or beyond
 * the log's capacity. */
STANDIN_API const char* standin_request_name(int i);
/* Last number written to a parameter; false when the name is unknown or was
 * never written with a number. */
STANDIN_API bool standin_get_number(const char* name, double* value);
/* Number of updates (number or string) received by a parameter; 0 when
 * unknown. */
STANDIN_API long standin_update_count(const char* name);
/* Number of actions dispatched so far. */
STANDIN_API int standin_action_count(void);
/* The i-th dispatched action (kept up to the log's capacity). */
STANDIN_API bool standin_action(int i, int* device, int* action, double* value);

#ifdef __cplusplus
}
#endif

#endif
