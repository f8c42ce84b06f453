// What the host reads after a frame: numbered parameters and the animation
// arguments of the external and cockpit models. Pure readers.
#pragma once

#include <cstddef>

double get_param(unsigned index);
void write_external_draw_args(float* args, std::size_t size);
void write_cockpit_draw_args(float* args, std::size_t size);
