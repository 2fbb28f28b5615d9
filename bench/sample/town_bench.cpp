// The game on the sample street and on the town ten times its size, in one run:
// frames per second over 600 fixed-step frames, a whole run of one frame (start,
// first frame and exit) on the real clock with its peak memory, and the world
// load beside a plain read of the same file. Run it on a
// display (or under xvfb-run); `taskset -c 0,1` shows a two-core machine.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct SRun
{
    double seconds = 0;
    long peakKb = 0;
    int exitCode = -1;
};

// Runs the game in its installation for a number of frames (or, with `program`,
// that program in the same folder and environment). Fixed steps make the frame
// count repeatable, but they also move the loading screen's clock by a step for
// every chunk read, drawing a loading picture every few chunks: the time to the
// first frame is taken on the real clock, as a player starts the game.
SRun RunGame(const fs::path& dir, int frames, const char* program = nullptr, bool fixedStep = true)
{
    // The child must not repeat what this process has buffered.
    std::fflush(stdout);
    std::fflush(stderr);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        const std::string framesText = std::to_string(frames);
        setenv("VAREK_EXIT_AFTER_FRAMES", framesText.c_str(), 1);
        if (fixedStep)
            setenv("VAREK_FIXED_STEP", "1", 1);
        setenv("VAREK_NONINTERACTIVE", "1", 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        if (program)
            execl(program, program, static_cast<char*>(nullptr));
        else
            execl("./Varek", "./Varek", "-window", static_cast<char*>(nullptr));
        _exit(127);
    }
    SRun run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The world load in game mode against one plain read of the file, warm, ms.
void LoadTimes(const fs::path& world, double* load, double* plain)
{
    std::vector<double> loads, reads;
    std::vector<char> buffer(size_t(fs::file_size(world)));
    const fs::path cwd = fs::current_path();
    for (int i = 0; i < 7; ++i) {
        auto t = Clock::now();
        FILE* f = std::fopen(world.c_str(), "rb");
        const size_t got = f ? std::fread(buffer.data(), 1, buffer.size(), f) : 0;
        if (f)
            std::fclose(f);
        reads.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count() +
                        0 * double(got));
        GameModeFlag = 1;
        t = Clock::now();
        LoadWorld(world.c_str(), LOADWORLD_OPEN);
        loads.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
        ClearWorld();
        fs::current_path(cwd);
    }
    *load = Median(loads);
    *plain = Median(reads);
}

bool Make(const fs::path& dir, const char* variant)
{
    const std::string cmd = std::string("'") + MAKE_SAMPLE_DATA_PATH + "' --variant " + variant + " '" +
                            dir.string() + "' > /dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return false;
    // Without the intro the first frame is the game's own.
    fs::remove_all(dir / "movies");
    std::error_code ec;
    fs::copy_file(VAREK_PROGRAM, dir / "Varek", fs::copy_options::overwrite_existing, ec);
    return !ec;
}

} // namespace

int main()
{
    InstallSubsystems();
    CreateWorldRoots();
    const fs::path base = fs::temp_directory_path() / ("varek-town-bench-" + std::to_string(getpid()));
    const char* const variants[] = {"sample", "large"};
    std::printf("%-8s %10s %10s %12s %14s %12s %10s %8s\n", "world", "MB", "fps", "first ms", "peak MB",
                "load ms", "read ms", "ratio");
    int failures = 0;
    // A bare window's start, one frame and exit: what the first-frame times compare with.
    std::vector<double> bare;
    long barePeak = 0;
    for (int i = 0; i < 5; ++i) {
        const SRun run = RunGame(fs::temp_directory_path(), 1, BARE_WINDOW_PATH);
        if (run.exitCode != 0) {
            std::fprintf(stderr, "the bare window did not open (%d)\n", run.exitCode);
            ++failures;
            break;
        }
        bare.push_back(run.seconds);
        barePeak = std::max(barePeak, run.peakKb);
    }
    const double bareMs = bare.empty() ? 0 : Median(bare) * 1000;
    std::printf("%-8s %10s %10s %12.0f %14.1f\n", "bare", "-", "-", bareMs, double(barePeak) / 1024);
    for (const char* variant : variants) {
        const fs::path dir = base / variant;
        if (!Make(dir, variant)) {
            std::fprintf(stderr, "%s: the installation could not be made\n", variant);
            ++failures;
            continue;
        }
        std::vector<double> first, firstFixed, whole, pairRatios;
        long peak = 0;
        for (int i = 0; i < 5; ++i) {
            // A bare window right before each first frame: the pair sees the same machine load.
            const SRun bareRun = RunGame(fs::temp_directory_path(), 1, BARE_WINDOW_PATH);
            const SRun one = RunGame(dir, 1, nullptr, false);
            if (bareRun.exitCode == 0)
                pairRatios.push_back(one.seconds / std::max(1e-6, bareRun.seconds));
            const SRun oneFixed = RunGame(dir, 1);
            const SRun many = RunGame(dir, 601);
            if (one.exitCode != 0 || oneFixed.exitCode != 0 || many.exitCode != 0) {
                std::fprintf(stderr, "%s: the game ended with %d/%d/%d\n", variant, one.exitCode,
                             oneFixed.exitCode, many.exitCode);
                ++failures;
                break;
            }
            first.push_back(one.seconds);
            firstFixed.push_back(oneFixed.seconds);
            whole.push_back(many.seconds);
            peak = std::max(peak, one.peakKb);
        }
        if (first.empty())
            continue;
        double load = 0, plain = 0;
        LoadTimes(dir / "Varek.wld", &load, &plain);
        const double fps = 600.0 / std::max(1e-6, Median(whole) - Median(firstFixed));
        std::printf(
            "%-8s %10.2f %10.1f %12.0f %14.1f %12.2f %10.3f %8.1f   first / bare (median of 5 pairs) %.2f\n",
            variant, double(fs::file_size(dir / "Varek.wld")) / 1e6, fps, Median(first) * 1000,
            double(peak) / 1024, load, plain, load / std::max(1e-6, plain),
            pairRatios.empty() ? 0.0 : Median(pairRatios));
    }
    std::error_code ec;
    fs::remove_all(base, ec);
    return failures ? 1 : 0;
}
