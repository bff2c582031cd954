#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests, then both Windows builds under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
. scripts/wine-env.sh
# Tests never borrow the user's screen: windows pop up on a private virtual display.
VELMORA_HEADLESS=1 velmora_wine_up

status=0
for tree in native i686 x86_64; do
    echo "== $tree"
    ctest --test-dir "build/$tree" --no-tests=error --output-on-failure || status=1
done
exit $status
