#!/usr/bin/env bash
# Fails, naming each file, when clang-format would change any tracked C++ source.
set -uo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if report=$(clang-format --dry-run -Werror "${sources[@]}" 2>&1); then
    echo "format: the ${#sources[@]} C++ files are as clang-format writes them"
    exit 0
fi
mapfile -t unformatted < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" | sort -u)
if [ ${#unformatted[@]} -eq 0 ]; then
    echo "format: clang-format failed:" >&2
    head -n 5 <<<"$report" >&2
    exit 1
fi
echo "format: clang-format would change these files (clang-format -i FILE... rewrites them):" >&2
printf '    %s\n' "${unformatted[@]}" >&2
exit 1
