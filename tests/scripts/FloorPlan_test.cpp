// The floor-plan check passes on the project and fails on each kind of forbidden
// include or declaration, naming the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct CheckRun
{
    int exitCode = -1;
    std::string output;
};

CheckRun RunCheck(const fs::path& root)
{
    const std::string command = std::string("bash '") + VAREK_SOURCE_DIR + "/scripts/check-floor-plan.sh' '" +
                                root.string() + "' 2>&1";
    CheckRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void Write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A small tree that keeps every rule: a library, the shell and a subsystem.
fs::path CleanTree(const std::string& name)
{
    const fs::path root = fs::temp_directory_path() / ("floor_plan_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(root);
    Write(root / "LIBS/System/sList.h", "#pragma once\n#include \"LIBS/System/sMemory.h\"\n");
    Write(root / "GAMES/Rulo2/Rulo2.cpp",
          "#include \"GAMES/Rulo2/Rulo2.h\"\n#include \"GAMES/Rulo2/app/CMainWindow.h\"\n");
    Write(root / "GAMES/Rulo2/app/InstallApp.cpp",
          "#include \"GAMES/Rulo2/app/InstallApp.h\"\n#include \"GAMES/Rulo2/app/CMainWindow.h\"\n");
    Write(root / "GAMES/Rulo2/render/Frame.cpp",
          "#include \"GAMES/Rulo2/app/Settings.h\"\n#include \"GAMES/Rulo2/app/GameClock.h\"\n");
    Write(root / "GAMES/Rulo2/render/Frame.h", "#pragma once\nclass CFrame\n{\n};\nextern CFrame Frame;\n");
    Write(root / "GAMES/Rulo2/render/RenderGlobals.h", "#pragma once\nextern int32_t PassClock;\n");
    Write(root / "GAMES/Rulo2/interface/CTextTree.h", "const char* GetDisplayText(const char* key);\n");
    Write(root / "GAMES/Rulo2/world/Load.h", "struct SLoadHooks\n{\n};\nextern SLoadHooks LoadHooks;\n");
    return root;
}

} // namespace

TEST(FloorPlan, TheProjectKeepsIt)
{
    const CheckRun run = RunCheck(VAREK_SOURCE_DIR);
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST(FloorPlan, EachForbiddenIncludeOrDeclarationFailsTheCheck)
{
    struct Case
    {
        const char* file;
        const char* text;
        const char* rule; // a word of the rule's message
    };
    const Case cases[] = {
        {"LIBS/System/sBad.h", "#include \"GAMES/Rulo2/world/CNode.h\"\n", "must not include the game"},
        {"platform/win/Bad.cpp", "#  include \"GAMES/Rulo2/DirectX.h\"\n", "must not include the game"},
        {"launcher/Bad.cpp", "#include \"GAMES/Rulo2/app/Settings.h\"\n", "must not include the game"},
        {"GAMES/Rulo2/world/Bad.cpp", "#include \"GAMES/Rulo2/app/ScreenResults.h\"\n",
         "shared shell headers"},
        {"GAMES/Rulo2/DirectX.cpp", "#include \"GAMES/Rulo2/app/GameStep.h\"\n", "shared shell headers"},
        {"GAMES/Rulo2/render/Bad.cpp", "#include \"GAMES/Rulo2/Rulo2.h\"\n", "application object"},
        {"GAMES/Rulo2/editor/Bad.cpp", "#include \"GAMES/Rulo2/app/InstallApp.h\"\n", "application object"},
        {"GAMES/Rulo2/app/ShowKeys.h", "const char* GetDisplayText(const char* key);\n", "GetDisplayText"},
        {"GAMES/Rulo2/world/Bad.h", "extern SBadHooks g_BadHooks;\n", "hook table"},
        {"GAMES/Rulo2/render/Bad.h", "#pragma once\nclass CBad;\nextern CBad* Bad;\n", "RenderGlobals.h"},
    };
    const fs::path clean = CleanTree("clean");
    const CheckRun cleanRun = RunCheck(clean);
    ASSERT_EQ(cleanRun.exitCode, 0) << cleanRun.output;
    fs::remove_all(clean);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path root = CleanTree("bad");
        Write(root / c.file, c.text);
        const CheckRun run = RunCheck(root);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.output.find(c.rule), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.file), std::string::npos) << run.output;
        fs::remove_all(root);
    }
}
