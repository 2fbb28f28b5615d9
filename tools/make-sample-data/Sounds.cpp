// The sample's sounds: "data\sounds.txt" with generated WAV files, the music
// track 3 and the intro and closing movies (made with the ffmpeg command).
#include "tools/make-sample-data/SampleData.h"

#include "platform/sound/WaveReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace sample {

namespace {

// A tone gliding from one pitch to another with a soft start and end, mono
// 16-bit; `noise` mixes in a rough part (steps, doors, tools) and `pulses`
// cuts the sound into that many beats (ticks, steps, a siren's wail).
std::string Tone(uint32_t rate, uint32_t ms, float fromHz, float toHz, float level, float noise = 0,
                 int pulses = 0)
{
    const size_t n = size_t(rate) * ms / 1000;
    std::vector<int16_t> s(n);
    double phase = 0;
    CRandom random(rate + ms);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / double(n);
        phase += 2.0 * 3.14159265358979 * (fromHz + (toHz - fromHz) * t) / rate;
        double envelope = std::min(1.0, std::min(t * 20.0, (1.0 - t) * 20.0));
        if (pulses > 0) {
            // Each beat starts loud and dies away.
            const double beat = t * pulses - std::floor(t * pulses);
            envelope *= std::exp(-beat * 6.0);
        }
        const double rough = (random.Unit() * 2.0 - 1.0) * noise;
        s[i] = int16_t(32767.0 * level * envelope * ((1.0 - noise) * std::sin(phase) + rough));
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
    // Every sound the program plays by name, with the file it is made into.
    const std::string text = "// Sound definitions: NAME = file, group, load mode, channels, 3-D mode\r\n"
                             "\r\n// Menus\r\n"
                             "MENUCLICK = click.wav, SFX, , 2\r\n"
                             "CASHREGISTER_CLING = cling.wav, SFX, , 1\r\n"
                             "\r\n// Doors, windows and locks\r\n"
                             "DOOR_OPEN = door1.wav, SFX, , 2, 3D // doors\r\n"
                             "DOOR_CLOSE = door2.wav, SFX, , 2, 3D\r\n"
                             "WINDOW_SHUT = window.wav, SFX, , 2, 3D\r\n"
                             "CRACKINGFINISHED = unlocked.wav, SFX, , 1, 3D\r\n"
                             "\r\n// Tools at work\r\n"
                             "WORK_PICKLOCK = picklock.wav, SFX, , 2, 3D\r\n"
                             "WORK_AXE = axe.wav, SFX, , 2, 3D\r\n"
                             "WORK_BLOWTORCH = torch.wav, SFX, , 1, 3D\r\n"
                             "WORK_DRILL = drill.wav, SFX, , 1, 3D\r\n"
                             "WORK_GENERAL = work.wav, SFX, , 2, 3D\r\n"
                             "WORK_KERNBOHRER = corer.wav, SFX, , 1, 3D\r\n"
                             "\r\n// Characters\r\n"
                             "STEP_STREET = step.wav, SFX, DEMAND, 4, 3DENV\r\n"
                             "STEP_FLOOR = stepin.wav, SFX, DEMAND, 4, 3DENV\r\n"
                             "PICKUP = pickup.wav, SFX, , 2, 3D\r\n"
                             "WHISTLE = whistle.wav, SFX, , 1\r\n"
                             "\r\n// Cars\r\n"
                             "TRUCK = truck.wav, SFX, , 2, 3D\r\n"
                             "CARTURN = carturn.wav, SFX, , 2, 3D\r\n"
                             "CAR_BRAKE = brake.wav, SFX, , 2, 3D\r\n"
                             "\r\n// The burglary\r\n"
                             "ALARM_SIREN = siren.wav, SFX, STREAM, 1\r\n"
                             "BURGLARY_SUCCESS = success.wav, MUS, , 1\r\n"
                             "BURGLARY_FAILURE = failure.wav, MUS, , 1\r\n"
                             "CLICK = click.wav, SPC, , 1\r\n";
    struct
    {
        const char* name;
        uint32_t rate, ms;
        float from, to, level, noise;
        int pulses;
    } const waves[] = {
        {"click.wav", 22050, 40, 1500, 1500, 0.3f, 0.2f, 0},
        {"cling.wav", 22050, 500, 2093, 2093, 0.35f, 0, 2},
        {"door1.wav", 22050, 400, 300, 180, 0.5f, 0.3f, 0},
        {"door2.wav", 22050, 300, 200, 120, 0.5f, 0.5f, 0},
        {"window.wav", 22050, 250, 500, 260, 0.4f, 0.4f, 0},
        {"unlocked.wav", 22050, 200, 900, 1400, 0.4f, 0.2f, 2},
        {"picklock.wav", 22050, 800, 3000, 2600, 0.3f, 0.6f, 8},
        {"axe.wav", 11025, 900, 120, 90, 0.6f, 0.8f, 3},
        {"torch.wav", 11025, 1000, 60, 60, 0.3f, 0.9f, 0},
        {"drill.wav", 22050, 1000, 420, 460, 0.35f, 0.3f, 0},
        {"work.wav", 11025, 800, 200, 160, 0.5f, 0.7f, 4},
        {"corer.wav", 22050, 1000, 180, 200, 0.35f, 0.4f, 0},
        {"step.wav", 11025, 80, 90, 60, 0.6f, 0.6f, 0},
        {"stepin.wav", 11025, 80, 140, 100, 0.5f, 0.4f, 0},
        {"pickup.wav", 22050, 150, 600, 1200, 0.35f, 0, 0},
        {"whistle.wav", 22050, 600, 1800, 2400, 0.3f, 0, 2},
        {"truck.wav", 11025, 1000, 70, 75, 0.5f, 0.2f, 0},
        {"carturn.wav", 11025, 400, 400, 300, 0.3f, 0.6f, 0},
        {"brake.wav", 22050, 500, 1800, 1500, 0.25f, 0.5f, 0},
        {"siren.wav", 22050, 2500, 600, 900, 0.4f, 0, 0},
        {"success.wav", 22050, 900, 523, 1047, 0.35f, 0, 3},
        {"failure.wav", 22050, 1200, 392, 196, 0.35f, 0, 3},
    };
    if (!WriteString(c.out / "data" / "sounds.txt", text, c.error))
        return false;
    for (const auto& w : waves)
        if (!WriteString(c.out / "sounds" / w.name,
                         Tone(w.rate, w.ms, w.from, w.to, w.level, w.noise, w.pulses), c.error))
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
