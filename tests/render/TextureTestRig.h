// A DirectDraw object and a hand-made device record for the texture code, so a
// test chooses exactly which texture formats and size rules the device has.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"

inline TextureFormatInfo* MakeTextureFormat(const char* name, uint32_t bits, uint32_t r, uint32_t g,
                                            uint32_t b, uint32_t a)
{
    auto* f = new TextureFormatInfo();
    f->name.Set(name);
    f->format = D3DMakeRGBFormat(bits, r, g, b, a);
    f->rgb = 1;
    f->hasAlpha = a != 0;
    f->bitsPerPixel = int32_t(bits);
    return f;
}

enum class FormatSet
{
    Usual,
    Only565
};

struct TextureDeviceRig
{
    IDirectDraw7* dd = nullptr;
    D3DDeviceInfo info;
    std::filesystem::path folder;
    std::filesystem::path logFile;
    uint8_t logging = 1;
    DirectXState savedDX = DX;

    explicit TextureDeviceRig(FormatSet set = FormatSet::Usual)
    {
        EXPECT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
        info.texturing = true;
        info.hardware = true;
        info.maxTextureWidth = 256;
        info.maxTextureHeight = 256;
        info.textureFormats.add(MakeTextureFormat("16 bit 0565 RGB", 16, 0xF800, 0x07E0, 0x001F, 0));
        if (set == FormatSet::Usual) {
            info.textureFormats.add(
                MakeTextureFormat("16 bit 1555 RGBALPHA ", 16, 0x7C00, 0x03E0, 0x001F, 0x8000));
            info.textureFormats.add(
                MakeTextureFormat("16 bit 4444 RGBALPHA ", 16, 0x0F00, 0x00F0, 0x000F, 0xF000));
            info.textureFormats.add(
                MakeTextureFormat("32 bit 8888 RGBALPHA ", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u));
        }
        DX.directDraw = dd;
        DX.deviceInfo = &info;
        DX.halveTextureWidths = DX.halveTextureHeights = false;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("varek_textures_" + std::string(test->test_suite_name()) + "_" + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        logFile = folder / "log.txt";
        LogPrintfSetTarget(&logging, logFile.string().c_str());
    }
    ~TextureDeviceRig()
    {
        while (CTexturePage::First())
            delete CTexturePage::First();
        while (CTexture::First())
            delete CTexture::First();
        LogPrintfSetTarget(nullptr, nullptr);
        for (TextureFormatInfo* f : info.textureFormats)
            delete f;
        DX = savedDX;
        if (dd)
            dd->Release();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::string log() const
    {
        std::ifstream in(logFile);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int logCount(const std::string& needle) const
    {
        const std::string s = log();
        int n = 0;
        for (size_t p = s.find(needle); p != std::string::npos; p = s.find(needle, p + 1))
            ++n;
        return n;
    }
};

// A 32-bit image (B, G, R, A bytes) from 0xAARRGGBB words, top line first.
inline void FillImage(imgImage& img, int w, int h, const std::vector<uint32_t>& words)
{
    img.allocate(w, h, FMT_BGRA_8888, ORIGIN_TOP_LEFT);
    for (size_t i = 0; i < words.size(); ++i)
        for (int c = 0; c < 4; ++c)
            img.pixels[i * 4 + c] = uint8_t(words[i] >> (8 * c));
}

// Saves words as a picture file in the format of the name's extension.
inline bool WritePicture(const std::filesystem::path& path, int w, int h, const std::vector<uint32_t>& words)
{
    imgImage img;
    FillImage(img, w, h, words);
    return img.save(path.string().c_str()) == 1;
}

struct Rgba
{
    int32_t r = -1, g = -1, b = -1, a = -1;
};

inline Rgba PixelOf(CTextureSurface& s, int x, int y)
{
    Rgba p;
    EXPECT_TRUE(s.GetPixel(x, y, &p.r, &p.g, &p.b, &p.a)) << "pixel " << x << "," << y;
    return p;
}
