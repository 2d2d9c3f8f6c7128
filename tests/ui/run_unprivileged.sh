#!/usr/bin/env bash
# Runs a test program as the user "nobody" when we are root (CI is); as anyone
# else it just runs it. Its files and settings go to a fresh folder nobody owns.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
home=$(mktemp -d)
chown nobody "$home"
trap 'rm -rf "$home"' EXIT
cd "$home"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env HOME="$home" TMPDIR="$home" XDG_RUNTIME_DIR="$home" "$@"
