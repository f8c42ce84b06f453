// Flies N host frames of steady flight through the exports and exits: the
// program that tools/count_instructions.sh runs under callgrind at two run
// lengths, so that load and start-up cancel out of the per-frame count.
//
//   qfm_frame_driver FRAMES
#include <cstdio>
#include <cstdlib>

#include "host_frame.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FRAMES\n", argv[0]);
        return 2;
    }
    const long frames = std::strtol(argv[1], nullptr, 10);
    if (frames < 0) return 2;
    Host host;
    if (!host.load()) {
        std::fprintf(stderr, "cannot load the model: %s\n", host.error.c_str());
        return 1;
    }
    Host_Frame frame(host);
    frame.start(0);
    for (long i = 0; i < frames; ++i) frame.run();
    // Printed so that the pulled values are used.
    std::printf("%ld frames, checksum %.17g\n", frames, frame.sink);
    return 0;
}
