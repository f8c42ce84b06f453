#!/bin/sh
# Renders a flight-test report in headless Chromium and checks it: the page
# loads without a script error or a failed resource, every chart is drawn
# (the page's own script says so in the DOM), and the screenshot is not blank.
# Usage: tools/check_report.sh DIR/index.html
# Exit status: 0 good, 1 a check failed, 77 no chromium (skipped).
set -u
page=$(realpath "$1") || exit 1
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "check_report: no chromium; skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags="--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
 --disable-background-networking --disable-component-update --disable-sync
 --disable-extensions --hide-scrollbars --user-data-dir=$work/profile"
# The DOM after the load handler ran, and the console, with a time budget
# for the page's script.
# shellcheck disable=SC2086
timeout 120 "$browser" $flags --virtual-time-budget=5000 --enable-logging=stderr --v=0 \
    --dump-dom "file://$page" > "$work/dom.html" 2> "$work/console.txt"
# shellcheck disable=SC2086
timeout 120 "$browser" $flags --window-size=1280,4000 --screenshot="$work/shot.png" \
    "file://$page" > /dev/null 2>&1
status=0
state=$(grep -o 'id="status">[^<]*' "$work/dom.html" | sed 's/.*>//')
case "$state" in
    charts-ok*) echo "check_report: $state" ;;
    *) echo "check_report: page state '$state'"; status=1 ;;
esac
if grep -q 'CONSOLE' "$work/console.txt"; then
    echo "check_report: console messages:"
    grep 'CONSOLE' "$work/console.txt"
    status=1
fi
python3 - "$work/shot.png" <<'PY' || status=1
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
pos, idat, width, height, depth, colour = 8, b"", 0, 0, 0, 0
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
channels = {2: 3, 6: 4, 0: 1, 4: 2}[colour]
assert depth == 8, "unexpected bit depth"
raw = zlib.decompress(idat)
stride = width * channels
prev = bytearray(stride)
dark = 0
i = 0
for _ in range(height):
    f = raw[i]; line = bytearray(raw[i + 1:i + 1 + stride]); i += 1 + stride
    for x in range(stride):
        a = line[x - channels] if x >= channels else 0
        b = prev[x]; c = prev[x - channels] if x >= channels else 0
        if f == 1: line[x] = (line[x] + a) & 255
        elif f == 2: line[x] = (line[x] + b) & 255
        elif f == 3: line[x] = (line[x] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c; pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    for x in range(0, stride, channels * 4):
        if min(line[x:x + 3] if channels >= 3 else line[x:x + 1]) < 200: dark += 1
    prev = line
share = dark / (width * height / 4)
print("check_report: %dx%d screenshot, %.1f %% of sampled pixels not white" % (width, height, 100 * share))
sys.exit(0 if share > 0.005 else 1)
PY
exit $status
