#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus (tests/fuzz/corpus/) in the byte format
that fuzz_exports.cpp decodes: a mode byte (0 finite, 1 wild), then
operations, each an operation byte followed by its arguments. Values are a
palette index (one byte) or 255 and eight bytes of a little-endian double.

    python3 tests/fuzz/make_seed_corpus.py
"""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The host's command numbers, by their names in the library's header.
with open(os.path.join(HERE, '..', '..', 'include', 'quillon_fm_ids.h')) as header:
    CMD = {name: int(number) for name, number in
           re.findall(r'QFM_CMD_(\w+) = (\d+),', header.read())}

# Palette indices of fuzz_exports.cpp's kPalette.
PALETTE = {0.0: 0, 1.0: 2, -1.0: 3, 0.5: 4, 2.0: 6, 0.01: 7, 0.1: 9, 10.0: 10,
           100.0: 11, 150.0: 12, 340.0: 13, 1000.0: 14, 45.0: 20, 90.0: 21,
           5.0: 23, 1500.0: 25, 3000.0: 27, 1.225: 32, 101325.0: 33,
           288.15: 34, 0.3: 48, 3.0: 49}
NAN, INF, HUGE = 44, 42, 39
RAW = 255


def v(x):
    if x in PALETTE:
        return bytes([PALETTE[x]])
    return bytes([RAW]) + struct.pack('<d', x)


def op(n, *args):
    return bytes([n]) + b''.join(args)


def body(vx, alpha, beta=0.0, p=0.0, q=0.0, r=0.0, pitch=0.0, vy=0.0):
    values = [0.0, 0.0, 0.0, vx, vy, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0,
              p, r, q, 0.0, pitch, 0.0, alpha, beta]
    return op(1, *[v(x) for x in values])


def world(vx):
    return op(2, v(vx), v(0.0), v(0.0))


def mass():
    return op(3, *[v(x) for x in (8000.0, 0.0, 0.0, 0.0, 10247.0, 28268.8, 30032.72)])


def atmosphere(h):
    return op(4, *[v(x) for x in (h, 288.15, 340.0, 1.225, 101325.0, 0.0, 0.0, 0.0)])


def surface(h):
    return op(5, v(h), v(h), struct.pack('<I', 0), v(0.0), v(1.0), v(0.0))


def strut(index, compression):
    return op(6, bytes([index + 2]), *[v(0.0)] * 7, v(compression), bytes([0]))


def simulate(dt=0.01):
    # A frame-time byte of 160 or more: the value follows.
    return op(0, bytes([RAW]), v(dt))


def command(number, value):
    return op(7, bytes([RAW]) + struct.pack('<i', number),
              bytes([RAW]) + struct.pack('<f', value))


def start(kind):  # 0 cold, 1 hot, 2 hot in air, 3 release, 4 repair
    return op(16, bytes([kind]))


def pull():
    return (op(10, bytes([39]), bytes([0])) + op(8, bytes([0])) + op(9, bytes([0])) +
            op(11, bytes([0])) + op(13, bytes([10])) + op(14, bytes([8])) +
            op(19, bytes([0])))


def fuel(kg):
    return op(20, bytes([0]), v(kg))


def frame(vx, alpha, h=1000.0, struts=(), **motion):
    out = body(vx, alpha, **motion) + world(vx) + mass() + atmosphere(h) + surface(0.0)
    for index, compression in enumerate(struts):
        out += strut(index, compression)
    return out + simulate() + pull()


def event(kind, first):
    return op(18, bytes([kind]), v(first), v(0.0), v(0.0), bytes([0]))


CHECKED, WILD = b'\x00', b'\x01'
ON_GROUND = (0.1, 0.1, 0.1)

SEEDS = {
    'hot_start_in_air_cruise': CHECKED + fuel(2500.0) + start(2) +
        b''.join(frame(150.0, 0.05, q=0.01 * (i % 3)) for i in range(12)),
    'cold_start_engine_start': CHECKED + fuel(2000.0) + start(0) +
        command(CMD['BATTERY1'], 1.0) + command(CMD['BATTERY2'], 1.0) +
        command(CMD['START_SWITCH'], 1.0) + command(CMD['GTS_START'], 0.0) +
        b''.join(frame(0.0, 0.0, h=0.0, struts=ON_GROUND) for _ in range(6)) +
        command(CMD['START_SWITCH'], 0.5) +
        b''.join(frame(0.0, 0.0, h=0.0, struts=ON_GROUND) for _ in range(6)),
    'ground_taxi_brakes_steering': CHECKED + fuel(1500.0) + start(1) +
        command(CMD['STEER_MODE'], 1.0) + command(CMD['RUDDER_AXIS'], -0.5) +
        command(CMD['BRAKES_AXIS'], -1.0) +
        b''.join(frame(5.0, 0.0, h=2.0, struts=ON_GROUND) for _ in range(8)),
    'gear_flaps_speed_brake_cycle': CHECKED + fuel(2500.0) + start(2) +
        command(CMD['GEAR_HANDLE'], 1.0) + command(CMD['FLAP_LEVER'], 1.0) +
        command(CMD['SPEED_BRAKE'], 1.0) + command(CMD['PITCH_AXIS'], -0.3) +
        command(CMD['ROLL_AXIS'], 0.4) +
        b''.join(frame(120.0, 0.15, beta=0.05, p=0.2) for _ in range(10)) +
        command(CMD['GEAR_HANDLE'], 0.0) + command(CMD['SPEED_BRAKE'], -1.0) +
        b''.join(frame(160.0, 0.02) for _ in range(5)),
    'events_damage_odd_calls': CHECKED + start(2) + event(4, 1.0) + frame(150.0, 0.05) +
        event(4, 2.0) + frame(150.0, 0.05) + event(4, 3.0) + frame(150.0, 0.05) +
        op(17, bytes([20]), v(0.5), bytes([1])) + op(17, bytes([199]), v(1.0), bytes([0])) +
        start(4) + start(3) + op(21, bytes([1]), bytes([0]), v(1.0)) +
        op(13, bytes([0x81])) + op(14, bytes([2])) + op(12, bytes([31])) +
        op(10, bytes([5]), bytes([0x3f])),
    'wild_nan_and_infinity': WILD + start(2) + frame(150.0, 0.05) +
        op(0, bytes([RAW, NAN])) + op(0, bytes([RAW, INF])) +
        op(1, *[bytes([NAN])] * 20) + simulate() + pull() +
        op(4, *[bytes([HUGE])] * 8) + simulate() + pull() +
        command(CMD['PITCH_AXIS'], float('nan')) + frame(150.0, 0.05),
    # Every command the library knows with values at the ends of the float
    # range, in the air and then on the ground, where brakes and steering act.
    'known_commands_extreme_values': CHECKED + fuel(2500.0) + b''.join(
        start(kind) + b''.join(
            b''.join(command(c, x) for c in sorted(set(CMD.values()))) +
            b''.join(frame(150.0 * (kind == 2), 0.05, h=1000.0 if kind == 2 else 0.0,
                           struts=() if kind == 2 else ON_GROUND) for _ in range(3))
            for x in (0.0, 1.0, -1.0, 1.25, 7.75, 1e30, -1e30, 3.4028234e38, -3.4028234e38,
                      1.17549435e-38))
        for kind in (2, 1)),
    # Every sequence of three starts, each followed by a frame, alternately
    # on the ground and in the air.
    'starts_in_any_order': CHECKED + fuel(2500.0) + b''.join(
        start(k) + (frame(0.0, 0.0, h=0.0, struts=ON_GROUND) if n % 2 == 0 else
                    frame(150.0, 0.05))
        for n, seq in enumerate((a, b, c) for a in range(5) for b in range(5) for c in range(5))
        for k in seq),
    # Fuzzer finding: a hot start, a frame with no state input (the engine
    # runs down below the brake pressure), then a frame of the largest
    # double: the brake bleed's 0 times infinity made the pressure NaN.
    'largest_frame_time_after_no_input': CHECKED + start(1) + simulate(0.1) +
        simulate(1.7976931348623157e308) + pull() + simulate(),
    # One frame of NaN angle of attack at 150 m/s with rates: the lag kept
    # it and the side force and roll and yaw moments stayed NaN for good.
    'nan_angle_of_attack_one_frame': WILD + fuel(2500.0) + start(2) +
        b''.join(frame(150.0, 0.05, vy=-12.0, p=0.3, r=0.08) for _ in range(3)) +
        body(150.0, float('nan'), vy=-12.0, p=0.3, r=0.08) + simulate(0.02) + pull() +
        b''.join(frame(150.0, 0.05, vy=-12.0, p=0.3, r=0.08) for _ in range(5)),
}


def main():
    corpus = os.path.join(HERE, 'corpus')
    os.makedirs(corpus, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(corpus, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
