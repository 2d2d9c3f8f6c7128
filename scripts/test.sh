#!/usr/bin/env bash
# Installs what is missing, builds Keyloom and runs every test: the normal build,
# the AddressSanitizer + UndefinedBehaviorSanitizer build, and the Windows cross
# build of the std-only layers with their tests under Wine, and the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --windows dpkg-dev file xvfb xauth xdotool
for preset in default asan windows; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    if [ "$preset" = windows ]; then
        # Wine's first start makes its prefix; done here so a broken Wine shows
        # as that, not as a failing test.
        echo "== Wine prefix"
        bash cmake/wine-run.sh build/windows/wineprefix
    fi
    echo "== $preset tests"
    ctest --preset "$preset" --timeout 300
done
echo "== package"
bash scripts/package-test.sh
