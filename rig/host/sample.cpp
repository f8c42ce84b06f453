#include "host/sample.h"

#include <cstring>

namespace rig {

const Column kColumns[] = {
#define RIG_ENTRY(name, unit, meaning) {#name, unit, meaning, &Sample::name},
    RIG_COLUMNS(RIG_ENTRY)
#undef RIG_ENTRY
};
const std::size_t kColumnCount = sizeof(kColumns) / sizeof(kColumns[0]);

const Column* find_column(const char* name) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (std::strcmp(kColumns[i].name, name) == 0) return &kColumns[i];
    }
    return nullptr;
}

}  // namespace rig
