#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix, making the prefix first
# if it is not ready. The windows preset's tests run through this.
# Usage: cmake/wine-run.sh PREFIX [program.exe [args ...]]
#        (without a program it only makes the prefix ready)
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 PREFIX [program.exe [args ...]]" >&2; exit 2; }
# Wine takes only an absolute prefix.
mkdir -p "$(dirname "$1")"
WINEPREFIX="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
export WINEPREFIX
shift
export WINEDEBUG=-all
# Neither Mono nor Gecko: nothing here needs them, and the first start would
# otherwise offer to download them.
export WINEDLLOVERRIDES="mscoree=;mshtml="

# Debian's wine64 package alone installs its loader and server outside PATH.
find_tool() {
    local name
    for name in "$@"; do
        if command -v "$name" >/dev/null; then
            command -v "$name"
            return
        fi
        if [ -x "/usr/lib/wine/$name" ]; then
            echo "/usr/lib/wine/$name"
            return
        fi
    done
    echo "Wine is not installed (no ${*}); scripts/deps.sh --windows installs it" >&2
    exit 1
}
wine=$(find_tool wine64 wine)
wineserver=$(find_tool wineserver64 wineserver)

ready="$WINEPREFIX/.keyloom-ready"
if [ ! -e "$ready" ]; then
    # Tests started side by side must not make the prefix twice at once.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ ! -e "$ready" ]; then
        # Seen once in many runs: the first start made a prefix without its DLLs
        # and every later start failed on it. So a prefix this script made (it
        # carries a mark) is thrown away and made again; any other is only
        # updated.
        owned="$WINEPREFIX/.keyloom-prefix"
        fresh_prefix() {
            mkdir -p "$WINEPREFIX"
            touch "$owned"
        }
        [ -e "$WINEPREFIX" ] || fresh_prefix
        log="$WINEPREFIX.log"
        : >"$log"
        for attempt in 1 2 3; do
            # On a desktop a crashing test would otherwise wait in a dialog.
            if "$wine" wineboot --init >>"$log" 2>&1 &&
                "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
                    /t REG_DWORD /d 0 /f >>"$log" 2>&1; then
                # The registry reaches the disk when the server ends; until
                # then the prefix is not whole.
                "$wineserver" -w
                touch "$ready"
                break
            fi
            echo "wineboot failed (attempt $attempt) in $WINEPREFIX" >>"$log"
            "$wineserver" -k >/dev/null 2>&1 || true
            "$wineserver" -w >/dev/null 2>&1 || true
            if [ -e "$owned" ]; then
                rm -rf "$WINEPREFIX"
                fresh_prefix
            fi
        done
        if [ ! -e "$ready" ]; then
            cat "$log" >&2
            exit 1
        fi
    fi
    exec 9>&-
fi

[ $# -ge 1 ] || exit 0
exec "$wine" "$@"
