// Finiteness of a value the host sent, read from its bits. No floating-point
// instruction touches the value: even a quiet comparison raises the
// invalid-operation exception on a signalling NaN, which a host (or any bit
// pattern it forwards) can send, and a host may run with that exception
// trapped.
#pragma once

#include <cstdint>
#include <cstring>

inline bool finite_bits(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return (b & 0x7ff0000000000000u) != 0x7ff0000000000000u;
}

inline bool finite_bits(float x) {
    std::uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return (b & 0x7f800000u) != 0x7f800000u;
}

// NaN, quiet or signalling: all exponent bits set and a fraction.
inline bool nan_bits(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return (b & 0x7fffffffffffffffu) > 0x7ff0000000000000u;
}
