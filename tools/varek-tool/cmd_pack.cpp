// Group "pack": a file through the program's packer.

#include "LIBS/System/sPack.h"
#include "tools/varek-tool/ToolFiles.h"

#include <cstdio>
#include <memory>
#include <vector>

int cmd_pack(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: varek-tool pack IN OUT\n");
        return 1;
    }
    std::vector<uint8_t> in;
    std::string error;
    if (!ReadWholeFile(argv[1], in, error))
        return ToolFail("pack", argv[1], error);
    // Not zero-filled: the packer writes every byte it reports.
    std::unique_ptr<uint8_t[]> out(new uint8_t[sPack::packBound(in.size())]);
    // The program itself packs with block size 1 and no pre-pass.
    const uint32_t size = sPack::pack(in.data(), out.get(), in.size(), 1, 0);
    if (size == 0)
        return ToolFail("pack", argv[1], "too large to pack (4 GiB at most)");
    if (!WriteWholeFile(argv[2], out.get(), size_t(size) + 4, error))
        return ToolFail("pack", argv[2], error);
    return 0;
}
