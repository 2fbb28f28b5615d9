// varek-tool sounds check [FILE]: reads a sound definition file as the game does
// (default "data\sounds.txt" in the current folder) and opens each line's WAV file
// under the installation's "sounds" folder, showing its format and length or why
// it cannot be played. Exit code 1 when anything is wrong.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CWaveFile.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

namespace {

int SoundsUsage()
{
    std::fprintf(stderr, "usage: varek-tool sounds check [FILE]\n");
    return 1;
}

const char* GroupName(int32_t group)
{
    static const char* const names[] = {"none", "SFX", "SPC", "MUS"};
    return group >= 0 && group < 4 ? names[group] : "?";
}

} // namespace

int cmd_sounds(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || std::strcmp(argv[1], "check") != 0)
        return SoundsUsage();
    const std::string file = argc == 3 ? argv[2] : "data\\sounds.txt";
    const std::filesystem::path path = platform::ResolvePath(file);
    std::string text;
    if (!platform::ReadTextFile(path.string(), text)) {
        std::fprintf(stderr, "%s: cannot read the file\n", path.string().c_str());
        return 1;
    }
    // The installation folder holds "data\sounds.txt" and the "sounds" folder.
    const std::string install = std::filesystem::absolute(path).parent_path().parent_path().string();
    std::snprintf(ProgramFolder, sizeof ProgramFolder, "%s", install.c_str());

    int errors = 0, sounds = 0;
    SoundDefinitionSink sink;
    sink.message = [&](const std::string& line) {
        std::printf("%s\n", line.c_str());
        ++errors;
    };
    sink.define = [&](const SoundDefinition& d) {
        ++sounds;
        CWaveFile wave;
        if (!wave.open(SoundFilePath(d.file).c_str())) {
            std::printf("%s: %s\n", d.name.c_str(), wave.lastError.c_str());
            ++errors;
            return;
        }
        const platform::WAVEFORMATEX& f = wave.format();
        std::printf(
            "%s: %s, group %s, %d channel(s), options 0x%02x: format %u, %u Hz, %u bits, %u channel(s), "
            "%u bytes, %u ms\n",
            d.name.c_str(), d.file.c_str(), GroupName(d.group), d.channels, d.options, f.wFormatTag,
            f.nSamplesPerSec, f.wBitsPerSample, f.nChannels, wave.dataSize, wave.durationMs);
        if (f.wFormatTag != platform::WAVE_FORMAT_PCM || (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) ||
            f.nChannels < 1 || f.nChannels > 2) {
            std::printf("%s: the sound device plays only 8- or 16-bit PCM in 1 or 2 channels\n",
                        d.name.c_str());
            ++errors;
        }
    };
    ParseSoundDefinitions(text, sink);
    std::printf("%d sound(s), %d problem(s)\n", sounds, errors);
    return errors ? 1 : 0;
}
