#!/usr/bin/env bash
# Installs the Debian packages Keyloom needs to build, run and test, and only
# those that are missing, so a machine that has them starts at once.
# Usage: scripts/deps.sh [--windows] [extra-package ...]
#   --windows  also the MinGW-w64 cross compiler and 64-bit Wine for the
#              windows preset (no i386 architecture needed)
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev fonts-noto-cjk)
if [ "${1:-}" = "--windows" ]; then
    shift
    # wine64 alone: its loader runs 64-bit programs; the `wine` package would only
    # add launcher scripts that ask for the 32-bit half.
    packages+=(g++-mingw-w64-x86-64-posix wine64)
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
