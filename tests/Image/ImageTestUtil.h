#pragma once
// Helpers shared by the image library's tests.
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/sLog.h"
#include "tests/support/LogCapture.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

// A picture whose every pixel differs from its neighbours: 0xAARRGGBB words,
// top line first, left pixel first.
inline std::vector<uint32_t> testPicture(int w, int h, bool alpha)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t r = uint32_t(x * 255 / (w > 1 ? w - 1 : 1));
            uint32_t g = uint32_t(y * 255 / (h > 1 ? h - 1 : 1));
            uint32_t b = uint32_t((x * 37 + y * 91) & 0xFF);
            uint32_t a = alpha ? uint32_t((x * 13 + y * 29 + 40) & 0xFF) : 0xFF;
            out.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    return out;
}

// Fills a 2049 image (top-left origin) from words.
inline void fillBGRA(imgImage& img, const std::vector<uint32_t>& words, int w, int h)
{
    img.allocate(w, h, FMT_BGRA_8888, ORIGIN_TOP_LEFT);
    for (size_t i = 0; i < words.size(); ++i)
        for (int c = 0; c < 4; ++c)
            img.pixels[i * 4 + c] = uint8_t(words[i] >> (8 * c));
}

// The picture as 0xAARRGGBB words, top line first, whatever the format and origin.
inline std::vector<uint32_t> wordsOf(const imgImage& img)
{
    std::vector<uint32_t> out(size_t(img.width) * img.height);
    if (img.empty() || out.empty())
        return out;
    img.extract(CHANNEL_PIXELS, out.data(), FMT_BGRA_8888, ORIGIN_TOP_LEFT, 0, 0, img.width - 1,
                img.height - 1, IMG_PACKED_PITCH);
    return out;
}

inline std::vector<uint32_t> opaque(std::vector<uint32_t> words)
{
    for (auto& w : words)
        w |= 0xFF000000u;
    return words;
}

#include <filesystem>
#include <fstream>
#include <unistd.h>

// A folder of its own for one test, removed afterwards.
class TempDir
{
public:
    TempDir()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("varek_image_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
