#!/usr/bin/env bash
# Windows cross-build check: builds the `windows` preset with MinGW-w64,
# verifies that QuillonFM.dll, CockpitBase.dll and the test host depend on no
# run-time DLL of the compiler, that the export table of QuillonFM.dll is
# exactly the ed_fm_ functions of tests/abi/exports.inc plus G_Params, and
# runs the test host (tests/windows/wine_host.cpp) under Wine.
#
# Needs: cmake, ninja, x86_64-w64-mingw32-g++ and -objdump, wine64 (Debian
# packages g++-mingw-w64-x86-64 and wine64). No network, no display: the Wine
# prefix is made afresh under the build tree, Mono and Gecko are switched off
# so that no installer dialog is ever shown, and the menu builder is switched
# off so that nothing is written to the home folder.
#
# Environment: QFM_WINE overrides the Wine loader (default /usr/lib/wine/wine64).
# Exit status 0 only when every check passed.
set -u -o pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/windows"
objdump=x86_64-w64-mingw32-objdump
host_dir="$build/tests/windows"
host_exe="$host_dir/wine_host.exe"

# Time limits, seconds: a hung Wine must not hold up CI.
boot_timeout=300
run_timeout=300

passed=0
failed=0
pass() { echo "PASS  $*"; passed=$((passed + 1)); }
fail() { echo "FAIL  $*"; failed=$((failed + 1)); }
finish() {
    echo "windows: $passed passed, $failed failed"
    [[ $failed -eq 0 && $passed -gt 0 ]] && exit 0
    exit 1
}

# ---- Tools ---------------------------------------------------------------------
wine="${QFM_WINE:-/usr/lib/wine/wine64}"
if [[ ! -x "$wine" ]]; then
    wine="$(command -v wine64 || command -v wine || true)"
fi
missing=()
for tool in cmake ninja flock x86_64-w64-mingw32-g++ "$objdump"; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[[ -n "$wine" && -x "$wine" ]] || missing+=("wine64")
if [[ ${#missing[@]} -gt 0 ]]; then
    fail "tools present (missing: ${missing[*]}; Debian packages g++-mingw-w64-x86-64, wine64)"
    finish
fi
pass "tools present (wine: $wine)"

# ---- Build -----------------------------------------------------------------------
cd "$root" || exit 1
mkdir -p "$build"
# Every build tree's ctest may start this check, and they all share
# build/windows and its Wine prefix: one run at a time.
lock_timeout=600
exec {lock_fd}>"$build.lock"
if ! flock -w "$lock_timeout" "$lock_fd"; then
    fail "no other run of this check held build/windows for more than $lock_timeout s"
    finish
fi
if cmake --preset windows >"$build/configure.log" 2>&1; then
    pass "configure preset windows"
else
    cat "$build/configure.log"
    fail "configure preset windows"
    finish
fi
# Warnings are errors in this preset; the log is kept for a look at the
# commands.
if cmake --build --preset windows >"$build/build.log" 2>&1; then
    pass "build preset windows (warning-free: -Werror)"
else
    cat "$build/build.log"
    fail "build preset windows"
    finish
fi

dll="$build/QuillonFM.dll"
cockpit_dll="$build/standin/CockpitBase.dll"
for file in "$dll" "$cockpit_dll" "$host_exe"; do
    if [[ -f "$file" ]]; then pass "built ${file#"$root"/}"; else fail "built ${file#"$root"/}"; fi
done
[[ $failed -eq 0 ]] || finish

# ---- Imports: Windows system DLLs only ---------------------------------------------
# A libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll import would
# have to be shipped beside the model in the host's folder.
system_dll='^(kernel32|msvcrt|ucrtbase|ntdll|api-ms-win-[a-z0-9-]+)\.dll$'
for file in "$dll" "$cockpit_dll" "$host_exe"; do
    imports="$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')"
    foreign="$(grep -viE "$system_dll" <<<"$imports" | tr '\n' ' ')"
    if [[ -n "$imports" && -z "${foreign// /}" ]]; then
        pass "${file##*/} imports only system DLLs ($(paste -sd ' ' <<<"$imports"))"
    else
        fail "${file##*/} imports only system DLLs (also imports: ${foreign:-nothing at all})"
    fi
done

# ---- Exports: exactly the host interface ---------------------------------------------
expected="$( (sed -n 's/^QFM_FN(\([A-Za-z0-9_]*\))$/\1/p' "$root/tests/abi/exports.inc"; echo G_Params) | sort)"
# The name table follows the line "[Ordinal/Name Pointer] Table" up to the
# first empty line; each entry reads "[   n] name".
exported="$("$objdump" -p "$dll" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^[[:space:]]*$/s/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' |
    tr -d '\r' | sort)"
absent="$(comm -23 <(echo "$expected") <(echo "$exported") | tr '\n' ' ')"
extra="$(comm -13 <(echo "$expected") <(echo "$exported") | tr '\n' ' ')"
count="$(grep -c . <<<"$expected")"
if [[ -z "${absent// /}" ]]; then
    pass "QuillonFM.dll exports all $count names (exports.inc and G_Params)"
else
    fail "QuillonFM.dll exports all names (absent: $absent)"
fi
if [[ -z "${extra// /}" ]]; then
    pass "QuillonFM.dll exports nothing else"
else
    fail "QuillonFM.dll exports nothing else (extra: $extra)"
fi

# ---- The release archive ------------------------------------------------------------
# What a user takes: QuillonFM-<version>-win64.zip with the DLL, the headers,
# the README and the installation note; its DLL is the one checked above.
if (cd "$build" && cpack -G ZIP -B "$build/package" >"$build/cpack.log" 2>&1); then
    zip_file="$(ls "$build"/package/QuillonFM-*-win64.zip 2>/dev/null | head -n 1)"
else
    cat "$build/cpack.log"
    zip_file=""
fi
if [[ -n "$zip_file" ]]; then
    pass "cpack made ${zip_file##*/}"
    listing="$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip_file")"
    for entry in QuillonFM.dll include/quillon_fm.h README.md INSTALL-windows.txt; do
        if grep -qx "$entry" <<<"$listing"; then pass "archive holds $entry"; else fail "archive holds $entry"; fi
    done
    unpacked="$build/package/unpacked"
    rm -rf "$unpacked"
    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip_file" "$unpacked"
    if cmp -s "$unpacked/QuillonFM.dll" "$dll"; then
        pass "archive's QuillonFM.dll is the checked build (exports and imports above)"
    else
        fail "archive's QuillonFM.dll is the checked build"
    fi
else
    fail "cpack made QuillonFM-*-win64.zip"
fi

# ---- Run the test host under Wine --------------------------------------------------
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
wineserver="$(dirname "$wine")/wineserver"
[[ -x "$wineserver" ]] || wineserver="$(command -v wineserver || true)"

# Stops the Wine server of this prefix (and the helper processes it started),
# so that nothing of ours outlives the check.
stop_wine() {
    [[ -n "$wineserver" ]] && WINEPREFIX="$WINEPREFIX" "$wineserver" -k >/dev/null 2>&1
    return 0
}
trap stop_wine EXIT

# A fresh prefix for every run: nothing left by an earlier run or another
# Wine version can change the result.
stop_wine
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
if timeout "$boot_timeout" "$wine" wineboot --init >"$build/wineboot.log" 2>&1; then
    [[ -n "$wineserver" ]] && timeout "$boot_timeout" "$wineserver" -w >/dev/null 2>&1
    pass "Wine prefix created (${WINEPREFIX#"$root"/})"
else
    cat "$build/wineboot.log"
    fail "Wine prefix created (wineboot failed or took over $boot_timeout s)"
    finish
fi

output="$build/wine_host.out"
# From the host's own folder, where the build copied both DLLs.
(cd "$host_dir" && timeout "$run_timeout" "$wine" wine_host.exe) >"$output" 2>"$build/wine_host.err"
status=$?
tr -d '\r' <"$output" >"$output.tmp" && mv "$output.tmp" "$output"
cat "$output"
summary="$(tail -n 1 "$output")"
host_passed="$(grep -c '^PASS  ' "$output")"
if [[ $status -eq 0 && "$summary" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
    pass "wine_host.exe under Wine: $summary"
else
    cat "$build/wine_host.err"
    fail "wine_host.exe under Wine (exit $status; last line: ${summary:-none}; $host_passed checks passed)"
fi

finish
