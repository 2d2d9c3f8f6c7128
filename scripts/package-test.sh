#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root, checks what it holds
# and what it depends on, and starts the packaged keyloom under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh dpkg-dev file xvfb xauth xdotool
cmake --preset default >/dev/null
cmake --build --preset default
(cd build/default && cpack -G DEB >/dev/null)
deb=$(ls build/default/keyloom_*_amd64.deb | head -n 1)

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in usr/bin/keyloom usr/bin/keyloom-cli usr/bin/keyloom-panel \
         usr/share/applications/keyloom.desktop usr/share/icons/hicolor/scalable/apps/keyloom.svg \
         usr/share/doc/keyloom/README.Debian; do
    [ -e "$root/$f" ] || { echo "package lacks $f" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 fonts-noto-cjk; do
    grep -q "$d" <<<"$depends" || { echo "package does not depend on $d: $depends" >&2; exit 1; }
done
"$root/usr/bin/keyloom-cli" --version

# The packaged window must come up and stay up.
export XDG_CONFIG_HOME="$root/config"
xvfb-run -a bash -c '
    "$1/usr/bin/keyloom" & pid=$!
    for _ in $(seq 50); do
        xdotool search --name "^Keyloom$" >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool search --name "^Keyloom$" >/dev/null || { echo "no Keyloom window" >&2; kill $pid; exit 1; }
    sleep 1
    kill -0 $pid || { echo "keyloom died" >&2; exit 1; }
    kill $pid
    wait $pid || true
' _ "$root"
echo "package OK: $deb ($(du -h "$deb" | cut -f1)), Depends: $depends"
