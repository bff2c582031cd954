# Wine prefix and X display of the project's own. Source it, then call velmora_wine_up.
# VELMORA_HEADLESS=1 always starts a private Xvfb, even when a display is set.
# VELMORA_WINE64_ONLY=1 takes the path of a machine that cannot run 32-bit programs, to try it on one that can.

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${VELMORA_WINEPREFIX:-$VELMORA_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=${HOME:-/tmp}
VELMORA_XVFB_PID=

# Some machines run 64-bit user code only. There Debian's wine wrapper still picks the installed 32-bit
# loader, which the kernel refuses, so even 64-bit programs fail through it: every Wine call goes to the
# 64-bit loader instead, through a wine and wine-stable of our own first on PATH (wineboot, winepath and
# regedit reach the loader through wine-stable). Only the x86_64 build can run there.
# Sets VELMORA_WINE_KIND (wow64: both builds run; win64: only x86_64) and VELMORA_WINE_WHY.
velmora_detect_wine() {
    [ -z "${VELMORA_WINE_KIND:-}" ] || return 0
    if [ "${VELMORA_WINE64_ONLY:-0}" = 1 ]; then
        VELMORA_WINE_KIND=win64 VELMORA_WINE_WHY="VELMORA_WINE64_ONLY=1 is set"
    elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        VELMORA_WINE_KIND=win64 VELMORA_WINE_WHY="this machine cannot run 32-bit programs"
    else
        VELMORA_WINE_KIND=wow64 VELMORA_WINE_WHY=
    fi
    export VELMORA_WINE_KIND VELMORA_WINE_WHY
    if [ "$VELMORA_WINE_KIND" = win64 ]; then
        echo "Wine: 64-bit programs only ($VELMORA_WINE_WHY); the 32-bit build is checked but not run." >&2
        local shims=$VELMORA_ROOT/build/wine64-only name
        mkdir -p "$shims"
        for name in wine wine-stable; do
            printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/$name"
            chmod +x "$shims/$name"
        done
        case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
    else
        echo "Wine: 32-bit and 64-bit programs run on this machine." >&2
    fi
}

# The trees whose programs this machine can run, 32-bit first.
velmora_runnable_trees() {
    velmora_detect_wine
    if [ "$VELMORA_WINE_KIND" = win64 ]; then echo x86_64; else echo i686 x86_64; fi
}

# For the benchmarks: builds the tree whose program runs here, the 32-bit one where it can, starts Wine on a
# private display, and sets VELMORA_TREE to that tree's folder.
velmora_bench_up() {
    velmora_detect_wine
    VELMORA_TREE=build/$(velmora_runnable_trees | cut -d' ' -f1)
    "$VELMORA_ROOT/scripts/build.sh" "${VELMORA_TREE#build/}"
    VELMORA_HEADLESS=1 velmora_wine_up
}

velmora_wine_down() {
    wineserver -k 2>/dev/null || true
    if [ -n "$VELMORA_XVFB_PID" ]; then
        kill "$VELMORA_XVFB_PID" 2>/dev/null
        wait "$VELMORA_XVFB_PID" 2>/dev/null
    fi
    VELMORA_XVFB_PID=
}

# Argument: the screen's size, 1024x768 unless given.
velmora_start_xvfb() {
    local ready i
    ready=$(mktemp)
    # -displayfd picks a free display number and writes it once the server is ready.
    Xvfb -screen 0 "${1:-1024x768}x24" -nolisten tcp -displayfd 3 3>"$ready" >/dev/null 2>&1 &
    VELMORA_XVFB_PID=$!
    for i in $(seq 100); do
        [ -s "$ready" ] && break
        kill -0 "$VELMORA_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$ready" ]; then
        echo "Xvfb did not start" >&2
        VELMORA_XVFB_PID=
        rm -f "$ready"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$ready")"
    rm -f "$ready"
}

# Arguments: further .reg.in files (UTF-8, without the header line) for this prefix alone.
velmora_make_prefix() {
    echo "Creating the Wine prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 && wineserver -w
    # regedit reads non-ASCII key names only from UTF-16.
    cat "$VELMORA_ROOT/scripts/wine-settings.reg.in" "$@" | iconv -f UTF-8 -t UTF-16 >"$WINEPREFIX/velmora-settings.reg"
    (cd "$WINEPREFIX" && wine regedit /S velmora-settings.reg </dev/null >/dev/null 2>&1)
    wineserver -w
    # A prefix made by the 64-bit loader alone has no 32-bit half: the marker records which kind it is.
    echo "$VELMORA_WINE_KIND" >"$WINEPREFIX/.velmora-ready"
}

velmora_wine_up() {
    if [ ! -x /usr/lib/wine/wine64 ]; then
        echo "Wine is missing: run scripts/setup.sh" >&2
        return 1
    fi
    velmora_detect_wine
    if [ -z "${DISPLAY:-}" ] || [ "${VELMORA_HEADLESS:-0}" = 1 ]; then
        velmora_start_xvfb || return 1
    fi
    trap velmora_wine_down EXIT
    if [ "$(cat "$WINEPREFIX/.velmora-ready" 2>/dev/null)" != "$VELMORA_WINE_KIND" ]; then
        [ ! -f "$WINEPREFIX/.velmora-ready" ] || echo "The Wine prefix was made for another loader: making it anew" >&2
        wineserver -k 2>/dev/null || true
        velmora_make_prefix
    fi
    # A server left running by an earlier session may serve a display that is gone, and
    # "wineserver -p" fails while one runs: end it and start afresh on this display.
    wineserver -k 2>/dev/null || true
    wineserver -w
    # A persistent server keeps later starts warm; its helpers must not hold our output open.
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
}
