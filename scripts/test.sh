#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests, then the Windows builds under Wine.
# On a machine that runs 64-bit programs only, the i686 tier cannot run: its executable is still built
# and read by the x86_64 tier, and the summary names the tier as not run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
. scripts/wine-env.sh
# Tests never borrow the user's screen: windows pop up on a private virtual display.
VELMORA_HEADLESS=1 velmora_wine_up
runnable=" native $(velmora_runnable_trees) "
[ "$VELMORA_WINE_KIND" = wow64 ] || export VELMORA_CHECK_I686_EXE=1

summary=() passed=0 failed=0 status=0
log=$(mktemp)
for tree in native i686 x86_64; do
    if [[ $runnable != *" $tree "* ]]; then
        summary+=("$tree: not run, $VELMORA_WINE_WHY")
        continue
    fi
    echo "== $tree"
    # --no-tests=error: a tier that could run but ran nothing has failed.
    if ctest --test-dir "build/$tree" --no-tests=error --output-on-failure | tee "$log"; then
        summary+=("$tree: passed")
    else
        summary+=("$tree: failed")
        status=1
    fi
    counts=$(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\)$/\1 \2/p' "$log")
    if [ -n "$counts" ]; then
        read -r f t <<<"$counts"
        passed=$((passed + t - f)) failed=$((failed + f))
    fi
done
# The release packages, installed and removed as a user would, for each architecture that runs here.
tier="packages ($(velmora_runnable_trees | sed 's/i686/x86/; s/x86_64/x64/'))"
echo "== $tier"
if tests/package/install-test.sh | tee "$log"; then
    summary+=("$tier: passed")
else
    summary+=("$tier: failed")
    status=1
fi
passed=$((passed + $(grep -c '^ok - ' "$log" || true))) failed=$((failed + $(grep -c '^FAIL - ' "$log" || true)))
rm -f "$log"
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed"
exit $status
