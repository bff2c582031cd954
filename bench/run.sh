#!/usr/bin/env bash
# Start-up benchmark under Wine: Velmora.exe against an empty dialog built by the same toolchain, and
# against a program that only shows Velmora's form (the floor; targets: start-up at most 1.05 times
# its time, peak working set at most 1 MiB above it).
# Measures the 32-bit build, or the 64-bit one on a machine that cannot run 32-bit programs.
# Usage: bench/run.sh [rounds]   (prints figures; asserts nothing)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
. scripts/wine-env.sh
velmora_bench_up
tree=$VELMORA_TREE
echo "Measuring $tree${VELMORA_WINE_WHY:+ ($VELMORA_WINE_WHY)}"

for exe in Velmora.exe EmptyDlg.exe FormOnly.exe; do
    echo "$exe: $(stat -c %s "$tree/$exe") bytes; imports: $(${tree#build/}-w64-mingw32-objdump -p "$tree/$exe" |
        sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
done
wine "$tree/startup_bench.exe" "${1:-31}" "$(winepath -w "$tree/Velmora.exe")" \
    "$(winepath -w "$tree/EmptyDlg.exe")" "$(winepath -w "$tree/FormOnly.exe")"
