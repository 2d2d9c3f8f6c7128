#!/usr/bin/env bash
# Installs what is missing, builds Keyloom and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec ./build/default/ui/keyloom "$@"
