#!/bin/sh
# Draws the main window's banner, ui/resources/Banner.jpg: 371 x 85 pixels, progressive, three
# colour components. The maker's logo in large white letters with a dark outline on a light-blue
# gradient (lighter at the top, with a soft highlight at the top right), the tool's one-line
# subtitle below it and the maker's web address at the bottom right.
#
# Run it from the repository root after changing the picture; the output is committed. Needs
# ImageMagick and the DejaVu fonts (fonts-dejavu-core). The tests read a few of its pixels: the
# gradient's colours at the left edge and the white inside the logo's first letter.
set -e
out=${1:-ui/resources/Banner.jpg}
outline='#163A66'
convert -size 371x85 gradient:'#E4F1FD-#8FC0EC' \
    -stroke none -fill '#FFFFFF60' -draw 'ellipse 300,-40 150,70 0,360' \
    -font DejaVu-Sans-Bold -pointsize 42 -kerning 1 \
    -fill white -stroke "$outline" -strokewidth 2.2 -annotate +12+47 'Tarvelin' \
    -stroke none -annotate +12+47 'Tarvelin' \
    -pointsize 11 -fill "$outline" -annotate +14+64 'Ordanel - Add/Remove Programs list cleaner' \
    -font DejaVu-Sans -pointsize 10 -fill '#24507F' -gravity SouthEast \
    -annotate +8+3 'www.tarvelin.example' \
    -strip -sampling-factor 2x2 -interlace Plane -quality 92 "$out"
