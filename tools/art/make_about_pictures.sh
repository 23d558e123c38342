#!/usr/bin/env bash
# Draws the About tab's pictures (our own artwork) with ImageMagick. The JPEG files it writes are
# committed under assets/about/; run this again only to change the artwork.
set -euo pipefail
out=${1:-$(dirname "$0")/../../assets/about}
mkdir -p "$out"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# $1 file, $2 size, $3 gradient, $4 polyline points, $5 line colour, $6 caption
chart() {
  # The line is drawn segment by segment: ImageMagick's polyline adds a stray closing stroke.
  local segments=() previous="" point
  for point in $4; do
    [ -n "$previous" ] && segments+=(-draw "line $previous $point")
    previous=$point
  done
  convert -size "$2" "gradient:$3" \
    -stroke '#ffffff40' -strokewidth 1 \
    -draw "line 0,50 2000,50" -draw "line 0,100 2000,100" -draw "line 0,150 2000,150" \
    -fill none -stroke "$5" -strokewidth 4 "${segments[@]}" \
    -stroke none -fill white -font "$font" -pointsize 22 -gravity southeast \
    -annotate +12+10 "$6" -quality 88 "$out/$1"
}

chart image1.jpg 315x200 '#1d3557-#457b9d' \
  "10,170 50,150 90,160 130,120 170,130 210,90 250,100 300,50" '#a8dadc' "риск 2%"
chart image2.jpg 315x200 '#2b2d42-#8d99ae' \
  "10,120 60,60 110,140 160,40 210,160 260,30 300,150" '#ef233c' "1:500"
chart image3.jpg 315x200 '#003049-#669bbc' \
  "10,100 50,95 90,110 130,90 170,105 210,85 250,100 300,92" '#fcbf49' "EUR/USD"
chart image4.jpg 315x200 '#370617-#9d0208' \
  "10,40 60,60 110,50 160,90 200,80 240,140 300,130" '#ffba08' "стоп"
chart image5.jpg 320x78 '#064e3b-#10b981' \
  "10,70 60,66 110,60 160,52 210,40 260,26 310,8" '#ecfdf5' "x2"

# The tall column: stacked candles drawn as rectangles.
convert -size 196x560 gradient:'#111827-#374151' \
  -fill '#10b981' -draw "rectangle 30,400 50,470" -draw "rectangle 70,330 90,420" \
  -fill '#ef4444' -draw "rectangle 110,350 130,440" -fill '#10b981' -draw "rectangle 150,260 170,380" \
  -stroke '#9ca3af' -strokewidth 2 -draw "line 40,380 40,490" -draw "line 80,300 80,440" \
  -draw "line 120,330 120,460" -draw "line 160,230 160,400" -stroke none \
  -fill white -font "$font" -pointsize 20 -gravity north -annotate +0+40 "Выбор" \
  -annotate +0+70 "брокера" -pointsize 14 -annotate +0+110 "спред, плечо," \
  -annotate +0+130 "надежность" -quality 88 "$out/image6.jpg"
