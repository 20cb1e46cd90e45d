#!/bin/sh
# Renders the committed PNG and JPEG pictures from their SVG sources. Run by hand after an SVG
# changes; the build only reads the results, so it needs neither tool.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -eu
cd "$(dirname "$0")"

for name in week import export options find play stop record skin help emergency; do
    for size in 24 48; do
        rsvg-convert -w "$size" -h "$size" "toolbar/$name.svg" -o "toolbar/$name-$size.png"
    done
done

# The smallest size has its own drawing: the large one scaled down blurs in a tray.
rsvg-convert -w 16 -h 16 orvessa-16.svg -o orvessa-16.png
for size in 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" orvessa.svg -o "orvessa-$size.png"
done

rsvg-convert -w 268 -h 314 column.svg |
    convert png:- -background white -flatten -strip -sampling-factor 4:2:0 -quality 90 column.jpg
