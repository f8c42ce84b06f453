#include "outputs/outputs.h"
void write_external_draw_args(float*, std::size_t) {}
void write_cockpit_draw_args(float*, std::size_t) {}
