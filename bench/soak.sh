#!/usr/bin/env bash
# Soak benchmark under Wine: Velmora.exe driven from outside for many rounds of what a user repeats (About
# box, time filter, source mode, both browse dialogs, Scan), its working set, committed private memory,
# windows and object counts printed after a warm-up, every 100 rounds and at the end, with their growth.
# Targets: no figure grows round after round; committed memory ends within 1 MiB of where it started.
# Measures the 32-bit build, or the 64-bit one on a machine that cannot run 32-bit programs.
# Usage: bench/soak.sh [rounds] [dpi]   (300 rounds at 96 DPI unless told; prints figures, asserts nothing)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-300}
dpi=${2:-96}

scripts/setup.sh
# While another run has qemu registered for 32-bit programs (scripts/emulate-i686.sh), they start, but
# emulated and only until it unregisters: far too slow and too short-lived to soak.
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ "${VELMORA_WINE64_ONLY:-0}" != 1 ]; then
    echo "32-bit programs run only under emulation just now: measuring the 64-bit build" >&2
    export VELMORA_WINE64_ONLY=1
fi
. scripts/wine-env.sh
velmora_bench_up
tree=$VELMORA_TREE
echo "Measuring $tree at $dpi DPI${VELMORA_WINE_WHY:+ ($VELMORA_WINE_WHY)}"

# Scan hands the maker's page to the shell, and Wine hands it on to xdg-open: the stand-in records it, so
# no browser starts.
export PATH=$PWD/tests/e2e/bin:$PATH
VELMORA_OPENED_LOG=$(mktemp)
export VELMORA_OPENED_LOG
trap 'rm -f "$VELMORA_OPENED_LOG"; velmora_wine_down' EXIT
run=(wine "$tree/soak_bench.exe" "$rounds")
[ "$dpi" = 96 ] || run=(env VELMORA_HEADLESS=1 scripts/at-dpi.sh "$dpi" "${run[@]:1}")
# The folder browser makes Wine say, every round, that it cannot read the label of the drive for "/".
"${run[@]}" 2> >(grep -v --line-buffered 'FS volume label and serial are not available' >&2)
# The browser is started in the background, so the last few may still be on their way.
sleep 2
echo "addresses handed to the stand-in browser: $(wc -l <"$VELMORA_OPENED_LOG")"
