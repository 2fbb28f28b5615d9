#include "GAMES/Rulo2/interface/DialogTexts.h"

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "LIBS/System/LogPrintf.h"
#include "LIBS/System/sPack.h"
#include "platform/files/Files.h"

#include <cstdio>
#include <cstring>

namespace {

std::string_view TrimBlanks(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.substr(b, e - b);
}

void Note(std::vector<DialogTextNote>* notes, int32_t line, size_t column, std::string message)
{
    if (notes)
        notes->push_back({line, static_cast<int32_t>(column), std::move(message)});
}

// Applies the grammar to one line; `lineNo` and `column0` place it in the file
// for the notes (column0 is the column of the line's first character).
void ParseLine(std::string_view raw, int32_t lineNo, size_t column0, CTextTree& tree,
               std::vector<DialogTextNote>* notes)
{
    std::string line(raw);
    for (char& c : line)
        if (c == '\t')
            c = ' ';

    size_t cut = line.find("//");
    if (cut == std::string::npos)
        cut = line.find('#');
    if (cut != std::string::npos)
        line.resize(cut);

    std::string unescaped;
    unescaped.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'n') {
            unescaped += '\n';
            ++i;
        } else {
            unescaped += line[i];
        }
    }

    std::string_view content = TrimBlanks(unescaped);
    if (content.empty())
        return;
    size_t eq = content.find('=');
    if (eq == std::string_view::npos) {
        Note(notes, lineNo, column0, "line without '=' ignored");
        return;
    }
    std::string key(TrimBlanks(content.substr(0, eq)));
    std::string text(TrimBlanks(content.substr(eq + 1)));
    if (!tree.Insert(key.c_str(), text.c_str()))
        Note(notes, lineNo, column0, "key \"" + key + "\" defined before; its first text stays");
}

// The encoded form: header, decoded length, one packed block of inverted text.
bool DecodeEncoded(std::string_view bytes, std::string& text, std::string& error)
{
    if (bytes.size() < 8) {
        error = "encoded text ends inside its header";
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    uint32_t n = static_cast<uint32_t>(p[4]) | static_cast<uint32_t>(p[5]) << 8 |
                 static_cast<uint32_t>(p[6]) << 16 | static_cast<uint32_t>(p[7]) << 24;
    std::string_view block = bytes.substr(8);
    // No packed block expands by more than 8 times (at most 16 bytes per 17
    // bits of input), so a larger length is damage, not a reason to allocate.
    if (n > block.size() * 8 + 16) {
        error = "encoded text claims " + std::to_string(n) + " bytes, more than its " +
                std::to_string(block.size()) + "-byte packed block can hold";
        return false;
    }
    std::string out(n, '\0');
    const char* reason = nullptr;
    int64_t got = sPack::unpack(block.data(), block.size(), out.data(), out.size(), &reason);
    if (got < 0) {
        error = std::string("damaged packed block: ") + (reason ? reason : "cannot be unpacked");
        return false;
    }
    if (static_cast<uint64_t>(got) != n) {
        error = "packed block holds " + std::to_string(got) + " bytes, the header says " + std::to_string(n);
        return false;
    }
    for (char& c : out)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    text = std::move(out);
    return true;
}

} // namespace

void ParseDialogText(std::string_view text, CTextTree& tree, std::vector<DialogTextNote>* notes)
{
    size_t end = text.find('\0');
    int32_t lineNo = 1;
    size_t lineStart = 0; // offset of the current physical line, for columns
    if (end != std::string_view::npos) {
        if (end + 1 < text.size()) {
            int32_t l = 1;
            size_t ls = 0;
            for (size_t i = 0; i < end; ++i)
                if (text[i] == '\n') {
                    ++l;
                    ls = i + 1;
                }
            Note(notes, l, end - ls + 1,
                 "zero byte ends the text; the " + std::to_string(text.size() - end - 1) +
                     " bytes after it are ignored");
        }
        text = text.substr(0, end);
    }

    size_t pos = 0;
    while (pos < text.size()) {
        size_t lf = text.find('\n', pos);
        size_t lineEnd = lf == std::string_view::npos ? text.size() : lf;
        size_t len = lineEnd - pos;
        if (len > DialogTextLineMax) {
            // The first 1023 characters form a line, the next one is dropped.
            ParseLine(text.substr(pos, DialogTextLineMax), lineNo, pos - lineStart + 1, tree, notes);
            Note(notes, lineNo, pos - lineStart + DialogTextLineMax + 1,
                 "line longer than 1023 characters: this character is dropped and the rest read as "
                 "another line");
            pos += DialogTextLineMax + 1;
            continue;
        }
        ParseLine(text.substr(pos, len), lineNo, pos - lineStart + 1, tree, notes);
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
        lineStart = pos;
        ++lineNo;
    }
}

bool DecodeDialogText(std::string_view bytes, std::string& text, std::string& error)
{
    if (bytes.empty()) {
        error = "file is empty";
        return false;
    }
    if (bytes[0] != 0) {
        text = platform::TextModeFilter(bytes);
        return true;
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), DialogTextEncodedHeader, 4) == 0)
        return DecodeEncoded(bytes, text, error);
    // Plain text cannot begin with a zero byte: it would hold no entry at all.
    error = "starts with a zero byte but lacks the encoded header 00 00 07 00";
    return false;
}

std::string DialogTextPath(const std::string& folder, int32_t language)
{
    const char* name = language == 0 ? "data\\dialogs_ger_demo.txt" : "data\\dialogs_eng_demo.txt";
    if (folder.empty())
        return name;
    char last = folder.back();
    return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

bool LoadDialogTextsFrom(const std::string& path, CTextTree& tree, bool showKeys, std::string* error)
{
    std::string reason;
    auto fail = [&](const char* logLine) {
        if (logLine)
            LogPrintf("%s", logLine);
        std::string message = path + ": " + reason;
        LogPrintf("%s", message.c_str());
        std::fprintf(stderr, "%s\n", message.c_str());
        if (error)
            *error = message;
        return false;
    };

    LogPrintf("Checking FP...");
    LogPrintf("Creating foldername...");
    std::string bytes;
    if (!platform::ReadFile(path, bytes)) {
        reason = "cannot be opened";
        return fail("Opening file failed.");
    }
    LogPrintf("Checking file...");
    LogPrintf("Retrieving length...");
    if (bytes.empty()) {
        reason = "file is empty";
        return fail(nullptr);
    }
    LogPrintf("Reading file...");
    LogPrintf("Parsing header...");
    if (bytes[0] == 0 && bytes.size() >= 4 && std::memcmp(bytes.data(), DialogTextEncodedHeader, 4) == 0)
        LogPrintf("Decoding file...");
    std::string text;
    if (!DecodeDialogText(bytes, text, reason))
        return fail(nullptr);

    // Only a readable file replaces what the dictionary holds.
    LogPrintf("Clearing text-tree...");
    tree.Clear();
    LogPrintf("Entering parse loop...");
    std::vector<DialogTextNote> notes;
    ParseDialogText(text, tree, &notes);
    for (const DialogTextNote& n : notes)
        LogPrintf("%s:%d:%d: %s", path.c_str(), n.line, n.column, n.message.c_str());
    LogPrintf("Leaving parse loop...");
    tree.LogStatistics();

    // The demo's second level shows under the texts of level 4.
    tree.SetText("LEVEL_2", showKeys ? "LEVEL_4" : tree.GetText("LEVEL_4"));
    tree.SetText("MENU_BURG_2", showKeys ? "MENU_BURG_4" : tree.GetText("MENU_BURG_4"));
    if (error)
        error->clear();
    return true;
}

bool LoadDialogTexts()
{
    // Before the paths are set up the start folder is still the current one.
    std::string folder = ProgramFolder[0] ? ProgramFolder : platform::GetCurrentDirectory();
    return LoadDialogTextsFrom(DialogTextPath(folder, Language), TextTree, ShowKeysFlag != 0);
}
