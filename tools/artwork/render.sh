#!/usr/bin/env bash
# Regenerates the artwork under resources/images/ from the SVG sources in this folder.
# Needs rsvg-convert (Debian package librsvg2-bin). Run from anywhere: tools/artwork/render.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../../resources/images"
mkdir -p "$out"

folder() { # name title back-top back-bottom front-top front-bottom sheet edge
    sed -e "s/@TITLE@/$2/" -e "s/@BACK_TOP@/$3/" -e "s/@BACK_BOTTOM@/$4/" -e "s/@FRONT_TOP@/$5/" \
        -e "s/@FRONT_BOTTOM@/$6/" -e "s/@SHEET@/$7/" -e "s/@EDGE@/$8/" "$here/folder.svg.in" >"$out/$1.svg"
}
# The neutral folder is a mid-light grey: the renderer's overlay and colour passes keep its lightness, so
# these greys decide how light a tinted folder looks. The blue folder is the neutral one tinted with
# HSL 195/100/45 at intensity 0.65, stop for stop.
folder folder-neutral "Neutral folder" "#7a7a7a" "#6b6b6b" "#a8a8a8" "#8f8f8f" "#d6d6d6" "#c7c7c7"
folder folder-blue "Blue folder" "#149ecc" "#128bb3" "#55c6eb" "#29b3e0" "#c2eaf8" "#91daf2"
cp "$here/app-icon.svg" "$here/menu-bar-icon.svg" "$out/"

png() { rsvg-convert -w "$2" -h "$2" "$out/$1.svg" -o "$3"; }
png folder-neutral 512 "$out/folder-neutral.png"
png folder-blue 512 "$out/folder-blue.png"
png app-icon 512 "$out/app-icon.png"
png menu-bar-icon 64 "$out/menu-bar-icon.png"
for n in 16 22 24 32 48 64 128 256 512; do
    mkdir -p "$out/hicolor/${n}x${n}/apps"
    png app-icon "$n" "$out/hicolor/${n}x${n}/apps/io.velmar.pigmo2.png"
done
