// Writes known patterns through TBitmap as BMP files of every pixel format into the folder
// given as argument, for the check that ImageMagick reads them as exactly these pixels:
//   ours24.bmp, ours32.bmp  a 7 x 5 gradient (x, y -> 35x, 50y, 255 - 20x)
//   ours4.bmp, ours8.bmp, ours15.bmp, ours16.bmp  a 4 x 2 pattern of pure colours
//   ours1.bmp  a 4 x 2 pattern of black and white
#include "windows/Images.h"

#include <cstdio>
#include <string>

using namespace classlib;

namespace {

// Rows of the 4 x 2 patterns.
const TColor kColours[2][4] = {{clBlack, clWhite, clRed, clBlue},
                               {clLime, clWhite, clBlack, clRed}};
const TColor kBlackWhite[2][4] = {{clBlack, clWhite, clWhite, clBlack},
                                  {clWhite, clBlack, clBlack, clWhite}};

void Save(TPixelFormat format, int width, int height, TColor (*colour)(int x, int y),
          const std::string& path)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.Canvas()->SetPixel(x, y, colour(x, y));
    bitmap.SaveToFile(path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: BmpWriter <folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    auto gradient = [](int x, int y) {
        return TColor(35 * x) | TColor(50 * y) << 8 | TColor(255 - 20 * x) << 16;
    };
    auto colours = [](int x, int y) { return kColours[y][x]; };
    auto blackWhite = [](int x, int y) { return kBlackWhite[y][x]; };
    try {
        Save(pf24bit, 7, 5, gradient, folder + "ours24.bmp");
        Save(pf32bit, 7, 5, gradient, folder + "ours32.bmp");
        Save(pf4bit, 4, 2, colours, folder + "ours4.bmp");
        Save(pf8bit, 4, 2, colours, folder + "ours8.bmp");
        Save(pf15bit, 4, 2, colours, folder + "ours15.bmp");
        Save(pf16bit, 4, 2, colours, folder + "ours16.bmp");
        Save(pf1bit, 4, 2, blackWhite, folder + "ours1.bmp");
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
    return 0;
}
