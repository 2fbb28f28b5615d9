#include "GAMES/Rulo2/app/DialogTextEncoder.h"

#include "LIBS/System/LogPrintf.h"
#include "LIBS/System/sPack.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

enum class EncodeResult
{
    Done,
    NoInput,
    Failed
};

EncodeResult Encode(const std::string& inPath, const std::string& outPath, std::string* error)
{
    std::string text;
    if (!platform::ReadTextFile(inPath, text)) {
        if (error)
            *error = inPath + ": cannot be opened";
        return EncodeResult::NoInput;
    }
    for (char& c : text)
        c = static_cast<char>(~static_cast<unsigned char>(c));

    std::vector<uint8_t> packed(sPack::packBound(text.size()));
    // Block size 1 and threshold 0: no lossy pre-pass.
    uint32_t size = sPack::pack(text.data(), packed.data(), text.size(), 1, 0);
    if (size == 0 || size_t{size} + 4 > packed.size()) {
        if (error)
            *error = inPath + ": too long to encode";
        return EncodeResult::Failed;
    }
    std::vector<uint8_t> file = {0x00, 0x00, 0x07, 0x00};
    PutU32(file, static_cast<uint32_t>(text.size()));
    // The packed stream is its size field plus the four bytes of that field.
    file.insert(file.end(), packed.begin(), packed.begin() + size + 4);

    if (!platform::WriteFileAtomically(platform::ResolvePath(outPath), file.data(), file.size())) {
        if (error)
            *error = outPath + ": cannot be written";
        return EncodeResult::Failed;
    }
    return EncodeResult::Done;
}

} // namespace

bool EncodeDialogTextFile(const std::string& inPath, const std::string& outPath, std::string* error)
{
    return Encode(inPath, outPath, error) == EncodeResult::Done;
}

bool EncodeDialogTexts(const std::string& programFolder, std::string* errorOut)
{
    static const char* const pairs[4][2] = {
        {"\\data\\dialogs_ger.txt", "\\data\\dialogs_ger_encoded.txt"},
        {"\\data\\dialogs_eng.txt", "\\data\\dialogs_eng_encoded.txt"},
        {"\\data\\dialogs_ger_demo.txt", "\\data\\dialogs_ger_demo_encoded.txt"},
        {"\\data\\dialogs_eng_demo.txt", "\\data\\dialogs_eng_demo_encoded.txt"},
    };
    for (const auto& pair : pairs) {
        std::string in = programFolder + pair[0];
        std::string out = programFolder + pair[1];
        std::string error;
        EncodeResult r = Encode(in, out, &error);
        if (r == EncodeResult::Done)
            continue;
        if (r == EncodeResult::NoInput) {
            std::fputs("can't open infile\n", stdout);
            LogPrintf("can't open infile: %s", error.c_str());
        } else {
            std::printf("%s\n", error.c_str());
            LogPrintf("%s", error.c_str());
        }
        if (errorOut)
            *errorOut = error;
        return false;
    }
    return true;
}
