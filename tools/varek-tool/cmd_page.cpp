// Group "page": a tutorial page as the game's page view lays it out and paints it.

#include "LIBS/Image/imgFormats.h"
#include "LIBS/Image/imgImage.h"
#include "platform/browser/Browser.h"
#include "tools/varek-tool/ToolFiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: varek-tool page render PAGE OUT [WIDTH [HEIGHT]]   (default 516 x 516, the "
                         "tutorial frame's page)\n");
    return 1;
}

int size(const char* text)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    return end && *end == '\0' && v > 0 && v <= 4096 ? int(v) : 0;
}

} // namespace

int cmd_page(int argc, char** argv)
{
    if (argc < 4 || argc > 6 || std::strcmp(argv[1], "render") != 0)
        return usage();
    const int width = argc > 4 ? size(argv[4]) : 516;
    const int height = argc > 5 ? size(argv[5]) : width;
    if (width == 0 || height == 0)
        return usage();
    // The failure is reported below with the tool's own message.
    platform::Browser page([](const std::string&) {});
    if (!page.Navigate(argv[2]))
        return ToolFail("page", argv[2], "cannot be read");
    page.SetControlRect({0, 0, width, height});
    page.Update();
    imgImage picture;
    if (picture.allocate(width, height, FMT_BGRA_8888) != 1 || picture.empty())
        return ToolFail("page", argv[3], "no memory for the picture");
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.pixels + size_t(y) * size_t(picture.bytesPerLine),
                    page.Pixels().data() + size_t(y) * size_t(width), size_t(width) * 4);
    if (picture.save(argv[3]) != 1)
        return ToolFail("page", argv[3], "cannot be written");
    return 0;
}
