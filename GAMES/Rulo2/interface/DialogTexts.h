#pragma once
// The dialog text file: "key = text" lines, plain or encoded, that fill the
// text-key dictionary at start-up.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CTextTree;

// First four bytes of an encoded dialog text file (0x00070000 little-endian).
constexpr unsigned char DialogTextEncodedHeader[4] = {0x00, 0x00, 0x07, 0x00};

// Longest line the parser takes; the character after it is dropped and the
// rest of the line is read as the next line.
constexpr size_t DialogTextLineMax = 1023;

// Something in the text the parser skipped or cut, with its place (1-based).
struct DialogTextNote
{
    int32_t line = 0;
    int32_t column = 0;
    std::string message;
};

// Parses the text (ending at its length or at a zero byte) into the tree.
// A key already present keeps its first text.
void ParseDialogText(std::string_view text, CTextTree& tree, std::vector<DialogTextNote>* notes = nullptr);

// Turns the bytes of a dialog text file into its text: the encoded form is
// unpacked and inverted, the plain form read as text mode reads it (a CR before
// an LF dropped, the text ending at Ctrl-Z). False with a reason when the bytes
// are damaged or empty.
bool DecodeDialogText(std::string_view bytes, std::string& text, std::string& error);

// The file of a language (1 English, 0 German) under a folder, as a Windows-style path.
std::string DialogTextPath(const std::string& folder, int32_t language);

// Reads the file at a Windows-style path and, only when it could be read and
// decoded, replaces the tree's entries with the file's and applies the level
// patches. A file that cannot be read leaves the tree as it was; the reason,
// naming the file, goes to the log and to `error`. Skipped lines are logged
// with file, line and column.
bool LoadDialogTextsFrom(const std::string& path, CTextTree& tree, bool showKeys,
                         std::string* error = nullptr);

// The start-up loader: the current language's file under the start folder
// into the global dictionary.
bool LoadDialogTexts();
