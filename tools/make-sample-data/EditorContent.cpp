// The image list of the editor trees (bitmap 184): 20-pixel images side by side on
// white, which the trees take as their mask colour.
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

constexpr int kSize = 20;
constexpr int kImages = 22;

void Folder(SPicture& p, int x, bool open)
{
    p.Fill(x + 2, 5, x + 9, 7, Rgb(200, 160, 40));
    p.Fill(x + 2, 7, x + 18, 17, Rgb(230, 190, 60));
    if (open)
        p.Fill(x + 5, 10, x + 19, 17, Rgb(250, 220, 110));
    p.Frame(x + 2, 7, x + 18, 17, 1, Rgb(120, 90, 20));
}

} // namespace

bool MakeEditorImages(SContext& c)
{
    SPicture strip(kSize * kImages, kSize, Rgb(255, 255, 255));
    for (int i = 0; i < kImages; ++i) {
        const int x = i * kSize;
        switch (i) {
        case 17:
            Folder(strip, x, false);
            break;
        case 18:
            Folder(strip, x, true);
            break;
        case 0: // the world and groups
            strip.Disc(float(x) + 10, 10, 7, Rgb(40, 110, 200));
            break;
        case 19:
        case 20: // lights
            strip.Disc(float(x) + 10, 9, 5, Rgb(250, 230, 60));
            strip.Fill(x + 8, 14, x + 12, 18, Rgb(90, 90, 90));
            break;
        default:
            // Models, meshes, objects and the rest: a box in a colour of its own.
            strip.Fill(x + 3, 3, x + 17, 17,
                       Rgb(60 + (i * 37) % 160, 80 + (i * 53) % 150, 70 + (i * 29) % 160));
            strip.Frame(x + 3, 3, x + 17, 17, 1, Rgb(30, 30, 30));
            break;
        }
    }
    return strip.Save(c.out / "resources" / "BITMAP" / "184.bmp", c.error);
}

} // namespace sample
