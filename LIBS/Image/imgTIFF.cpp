#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgSave.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include "LIBS/Image/TiffApi.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// The stream a libtiff handle works on, and where the file starts in it.
struct TifClient
{
    sStream* stream;
    int32_t base;
};

tsize_t tifRead(thandle_t h, tdata_t buf, tsize_t n)
{
    auto* c = static_cast<TifClient*>(h);
    if (n <= 0 || n > 0x7FFFFFFF)
        return 0;
    c->stream->read(buf, int32_t(n));
    return c->stream->lastCount;
}

tsize_t tifWrite(thandle_t h, tdata_t buf, tsize_t n)
{
    auto* c = static_cast<TifClient*>(h);
    if (n <= 0 || n > 0x7FFFFFFF)
        return 0;
    return c->stream->write(buf, int32_t(n));
}

toff_t tifSeek(thandle_t h, toff_t offset, int whence)
{
    auto* c = static_cast<TifClient*>(h);
    sStream& s = *c->stream;
    if (offset > 0x7FFFFFFF)
        return toff_t(-1);
    switch (whence) {
    case SEEK_SET:
        s.seek(c->base + int32_t(offset), 0);
        break;
    case SEEK_CUR:
        s.seek(int32_t(offset), 1);
        break;
    case SEEK_END: {
        // libtiff counts forward from the end; the stream counts backward.
        const int32_t end = s.seek(0, 2);
        s.seek(end + int32_t(offset), 0);
        break;
    }
    default:
        break;
    }
    return toff_t(s.position - c->base);
}

int tifClose(thandle_t)
{
    return 0;
}

toff_t tifSize(thandle_t h)
{
    auto* c = static_cast<TifClient*>(h);
    sStream& s = *c->stream;
    const int32_t pos = s.position;
    const int32_t end = s.seek(0, 2);
    s.seek(pos, 0);
    return toff_t(std::max(0, end - c->base));
}

int tifMap(thandle_t, tdata_t*, toff_t*)
{
    return 0;
}

void tifUnmap(thandle_t, tdata_t, toff_t) {}

void writeLogLine(const char* prefix, const char* module, const char* fmt, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, args);
    if (sLog.stream)
        *sLog.stream << prefix << (module ? module : "") << ": " << text << '\n';
}

void tifWarning(const char* module, const char* fmt, va_list args)
{
    writeLogLine("", module, fmt, args);
}

void tifError(const char* module, const char* fmt, va_list args)
{
    writeLogLine("FATAL:", module, fmt, args);
}

void installHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetWarningHandler(tifWarning);
        TIFFSetErrorHandler(tifError);
    });
}

TIFF* tifOpenStream(TifClient& client, const char* mode)
{
    installHandlers();
    const char* name = mode[0] == 'r' ? "loadTif-imagelib v1.5" : "saveTif-imagelib v1.5";
    return TIFFClientOpen(name, mode, &client, tifRead, tifWrite, tifSeek, tifClose, tifSize, tifMap,
                          tifUnmap);
}

int originOfOrientation(int orientation)
{
    switch (orientation) {
    case 1:
    case 5:
        return ORIGIN_TOP_LEFT;
    case 2:
    case 6:
        return ORIGIN_TOP_RIGHT;
    case 3:
    case 7:
        return ORIGIN_BOTTOM_RIGHT;
    default:
        return ORIGIN_BOTTOM_LEFT;
    }
}

int orientationOfOrigin(int origin)
{
    switch (origin) {
    case ORIGIN_TOP_LEFT:
        return ORIENTATION_TOPLEFT;
    case ORIGIN_TOP_RIGHT:
        return ORIENTATION_TOPRIGHT;
    case ORIGIN_BOTTOM_RIGHT:
        return ORIENTATION_BOTRIGHT;
    default:
        return ORIENTATION_BOTLEFT;
    }
}

} // namespace

int imgProbeTIFF(const imgSource& src, imgHeader& h)
{
    // libtiff would complain about every file of another type: look at the
    // magic first.
    if (src.size < 8 ||
        !((src.data[0] == 'I' && src.data[1] == 'I') || (src.data[0] == 'M' && src.data[1] == 'M')))
        return IMG_PROBE_REJECT;
    if (!src.stream)
        return 0;
    src.stream->seek(src.start, 0);
    TifClient client{src.stream, src.start};
    TIFF* tif = tifOpenStream(client, "r");
    if (!tif)
        return 0;
    uint32_t w = 0, hh = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &hh);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFClose(tif);
    if (w == 0 || hh == 0 || w > 0xFFFF || hh > 0xFFFF)
        return IMG_PROBE_REJECT;
    h.width = int32_t(w);
    h.height = int32_t(hh);
    h.bitsPerPixel = 32;
    h.format = FMT_BGRA_8888;
    h.imageSize = ImageLoader::probeSize(int(w), 32, int(hh));
    h.paletteBytes = 0;
    h.origin = originOfOrientation(orientation);
    return IMG_PROBE_ACCEPT;
}

int imgLoadTIFF(const imgSource& src, imgImage& img)
{
    if (!src.stream)
        return 0;
    src.stream->seek(src.start, 0);
    TifClient client{src.stream, src.start};
    TIFF* tif = tifOpenStream(client, "r");
    if (!tif)
        return 0;
    uint32_t w = 0, h = 0;
    uint16_t samples = 1, extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    const int unassociated = extraCount > 0 && extra && extra[0] == EXTRASAMPLE_UNASSALPHA;
    if (w != uint32_t(img.width) || h != uint32_t(img.height) || img.format != FMT_BGRA_8888) {
        TIFFClose(tif);
        return 0;
    }
    // The raster comes in the corner order of the image's origin, so the
    // first stored line is the one the origin names. A damaged strip fails
    // the load rather than leaving part of the picture unread.
    const int ok = TIFFReadRGBAImageOriented(tif, w, h, reinterpret_cast<uint32_t*>(img.pixels),
                                             orientationOfOrigin(img.origin), 1);
    TIFFClose(tif);
    if (!ok)
        return 0;
    const size_t count = size_t(w) * h;
    uint8_t* p = img.pixels;
    const bool alpha = extraCount > 0 || samples == 2 || samples >= 4;
    if (unassociated) {
        // The reader premultiplies unassociated alpha; undo it.
        for (size_t i = 0; i < count; ++i) {
            uint8_t* q = p + i * 4;
            if (q[3] != 0 && q[3] != 255)
                for (int c = 0; c < 3; ++c)
                    q[c] = uint8_t(std::min(255, (q[c] * 255 + q[3] / 2) / q[3]));
        }
    }
    if (samples > 1 && !alpha) {
        for (size_t i = 0; i < count; ++i) {
            const uint8_t r = p[i * 4], g = p[i * 4 + 1], b = p[i * 4 + 2];
            p[i * 3] = b;
            p[i * 3 + 1] = g;
            p[i * 3 + 2] = r;
        }
        img.format = FMT_BGR_888;
        img.bitsPerPixel = 24;
        img.updateLineSize();
        img.imageSize = uint32_t(img.bytesPerLine) * h;
    } else {
        for (size_t i = 0; i < count; ++i)
            std::swap(p[i * 4], p[i * 4 + 2]);
    }
    return 1;
}

int imgSaveTIFF(const imgImage& image, sStream& stream, int option)
{
    if (!stream.isOpen || image.empty())
        return 0;
    const imgImage* src = &image;
    imgImage temp;
    const int f = image.format;
    if (f != FMT_RGB_888 && f != FMT_BGR_888 && f != FMT_BGRA_8888 && f != FMT_ARGB_8888) {
        // Only these four have writers of their lines; others are converted.
        const int target = imgFormatHasAlpha(f) ? FMT_BGRA_8888 : FMT_RGB_888;
        if (temp.convertFrom(image, target, image.origin) != 1 || temp.empty())
            return 0;
        src = &temp;
    }
    const int spp = src->bitsPerPixel / 8;
    TifClient client{&stream, stream.position};
    TIFF* tif = tifOpenStream(client, "w");
    if (!tif)
        return 0;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(src->width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(src->height));
    TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(orientationOfOrigin(src->origin)));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(spp));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    if (spp == 4) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
    }
    if (option == 3) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_LZW));
        TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(2));
    } else if (option == 4) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_PACKBITS));
    } else {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_NONE));
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 1));
    std::vector<uint8_t> line(std::max<size_t>(size_t(src->bytesPerLine), size_t(TIFFScanlineSize(tif))));
    int result = 1;
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* in = src->pixels + size_t(y) * src->bytesPerLine;
        for (int x = 0; x < src->width; ++x) {
            const uint8_t* p = in + size_t(x) * spp;
            uint8_t* o = line.data() + size_t(x) * spp;
            switch (src->format) {
            case FMT_RGB_888:
                o[0] = p[0], o[1] = p[1], o[2] = p[2];
                break;
            case FMT_BGR_888:
                o[0] = p[2], o[1] = p[1], o[2] = p[0];
                break;
            case FMT_BGRA_8888:
                o[0] = p[2], o[1] = p[1], o[2] = p[0], o[3] = p[3];
                break;
            default:
                o[0] = p[1], o[1] = p[2], o[2] = p[3], o[3] = p[0];
                break;
            }
        }
        if (TIFFWriteScanline(tif, line.data(), uint32_t(y), 0) < 0) {
            result = 0;
            break;
        }
    }
    // Closing writes the directory; a short write there fails the save too.
    if (result == 1 && !TIFFFlush(tif))
        result = 0;
    TIFFClose(tif);
    return result;
}
