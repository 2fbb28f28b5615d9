// make-sample-data OUTDIR: writes a complete sample installation of the game
// (level, textures, interface resources, dialog texts, demo settings) made by
// the project's own code.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/world/InstallWorld.h"
#include "LIBS/System/sLog.h"
#include "platform/files/Files.h"
#include "tools/make-sample-data/SampleData.h"

// The video system keeps a few blocks of its own start-up to the end of the
// process; the leak check looks at the rest.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus\n"
           "leak:libSDL2\n"
           "leak:libX11\n"
           "leak:libxcb\n";
}

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: make-sample-data [--variant sample|large|alert] OUTDIR\n");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // "large": the town of ten street blocks in place of the sample street; "alert": the sample
    // whose watchman stands in the burglars' way.
    bool large = false, alert = false;
    if (argc == 4 && std::strcmp(argv[1], "--variant") == 0) {
        if (std::strcmp(argv[2], "large") == 0)
            large = true;
        else if (std::strcmp(argv[2], "alert") == 0)
            alert = true;
        else if (std::strcmp(argv[2], "sample") != 0)
            return Usage();
        argv += 2;
        argc -= 2;
    }
    if (argc != 2 || !argv[1][0] || argv[1][0] == '-')
        return Usage();
    // Notes of every picture written would bury the one line that matters.
    sLog.level = 2;
    sample::SContext c;
    c.alert = alert;
    std::error_code ec;
    c.out = sample::fs::absolute(argv[1], ec);
    sample::fs::create_directories(c.out, ec);
    if (ec || !sample::fs::is_directory(c.out)) {
        std::fprintf(stderr, "make-sample-data: %s: cannot create the folder%s%s\n", argv[1], ec ? ": " : "",
                     ec ? ec.message().c_str() : "");
        return 1;
    }
    // Nothing is shown: the video system only keeps surfaces in memory.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // Textures are found under the Windows-style paths the world keeps,
    // relative to the installation folder.
    const std::string savedFolder = platform::GetCurrentDirectory();
    if (!platform::SetCurrentDirectory(c.out.string())) {
        std::fprintf(stderr, "make-sample-data: %s: cannot enter the folder\n", c.out.string().c_str());
        return 1;
    }
    // One step per kind of content, in this order: the level needs the
    // textures' pages, everything else stands alone.
    using Step = bool (*)(sample::SContext&);
    const Step steps[] = {
        sample::MakeTextures,
        large ? sample::MakeLargeTown : sample::MakeLevel,
        sample::MakeInterfaceResources,
        sample::MakeDialogTexts,
        sample::MakeDemoSettings,
        sample::MakeSounds,
        sample::MakeMovies,
        sample::MakeLauncherContent,
        sample::MakeTutorialPages,
        sample::MakeEditorImages,
    };
    // As the game has them: the world file stores the texture pages with their pixels.
    InstallWorld();
    InstallRender();
    bool ok = sample::OpenTextureDevice(c.error);
    for (const Step step : steps)
        ok = ok && step(c);
    sample::CloseTextureDevice();
    platform::SetCurrentDirectory(savedFolder);
    if (!ok) {
        std::fprintf(stderr, "make-sample-data: %s\n", c.error.c_str());
        return 1;
    }
    std::printf("Sample installation written to %s\n", c.out.string().c_str());
    return 0;
}
