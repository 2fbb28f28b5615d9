#pragma once
// Runs the sample-content tool into a folder of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sampletest {

namespace fs = std::filesystem;

inline fs::path TempFolder(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("varek_sample_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Runs a shell command; its exit code (-1 when it did not exit).
inline int RunCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Quote(const fs::path& p)
{
    return "'" + p.string() + "'";
}

inline std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<uint8_t> ReadBytes(const fs::path& p)
{
    const std::string s = ReadText(p);
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Makes the sample installation (or another variant of the tool's) in `dir`;
// the tool's output goes to `dir`/../<name>.out.
inline bool MakeSample(const fs::path& dir, std::string* output = nullptr, const std::string& variant = "")
{
    const fs::path out = dir.string() + ".out";
    const std::string choice = variant.empty() ? "" : " --variant " + variant;
    const int rc = RunCommand(std::string("'") + MAKE_SAMPLE_DATA_PATH + "'" + choice + " " + Quote(dir) +
                              " >" + Quote(out) + " 2>&1");
    if (output)
        *output = ReadText(out);
    fs::remove(out);
    return rc == 0;
}

// Puts a program into the installation in `dir` under `name`: a hard link where the file
// system allows one (cheap), else a copy. The programs read their resources beside themselves.
inline bool JoinInstallation(const fs::path& dir, const char* program, const char* name, std::error_code& ec)
{
    ec.clear();
    fs::create_hard_link(program, dir / name, ec);
    if (ec)
        fs::copy_file(program, dir / name, fs::copy_options::overwrite_existing, ec);
    return !ec;
}

// A test suite sharing one sample installation, made once before its first test. `Suite` is the
// deriving class, so that two suites in one program keep apart.
template <class Suite>
class SampleSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new fs::path(TempFolder(::testing::UnitTest::GetInstance()->current_test_suite()->name()));
        output = new std::string;
        made = MakeSample(*dir, output);
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(*dir);
        delete dir;
        dir = nullptr;
        delete output;
        output = nullptr;
    }
    // Checked per test, so that a tool that fails fails every test.
    void SetUp() override { ASSERT_TRUE(made) << *output; }

    static inline fs::path* dir = nullptr;
    static inline std::string* output = nullptr;
    static inline bool made = false;
};

#ifdef VAREK_EDIT_PROGRAM
// The sample installation in `dir` with the editor build beside it.
inline void MakeEditorInstallation(const fs::path& dir)
{
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    ASSERT_TRUE(JoinInstallation(dir, VAREK_EDIT_PROGRAM, "VarekEdit", ec)) << ec.message();
}

// The editor on the sample world, driven by "script.txt" for 40 fixed steps; its exit code.
inline int RunEditor(const fs::path& dir)
{
    return RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                      " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                      " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                      " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
}
#endif

#ifdef VAREK_TOOL_PATH
// The world file as `varek-tool world dump` shows it, less its first line (the file's name).
inline std::string DumpAfterFirstLine(const fs::path& dir, const char* file)
{
    const fs::path out = dir / (std::string(file) + ".dump");
    const int rc = RunCommand("cd " + Quote(dir) + " && '" + VAREK_TOOL_PATH + "' world dump " + file + " >" +
                              Quote(out) + " 2>&1");
    std::string text = ReadText(out);
    EXPECT_EQ(rc, 0) << text;
    const size_t eol = text.find('\n');
    return eol == std::string::npos ? std::string() : text.substr(eol + 1);
}

#endif

// A 24-bit bottom-up BMP's pixel (x, y from the top) as 0xRRGGBB.
inline bool BmpPixel(const std::vector<uint8_t>& b, int x, int y, int* width, int* height, uint32_t* rgb)
{
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24)
        return false;
    auto u32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
               uint32_t(b[at + 3]) << 24;
    };
    *width = int(u32(18));
    *height = int(u32(22));
    if (x < 0 || y < 0 || x >= *width || y >= *height)
        return false;
    const size_t row = (size_t(*width) * 3 + 3) & ~size_t(3);
    const size_t at = u32(10) + row * size_t(*height - 1 - y) + size_t(x) * 3;
    if (at + 3 > b.size())
        return false;
    *rgb = uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 1]) << 8 | b[at];
    return true;
}

struct SRegion
{
    double r = 0, g = 0, b = 0;
    int pixels = 0;
    int distinct = 0; // different colours among the samples
};

// Mean colour of a rectangle of the picture, sampled every other pixel.
inline SRegion Mean(const std::vector<uint8_t>& bmp, int x0, int y0, int x1, int y1)
{
    SRegion s;
    std::vector<uint32_t> seen;
    for (int y = y0; y < y1; y += 2)
        for (int x = x0; x < x1; x += 2) {
            int w = 0, h = 0;
            uint32_t rgb = 0;
            if (!BmpPixel(bmp, x, y, &w, &h, &rgb))
                continue;
            s.r += (rgb >> 16) & 0xFF;
            s.g += (rgb >> 8) & 0xFF;
            s.b += rgb & 0xFF;
            ++s.pixels;
            if (seen.size() < 64 && std::find(seen.begin(), seen.end(), rgb) == seen.end())
                seen.push_back(rgb);
        }
    if (s.pixels) {
        s.r /= s.pixels;
        s.g /= s.pixels;
        s.b /= s.pixels;
    }
    s.distinct = int(seen.size());
    return s;
}

} // namespace sampletest
