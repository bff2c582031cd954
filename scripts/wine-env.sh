# Wine prefix and X display of the project's own. Source it, then call velmora_wine_up.
# VELMORA_HEADLESS=1 always starts a private Xvfb, even when a display is set.

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${VELMORA_WINEPREFIX:-$VELMORA_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=${HOME:-/tmp}
VELMORA_XVFB_PID=

velmora_wine_down() {
    wineserver -k 2>/dev/null || true
    if [ -n "$VELMORA_XVFB_PID" ]; then
        kill "$VELMORA_XVFB_PID" 2>/dev/null
        wait "$VELMORA_XVFB_PID" 2>/dev/null
    fi
    VELMORA_XVFB_PID=
}

velmora_start_xvfb() {
    local ready i
    ready=$(mktemp)
    # -displayfd picks a free display number and writes it once the server is ready.
    Xvfb -screen 0 1024x768x24 -nolisten tcp -displayfd 3 3>"$ready" >/dev/null 2>&1 &
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

velmora_make_prefix() {
    echo "Creating the Wine prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 && wineserver -w
    # regedit reads non-ASCII key names only from UTF-16.
    iconv -f UTF-8 -t UTF-16 "$VELMORA_ROOT/scripts/wine-settings.reg.in" >"$WINEPREFIX/velmora-settings.reg"
    (cd "$WINEPREFIX" && wine regedit /S velmora-settings.reg </dev/null >/dev/null 2>&1)
    wineserver -w
    touch "$WINEPREFIX/.velmora-ready"
}

velmora_wine_up() {
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "wine32 (i386) is missing: run scripts/setup.sh" >&2
        return 1
    fi
    if [ -z "${DISPLAY:-}" ] || [ "${VELMORA_HEADLESS:-0}" = 1 ]; then
        velmora_start_xvfb || return 1
    fi
    trap velmora_wine_down EXIT
    [ -f "$WINEPREFIX/.velmora-ready" ] || velmora_make_prefix
    # A server left running by an earlier session may serve a display that is gone, and
    # "wineserver -p" fails while one runs: end it and start afresh on this display.
    wineserver -k 2>/dev/null || true
    wineserver -w
    # A persistent server keeps later starts warm; its helpers must not hold our output open.
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
}
