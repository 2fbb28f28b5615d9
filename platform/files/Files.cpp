#include "platform/files/Files.h"

#include "platform/files/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

struct FindState
{
    std::vector<FindData> entries;
    size_t next = 0;
};

namespace {

bool LessNoCase(const std::string& a, const std::string& b)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

std::vector<FindData> Collect(std::string_view pattern)
{
    size_t cut = pattern.find_last_of("\\/");
    std::string_view folderPart =
        cut == std::string_view::npos ? std::string_view() : pattern.substr(0, cut + 1);
    std::string_view namePart = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);

    fs::path folder;
    if (folderPart.empty())
        folder = ".";
    else if (folderPart == "\\" || folderPart == "/")
        folder = folderPart == "/" ? fs::path("/") : ProgramFolder();
    else
        folder = ResolvePath(folderPart);

    std::vector<FindData> out;
    if (namePart.empty())
        return out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!MatchWildcard(namePart, name))
            continue;
        FindData d;
        d.cFileName = name;
        std::error_code ec2;
        if (it->is_directory(ec2)) {
            d.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        } else {
            d.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
            d.nFileSize = it->file_size(ec2);
            if (ec2)
                d.nFileSize = 0;
        }
        out.push_back(std::move(d));
    }
    std::sort(out.begin(), out.end(),
              [](const FindData& a, const FindData& b) { return LessNoCase(a.cFileName, b.cFileName); });
    return out;
}

} // namespace

FindHandle FindFirstFile(std::string_view pattern, FindData& data)
{
    std::vector<FindData> entries = Collect(pattern);
    if (entries.empty())
        return INVALID_FIND_HANDLE;
    auto* state = new FindState{std::move(entries), 1};
    data = state->entries[0];
    return state;
}

bool FindNextFile(FindHandle handle, FindData& data)
{
    if (!handle || handle->next >= handle->entries.size())
        return false;
    data = handle->entries[handle->next++];
    return true;
}

void FindClose(FindHandle handle)
{
    delete handle;
}

std::vector<std::string> FindFiles(std::string_view pattern)
{
    std::vector<std::string> names;
    for (FindData& d : Collect(pattern))
        names.push_back(std::move(d.cFileName));
    return names;
}

bool CopyFile(std::string_view from, std::string_view to, bool failIfExists)
{
    std::error_code ec;
    fs::path src = ResolvePath(from);
    if (!fs::is_regular_file(src, ec))
        return false;
    fs::path dst = ResolvePath(to);
    auto opt = failIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
    if (failIfExists && fs::exists(dst, ec))
        return false;
    return fs::copy_file(src, dst, opt, ec) && !ec;
}

bool DeleteFile(std::string_view path)
{
    std::error_code ec;
    fs::path p = ResolvePath(path);
    if (!fs::is_regular_file(fs::symlink_status(p, ec)) && !fs::is_symlink(fs::symlink_status(p, ec)))
        return false;
    return fs::remove(p, ec) && !ec;
}

bool CreateDirectory(std::string_view path)
{
    std::error_code ec;
    fs::path p = ResolvePath(path);
    return fs::create_directory(p, ec) && !ec;
}

bool RemoveDirectory(std::string_view path)
{
    std::error_code ec;
    fs::path p = ResolvePath(path);
    if (!fs::is_directory(p, ec))
        return false;
    return fs::remove(p, ec) && !ec;
}

std::string GetCurrentDirectory()
{
    std::error_code ec;
    fs::path p = fs::current_path(ec);
    return ec ? std::string() : p.string();
}

bool SetCurrentDirectory(std::string_view path)
{
    std::error_code ec;
    fs::current_path(ResolvePath(path), ec);
    return !ec;
}

int Access(std::string_view path, int mode)
{
    int how = F_OK;
    if (mode & 2)
        how |= W_OK;
    if (mode & 4)
        how |= R_OK;
    return ::access(ResolvePath(path).c_str(), how) == 0 ? 0 : -1;
}

void SplitPath(std::string_view path, std::string* drive, std::string* dir, std::string* fname,
               std::string* ext)
{
    std::string_view rest = path;
    std::string_view d;
    if (rest.size() >= 2 && rest[1] == ':') {
        d = rest.substr(0, 2);
        rest.remove_prefix(2);
    }
    size_t slash = rest.find_last_of("\\/");
    std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : rest.substr(0, slash + 1);
    std::string_view file = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
    size_t dot = file.find_last_of('.');
    std::string_view name = dot == std::string_view::npos ? file : file.substr(0, dot);
    std::string_view extension = dot == std::string_view::npos ? std::string_view() : file.substr(dot);
    if (drive)
        *drive = d;
    if (dir)
        *dir = folder;
    if (fname)
        *fname = name;
    if (ext)
        *ext = extension;
}

std::FILE* OpenFile(std::string_view path, const char* mode)
{
    std::string m;
    for (const char* c = mode; c && *c; ++c)
        if (*c != 't')
            m += *c;
    return std::fopen(ResolvePath(path).c_str(), m.c_str());
}

namespace {

// One read of the size the file has; a file that grows meanwhile is read on.
template <class Buffer>
bool ReadAll(std::string_view path, Buffer& bytes, std::error_code* error)
{
    auto fail = [&](int code) {
        if (error)
            *error = std::error_code(code, std::generic_category());
        return false;
    };
    const int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int code = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(code);
    }
    Buffer out;
    out.resize(st.st_size > 0 ? size_t(st.st_size) : 0);
    size_t used = 0;
    int readError = 0;
    char more[16384];
    for (;;) {
        // Past the expected size, read into a small buffer: reaching the end
        // then costs no growth of the whole buffer.
        const bool past = used == out.size();
        const ssize_t n =
            past ? ::read(fd, more, sizeof more) : ::read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError = errno;
        if (n <= 0)
            break;
        if (past)
            out.insert(out.end(), more, more + n);
        used += size_t(n);
    }
    ::close(fd);
    if (readError)
        return fail(readError);
    out.resize(used);
    bytes = std::move(out);
    return true;
}

} // namespace

bool ReadFile(std::string_view path, std::string& bytes)
{
    return ReadAll(path, bytes, nullptr);
}

bool ReadFile(std::string_view path, std::vector<uint8_t>& bytes, std::error_code* error)
{
    return ReadAll(path, bytes, error);
}

std::string TextModeFilter(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\x1a')
            break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        out += c;
    }
    return out;
}

bool ReadTextFile(std::string_view path, std::string& text)
{
    std::string raw;
    if (!ReadFile(path, raw))
        return false;
    text = TextModeFilter(raw);
    return true;
}

} // namespace platform
