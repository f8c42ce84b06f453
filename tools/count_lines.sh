#!/usr/bin/env bash
# Counts lines of code, not blank and not comment, in the files git tracks:
# test code against product code (library, rig, stand-in cockpit, tools),
# and prints the ratio. Generated tables are left out of both. The
# benchmarks are shown apart: they measure, they neither ship nor test.
set -euo pipefail
cd "$(dirname "$0")/.."

# Non-blank lines outside comments: // and /* */ in C and C++, # in
# Python, shell and CMake (a leading #! and C preprocessor lines count).
count() {
    [ "$#" -eq 0 ] && { echo 0; return; }
    awk '
        FNR == 1 { c = (FILENAME ~ /\.(c|cc|cpp|h|hpp|inc)$/); block = 0 }
        {
            line = $0
            if (c) {
                out = ""
                while (length(line) > 0) {
                    if (block) {
                        i = index(line, "*/")
                        if (i == 0) { line = ""; break }
                        line = substr(line, i + 2); block = 0
                    } else {
                        i = index(line, "/*"); j = index(line, "//")
                        if (j > 0 && (i == 0 || j < i)) { out = out substr(line, 1, j - 1); line = ""; break }
                        if (i == 0) { out = out line; line = ""; break }
                        out = out substr(line, 1, i - 1); line = substr(line, i + 2); block = 1
                    }
                }
                line = out
            } else if (line ~ /^[ \t]*#/ && line !~ /^#!/) {
                line = ""
            }
            if (line ~ /[^ \t\r]/) n++
        }
        END { print n + 0 }' "$@"
}

files() {  # tracked source files under the given paths, generated ones left out
    git ls-files -- "$@" | grep -E '\.(c|cc|cpp|h|hpp|inc|py|sh)$' |
        grep -v -x -e src/aero/aero_tables.cpp || true
}

mapfile -t library < <(files src include)
mapfile -t rig < <(files rig)
mapfile -t standin < <(files standin)
mapfile -t tool < <(files tools | grep -v '/test_')
mapfile -t lib_tests < <(files tests tools/test_\* | grep -v '^tests/rig/')
mapfile -t rig_tests < <(files tests/rig)
mapfile -t bench < <(files bench)

n_library=$(count "${library[@]}")
n_rig=$(count "${rig[@]}")
n_standin=$(count "${standin[@]}")
n_tool=$(count "${tool[@]}")
n_lib_tests=$(count "${lib_tests[@]}")
n_rig_tests=$(count "${rig_tests[@]}")
n_bench=$(count "${bench[@]}")
product=$((n_library + n_rig + n_standin + n_tool))
tests=$((n_lib_tests + n_rig_tests))

printf '%-32s %6d\n' "library (src, include)" "$n_library" "rig" "$n_rig" \
    "stand-in cockpit" "$n_standin" "tools" "$n_tool" "product" "$product" \
    "tests of the library and tools" "$n_lib_tests" "tests of the rig" "$n_rig_tests" \
    "tests" "$tests" "benchmarks (in neither)" "$n_bench"
awk -v t="$n_lib_tests" -v l="$n_library" \
    'BEGIN { printf "%-32s %6.2f\n", "library tests / library", t / l }'
awk -v t="$tests" -v p="$product" 'BEGIN { printf "%-32s %6.2f\n", "ratio tests / product", t / p }'
