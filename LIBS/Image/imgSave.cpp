#include "LIBS/Image/imgSave.h"

#include "LIBS/Image/ImageLoader.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <vector>

bool imgWriteAll(sStream& stream, const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const int32_t chunk = int32_t(std::min<size_t>(size, 1 << 30));
        if (stream.write(p, chunk) != chunk)
            return false;
        p += chunk;
        size -= size_t(chunk);
    }
    return true;
}

int imgSaveRAW(const imgImage& img, sStream& stream, int option)
{
    if (!stream.isOpen || img.empty())
        return 0;
    if (option == 0)
        return imgWriteAll(stream, img.pixels, img.imageSize) ? 1 : 0;
    if (option != 1)
        return 0;
    const int unit = img.bitsPerPixel / 8;
    std::vector<uint8_t> coded(size_t(img.imageSize) * 2 + size_t(unit));
    const size_t n = imgRunLengthCode(img.pixels, img.imageSize, unit, coded.data());
    return imgWriteAll(stream, coded.data(), n) ? 1 : 0;
}

int imgImage::saveType(sStream& stream, int type, int option)
{
    if (!stream.isOpen)
        return 0;
    int result;
    switch (type) {
    case IMG_TYPE_TGA:
        result = imgSaveTGA(*this, stream, option);
        break;
    case IMG_TYPE_RIF:
        result = imgSaveRIF(*this, stream, option);
        break;
    case IMG_TYPE_BMP:
        result = imgSaveBMP(*this, stream, option);
        break;
    case IMG_TYPE_TIFF:
        result = imgSaveTIFF(*this, stream, option);
        break;
    case IMG_TYPE_RAW:
        result = imgSaveRAW(*this, stream, option);
        break;
    default:
        SLOG_WARNING("unsupportet filetype for save-operation");
        return 0;
    }
    if (result == 1)
        SLOG_NOTE("save-operation successful");
    else
        SLOG_WARNING("save-operation NOT successful");
    return result;
}

int imgImage::saveByName(sStream& stream, const char* fileName, int option)
{
    const int type = ImageLoader::typeOfName(fileName, true);
    if (type == 0)
        return 0;
    return saveType(stream, type, option);
}

int imgImage::save(const char* fileName, int option)
{
    if (!fileName || ImageLoader::typeOfName(fileName, true) == 0)
        return 0;
    sStream stream(fileName, sStream::Write);
    if (!stream.isOpen) {
        SLOG_WARNING("cannot write image file '%s'", fileName);
        return 0;
    }
    int result = saveByName(stream, fileName, option);
    // The buffered stream creates the file only now.
    if (!stream.close()) {
        SLOG_WARNING("cannot write image file '%s'", fileName);
        result = 0;
    }
    return result;
}
