#!/bin/sh
# BMPs written by TBitmap in every pixel format read back in ImageMagick as exactly the pixels
# that were drawn. Arguments: the Wine loader, the BmpWriter program, an output folder.
set -eu
wine=$1
writer=$2
out=$3
mkdir -p "$out"
rm -f "$out"/ours*.bmp
"$wine" "$writer" "Z:$out"
{
    echo P3
    echo 7 5
    echo 255
    for y in 0 1 2 3 4; do
        for x in 0 1 2 3 4 5 6; do
            printf '%d %d %d\n' $((35 * x)) $((50 * y)) $((255 - 20 * x))
        done
    done
} > "$out/gradient.ppm"
# black white red blue / lime white black red
printf 'P3\n4 2\n255\n0 0 0\n255 255 255\n255 0 0\n0 0 255\n0 255 0\n255 255 255\n0 0 0\n255 0 0\n' > "$out/colours.ppm"
# black white white black / white black black white
printf 'P3\n4 2\n255\n0 0 0\n255 255 255\n255 255 255\n0 0 0\n255 255 255\n0 0 0\n0 0 0\n255 255 255\n' > "$out/blackwhite.ppm"
status=0
for pair in ours24:gradient ours32:gradient ours4:colours ours8:colours ours15:colours ours16:colours ours1:blackwhite; do
    name=${pair%%:*}
    expected=${pair#*:}
    differing=$(compare -metric AE "$out/$name.bmp" "$out/$expected.ppm" null: 2>&1) || true
    if [ "$differing" != "0" ]; then
        echo "$name.bmp: ImageMagick sees $differing differing pixels"
        status=1
    fi
done
exit $status
