#include "platform/sound/WaveReader.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

struct Chunk
{
    char id[5] = {};
    uint64_t offset = 0; // of the chunk header
    uint32_t size = 0;
    uint64_t Body() const { return offset + 8; }
};

} // namespace

WaveReader::~WaveReader()
{
    Close();
}

void WaveReader::Close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    memory_.clear();
    formatBlock_.clear();
    format_ = WAVEFORMATEX();
    dataOffset_ = dataSize_ = bytesRead_ = 0;
}

bool WaveReader::Fail(const std::string& message)
{
    error_ = message;
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    return false;
}

bool WaveReader::Open(const std::string& path)
{
    Close();
    error_.clear();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return Fail(path + ": cannot open the file");
    return Parse(path);
}

bool WaveReader::OpenMemory(const void* data, size_t size, const std::string& name)
{
    Close();
    error_.clear();
    memory_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    // fmemopen refuses an empty buffer; one spare byte past the end is never read.
    memory_.push_back(0);
    file_ = fmemopen(memory_.data(), size == 0 ? 1 : size, "rb");
    if (!file_)
        return Fail(name + ": cannot open the file");
    if (size == 0)
        return Fail(name + ": chunk \"RIFF\" at offset 0: the file is too short");
    return Parse(name);
}

bool WaveReader::Parse(const std::string& name)
{
    auto where = [&](const char* id, uint64_t offset) {
        return name + ": chunk \"" + id + "\" at offset " + std::to_string(offset) + ": ";
    };
    if (std::fseek(file_, 0, SEEK_END) != 0)
        return Fail(name + ": cannot read the file");
    const long end = std::ftell(file_);
    if (end < 0)
        return Fail(name + ": cannot read the file");
    const uint64_t fileSize = uint64_t(end);
    auto readAt = [&](uint64_t offset, void* out, size_t bytes) {
        return offset + bytes <= fileSize && std::fseek(file_, long(offset), SEEK_SET) == 0 &&
               std::fread(out, 1, bytes, file_) == bytes;
    };

    uint8_t header[12];
    if (!readAt(0, header, 12))
        return Fail(where("RIFF", 0) + "the file is too short");
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return Fail(where("RIFF", 0) + "not a RIFF file of form WAVE");
    // A RIFF size beyond the file ends the search at the end of the file; a child
    // that then runs past the end is refused below.
    const uint64_t riffEnd = std::min<uint64_t>(8 + uint64_t(U32(header + 4)), fileSize);

    auto find = [&](const char* id, Chunk& out) {
        uint64_t offset = 12;
        uint8_t h[8];
        while (offset + 8 <= riffEnd && readAt(offset, h, 8)) {
            Chunk c;
            std::memcpy(c.id, h, 4);
            c.offset = offset;
            c.size = U32(h + 4);
            if (std::memcmp(h, id, 4) == 0) {
                out = c;
                return true;
            }
            offset = c.Body() + c.size + (c.size & 1);
        }
        return false;
    };

    Chunk fmt;
    if (!find("fmt ", fmt))
        return Fail(where("fmt ", 12) + "no format chunk");
    if (fmt.Body() + fmt.size > riffEnd)
        return Fail(where("fmt ", fmt.offset) + "the chunk runs past the end of the file");
    if (fmt.size < 16)
        return Fail(where("fmt ", fmt.offset) + "the format is " + std::to_string(fmt.size) +
                    " bytes, 16 are needed");
    uint8_t f[18] = {};
    if (!readAt(fmt.Body(), f, 16))
        return Fail(where("fmt ", fmt.offset) + "cannot read the format");
    format_.wFormatTag = U16(f);
    format_.nChannels = U16(f + 2);
    format_.nSamplesPerSec = U32(f + 4);
    format_.nAvgBytesPerSec = U32(f + 8);
    format_.nBlockAlign = U16(f + 12);
    format_.wBitsPerSample = U16(f + 14);
    formatBlock_.assign(f, f + 16);
    if (format_.wFormatTag != WAVE_FORMAT_PCM) {
        if (fmt.size < 18 || !readAt(fmt.Body() + 16, f + 16, 2))
            return Fail(where("fmt ", fmt.offset) + "the format has no size of its extra bytes");
        format_.cbSize = U16(f + 16);
        if (18u + format_.cbSize > fmt.size)
            return Fail(where("fmt ", fmt.offset) + std::to_string(format_.cbSize) +
                        " extra format bytes do not fit in the chunk");
        formatBlock_.resize(18 + format_.cbSize);
        std::memcpy(formatBlock_.data() + 16, f + 16, 2);
        if (format_.cbSize && !readAt(fmt.Body() + 18, formatBlock_.data() + 18, format_.cbSize))
            return Fail(where("fmt ", fmt.offset) + "cannot read the extra format bytes");
    }
    if (format_.nAvgBytesPerSec == 0)
        return Fail(where("fmt ", fmt.offset) + "0 bytes per second");
    if (format_.nBlockAlign == 0)
        return Fail(where("fmt ", fmt.offset) + "block align 0");

    Chunk data;
    if (!find("data", data))
        return Fail(where("data", 12) + "no data chunk");
    if (data.Body() + data.size > riffEnd)
        return Fail(where("data", data.offset) + std::to_string(data.size) +
                    " bytes of samples run past the end of the file");
    dataOffset_ = uint32_t(data.Body());
    dataSize_ = data.size;
    return Reset();
}

bool WaveReader::Reset()
{
    if (!file_)
        return false;
    bytesRead_ = 0;
    return std::fseek(file_, long(dataOffset_), SEEK_SET) == 0;
}

uint32_t WaveReader::Read(void* buffer, uint32_t bytes)
{
    if (!file_ || !buffer)
        return 0;
    const uint32_t n = std::min(bytes, dataSize_ - bytesRead_);
    const size_t got = n ? std::fread(buffer, 1, n, file_) : 0;
    bytesRead_ += uint32_t(got);
    return uint32_t(got);
}

std::string WaveFileBytes(uint16_t channels, uint32_t rate, uint16_t bits, const void* samples, size_t bytes)
{
    std::string out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](uint16_t v) {
        out.push_back(char(v & 0xFF));
        out.push_back(char(v >> 8));
    };
    const uint16_t align = uint16_t(channels * bits / 8);
    out += "RIFF";
    u32(uint32_t(4 + 8 + 16 + 8 + bytes + (bytes & 1)));
    out += "WAVEfmt ";
    u32(16);
    u16(WAVE_FORMAT_PCM);
    u16(channels);
    u32(rate);
    u32(rate * align);
    u16(align);
    u16(bits);
    out += "data";
    u32(uint32_t(bytes));
    out.append(static_cast<const char*>(samples), bytes);
    if (bytes & 1)
        out.push_back('\0');
    return out;
}

} // namespace platform
