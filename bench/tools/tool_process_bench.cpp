// `varek-tool pack` and `unpack` as whole processes (start, one read, one write,
// exit) beside `gzip -1` / `gzip -d` and `zstd -1` / `zstd -d` on the same bytes:
// an empty file, which shows the start-up alone, and the sample world. Each
// figure is the median of interleaved runs, so that a busy machine slows both
// sides alike. `bench_tool_process [RUNS]`; gzip and zstd come from PATH.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs a program to its end with stdout to `out` (when given); seconds, or -1
// when it could not run or failed.
double Run(const std::vector<std::string>& args, const fs::path& out = {})
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!out.empty()) {
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, 1) < 0)
                _exit(127);
            close(fd);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct SCommand
{
    std::vector<std::string> args;
    fs::path out; // stdout goes here when set
};

// Interleaved runs of ours and each reference; prints one line per reference.
bool Compare(const char* what, const SCommand& ours,
             const std::vector<std::pair<const char*, SCommand>>& refs, int runs)
{
    std::vector<double> mine;
    std::vector<std::vector<double>> theirs(refs.size());
    for (int i = 0; i < runs; ++i) {
        const double t = Run(ours.args, ours.out);
        if (t < 0) {
            std::fprintf(stderr, "%s: varek-tool failed\n", what);
            return false;
        }
        mine.push_back(t);
        for (size_t r = 0; r < refs.size(); ++r) {
            const double u = Run(refs[r].second.args, refs[r].second.out);
            if (u >= 0)
                theirs[r].push_back(u);
        }
    }
    for (size_t r = 0; r < refs.size(); ++r) {
        if (theirs[r].empty()) {
            std::printf("%-28s %9.2f ms   %-10s (not available)\n", what, Median(mine) * 1000, refs[r].first);
            continue;
        }
        std::printf("%-28s %9.2f ms   %-10s %9.2f ms   ratio %.2f\n", what, Median(mine) * 1000,
                    refs[r].first, Median(theirs[r]) * 1000, Median(mine) / Median(theirs[r]));
    }
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const fs::path dir = fs::temp_directory_path() / ("varek-tool-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string sample = (dir / "sample").string();
    if (std::system(
            ("'" + std::string(MAKE_SAMPLE_DATA_PATH) + "' '" + sample + "' > /dev/null 2>&1").c_str()) !=
        0) {
        std::fprintf(stderr, "the sample installation could not be made\n");
        return 1;
    }
    const std::string tool = VAREK_TOOL_PATH;
    const std::string empty = (dir / "empty").string(), world = sample + "/Varek.wld";
    std::fclose(std::fopen(empty.c_str(), "wb"));
    const std::string packed = (dir / "world.pk").string(), gz = (dir / "world.gz").string(),
                      zst = (dir / "world.zst").string();
    // The packed forms the unpack runs start from.
    Run({tool, "pack", world, packed});
    Run({"gzip", "-1", "-c", world}, gz);
    Run({"zstd", "-1", "-q", "-c", world}, zst);

    std::printf("%-28s %12s   %-10s %12s\n", "run", "varek-tool", "reference", "");
    bool ok = Compare("pack empty file", {{tool, "pack", empty, (dir / "e.pk").string()}, {}},
                      {{"gzip -1", {{"gzip", "-1", "-c", empty}, dir / "e.gz"}},
                       {"zstd -1", {{"zstd", "-1", "-q", "-c", empty}, dir / "e.zst"}}},
                      runs);
    ok = Compare("pack sample world", {{tool, "pack", world, (dir / "w.pk").string()}, {}},
                 {{"gzip -1", {{"gzip", "-1", "-c", world}, dir / "w.gz"}},
                  {"zstd -1", {{"zstd", "-1", "-q", "-c", world}, dir / "w.zst"}}},
                 runs) &&
         ok;
    ok = Compare("unpack sample world", {{tool, "unpack", packed, (dir / "w.out").string()}, {}},
                 {{"gzip -d", {{"gzip", "-d", "-c", gz}, dir / "w.gz.out"}},
                  {"zstd -d", {{"zstd", "-d", "-q", "-c", zst}, dir / "w.zst.out"}}},
                 runs) &&
         ok;
    std::printf("(sample world %.2f MB)\n", double(fs::file_size(world)) / 1e6);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return ok ? 0 : 1;
}
