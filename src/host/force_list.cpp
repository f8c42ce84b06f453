#include "host/force_list.h"

#include <cstdlib>

bool force_list_push(Force_List& list, const Vec3& force) {
    if (list.length == list.capacity) {
        if (list.length >= Force_List::kMaxLength) return false;
        std::size_t grown = list.capacity + list.capacity / 2;
        if (grown < list.length + 1) grown = list.length + 1;
        if (grown > Force_List::kMaxLength) grown = Force_List::kMaxLength;
        // realloc keeps the elements in order and reports failure with null
        // instead of throwing.
        void* storage = std::realloc(list.data, grown * sizeof(Vec3));
        if (!storage) return false;
        list.data = static_cast<Vec3*>(storage);
        list.capacity = grown;
    }
    list.data[list.length++] = force;
    return true;
}

bool force_list_pop(Force_List& list, Vec3& out) {
    if (list.length == 0) return false;
    out = list.data[--list.length];
    return true;
}

void force_list_free(Force_List& list) {
    std::free(list.data);
    list.data = nullptr;
    list.length = 0;
    list.capacity = 0;
}
