// The dialog text loader over arbitrary bytes. The first byte picks how the
// rest is read: even as a whole file, odd behind the encoded header, so the
// unpacker and the inverted text are reached without guessing the header.
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string bytes;
    if (data[0] & 1)
        bytes.assign(reinterpret_cast<const char*>(DialogTextEncodedHeader), 4);
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string text, error;
    if (!DecodeDialogText(bytes, text, error))
        return 0;
    CTextTree tree;
    std::vector<DialogTextNote> notes;
    ParseDialogText(text, tree, &notes);
    int32_t lo = 0, hi = 0;
    tree.Depths(&lo, &hi);
    sList<sStringPair> list;
    tree.Dump(list);
    if (list.count() != tree.Count())
        __builtin_trap();
    for (const sStringPair& p : list)
        if (tree.Find(p.key.c_str()) == nullptr)
            __builtin_trap();
    tree.SetText("LEVEL_2", tree.GetText("LEVEL_4"));
    return 0;
}
