#!/usr/bin/env bash
# Where this machine cannot run 32-bit programs, the 32-bit Velmora.exe is still started once, under
# user-mode emulation: it must show its form and close on Escape with exit status 0.
# Exit status: 0 passed, 1 failed, 77 not run here (the reason is the last line printed).
# Needs a display (DISPLAY), and build/i686/Velmora.exe (scripts/build.sh i686).
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -n "${VELMORA_EMULATED:-}" ] || VELMORA_EMULATED=1 exec scripts/emulate-i686.sh "$0"
exe=build/i686/Velmora.exe
[ -f "$exe" ] || { echo "FAIL - $exe is missing: run scripts/build.sh i686"; exit 1; }

wine "$exe" </dev/null >/dev/null 2>&1 &
app=$!
for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --class Velmora.exe 2>/dev/null | head -n1) || true
    [ -z "$window" ] && kill -0 "$app" 2>/dev/null || break
    sleep 2
done
if [ -z "$window" ]; then
    kill -0 "$app" 2>/dev/null && why="within 300 s" || why="before it ended"
    echo "FAIL - the 32-bit program showed no form under emulation $why"
    exit 1
fi
echo "ok - the 32-bit program shows its form under emulation"
xdotool windowfocus --sync "$window" key Escape
timeout 120 tail --pid="$app" -f /dev/null || { echo "FAIL - it did not end within 120 s of Escape"; exit 1; }
code=0
wait "$app" || code=$?
if [ "$code" = 0 ]; then echo "ok - it closes on Escape with exit status 0"; else
    echo "FAIL - it closed with exit status $code" && exit 1; fi
