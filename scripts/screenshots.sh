#!/usr/bin/env bash
# Takes the README's pictures of the three pages from the real program: Keyloom
# under Xvfb reads a sample image from the virtual panel, then each page is shot.
# Usage: scripts/screenshots.sh [output folder, default docs/screenshots]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
bash scripts/deps.sh xvfb xauth xdotool imagemagick
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# A sample room: K1 power-on sequence 1, K2 shutdown sequence 1, K9 screen down,
# 19200 baud, and a few key record bytes.
python3 - "$work/room.SPD" <<'PY'
import sys
image = bytearray(512)
for k in range(9):
    image[16 * k] = 0x10 + k
    image[16 * k + 1] = 0xA0 + k
image[144] = 12   # K1: 開機行程1
image[145] = 14   # K2: 關機行程1
image[146] = 1    # K3: 布幕上
image[152] = 2    # K9: 布幕下
image[288] = 1    # 19200
image[160:176] = b"Room 301 - Hall "
open(sys.argv[1], "wb").write(image)
PY

./build/default/sim/keyloom-panel --memory "$work/room.SPD" >"$work/panel.out" &
for _ in $(seq 50); do [ -s "$work/panel.out" ] && break; sleep 0.1; done
device=$(head -n 1 "$work/panel.out")
mkdir -p "$work/config/Tevrano"
printf '[General]\nComPortIndex=7\n\n[Ports]\nCOM8=%s\n' "$device" >"$work/config/Tevrano/Keyloom.conf"

export XDG_CONFIG_HOME="$work/config" KEYLOOM_BIN="$PWD/build/default/ui/keyloom" OUT="$out"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    set -euo pipefail
    "$KEYLOOM_BIN" & pid=$!
    for _ in $(seq 100); do
        win=$(xdotool search --name "^Keyloom$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
        sleep 0.1
    done
    click() { xdotool mousemove --window "$win" "$1" "$2" click 1; sleep 0.6; }
    # Window coordinates of the controls (the window is 913 x 662).
    click 788 500          # 讀取 SPD
    sleep 1.5
    xdotool mousemove --window "$win" 600 40    # over the margin
    import -window "$win" "$OUT/page-main.png"
    click 103 92           # SPD Data
    import -window "$win" "$OUT/page-data.png"
    click 173 92           # SPD 說明
    import -window "$win" "$OUT/page-explanation.png"
    kill $pid
'
echo "screenshots in $out"
