#pragma once
// The sample installation made in code: pictures, textures and texture pages,
// simple meshes, the level, the interface resources and the text files. One
// function per kind of content, each called once by main().
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "LIBS/System/CVector.h"

class CModelEntry;
class CNode;
class CRootNode;
class CTexturePage;
class CWorldObject;

namespace sample {

namespace fs = std::filesystem;

// The burglary's places on the street block, which the level puts there and its map shows: the
// getaway car's stop on the road in front of Haus_C, and the phone box beyond the target.
inline const CVector kCarAt(-0.25f, 0.0f, 0.9f);
inline const CVector kPhoneAt(-0.86f, 0.02f, 2.7f);

// A reproducible random sequence, so that every run writes the same bytes.
class CRandom
{
public:
    explicit CRandom(uint32_t seed) : state_(seed) {}
    uint32_t Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    // 0 .. 1
    float Unit() { return float(Next() & 0xFFFF) / 65535.0f; }
    int Range(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }

private:
    uint32_t state_;
};

// 0xAARRGGBB pixels, top line first.
struct SPicture
{
    SPicture(int w, int h, uint32_t fill = 0xFF000000u)
        : width(w), height(h), pixels(size_t(w) * size_t(h), fill)
    {
    }

    uint32_t& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void Fill(int x0, int y0, int x1, int y1, uint32_t argb);
    void Frame(int x0, int y0, int x1, int y1, int thickness, uint32_t argb);
    // Shades every pixel of the rectangle by a factor (1 unchanged).
    void Shade(int x0, int y0, int x1, int y1, float factor);
    void Noise(CRandom& random, float amount);
    void VerticalGradient(int x0, int y0, int x1, int y1, uint32_t top, uint32_t bottom);
    void Disc(float cx, float cy, float radius, uint32_t argb);
    // Block letters (A-Z, 0-9, a few signs) scaled by `scale`.
    void Text(int x, int y, const char* text, int scale, uint32_t argb);
    static int TextWidth(const char* text, int scale);

    // Writes the picture by the file name's extension: 24-bit for ".bmp",
    // with alpha for ".tga". False with a reason.
    bool Save(const fs::path& path, std::string& error) const;

    int width, height;
    std::vector<uint32_t> pixels;
};

uint32_t Rgb(int r, int g, int b);
uint32_t Mix(uint32_t a, uint32_t b, float t);

// A texture of the level: its picture, file and place in a texture page.
struct SSampleTexture
{
    std::string name; // file name without extension
    std::string path; // as the materials store it, e.g. "textures\brick.bmp"
    int32_t pageNumber = -1;
    int32_t pageEntry = -1;
    // Its place in the page: left, top, right, bottom (exclusive), page pixels.
    int32_t pageRect[4] = {};
    int32_t pageWidth = 0, pageHeight = 0;
};

// Everything that the content functions share.
struct SContext
{
    fs::path out;
    std::vector<SSampleTexture> textures;
    std::string error;
    // The "alert" variant: the watchman's round crosses the gang's way.
    bool alert = false;

    const SSampleTexture& Texture(const std::string& name) const;
};

// A CPU-only texture device: the texture code makes textures and pages with
// their pixels in memory, so the level's pages are stored with their pixels.
bool OpenTextureDevice(std::string& error);
void CloseTextureDevice();

// Draws the level's textures, writes them under "textures" and fills the pages.
bool MakeTextures(SContext& c);
// "Varek.wld": the street block with the burglary of Haus_C.
bool MakeLevel(SContext& c);
// "Varek.wld" as a town of ten street blocks, for measuring the game on a
// larger level (the "large" variant).
bool MakeLargeTown(SContext& c);
// resources/IMAGES, resources/MODELS and resources/BITMAP.
bool MakeInterfaceResources(SContext& c);
// The four dialog text files in data\ and their encoded variants.
bool MakeDialogTexts(SContext& c);
// VarekDemo.ini.
bool MakeDemoSettings(SContext& c);
// data\sounds.txt with its WAV files in sounds\, and music\track03.wav.
bool MakeSounds(SContext& c);
// movies\movie0.mpg and movie9.mpg, made with the ffmpeg command (VAREK_FFMPEG names it).
bool MakeMovies(SContext& c);

// resources\BITMAP\113.bmp, the launcher's picture, and Manual\ with the manual
// and the two home pages.
bool MakeLauncherContent(SContext& c);
// Tutorial\Tutorial1_1.htm to Tutorial8_1.htm with their pictures.
bool MakeTutorialPages(SContext& c);
// The image list of the editor trees, bitmap 184.
bool MakeEditorImages(SContext& c);
// Writes bytes through a temporary file renamed over the target.
bool WriteFileBytes(const fs::path& path, const void* data, size_t size, std::string& error);

} // namespace sample
