// Commands that draw nothing start without the window, GL, sound, movie, font
// and TIFF libraries: the dynamic loader's own trace lists every library the
// process loads, at start or later.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/tools/ToolTestRig.h"

namespace {

class ToolLibraries : public ToolTest
{
protected:
    ToolLibraries() : ToolTest("libraries") {}

    // The libraries the command loaded, one "file=..." line each (the loader
    // writes its trace to ld.PID in the test folder, for the shell too).
    std::string loaded(const std::string& args, int* exitCode)
    {
        setenv("LD_DEBUG", "files", 1);
        setenv("LD_DEBUG_OUTPUT", path("ld").c_str(), 1);
        const ToolRun r = tool(args);
        unsetenv("LD_DEBUG");
        unsetenv("LD_DEBUG_OUTPUT");
        *exitCode = r.exitCode;
        std::string trace;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().filename().string().rfind("ld.", 0) == 0) {
                trace += slurp(entry.path().string());
                std::filesystem::remove(entry.path());
            }
        std::string files;
        size_t at = 0;
        while ((at = trace.find("file=", at)) != std::string::npos) {
            const size_t end = trace.find_first_of(" \n", at);
            files += trace.substr(at, end - at) + "\n";
            at = end;
        }
        return files;
    }
};

TEST_F(ToolLibraries, CommandsThatDrawNothingLoadNoneOfTheDrawingOrMediaLibraries)
{
#ifdef VAREK_SHARED_LIBS
    // With the libraries shared, the game library loads its own dependencies whatever the
    // command; the static build (the one that ships) is the one this test speaks for.
    GTEST_SKIP() << "libraries built shared";
#endif
    write("empty", {});
    // A 3 x 2 picture in the image library's own format (24-bit, uncoded).
    Bytes rif = {'R', 'I', 'F', '1', 3, 0, 2, 0, 3, 0x71, 18, 0, 0, 0};
    rif.resize(rif.size() + 18, 0x40);
    write("pic.rif", rif);
    const struct
    {
        const char* args;
        int exitCode;
    } cases[] = {
        {"pack empty empty.pk", 0},           {"unpack empty.pk back", 0},   {"image info pic.rif", 0},
        {"image convert pic.rif pic.bmp", 0}, {"world dump missing.wld", 1}, {"nosuchgroup", 1},
    };
    for (const auto& c : cases) {
        int exitCode = -1;
        const std::string files = loaded(c.args, &exitCode);
        EXPECT_EQ(exitCode, c.exitCode) << c.args;
        EXPECT_NE(files.find("libc.so"), std::string::npos) << c.args << ": no trace\n" << files;
        for (const char* lib : {"libSDL2", "libGL", "libGLX", "libEGL", "libX11", "libopenal", "libavcodec",
                                "libavformat", "libswscale", "libfreetype", "libtiff"})
            EXPECT_EQ(files.find(lib), std::string::npos) << c.args << " loaded " << lib << ":\n" << files;
    }
}

TEST_F(ToolLibraries, ATiffFileLoadsTheTiffLibraryWhenItIsWritten)
{
    Bytes rif = {'R', 'I', 'F', '1', 3, 0, 2, 0, 3, 0x71, 18, 0, 0, 0};
    rif.resize(rif.size() + 18, 0x40);
    write("pic.rif", rif);
    int exitCode = -1;
    const std::string files = loaded("image convert pic.rif pic.tif", &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(files.find("libtiff"), std::string::npos) << files;
    EXPECT_GT(read("pic.tif").size(), 8u);
}

} // namespace
