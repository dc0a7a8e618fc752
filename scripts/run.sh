#!/usr/bin/env bash
# Sets up, builds and runs pukonpa on the given files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" >&2
"$root/scripts/build.sh" "$root/build" >&2
exec "$root/build/bin/pukonpa" "$@"
