#pragma once
// Runs the sample-content tool into a folder of the test's own.
#include <gtest/gtest.h>

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

// Makes the sample installation in `dir`; the tool's output goes to `dir`/../<name>.out.
inline bool MakeSample(const fs::path& dir, std::string* output = nullptr)
{
    const fs::path out = dir.string() + ".out";
    const int rc = RunCommand(std::string("'") + MAKE_SAMPLE_DATA_PATH + "' " + Quote(dir) + " >" +
                              Quote(out) + " 2>&1");
    if (output)
        *output = ReadText(out);
    fs::remove(out);
    return rc == 0;
}

} // namespace sampletest
