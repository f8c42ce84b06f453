#!/usr/bin/env bash
# Instructions per host frame, counted with callgrind.
#
# Runs bench/qfm_frame_driver (built by the `bench` preset) at two run lengths
# and prints (I(N2) - I(N1)) / (N2 - N1): loading the libraries, binding the
# cockpit and the start cancel out. Then the same difference, per frame, of
# the inclusive cost of each subsystem's step function.
#
#   tools/count_instructions.sh [BUILD_DIR] [N1] [N2]
#
# BUILD_DIR defaults to build/bench (configured and built here when missing);
# N1 and N2 default to 2000 and 12000 frames.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/bench}
n1=${2:-2000}
n2=${3:-12000}

if [ ! -x "$build/bench/qfm_frame_driver" ]; then
    if [ "$build" = build/bench ]; then
        cmake --preset bench > /dev/null
        cmake --build --preset bench --target qfm_frame_driver > /dev/null
    else
        echo "no $build/bench/qfm_frame_driver" >&2
        exit 1
    fi
fi
command -v valgrind > /dev/null || { echo "valgrind is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {
    valgrind --tool=callgrind --callgrind-out-file="$work/cg.$1" \
        "$build/bench/qfm_frame_driver" "$1" > /dev/null 2> "$work/log.$1"
}
run "$n1"
run "$n2"

total() { awk '/^summary:/ { print $2 }' "$work/cg.$1"; }
t1=$(total "$n1")
t2=$(total "$n2")
frames=$((n2 - n1))

echo "instructions per frame: $(( (t2 - t1) / frames ))" \
     "(I($n2) - I($n1)) / $frames, with I($n1) = $t1, I($n2) = $t2"

# Inclusive cost of one function in one run. In a build without debug
# information (the bench preset) callgrind_annotate lists each function once;
# with debug information it splits a function by the source file of its
# inlined lines, and the largest entry is taken.
inclusive() {
    callgrind_annotate --inclusive=yes --threshold=100 "$work/cg.$1" 2> /dev/null |
        awk -v fn="$2" '
            { gsub(",", "", $1) }
            $1 ~ /^[0-9]+$/ {
                name = $0
                sub(/^[^:]*:/, "", name)          # drop the count and file
                sub(/^[ \t]+/, "", name)
                sub(/ \[.*$/, "", name)           # drop the object name
                if ((name == fn || index(name, fn "(") == 1) && $1 > best) best = $1
            }
            END { print best + 0 }'
}

# Inside the library: the inclusive cost of every ed_fm_ export the host
# called (the rest is the driver playing the host).
exports() {
    callgrind_annotate --inclusive=yes --threshold=100 "$work/cg.$1" 2> /dev/null |
        awk '{ gsub(",", "", $1) }
             $1 ~ /^[0-9]+$/ && $0 ~ /:ed_fm_[a-z_0-9]+ \[/ { sum += $1 }
             END { print sum + 0 }'
}
e1=$(exports "$n1")
e2=$(exports "$n2")
echo "inside the library (every ed_fm_ export): $(( (e2 - e1) / frames ))"

echo
echo "per frame, inclusive (the step functions of one frame, in frame order):"
printf '  %-34s %8s\n' function instructions
for fn in frame_step air_data_step engine_step fuel_burn cabin_step hydraulic_step \
          ram_air_step electrical_step canopy_step lights_step gear_step hook_step \
          control_step surface_step aero_table_pass aero_build_coefficients add_force \
          update_center_of_mass ccip_cue_step velocity_vector_cue_step \
          command_input suspension_feedback get_param \
          write_external_draw_args write_cockpit_draw_args \
          ed_fm_add_local_force_component ed_fm_change_mass ed_fm_set_atmosphere \
          ed_fm_set_current_state_body_axis cockpit_set \
          ed_cockpit_update_parameter_with_number ed_cockpit_get_parameter_handle; do
    a=$(inclusive "$n1" "$fn")
    b=$(inclusive "$n2" "$fn")
    printf '  %-34s %8d\n' "$fn" $(( (b - a) / frames ))
done
