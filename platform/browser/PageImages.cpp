#include "platform/browser/PageParts.h"

#include "LIBS/Image/imgFormats.h"
#include "LIBS/Image/imgImage.h"
#include "platform/files/WinPath.h"

#include <stb_image.h>

#include <fstream>
#include <iterator>

namespace platform::browser {

namespace {

bool HasExtension(const std::filesystem::path& file, std::initializer_list<const char*> extensions)
{
    const std::string ext = file.extension().string();
    for (const char* e : extensions)
        if (EqualsNoCase(ext, e))
            return true;
    return false;
}

// Pages carry pictures far smaller than this; a larger one is a broken file.
constexpr int kMaxImageSide = 8192;

} // namespace

bool LoadPageImage(const std::filesystem::path& file, PageImage& out)
{
    out = PageImage();
    if (HasExtension(file, {".png", ".jpg", ".jpeg"})) {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return false;
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.empty() || bytes.size() > size_t(1) << 30)
            return false;
        int w = 0, h = 0, channels = 0;
        if (!stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), int(bytes.size()), &w, &h,
                                   &channels) ||
            w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide)
            return false;
        stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                              int(bytes.size()), &w, &h, &channels, 4);
        if (!rgba)
            return false;
        out.width = w;
        out.height = h;
        out.pixels.resize(size_t(w) * size_t(h));
        for (size_t i = 0; i < out.pixels.size(); ++i) {
            const stbi_uc* p = rgba + i * 4;
            out.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
        stbi_image_free(rgba);
        return true;
    }
    imgImage image;
    if (image.load(file.string().c_str()) != 1 || image.empty() || image.width <= 0 || image.height <= 0 ||
        image.width > kMaxImageSide || image.height > kMaxImageSide)
        return false;
    std::vector<uint32_t> pixels(size_t(image.width) * size_t(image.height));
    if (image.convertInto(pixels.data(), FMT_BGRA_8888, ORIGIN_TOP_LEFT, image.width * 4) != 1)
        return false;
    if (!imgFormatHasAlpha(image.format))
        for (uint32_t& p : pixels)
            p |= 0xFF000000u;
    out.width = image.width;
    out.height = image.height;
    out.pixels = std::move(pixels);
    return true;
}

std::filesystem::path ResolvePageLink(const std::filesystem::path& pageFolder, std::string_view link)
{
    std::string s(link);
    const size_t cut = s.find_first_of("#?");
    if (cut != std::string::npos)
        s.erase(cut);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.erase(s.begin());
    if (s.empty())
        return {};
    if (s.size() > 5 && EqualsNoCase(s.substr(0, 5), "file:")) {
        s.erase(0, 5);
        // "file:///a/b" and "file://c:/x": the host part is empty or a drive.
        if (s.rfind("///", 0) == 0)
            s.erase(0, 2);
        else if (s.rfind("//", 0) == 0)
            s.erase(0, 2);
        if (s.size() > 3 && s[0] == '/' && s[2] == ':')
            s.erase(0, 1);
        return ResolvePath(s);
    }
    // Any other scheme ("http:", "mailto:", "javascript:") is not a local file; a
    // drive letter is.
    const size_t colon = s.find(':');
    if (colon != std::string::npos && colon > 1 && s.find_first_of("/\\") > colon)
        return {};
    if (colon == 1 || s[0] == '/' || s[0] == '\\')
        return ResolvePath(s);
    std::string joined = pageFolder.string();
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    return ResolvePath(joined + s);
}

} // namespace platform::browser
