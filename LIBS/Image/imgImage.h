#pragma once
// The in-memory image: a pixel buffer in one of the library's pixel formats,
// an optional 256-entry palette, an optional depth buffer, a header shaped
// like the Windows bitmap information header and the origin corner.
#include "LIBS/Image/imgFormats.h"
#include "LIBS/System/sFilename.h"

#include <cstddef>
#include <cstdint>

class sStream;

// What a probe reports about a file before its pixels are read.
struct imgHeader
{
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 3000;
    int32_t yPelsPerMeter = 3000;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
    int32_t format = 0;
    int32_t origin = ORIGIN_TOP_LEFT;
    int32_t paletteBytes = 0;
    int32_t zBufferSize = 0;
};

// Kinds of imgImage::formatFits / extract: single channels and whole pixels.
enum imgChannel : int
{
    CHANNEL_RED = 0,
    CHANNEL_GREEN = 1,
    CHANNEL_BLUE = 2,
    CHANNEL_ALPHA = 3,
    CHANNEL_INTENSITY = 4,
    CHANNEL_PIXELS = 5,
};

// All bits set: destination lines are packed.
constexpr int IMG_PACKED_PITCH = -1;

class imgImage
{
public:
    explicit imgImage(int keepBuffers = 0);
    imgImage(int width, int height, int format, int keepBuffers = 0);
    explicit imgImage(const char* name, int keepBuffers = 0);
    ~imgImage();
    imgImage(const imgImage&) = delete;
    imgImage& operator=(const imgImage&) = delete;

    sFilename name;
    uint8_t* pixels = nullptr;
    uint32_t* palette = nullptr; // 256 entries 0x00RRGGBB
    uint32_t* zBuffer = nullptr; // one value per pixel

    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 3000;
    int32_t yPelsPerMeter = 3000;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;

    int32_t paletteBytes = 0;
    int32_t zBufferSize = 0;
    int32_t origin = ORIGIN_TOP_LEFT;
    int32_t format = 0;
    int32_t bytesPerLine = 0;
    int32_t keepBuffers = 0;
    int32_t loaderType = 0;

    bool empty() const { return imageSize == 0 || pixels == nullptr; }

    // 1, or -2 when a buffer could not be had (the image is then empty).
    int allocate(int width, int height, int format, int origin = ORIGIN_TOP_LEFT, bool withZBuffer = false);
    int allocateLike(const imgImage& other);
    int copy(const imgImage& other);
    void updateLineSize();
    void setOrigin(int origin);
    // Whether a kind (imgChannel) takes the current format.
    int formatFits(int kind) const;
    int canSave(int kind) const { return formatFits(kind); }
    static int formatFits(int kind, int format);
    static int nearestPaletteIndex(int r, int g, int b, const uint32_t* palette, int count);

    // Loading: 1 success, 0 failure, -2 out of memory.
    int load(const char* name);
    int loadMemory(const void* data, size_t size);
    int loadType(sStream& stream, int type);

    // Saving by extension: 1 success, 0 failure.
    int save(const char* name, int option = 0);
    int saveByName(sStream& stream, const char* name, int option = 0);
    int saveType(sStream& stream, int type, int option = 0);

    // Tools.
    void flipY();
    void flipX();
    void resample(int width, int height);
    void resize(int width, int height, int quality, int dither = 0);
    int convertTo(int format, int origin, int dither = 0);
    int convertFrom(const imgImage& source, int format, int origin, int dither = 0);
    void padLines();
    void unpadLines();
    void smooth();
    int copyChannel(int kind, uint8_t* destination, int format, int origin);
    int copyChannel(int kind, uint8_t* destination);

    // Area extraction: x0..x1, y0..y1 inclusive, top-left based.
    int extract(int kind, void* destination, int format, int origin, int x0, int y0, int x1, int y1,
                int destinationPitch) const;
    // The whole image as whole pixels of `format`/`origin` into a caller's buffer.
    int convertInto(void* destination, int format, int origin, int destinationPitch) const;

    // Takes ownership of the buffers of `other`, which becomes empty.
    void take(imgImage& other);
    void release();

private:
    size_t pixelsCapacity_ = 0;
    void defaults();
};

// Largest pixel or depth buffer the library allocates (512 MiB).
constexpr size_t IMG_MAX_BUFFER_BYTES = size_t(512) << 20;

// Reference protocol of the image's buffers: a new block has one owner.
uint8_t* imgBlockNew(size_t bytes);
void imgBlockAddRef(void* block);
void imgBlockRelease(void* block);
