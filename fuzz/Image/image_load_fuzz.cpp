// Any bytes through the image loader's probes and loaders, as a memory image
// and under each extension, then through the conversions a loaded picture
// goes through in the program.
#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/Image/imgQuantize.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool quiet = [] {
        sLog.level = 0;
        sLog.stream = nullptr;
        return true;
    }();
    (void)quiet;
    if (size == 0)
        return 0;
    // An exact copy, so that a read past the end is a fault.
    std::vector<uint8_t> bytes(data, data + size);
    imgImage img;
    if (img.loadMemory(bytes.data(), bytes.size()) == 1 && img.width <= 256 && img.height <= 256) {
        img.convertTo(FMT_RGB_565, ORIGIN_TOP_LEFT, DITHER_DIFFUSION);
        img.resize(img.width / 2 + 1, img.height / 2 + 1, 0);
    }
    // The extension decides first for named files: PCX, JPEG and AVI are
    // reached only this way.
    const int type = 1 + data[0] % 11;
    if (type != IMG_TYPE_RAW) {
        sStream stream;
        stream.attachMemory(static_cast<const void*>(bytes.data() + 1), int32_t(size - 1));
        imgImage typed;
        typed.loadType(stream, type);
    }
    return 0;
}
