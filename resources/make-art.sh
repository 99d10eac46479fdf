#!/usr/bin/env bash
# Draws the program's artwork: button icons, program icons, the hand cursor and the
# images of the pages. The results are committed; run this again only to change them.
# Needs ImageMagick (convert) and python3.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ivory='#FFFFF0'
navy='#1F2F6B'
idle='#46507A'      # idle icons: calm slate blue, close to the idle caption colour
green='#1E8C3A'
red='#C62828'
blue='#2455C8'
gold='#C9961A'

# --- 16x16 button icons: drawn at 64x64, scaled down, 16 colours, with a mask ---------
# glyph <name> <colour> <out.png>: one symbol on a transparent 64x64.
glyph() {
  local name=$1 c=$2 out=$3
  local base=(convert -size 64x64 xc:none -stroke "$c" -fill none -strokewidth 9)
  case $name in
    check)  "${base[@]}" -draw "polyline 12,34 26,48 52,16" "$out" ;;
    cross)  "${base[@]}" -draw "line 16,16 48,48" -draw "line 48,16 16,48" "$out" ;;
    yes)    "${base[@]}" -strokewidth 6 -draw "circle 32,32 32,5" -strokewidth 7 -draw "polyline 19,33 28,42 45,22" "$out" ;;
    no)     "${base[@]}" -strokewidth 6 -draw "circle 32,32 32,5" -strokewidth 7 -draw "line 22,22 42,42" -draw "line 42,22 22,42" "$out" ;;
    abort)  "${base[@]}" -fill "$c" -strokewidth 1 -draw "polygon 21,4 43,4 60,21 60,43 43,60 21,60 4,43 4,21" \
              -stroke white -strokewidth 8 -draw "line 18,32 46,32" "$out" ;;
    retry)  "${base[@]}" -strokewidth 7 -draw "path 'M 54,40 A 22,22 0 1,1 26,12'" -fill "$c" -strokewidth 1 -draw "polygon 22,0 42,12 22,26" "$out" ;;
    ignore) "${base[@]}" -draw "line 8,32 46,32" -fill "$c" -strokewidth 1 -draw "polygon 40,16 60,32 40,48" "$out" ;;
    key)    "${base[@]}" -strokewidth 7 -draw "circle 18,32 18,20" -draw "line 30,32 58,32" -draw "line 50,32 50,44" -draw "line 42,32 42,42" "$out" ;;
  esac
}

icon() {  # icon <id> <glyph> <colour>
  glyph "$2" "$3" "$tmp/$1.png"
  convert "$tmp/$1.png" -resize 16x16 -channel A -threshold 35% +channel -colors 16 "icon/$1.ico"
}

# Hovered icons in colour, idle ones in slate blue.
for pair in "1 check $green" "2 cross $red" "3 abort $red" "4 retry $blue" \
            "5 ignore $blue" "6 yes $green" "7 no $red"; do
  set -- $pair
  icon $((10000 + $1)) "$2" "$3"
  icon $((20000 + $1)) "$2" "$idle"
done
icon 1005 key "$gold"
icon 11005 key "$idle"

# --- program icon: a sealed envelope under a veil --------------------------------------
emblem() {  # emblem <size> <out.png>
  convert -size 256x256 xc:none \
    -fill "$navy" -draw "roundrectangle 8,8 247,247 44,44" \
    -fill "$ivory" -draw "polygon 40,76 216,76 216,188 40,188" \
    -stroke "$navy" -strokewidth 10 -fill none -draw "polyline 40,76 128,148 216,76" \
    -stroke none -fill "$gold" -draw "roundrectangle 150,150 226,226 10,10" \
    -fill none -stroke "$gold" -strokewidth 12 -draw "arc 160,112 216,168 180,360" \
    -stroke none -fill "$navy" -draw "circle 188,186 188,176" \
    -resize "$1x$1" "$2"
}
for s in 16 32 48 64 256; do emblem $s "$tmp/emblem$s.png"; done
# The 256-pixel image is kept as PNG inside the icon file; desktops take it for menus
# and docks.
convert "$tmp/emblem16.png" "$tmp/emblem32.png" "$tmp/emblem48.png" "$tmp/emblem256.png" icon/128.ico
convert "$tmp/emblem16.png" "$tmp/emblem32.png" icon/20009.ico
cp "$tmp/emblem64.png" html/logo.png

# --- hand cursor: 32x32, black and white, hot spot at the fingertip (6,0) --------------
convert -size 32x32 xc:none +antialias -fill white -stroke black -strokewidth 1 \
  -draw "polygon 4,2 5,0 7,0 8,2 8,10 9,9 11,9 12,11 13,10 15,10 16,12 17,11 19,11 20,13 20,22 18,26 17,30 8,30 7,27 2,21 0,17 1,15 3,15 4,17" \
  -stroke black -draw "line 12,12 12,17" -draw "line 16,13 16,17" \
  "$tmp/hand.png"
convert "$tmp/hand.png" -depth 8 rgba:"$tmp/hand.rgba"
python3 - "$tmp/hand.rgba" cursor/136.cur <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
W = H = 32
xor_rows, and_rows = [], []
for y in range(H - 1, -1, -1):            # DIB rows go bottom-up
    xr = ar = 0
    for x in range(W):
        r, g, b, a = data[(y * W + x) * 4:(y * W + x) * 4 + 4]
        bit = 1 << (31 - x)
        if a < 128:
            ar |= bit                       # transparent: screen shows through
        elif r > 127:
            xr |= bit                       # white
    xor_rows.append(struct.pack('>I', xr))
    and_rows.append(struct.pack('>I', ar))
bits = b''.join(xor_rows) + b''.join(and_rows)
header = struct.pack('<IiiHHIIiiII', 40, W, H * 2, 1, 1, 0, len(bits), 0, 0, 2, 0)
palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
image = header + palette + bits
entry = struct.pack('<BBBBHHII', W, H, 2, 0, 6, 0, len(image), 6 + 16)
open(sys.argv[2], 'wb').write(struct.pack('<HHH', 0, 2, 1) + entry + image)
PY

# --- page images -----------------------------------------------------------------------
font=DejaVu-Sans
bold=DejaVu-Sans-Bold
# The header strip of every page: the emblem and the program's name.
convert -size 580x84 xc:"$ivory" \
  -fill "$navy" -draw "rectangle 0,80 580,83" \
  "$tmp/emblem64.png" -geometry +12+8 -composite \
  -font "$bold" -pointsize 34 -fill "$navy" -annotate +92+52 "Veilbox" \
  -font "$font" -pointsize 13 -fill "$idle" -annotate +94+72 "keeps your private mail private" \
  -quality 92 html/header.jpg

# The fixed sides of the main panel.
side() {  # side <out> <width> <line1> <line2>
  convert -size "$2"x190 xc:"$ivory" \
    -fill none -stroke '#D9D9C8' -strokewidth 1 -draw "roundrectangle 6,8 $(($2 - 7)),181 12,12" \
    -stroke none -font "$font" -pointsize 12 -fill "$idle" -gravity center \
    -annotate +0-10 "$3" -annotate +0+10 "$4" -quality 92 "$1"
}
side html/panel_left.jpg 171 "Your secret identity" "stays yours"
side html/panel_right.jpg 172 "Encrypted, shredded," "out of sight"

# The big buttons of the panels, plain and under the pointer.
button() {  # button <out> <face> <text> <locked:0|1>
  local shackle="arc 98,38 138,78 180,360"
  [ "$4" = 1 ] || shackle="arc 118,38 158,78 180,360"
  convert -size 237x190 xc:"$ivory" \
    -fill "$2" -stroke "$navy" -strokewidth 2 -draw "roundrectangle 18,20 218,170 22,22" \
    -fill none -stroke "$gold" -strokewidth 9 -draw "$shackle" \
    -stroke none -fill "$gold" -draw "roundrectangle 90,58 146,104 8,8" \
    -fill "$navy" -draw "circle 118,80 118,73" \
    -font "$bold" -pointsize 20 -fill "$navy" -gravity north -annotate +0+120 "$3" \
    -quality 92 "$1"
}
button html/hide.jpg white "Hide identity" 1
button html/hide_over.jpg '#E8EEFF' "Hide identity" 1
button html/restore.jpg white "Restore identity" 0
button html/restore_over.jpg '#E8EEFF' "Restore identity" 0
echo "artwork written"
