// Forces that leave the library one by one, each list with its own point of
// application kept by the owner. The host drains them after each frame,
// newest first.
#pragma once

#include <cstddef>

#include "shared_state.h"

// Growable contiguous list of forces. Growth follows capacity + capacity / 2
// (at least one more), storage is never shrunk, so once a host drains every
// frame the list stops allocating. A host that never drains cannot make it
// grow without bound: at kMaxLength the newest force is dropped. An
// allocation failure drops the force as well; nothing is thrown.
struct Force_List {
    static constexpr std::size_t kMaxLength = 4096;

    Vec3* data = nullptr;
    std::size_t length = 0;
    std::size_t capacity = 0;
};

// Appends; returns false when the force had to be dropped.
bool force_list_push(Force_List& list, const Vec3& force);
// Removes the newest force into out; false when the list is empty.
bool force_list_pop(Force_List& list, Vec3& out);
// Frees the storage (unload).
void force_list_free(Force_List& list);
