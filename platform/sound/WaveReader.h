#pragma once
// Reads RIFF/WAVE files: the format block and the samples of the "data" chunk.
// Every chunk is read inside its parent and the file; a damaged file is refused
// with a message naming the file, the chunk and its offset.

#include "platform/sound/Sound.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

class WaveReader
{
public:
    WaveReader() = default;
    ~WaveReader();
    WaveReader(const WaveReader&) = delete;
    WaveReader& operator=(const WaveReader&) = delete;

    // A native path. False (with Error()) when the file is not a sound we can read.
    bool Open(const std::string& path);
    // The same from bytes in memory; `name` is used in messages.
    bool OpenMemory(const void* data, size_t size, const std::string& name);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    const WAVEFORMATEX& Format() const { return format_; }
    // The format as stored: the 16 bytes of the format, then the size and the
    // extra bytes of a format other than PCM.
    const std::vector<uint8_t>& FormatBlock() const { return formatBlock_; }
    uint32_t DataSize() const { return dataSize_; }
    uint32_t DataOffset() const { return dataOffset_; }
    // Back to the first sample.
    bool Reset();
    // Copies at most the samples not yet read; returns the bytes copied.
    uint32_t Read(void* buffer, uint32_t bytes);
    uint32_t BytesRead() const { return bytesRead_; }
    const std::string& Error() const { return error_; }

private:
    bool Parse(const std::string& name);
    bool Fail(const std::string& message);

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> memory_;
    WAVEFORMATEX format_;
    std::vector<uint8_t> formatBlock_;
    uint32_t dataOffset_ = 0;
    uint32_t dataSize_ = 0;
    uint32_t bytesRead_ = 0;
    std::string error_;
};

// A PCM WAV file's bytes ("RIFF", "fmt " of 16 bytes, "data"), as the content
// tools and the tests write them.
std::string WaveFileBytes(uint16_t channels, uint32_t rate, uint16_t bits, const void* samples, size_t bytes);

} // namespace platform
