#!/usr/bin/env bash
# Start-up benchmark under Wine: Velmora.exe against an empty dialog built by the same toolchain
# (target: a ratio of at most 1.10), and against a program that only shows Velmora's form.
# Usage: bench/run.sh [rounds]   (prints figures; asserts nothing)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh i686
tree=build/i686
. scripts/wine-env.sh
VELMORA_HEADLESS=1 velmora_wine_up

for exe in Velmora.exe EmptyDlg.exe FormOnly.exe; do
    echo "$exe: $(stat -c %s "$tree/$exe") bytes; imports: $(i686-w64-mingw32-objdump -p "$tree/$exe" |
        sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
done
wine "$tree/startup_bench.exe" "${1:-31}" "$(winepath -w "$tree/Velmora.exe")" \
    "$(winepath -w "$tree/EmptyDlg.exe")" "$(winepath -w "$tree/FormOnly.exe")"
