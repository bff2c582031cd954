#!/usr/bin/env bash
# Where this machine cannot run 32-bit programs, the 32-bit Velmora.exe is still started once: 32-bit x86
# code runs under qemu's user-mode emulation, which binfmt_misc hands every i386 program to while this
# script runs. It must show its form and close on Escape with exit status 0. Emulation is too slow and
# too partial for the whole 32-bit tier (Wine's own open-file dialog crashed under it), so this is a
# smoke start only.
# Exit status: 0 passed, 1 failed, 77 not run here (the reason is the last line printed).
# Needs a display (DISPLAY), and build/i686/Velmora.exe (scripts/build.sh i686).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
exe=build/i686/Velmora.exe
entry=velmora-i386
binfmt=/proc/sys/fs/binfmt_misc

not_run() { echo "not run: $1"; exit 77; }
[ "$(id -u)" -eq 0 ] || not_run "registering an emulator with binfmt_misc needs root"
[ -f "$exe" ] || { echo "FAIL - $exe is missing: run scripts/build.sh i686"; exit 1; }
scripts/setup.sh emulation >/dev/null

mounted_here=
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || not_run "binfmt_misc cannot be mounted here"
    mounted_here=1
fi
unregister() {
    [ ! -e "$binfmt/$entry" ] || echo -1 >"$binfmt/$entry"
    [ -z "$mounted_here" ] || umount "$binfmt" 2>/dev/null || true
}
prefix=$root/build/wineprefix-emulated
# The prefix's programs must end before the emulator's entry goes, or they lose their emulator.
cleanup() {
    WINEPREFIX=$prefix timeout 60 wineserver -k 2>/dev/null || true
    unregister
}
trap cleanup EXIT
[ ! -e "$binfmt/$entry" ] || echo -1 >"$binfmt/$entry"
# 32-bit x86 ELF programs, executables and shared objects alike (e_type 2 or 3, e_machine 3); the kernel
# reads the escapes itself. With F it opens the emulator now, so it serves in every mount namespace.
echo ":$entry:M::"'\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$binfmt/register" || not_run "this kernel does not take a binfmt_misc entry"

# Debian's own wine and its 32-bit loader, never the 64-bit-only stand-ins of scripts/wine-env.sh.
PATH=$(tr : '\n' <<<"$PATH" | grep -vx "$root/build/wine64-only" | paste -sd:)
export PATH
unset VELMORA_WINE_KIND WINELOADER
export VELMORA_WINEPREFIX=$prefix
. scripts/wine-env.sh
# A prefix of its own with a 32-bit half, which the 64-bit-only one lacks. Making it under emulation takes
# minutes, so it is kept for the next run.
if [ "$(cat "$WINEPREFIX/.velmora-ready" 2>/dev/null)" != emulated ]; then
    VELMORA_WINE_KIND=emulated timeout 1200 bash -c '. scripts/wine-env.sh; velmora_make_prefix "$@"' _ \
        tests/emulated/no-debugger.reg.in || { echo "FAIL - the emulated Wine prefix could not be made"; exit 1; }
fi

wine "$exe" </dev/null >/dev/null 2>&1 &
app=$!
status=0 window=
for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --class Velmora.exe 2>/dev/null | head -n1) || true
    [ -z "$window" ] && kill -0 "$app" 2>/dev/null || break
    sleep 2
done
if [ -z "$window" ]; then
    if kill -0 "$app" 2>/dev/null; then
        echo "FAIL - the 32-bit program showed no form under emulation within 300 s"
    else
        code=0
        wait "$app" || code=$?
        echo "FAIL - the 32-bit program ended with exit status $code before showing its form"
    fi
    exit 1
fi
echo "ok - the 32-bit program shows its form under emulation"
# What started it: the emulator, not the kernel's own 32-bit loader.
emulator=$(readlink "/proc/$(xdotool getwindowpid "$window")/exe" 2>/dev/null || true)
case "$emulator" in
    */qemu-i386-static) echo "ok - it runs under $emulator" ;;
    *) echo "FAIL - it runs under ${emulator:-an unknown program}, not the emulator"; status=1 ;;
esac
xdotool windowfocus --sync "$window" key Escape
code=0
timeout 120 tail --pid="$app" -f /dev/null || { echo "FAIL - it did not end within 120 s of Escape"; exit 1; }
wait "$app" || code=$?
if [ "$code" = 0 ]; then
    echo "ok - it closes on Escape with exit status 0"
else
    echo "FAIL - it closed with exit status $code"
    status=1
fi
exit $status
