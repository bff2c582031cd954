#!/usr/bin/env bash
# Configures and builds the native tree (logic + unit tests) and both Windows trees.
# Usage: scripts/build.sh [native] [i686] [x86_64]   (all three when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."

trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native i686 x86_64)
for tree in "${trees[@]}"; do
    case "$tree" in
        native) toolchain=() ;;
        i686 | x86_64) toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$tree.cmake) ;;
        *) echo "unknown tree: $tree" >&2; exit 2 ;;
    esac
    cmake -S . -B "build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" >/dev/null
    cmake --build "build/$tree"
done
