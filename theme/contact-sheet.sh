#!/bin/sh
# Draws every rendered theme picture on one sheet: the pictures at their own
# size on mid-grey, and the small ones again at four times their size with
# hard pixels, so that their drawing can be judged.
#   contact-sheet.sh <rendered tree> <sheet.png>
set -e
stage=$1
sheet=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

find "$stage" -name '*.png' | sort > "$work/all"
: > "$work/small"
: > "$work/large"
while read -r png; do
  size=$(identify -format '%w %h' "$png")
  set -- $size
  if [ "$1" -le 64 ] && [ "$2" -le 70 ]; then
    echo "$png" >> "$work/small"
  else
    echo "$png" >> "$work/large"
  fi
done < "$work/all"

label() { echo "$1" | sed "s|^$stage/||; s|^image/||"; }

i=0
while read -r png; do
  i=$((i + 1))
  convert "$png" -set label "$(label "$png")" "$work/a$(printf %03d $i).png"
done < "$work/large"
montage "$work"/a*.png -background '#808080' -fill white -pointsize 11 \
  -tile 5x -geometry '400x300>+10+10' "$work/sheet1.png"

i=0
while read -r png; do
  i=$((i + 1))
  convert "$png" -filter point -resize 400% -set label "$(label "$png")" \
    "$work/b$(printf %03d $i).png"
done < "$work/small"
montage "$work"/b*.png -background '#808080' -fill white -pointsize 10 \
  -tile 8x -geometry '220x190>+6+6' "$work/sheet2.png"

convert "$work/sheet1.png" "$work/sheet2.png" -background "#808080" -append +repage "$sheet"
