#!/usr/bin/env bash
# Runs a Windows program under Wine at another display scale: in a copy of the project's Wine prefix whose
# LogPixels is DPI and whose desktop is 1920 x 1080, on a Wine server of the copy's own, so the prefix
# every other run uses stays as it is. The scale tests run through it, and so can a person, to look.
# Usage: scripts/at-dpi.sh DPI PROGRAM [ARGUMENT...]   (96 DPI is 100 %, 144 is 150 %, 192 is 200 %)
set -euo pipefail
dpi=$1
shift
. "$(dirname "$0")/wine-env.sh"
copy=$WINEPREFIX-$dpi-dpi
if [ "${VELMORA_HEADLESS:-0}" = 1 ]; then
    # Under the tests, whose prefix and server are up already, the copy's desktop gets a screen of its own
    # and of its size, as on a person's 1920 x 1080 display, rather than hanging off the tests' smaller one.
    velmora_start_xvfb 1920x1080
    down() { kill "$VELMORA_XVFB_PID"; }
else
    velmora_wine_up
    down() { velmora_wine_down; }
fi
finish() {
    WINEPREFIX=$copy wineserver -k 2>/dev/null || true
    rm -rf "$copy"
    down
}
trap finish EXIT
trap 'exit 130' INT TERM
# Hard links copy the prefix's 1.3 GB in a moment: Wine never writes into those files. It does rewrite
# its registry, so that is copied for real.
rm -rf "$copy"
cp -al "$WINEPREFIX" "$copy"
for hive in system.reg user.reg userdef.reg; do
    cp --remove-destination "$WINEPREFIX/$hive" "$copy/$hive"
done
# Without DpiScalingVer, Wine takes every program as aware of the scale; with it, as on Windows, one that
# does not declare itself aware is told 96 DPI. Only for a 64-bit program (machine 8664 in its PE header):
# Wine 8's 32-bit side then makes even an aware program's windows unaware and scales them.
machine=$(od -An -tx1 -j$(($(od -An -tu4 -j60 -N4 "$1" 2>/dev/null || echo 0) + 4)) -N2 "$1" 2>/dev/null | tr -d ' ') || true
scaling=
[ "$machine" != 6486 ] || scaling='"DpiScalingVer"=dword:00001000\n'
# Written before the copy's server first reads its registry; a key named again adds to what it had.
printf '\n[Control Panel\\\\Desktop]\n"LogPixels"=dword:%08x\n'"$scaling"'\n[Software\\\\Wine\\\\Explorer\\\\Desktops]\n"Default"="1920x1080"\n' \
    "$dpi" >>"$copy/user.reg"
# VELMORA_DPI tells the tests which scale they should see. In the background: a Windows program ignores
# Ctrl+C, and only a waiting shell takes it at once.
VELMORA_DPI=$dpi WINEPREFIX=$copy wine "$@" &
wait $!
