#!/usr/bin/env bash
# Runs a command with 32-bit x86 programs under qemu's user-mode emulation, for machines that cannot run
# them natively: binfmt_misc hands every i386 program to the emulator until the command ends (also when
# it fails), and Wine uses a prefix of its own with a 32-bit half, which the 64-bit-only one lacks.
#   scripts/emulate-i686.sh wine build/i686/Velmora.exe
# Emulation is slow and partial (Wine's own open-file dialog crashed under it): fit for a smoke start, not
# for the whole 32-bit tier. Needs root. Exits 77 when it cannot be had here, with the reason last.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
entry=velmora-i386
binfmt=/proc/sys/fs/binfmt_misc
prefix=$root/build/wineprefix-emulated

not_here() { echo "not run: $1"; exit 77; }
[ "$(id -u)" -eq 0 ] || not_here "registering an emulator with binfmt_misc needs root"
scripts/setup.sh emulation >/dev/null

mounted_here=
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || not_here "binfmt_misc cannot be mounted here"
    mounted_here=1
fi
# The prefix's programs must end before the entry goes, or they lose their emulator.
cleanup() {
    WINEPREFIX=$prefix timeout 60 wineserver -k 2>/dev/null || true
    [ ! -e "$binfmt/$entry" ] || echo -1 >"$binfmt/$entry"
    [ -z "$mounted_here" ] || umount "$binfmt" 2>/dev/null || true
}
trap cleanup EXIT
[ ! -e "$binfmt/$entry" ] || echo -1 >"$binfmt/$entry"
# 32-bit x86 ELF programs, executables and shared objects alike (e_type 2 or 3, e_machine 3); the kernel
# reads the escapes itself. With F it opens the emulator now, so it serves in every mount namespace.
echo ":$entry:M::"'\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$binfmt/register" || not_here "this kernel does not take a binfmt_misc entry"

# Debian's own wine and its 32-bit loader, never the 64-bit-only stand-ins of scripts/wine-env.sh.
PATH=$(tr : '\n' <<<"$PATH" | grep -vx "$root/build/wine64-only" | paste -sd:)
export PATH VELMORA_WINEPREFIX=$prefix
unset VELMORA_WINE_KIND WINELOADER
. scripts/wine-env.sh
# Making the prefix under emulation takes minutes, so it is kept for the next run. A program that faults
# must end at once: the debugger Wine would start waits for ever under emulation.
if [ "$(cat "$WINEPREFIX/.velmora-ready" 2>/dev/null)" != emulated ]; then
    VELMORA_WINE_KIND=emulated timeout 1200 bash -c '. scripts/wine-env.sh; velmora_make_prefix "$@"' _ \
        scripts/wine-no-debugger.reg.in || { echo "FAIL - the emulated Wine prefix could not be made"; exit 1; }
fi
"$@"
