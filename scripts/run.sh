#!/usr/bin/env bash
# Installs what is needed, builds and starts Veltrace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: run it under a virtual one with  xvfb-run -a bash scripts/run.sh" >&2
    exit 1
fi
exec "${VELTRACE_BUILD_DIR:-$root/build}/src/app/veltrace" "$@"
