// The sample's sounds: "data\sounds.txt" with generated WAV files, the music
// track 3 and the intro and closing movies (made with the ffmpeg command).
#include "tools/make-sample-data/SampleData.h"

#include "platform/sound/WaveReader.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace sample {

namespace {

// A tone gliding from one pitch to another with a soft start and end, mono 16-bit.
std::string Tone(uint32_t rate, uint32_t ms, float fromHz, float toHz, float level)
{
    const size_t n = size_t(rate) * ms / 1000;
    std::vector<int16_t> s(n);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / double(n);
        phase += 2.0 * 3.14159265358979 * (fromHz + (toHz - fromHz) * t) / rate;
        const double envelope = std::min(1.0, std::min(t * 20.0, (1.0 - t) * 20.0));
        s[i] = int16_t(32767.0 * level * envelope * std::sin(phase));
    }
    return platform::WaveFileBytes(1, rate, 16, s.data(), s.size() * 2);
}

bool WriteString(const fs::path& path, const std::string& bytes, std::string& error)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    return WriteFileBytes(path, bytes.data(), bytes.size(), error);
}

} // namespace

bool MakeSounds(SContext& c)
{
    const std::string text = "// Sound definitions: NAME = file, group, load mode, channels, 3-D mode\r\n"
                             "DOOR_OPEN = door1.wav, SFX, , 2, 3D // doors\r\n"
                             "DOOR_CLOSE = door2.wav, SFX, , 2, 3D\r\n"
                             "STEP_STREET = step.wav, SFX, DEMAND, 4, 3DENV\r\n"
                             "ALARM_SIREN = siren.wav, SFX, STREAM, 1\r\n"
                             "TRUCK = truck.wav, SFX, , 2, 3D\r\n"
                             "CLICK = click.wav, SPC, , 1\r\n";
    struct
    {
        const char* name;
        uint32_t rate, ms;
        float from, to, level;
    } const waves[] = {
        {"door1.wav", 22050, 400, 300, 180, 0.5f}, {"door2.wav", 22050, 300, 200, 120, 0.5f},
        {"step.wav", 11025, 80, 90, 60, 0.6f},     {"siren.wav", 22050, 2500, 600, 900, 0.4f},
        {"truck.wav", 11025, 1000, 70, 75, 0.5f},  {"click.wav", 22050, 40, 1500, 1500, 0.3f},
    };
    if (!WriteString(c.out / "data" / "sounds.txt", text, c.error))
        return false;
    for (const auto& w : waves)
        if (!WriteString(c.out / "sounds" / w.name, Tone(w.rate, w.ms, w.from, w.to, w.level), c.error))
            return false;
    // Track 3, as the demo settings ask; short, so a run hears it end and start again.
    return WriteString(c.out / "music" / "track03.wav", Tone(22050, 1500, 220, 330, 0.3f), c.error);
}

bool MakeMovies(SContext& c)
{
    const char* ffmpeg = std::getenv("VAREK_FFMPEG");
    if (!ffmpeg || !*ffmpeg)
        ffmpeg = "ffmpeg";
    std::error_code ec;
    fs::create_directories(c.out / "movies", ec);
    // One second each, MPEG-1 video with MPEG audio in an MPEG program stream.
    const struct
    {
        const char* file;
        const char* picture;
        int tone;
    } movies[] = {{"movie0.mpg", "testsrc", 440}, {"movie9.mpg", "smptebars", 330}};
    for (const auto& m : movies) {
        const std::string target = (c.out / "movies" / m.file).string();
        const std::string cmd =
            std::string("'") + ffmpeg + "' -nostdin -y -loglevel error -f lavfi -i " + m.picture +
            "=size=320x240:rate=25:duration=1 -f lavfi -i sine=frequency=" + std::to_string(m.tone) +
            ":sample_rate=22050:duration=1 -c:v mpeg1video -q:v 4 -c:a mp2 -b:a 64k "
            "-f mpeg '" +
            target + "'";
        if (std::system(cmd.c_str()) != 0) {
            c.error =
                std::string(
                    "the sample movies are made with the ffmpeg command, which failed or is missing (") +
                ffmpeg + "); bash scripts/deps.sh installs it";
            return false;
        }
    }
    return true;
}

} // namespace sample
