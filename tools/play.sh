#!/usr/bin/env bash
# Installs what is missing, builds, and runs the game from its data folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/data"
exec "$root/build/app/murkhaven" "$@"
