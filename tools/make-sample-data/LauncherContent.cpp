// The launcher's picture (bitmap 113: 388 x 193, 8 bits with a palette) and the
// manual with its two home pages.
#include "tools/make-sample-data/SampleData.h"

#include <cstring>
#include <string>
#include <vector>

namespace sample {

namespace {

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// A bottom-up 8-bit BMP with the 3-3-2 palette: red 3 bits, green 3, blue 2.
std::vector<uint8_t> Bmp8(const SPicture& p)
{
    const uint32_t line = (uint32_t(p.width) + 3) & ~3u;
    const uint32_t header = 14 + 40 + 256 * 4;
    std::vector<uint8_t> out(header + line * uint32_t(p.height), 0);
    uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, uint32_t(out.size()));
    Put32(h + 10, header);
    Put32(h + 14, 40);
    Put32(h + 18, uint32_t(p.width));
    Put32(h + 22, uint32_t(p.height));
    Put16(h + 26, 1);
    Put16(h + 28, 8);
    Put32(h + 34, line * uint32_t(p.height));
    Put32(h + 46, 256);
    for (int i = 0; i < 256; ++i) {
        uint8_t* e = h + 54 + i * 4;
        e[0] = uint8_t((i & 3) * 255 / 3);
        e[1] = uint8_t(((i >> 2) & 7) * 255 / 7);
        e[2] = uint8_t(((i >> 5) & 7) * 255 / 7);
    }
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = out.data() + header + size_t(p.height - 1 - y) * line;
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = p.pixels[size_t(y) * size_t(p.width) + size_t(x)];
            const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            row[x] = uint8_t(((r * 7 + 127) / 255) << 5 | ((g * 7 + 127) / 255) << 2 | (b * 3 + 127) / 255);
        }
    }
    return out;
}

const char* const kPage = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title></head>\n"
                          "<body>\n<h1>%s</h1>\n%s\n</body></html>\n";

bool WritePage(SContext& c, const char* file, const char* title, const std::string& body)
{
    std::string text(kPage);
    for (const std::string& part : {std::string(title), std::string(title), body})
        text.replace(text.find("%s"), 2, part);
    return WriteFileBytes(c.out / "Manual" / file, text.data(), text.size(), c.error);
}

} // namespace

bool MakeLauncherContent(SContext& c)
{
    SPicture picture(388, 193);
    picture.VerticalGradient(0, 0, 388, 193, Rgb(20, 28, 60), Rgb(90, 60, 30));
    // A night street: a row of house fronts with lit windows.
    for (int i = 0; i < 6; ++i) {
        const int x0 = 8 + i * 64, top = 80 + (i % 3) * 12;
        picture.Fill(x0, top, x0 + 58, 178, Rgb(60 + i * 8, 50, 45));
        for (int wy = top + 10; wy < 160; wy += 24)
            for (int wx = x0 + 8; wx < x0 + 50; wx += 18)
                picture.Fill(wx, wy, wx + 10, wy + 14, (wx + wy) % 3 ? Rgb(240, 210, 90) : Rgb(30, 30, 50));
    }
    picture.Fill(0, 178, 388, 193, Rgb(50, 50, 55));
    const char* title = "THE VAREK! DEMO";
    picture.Text((388 - SPicture::TextWidth(title, 3)) / 2, 24, title, 3, Rgb(255, 255, 255));
    const std::vector<uint8_t> bmp = Bmp8(picture);
    if (!WriteFileBytes(c.out / "resources" / "BITMAP" / "113.bmp", bmp.data(), bmp.size(), c.error))
        return false;

    return WritePage(c, "manual.htm", "The Varek! Demo",
                     "<p>Plan a burglary on a quiet street, choose your gang and tools, and get away before "
                     "the alarm brings the police.</p>\n<p>Mouse: click to walk and act; wheel: zoom. "
                     "Esc: menu.</p>\n<p><a href=\"product.htm\">Product page</a> | "
                     "<a href=\"maker.htm\">Maker page</a></p>") &&
           WritePage(c, "product.htm", "The Varek! Demo: product page",
                     "<p>The demo's home page, kept beside the manual.</p>") &&
           WritePage(c, "maker.htm", "The makers of The Varek! Demo",
                     "<p>The makers' home page, kept beside the manual.</p>");
}

} // namespace sample
