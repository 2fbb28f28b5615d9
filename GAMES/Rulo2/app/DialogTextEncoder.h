#pragma once
// The editor command "Encode Dialogs.txt": turns plain dialog text files into
// the encoded form the dialog text loader also accepts (header 00 00 07 00,
// the text length, then the text's inverted bytes packed).

#include <string>

// Encodes one file. The input is read in text mode (a CR before an LF
// dropped, the text ending at Ctrl-Z); the output replaces an older one only
// once it is completely written. False with a reason naming the file.
bool EncodeDialogTextFile(const std::string& inPath, const std::string& outPath,
                          std::string* error = nullptr);

// Encodes the four dialog text files of the program folder, German full,
// English full, German demo, English demo, each into its "_encoded" file.
// Stops at the first file that cannot be read or written; the files already
// written stay. True when all four were written; otherwise the reason, naming
// the file, goes to `error` as well as to the log.
bool EncodeDialogTexts(const std::string& programFolder, std::string* error = nullptr);
