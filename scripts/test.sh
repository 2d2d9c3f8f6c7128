#!/usr/bin/env bash
# Installs what is missing, builds Keyloom and runs every test: the normal build
# and the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
for preset in default asan; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== $preset tests"
    ctest --preset "$preset" --timeout 300
done
