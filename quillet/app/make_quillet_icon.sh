#!/usr/bin/env bash
# Draws Quillet's icon (a pen nib over a page of text) with ImageMagick into quillet/app/quillet.ico.
#
# usage: quillet/app/make_quillet_icon.sh [OUT.ico] [PREVIEW_DIR]
#
# Every size is drawn on its own rather than scaled down from the large one: the page's outline
# and the text lines are laid on whole pixels, and 16 pixels are drawn pixel by pixel, so that
# the small sizes stay sharp. With PREVIEW_DIR, each size is also kept there as a PNG.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/quillet.ico}
preview=${2:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-icon.XXXXXX")
trap 'rm -rf "$work"' EXIT

page_blue='#1B4F8A'
fold_blue='#BBD3F0'
text_blue='#5B86C0'
holder='#C62D2D'
holder_edge='#5E1212'
nib_gold='#F5B301'
nib_edge='#6B4200'

# Arithmetic in awk: bash has no fractions.
calc() { awk "BEGIN { v = $1; printf \"%g\", v }"; }
px() { awk "BEGIN { v = $1; printf \"%d\", (v < 0 ? -int(-v + 0.5) : int(v + 0.5)) }"; }

# The drawing for SIZE pixels with outlines LINE pixels wide. The picture is designed on a grid
# of 256 units; the page and its lines are placed in whole pixels, the slanted nib is scaled.
mvg() {
  local size=$1 line=$2
  local u; u=$(calc "256 / $size")  # units per pixel
  # A stroke of odd width is sharp on pixel centres, one of even width between them.
  local o; o=$(calc "$line % 2 == 0 ? 0.5 : 0")
  local left top right bottom fold
  left=$(calc "$(px "36 / $u") + $o")
  top=$(calc "$(px "14 / $u") + $o")
  right=$(calc "$(px "198 / $u") + $o")
  bottom=$(calc "$(px "242 / $u") + $o")
  fold=$(px "46 / $u")
  # Small sizes lose a faint seam beside each edge without antialiasing; large ones keep the
  # fold's slant smooth with it.
  local smooth=1
  [ "$size" -le 32 ] && smooth=0
  local fold_x fold_y
  fold_x=$(calc "$right - $fold")
  fold_y=$(calc "$top + $fold")
  cat <<MVG
stroke-linejoin round
stroke-linecap round
push graphic-context
  stroke-antialias $smooth
  fill '#FFFFFF' stroke '$page_blue' stroke-width $line
  polygon $left,$top $fold_x,$top $right,$fold_y $right,$bottom $left,$bottom
  fill '$fold_blue'
  polygon $fold_x,$top $fold_x,$fold_y $right,$fold_y
pop graphic-context
push graphic-context
  fill '$text_blue' stroke none
MVG
  # Text lines: whole pixels, a pitch of 32 units, the last one shorter.
  local pitch height x0 x1 y last_y
  pitch=$(px "32 / $u")
  height=$(px "$pitch * 0.45")
  [ "$height" -lt 1 ] && height=1
  x0=$(px "62 / $u")
  x1=$(( $(px "172 / $u") - 1 ))
  y=$(px "86 / $u")
  last_y=$(px "$bottom - 22 / $u")
  while [ $(( y + pitch + height - 1 )) -le "$last_y" ]; do
    echo "  rectangle $x0,$y $x1,$(( y + height - 1 ))"
    y=$(( y + pitch ))
  done
  echo "  rectangle $x0,$y $(px "$x0 + ($x1 - $x0) * 0.55"),$(( y + height - 1 ))"
  # The pen, nib at the lower left, lying across the page's lower right corner. Small sizes
  # leave out the band and the slit, which would only blur.
  local w; w=$(calc "$line * $u")
  cat <<MVG
pop graphic-context
push graphic-context
  scale $(calc "$size / 256"),$(calc "$size / 256")
  translate 92,222
  rotate 45
  fill '$holder' stroke '$holder_edge' stroke-width $w
  roundrectangle -32,-196 32,-104 12,12
  fill '$nib_gold' stroke '$nib_edge' stroke-width $w
  path 'M 0,0 C 10,-20 36,-50 36,-78 L 36,-102 L -36,-102 L -36,-78 C -36,-50 -10,-20 0,0 Z'
MVG
  if [ "$size" -ge 48 ]; then
    cat <<MVG
  rectangle -36,-116 36,-100
  stroke-width $(calc "$w * 0.9")
  line 0,-8 0,-52
  fill '$nib_edge' stroke none
  circle 0,-60 0,$(calc "-60 + ($w * 1.1 > 8 ? $w * 1.1 : 8)")
MVG
  elif [ "$size" -ge 24 ]; then
    echo "  line 0,-8 0,-56"
  fi
  echo "pop graphic-context"
}

# 16 pixels, one letter a pixel: B page outline, W page, F fold, T text, R/r holder and its
# edge, G/g nib and its edge, . transparent.
pixels16() {
  cat <<'MAP'
.BBBBBBBB.......
.BWWWWWWBB...rr.
.BWWWWWWBFB.rRRr
.BWTTTTTBBBrRRRr
.BWWWWWWWWrRRRr.
.BWTTTTTTrRRRr..
.BWWWWWWgggggr..
.BWTTTTgGGGg....
.BWWWWgGGGg.....
.BWTTgGGGgB.....
.BWWWgGGgWB.....
.BWTTggWWWB.....
.BWWWgWWWWB.....
.BWWWWWWWWB.....
.BWWWWWWWWB.....
.BBBBBBBBBB.....
MAP
}

# The pixel map as point primitives.
mvg_pixels() {
  local y=0 x row colour
  while IFS= read -r row; do
    for ((x = 0; x < ${#row}; x++)); do
      case ${row:x:1} in
        B) colour=$page_blue ;;
        W) colour='#FFFFFF' ;;
        F) colour=$fold_blue ;;
        T) colour=$text_blue ;;
        R) colour=$holder ;;
        r) colour=$holder_edge ;;
        G) colour=$nib_gold ;;
        g) colour=$nib_edge ;;
        *) continue ;;
      esac
      echo "fill '$colour' point $x,$y"
    done
    y=$((y + 1))
  done
}

images=()
for size in 256 48 32 24 16; do
  png="$work/quillet-$size.png"
  case $size in
    16) drawing=$(pixels16 | mvg_pixels) ;;
    256) drawing=$(mvg "$size" 6) ;;
    48) drawing=$(mvg "$size" 2) ;;
    *) drawing=$(mvg "$size" 1) ;;
  esac
  # Eight bits a channel with alpha: the form the system reads in an icon, PNG or not.
  convert -size "${size}x${size}" xc:none -draw "$drawing" -depth 8 -define png:color-type=6 "$png"
  images+=("$png")
  if [ -n "$preview" ]; then
    mkdir -p "$preview"
    cp "$png" "$preview/"
  fi
done
convert "${images[@]}" "$out"
echo "wrote $out"
