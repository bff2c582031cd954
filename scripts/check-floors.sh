#!/usr/bin/env bash
# Fails and names every include that goes up a floor. Top to bottom: start-up, the adapter, the dialog logic,
# the controls, the system services, the resources; a folder includes from its own floor and those below.
set -euo pipefail
cd "$(dirname "$0")/.."

floors=(res system controls dialogs win32 app)
floor() {
    local i
    for i in "${!floors[@]}"; do
        [ "${floors[$i]}" != "$1" ] || { echo "$i"; return; }
    done
    echo -1
}
status=0
while IFS=: read -r file line include; do
    from=$(floor "${file%%/*}") to=$(floor "$(sed 's/.*"\([^/"]*\)\/.*/\1/' <<<"$include")")
    if [ "$to" -gt "$from" ]; then
        echo "$file:$line includes up a floor: $include" >&2
        status=1
    fi
done < <(git ls-files -co --exclude-standard "${floors[@]/%//}" | xargs grep -n '^#include "[a-z0-9]*/' || true)
[ $status -ne 0 ] || echo "floors: every include goes down a floor or stays on its own"
exit $status
