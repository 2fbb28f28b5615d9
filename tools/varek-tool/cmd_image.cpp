// Group "image": what the image library makes of a picture, and conversion
// between the file types and pixel formats it knows.

#include "LIBS/Image/imgImage.h"
#include "tools/varek-tool/ToolFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

int usage()
{
    std::fprintf(
        stderr,
        "usage: varek-tool image info FILE\n"
        "       varek-tool image convert IN OUT [FORMAT]   (FORMAT: a code such as 513 or a name such "
        "as FMT_RGB_565)\n");
    return 1;
}

// Loads a picture; on failure the reason for the message.
bool loadPicture(imgImage& img, const std::string& path, std::string& reason)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        reason = std::strerror(errno);
        return false;
    }
    std::fclose(f);
    const int result = img.load(path.c_str());
    if (result == -2)
        reason = "too large to load";
    else if (result != 1)
        reason = "not an image of a known type, or damaged";
    return result == 1;
}

int parseFormat(const std::string& text)
{
    char* end = nullptr;
    const long code = std::strtol(text.c_str(), &end, 0);
    if (end && *end == '\0' && !text.empty())
        return imgFormatKnown(int(code)) ? int(code) : 0;
    for (int c = 0x100; c < 0x900; ++c)
        if (imgFormatKnown(c) && text == imgFormatName(c))
            return c;
    return 0;
}

int info(const std::string& path)
{
    imgImage img;
    std::string reason;
    if (!loadPicture(img, path, reason))
        return ToolFail("image", path, reason);
    std::printf("width %d\nheight %d\nformat %d %s\norigin %d %s\npalette %d\n", img.width, img.height,
                img.format, imgFormatName(img.format), img.origin, imgOriginName(img.origin),
                img.palette ? 256 : 0);
    return 0;
}

int convert(const std::string& in, const std::string& out, const char* formatText)
{
    int format = 0;
    if (formatText && (format = parseFormat(formatText)) == 0)
        return ToolFail("image", in, std::string("unknown pixel format '") + formatText + "'");
    const char* dot = std::strrchr(out.c_str(), '.');
    static const char* const kSaved[] = {".bmp", ".tga", ".tif", ".rif", ".raw"};
    bool savable = false;
    for (const char* ext : kSaved)
        savable = savable || (dot && strcasecmp(dot, ext) == 0);
    if (!savable)
        return ToolFail("image", out, "cannot write this file type (.bmp, .tga, .tif, .rif or .raw)");
    // BMP files hold 24-bit colour only and TIFF files 24- or 32-bit: another
    // format asked for would silently become one of those.
    const bool bmp = strcasecmp(dot, ".bmp") == 0, tif = strcasecmp(dot, ".tif") == 0;
    const bool colour24 = format == FMT_RGB_888 || format == FMT_BGR_888 || format == FMT_BGR_888_PADDED;
    const bool colour32 = format == FMT_BGRA_8888 || format == FMT_ARGB_8888;
    if (format && ((bmp && !colour24) || (tif && !colour24 && !colour32)))
        return ToolFail("image", out,
                        std::string("a ") + dot + " file cannot keep " + imgFormatName(format) +
                            (bmp ? " (24-bit colour only)" : " (24- or 32-bit colour only)"));
    imgImage img;
    std::string reason;
    if (!loadPicture(img, in, reason))
        return ToolFail("image", in, reason);
    if (format && img.convertTo(format, img.origin) != 1)
        return ToolFail("image", in, std::string("cannot convert to ") + imgFormatName(format));
    if (img.save(out.c_str()) != 1)
        return ToolFail("image", out,
                        std::string("cannot write (") + imgFormatName(img.format) +
                            " is not taken by this file type, or the file cannot be created)");
    return 0;
}

} // namespace

int cmd_image(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "info") == 0)
        return info(argv[2]);
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "convert") == 0)
        return convert(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    return usage();
}
