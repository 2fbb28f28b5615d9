// The sound definition reader and the WAV reader over arbitrary bytes. The first
// byte picks the reader: even the definition file, odd the WAV file.
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "platform/sound/WaveReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if ((data[0] & 1) == 0) {
        const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
        size_t names = 0, files = 0, defined = 0;
        SoundDefinitionSink sink;
        sink.name = [&](const std::string&) { ++names; };
        sink.file = [&](const std::string&) { ++files; };
        sink.define = [&](const SoundDefinition& d) {
            ++defined;
            if (d.group < 0 || d.group > 3)
                __builtin_trap();
        };
        ParseSoundDefinitions(text, sink);
        // Every complete line read its name and its file first.
        if (defined > files || files > names)
            __builtin_trap();
        return 0;
    }
    platform::WaveReader reader;
    if (!reader.OpenMemory(data + 1, size - 1, "fuzz.wav"))
        return 0;
    if (uint64_t(reader.DataOffset()) + reader.DataSize() > size - 1 || reader.Format().nBlockAlign == 0 ||
        reader.Format().nAvgBytesPerSec == 0)
        __builtin_trap();
    uint8_t buffer[4096];
    uint64_t total = 0;
    while (uint32_t n = reader.Read(buffer, sizeof buffer))
        total += n;
    if (total != reader.DataSize())
        __builtin_trap();
    return 0;
}
