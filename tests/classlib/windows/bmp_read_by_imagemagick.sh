#!/bin/sh
# A BMP written by TBitmap reads back in ImageMagick as exactly the pixels that were drawn.
# Arguments: the Wine loader, the BmpWriter program, an output folder.
set -eu
wine=$1
writer=$2
out=$3
mkdir -p "$out"
rm -f "$out/ours24.bmp" "$out/ours32.bmp"
"$wine" "$writer" "Z:$out/ours24.bmp" "Z:$out/ours32.bmp"
{
    echo P3
    echo 7 5
    echo 255
    for y in 0 1 2 3 4; do
        for x in 0 1 2 3 4 5 6; do
            printf '%d %d %d\n' $((35 * x)) $((50 * y)) $((255 - 20 * x))
        done
    done
} > "$out/expected.ppm"
status=0
for name in ours24 ours32; do
    differing=$(compare -metric AE "$out/$name.bmp" "$out/expected.ppm" null: 2>&1) || true
    if [ "$differing" != "0" ]; then
        echo "$name.bmp: ImageMagick sees $differing differing pixels"
        status=1
    fi
done
exit $status
