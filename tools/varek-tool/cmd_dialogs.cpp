// varek-tool encode-dialogs FOLDER: encodes the four dialog text files under
// FOLDER\data as the editor's "Encode Dialogs.txt" does.
// varek-tool dialogs dump FILE: the dictionary the game builds from a plain or
// encoded dialog text file, one "key = text" line per entry in key order.
#include <cstdio>
#include <cstring>
#include <string>

#include "GAMES/Rulo2/app/DialogTextEncoder.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"
#include "LIBS/System/sList.h"

int cmd_encode_dialogs(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: varek-tool encode-dialogs FOLDER\n");
        return 1;
    }
    std::string error;
    if (!EncodeDialogTexts(argv[1], &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("encoded the four dialog text files under %s\n", argv[1]);
    return 0;
}

int cmd_dialogs(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "dump") != 0) {
        std::fprintf(stderr, "usage: varek-tool dialogs dump FILE\n");
        return 1;
    }
    CTextTree tree;
    std::string error;
    if (!LoadDialogTextsFrom(argv[2], tree, false, &error)) {
        std::fprintf(stderr, "%s\n",
                     error.empty() ? (std::string(argv[2]) + ": cannot be read").c_str() : error.c_str());
        return 1;
    }
    sList<sStringPair> entries;
    tree.Dump(entries);
    for (const sStringPair& e : entries)
        std::printf("%s = %s\n", e.key.c_str(), e.text.c_str());
    std::printf("%d entries\n", tree.Count());
    return 0;
}
