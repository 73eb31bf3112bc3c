#!/usr/bin/env bash
# Builds Kyrvana and starts it on a simulated stimulator.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build -DKYRVANA_BUILD_TESTS=OFF -DKYRVANA_BUILD_BENCH=OFF
if [ -x "$root/build/src/gui/kyrvana" ]; then
    # Without a display (a server, a container, CI) the window runs on a
    # virtual X server, so the command still starts and connects.
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "run.sh: no display; starting Kyrvana under xvfb-run" >&2
        exec xvfb-run -a "$root/build/src/gui/kyrvana" --simulate "$@"
    fi
    exec "$root/build/src/gui/kyrvana" --simulate "$@"
fi
exec "$root/build/src/sim/kyrvana-sim" "$@"
