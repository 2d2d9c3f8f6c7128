#!/usr/bin/env bash
# Runs a test program as the user "nobody" when we are root (CI is); as anyone
# else it just runs it. Its files and settings go to a fresh folder nobody owns.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The build may sit where nobody may go (a checkout under /root): run a copy.
program="$home/$(basename "$1")"
cp "$1" "$program"
shift
chown -R nobody "$home"
cd "$home"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env HOME="$home" TMPDIR="$home" XDG_RUNTIME_DIR="$home" "$program" "$@"
