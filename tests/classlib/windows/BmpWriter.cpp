// Writes a known pattern through TBitmap as a 24-bit and a 32-bit BMP file (arguments: the two
// paths), for the check that ImageMagick reads them as exactly these pixels.
#include "windows/Images.h"

#include <cstdio>

using namespace classlib;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: BmpWriter <24-bit.bmp> <32-bit.bmp>\n");
        return 2;
    }
    const TPixelFormat formats[] = {pf24bit, pf32bit};
    for (int i = 0; i < 2; ++i) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(formats[i]);
        bitmap.SetSize(7, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                bitmap.Canvas()->SetPixel(x, y, TColor(35 * x) | TColor(50 * y) << 8 | TColor(255 - 20 * x) << 16);
        try {
            bitmap.SaveToFile(argv[1 + i]);
        } catch (const Exception& error) {
            std::fprintf(stderr, "%s\n", error.Message().c_str());
            return 1;
        }
    }
    return 0;
}
