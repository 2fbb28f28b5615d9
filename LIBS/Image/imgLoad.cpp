#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <cstring>
#include <strings.h>
#include <vector>

namespace {

// The bytes of the stream from its position to its end.
bool readRest(sStream& stream, std::vector<uint8_t>& out)
{
    out.clear();
    uint8_t chunk[65536];
    for (;;) {
        const int32_t n = stream.read(chunk, int32_t(sizeof chunk));
        if (n <= 0)
            break;
        out.insert(out.end(), chunk, chunk + n);
    }
    return true;
}

const char* extensionOf(const char* name)
{
    return name ? std::strrchr(name, '.') : nullptr;
}

// Order of the types when the extension does not decide.
const int kProbeOrder[] = {IMG_TYPE_BMP, IMG_TYPE_PIX,  IMG_TYPE_GIF, IMG_TYPE_RIF,
                           IMG_TYPE_TGA, IMG_TYPE_TIFF, IMG_TYPE_IFF};

} // namespace

int ImageLoader::typeOfName(const char* name, bool forSave)
{
    const char* ext = extensionOf(name);
    if (!ext)
        return 0;
    struct Entry
    {
        const char* ext;
        int type;
    };
    static const Entry loadTable[] = {{".bmp", 6},  {".tga", 1}, {".pcx", 3},  {".gif", 2},
                                      {".jpeg", 4}, {".jpg", 4}, {".rif", 5},  {".tif", 7},
                                      {".tiff", 7}, {".iff", 8}, {".avi", 11}, {".pix", 9}};
    static const Entry saveTable[] = {{".bmp", 6},  {".tga", 1}, {".tif", 7}, {".pcx", 3}, {".gif", 2},
                                      {".jpeg", 4}, {".jpg", 4}, {".rif", 5}, {".raw", 10}};
    if (forSave) {
        for (const Entry& e : saveTable)
            if (strcasecmp(ext, e.ext) == 0)
                return e.type;
    } else {
        for (const Entry& e : loadTable)
            if (strcasecmp(ext, e.ext) == 0)
                return e.type;
    }
    return 0;
}

int ImageLoader::loadAny(imgImage& image, sStream& stream, const char* name)
{
    if (!name)
        return 0;
    const int32_t start = stream.position;
    const int type = typeOfName(name, false);
    if (type != 0) {
        const int result = image.loadType(stream, type);
        if (result == 1 || result == -2)
            return result;
    }
    std::vector<uint8_t> bytes;
    stream.seek(start, 0);
    readRest(stream, bytes);
    imgSource src{&stream, start, bytes.data(), bytes.size()};
    for (int t : kProbeOrder) {
        imgHeader header;
        if (probe(src, t, header) == IMG_PROBE_ACCEPT) {
            stream.seek(start, 0);
            return image.loadType(stream, t) == 1 ? 1 : 0;
        }
    }
    SLOG_WARNING("unknown imageformat!");
    return 0;
}

int imgImage::load(const char* fileName)
{
    if (!fileName)
        return 0;
    name.set(fileName);
    sStream stream(fileName, sStream::Read);
    if (!stream.isOpen) {
        SLOG_WARNING("cannot read image file '%s'", fileName);
        return 0;
    }
    const int result = ImageLoader::loadAny(*this, stream, fileName);
    stream.close();
    return result;
}

int imgImage::loadMemory(const void* data, size_t size)
{
    if (!data || size == 0 || size > 0x7FFFFFFF)
        return 0;
    sStream stream;
    stream.attachMemory(data, int32_t(size));
    name.set("");
    return ImageLoader::loadAny(*this, stream, "");
}

int imgImage::loadType(sStream& stream, int type)
{
    if (!stream.isOpen)
        return 0;
    imgHeader header;
    const int32_t start = stream.position;
    loaderType = type;
    std::vector<uint8_t> bytes;
    readRest(stream, bytes);
    imgSource src{&stream, start, bytes.data(), bytes.size()};

    int result = 0;
    if (ImageLoader::probe(src, type, header) == IMG_PROBE_ACCEPT) {
        if (type == IMG_TYPE_JPEG || header.width <= 0 || header.height <= 0) {
            // Nothing to allocate: the loader says why it cannot read the file.
            if (type == IMG_TYPE_JPEG)
                ImageLoader::load(src, type, *this, nullptr);
            else
                SLOG_WARNING("image file has no pixels! loading cancelled");
        } else if (size_t(imgLineBytes(header.width, header.format)) * size_t(header.height) >
                       IMG_MAX_BUFFER_BYTES ||
                   size_t(header.zBufferSize) > IMG_MAX_BUFFER_BYTES) {
            SLOG_WARNING("image of %d x %d pixels is too large! loading cancelled", header.width,
                         header.height);
        } else if (bytes.size() < ImageLoader::minimumData(type, header)) {
            SLOG_WARNING("image file too short for its %d x %d header! loading cancelled", header.width,
                         header.height);
        } else if (allocate(header.width, header.height, header.format, header.origin,
                            header.zBufferSize > 0) != 1 ||
                   empty()) {
            result = -2;
        } else {
            headerSize = 40;
            planes = 1;
            compression = 0;
            xPelsPerMeter = yPelsPerMeter = 3000;
            colorsUsed = colorsImportant = 0;
            std::vector<uint8_t> filePalette(paletteBytes > 0 || header.paletteBytes > 0 ? 768 : 0);
            stream.seek(start, 0);
            src.stream = &stream;
            const int loaded =
                ImageLoader::load(src, type, *this, filePalette.empty() ? nullptr : filePalette.data());
            if (loaded == 1) {
                result = 1;
                if (palette && !filePalette.empty())
                    for (int i = 0; i < 256; ++i)
                        palette[i] = uint32_t(filePalette[i * 3]) << 16 |
                                     uint32_t(filePalette[i * 3 + 1]) << 8 | uint32_t(filePalette[i * 3 + 2]);
            }
        }
    }
    if (result == 1)
        SLOG_NOTE("image loaded(%dx%dx%d; format: %s; origin: %s)", width, height, bitsPerPixel / 8,
                  imgFormatName(format), imgOriginName(origin));
    else
        SLOG_WARNING("IMAGE NOT LOADED.");
    return result;
}
