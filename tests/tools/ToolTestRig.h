// A fresh folder per test and the built varek-tool run in it, its output captured.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct ToolRun
{
    int exitCode;
    std::string out, err;
};

inline std::string SlurpFile(const std::string& file)
{
    std::ifstream f(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Runs the built tool from `dir`, so relative file names are taken from there.
inline ToolRun RunTool(const std::filesystem::path& dir, const std::string& args)
{
    const std::string outFile = (dir / "stdout.txt").string(), errFile = (dir / "stderr.txt").string();
    const std::string cmd = "cd '" + dir.string() + "' && '" + VAREK_TOOL_PATH + "' " + args + " >'" +
                            outFile + "' 2>'" + errFile + "'";
    const int status = std::system(cmd.c_str());
    ToolRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, SlurpFile(outFile), SlurpFile(errFile)};
    // A sanitizer report also exits with 1; it must never be the reason.
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    return r;
}

class ToolTest : public ::testing::Test
{
protected:
    // `kind` names the test's folder: varek_<kind>_<pid>_<test>.
    explicit ToolTest(const char* kind) : kind_(kind) {}

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("varek_" + kind_ + "_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    void write(const std::string& name, const Bytes& data) const
    {
        std::ofstream f(path(name), std::ios::binary);
        f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }

    Bytes read(const std::string& name) const
    {
        std::ifstream f(path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }

    static std::string slurp(const std::string& file) { return SlurpFile(file); }

    // Runs from the test folder, so relative file names are taken from there.
    ToolRun tool(const std::string& args) const { return RunTool(dir, args); }

    std::filesystem::path dir;

private:
    std::string kind_;
};
