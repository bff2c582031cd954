#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests, then the Windows builds under Wine.
# On a machine that runs 64-bit programs only, the i686 tier cannot run: its executable is still built, its
# file is read by the x86_64 tree, and it is started once under user-mode emulation.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
scripts/check-floors.sh
scripts/build.sh
. scripts/wine-env.sh
# Tests never borrow the user's screen: windows pop up on a private virtual display.
VELMORA_HEADLESS=1 velmora_wine_up

summary=() passed=0 failed=0 status=0
log=$(mktemp)
# tier NAME COMMAND...: runs one tier, adds its line to the summary and its counts to the totals. A command
# that exits 77 could not run here; its last line says why.
tier() {
    local name=$1 code=0
    shift
    echo "== $name"
    "$@" 2>&1 | tee "$log" || code=${PIPESTATUS[0]}
    case $code in
        0) summary+=("$name: passed") ;;
        77) summary+=("$name: not run, $(tail -n1 "$log" | sed 's/^not run: //')") ;;
        *) summary+=("$name: failed") status=1 ;;
    esac
    local counts
    counts=$(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\)$/\1 \2/p' "$log")
    if [ -n "$counts" ]; then
        read -r f t <<<"$counts"
        passed=$((passed + t - f)) failed=$((failed + f))
    fi
    passed=$((passed + $(grep -c '^ok - ' "$log" || true))) failed=$((failed + $(grep -c '^FAIL - ' "$log" || true)))
}
# --no-tests=error: a tier that could run but ran nothing has failed.
tests() { ctest --test-dir "build/$1" --no-tests=error --output-on-failure "${@:2}"; }

tier native tests native
if [ "$VELMORA_WINE_KIND" = wow64 ]; then
    tier i686 tests i686
    # The i686 tier has read its own program's file already.
    tier x86_64 tests x86_64 -E i686_file_checks
else
    summary+=("i686: not run, $VELMORA_WINE_WHY")
    tier "i686 (its file, read by the x86_64 tree)" tests x86_64 -R i686_file_checks
    tier "i686 (emulated start)" tests/emulated/start-i686.sh
    tier x86_64 tests x86_64 -E i686_file_checks
fi
# The release packages, installed and removed as a user would, for each architecture that runs here.
tier "packages ($(velmora_runnable_trees | sed 's/i686/x86/; s/x86_64/x64/'))" tests/package/install-test.sh
rm -f "$log"
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed"
exit $status
