#pragma once
// A WAV file opened for the sound engine: its format, duration and samples.

#include "platform/sound/WaveReader.h"

#include <cstdint>
#include <string>
#include <vector>

class CWaveFile
{
public:
    // A path in the game's form (backslashes, any case). False when the file is
    // missing, not RIFF/WAVE, or damaged; lastError then says where.
    bool open(const char* path);
    bool reset();
    // Copies at most the data bytes not yet read; the number copied.
    uint32_t read(void* buffer, uint32_t bytes);
    void close();
    // The value of silence in the samples: 128 for 8-bit data, else 0.
    uint8_t silenceByte() const;

    const platform::WAVEFORMATEX& format() const { return reader.Format(); }

    platform::WaveReader reader; // the open file
    std::vector<uint8_t> formatBlock;
    uint32_t durationMs = 0;
    uint32_t avgBytesPerSec = 0;
    uint32_t dataSize = 0;
    uint32_t bytesRead = 0;
    std::string lastError;
};
