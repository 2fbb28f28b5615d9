// Group "unpack": a packed file back to its bytes.

#include "LIBS/System/sPack.h"
#include "tools/varek-tool/ToolFiles.h"

#include <cstdio>
#include <memory>
#include <vector>

int cmd_unpack(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: varek-tool unpack IN OUT\n");
        return 1;
    }
    std::vector<uint8_t> in;
    std::string error;
    if (!ReadWholeFile(argv[1], in, error))
        return ToolFail("unpack", argv[1], error);
    // The stream does not record its unpacked length: measure it first.
    const char* reason = nullptr;
    const int64_t length = sPack::unpackedLength(in.data(), in.size(), &reason);
    if (length < 0)
        return ToolFail("unpack", argv[1], reason);
    // Not zero-filled: the unpacker writes every byte it reports.
    std::unique_ptr<uint8_t[]> out(new uint8_t[size_t(length) + 1]);
    const int64_t n = sPack::unpack(in.data(), in.size(), out.get(), size_t(length), &reason);
    if (n != length)
        return ToolFail("unpack", argv[1], n < 0 ? reason : "unpacked length changed");
    if (!WriteWholeFile(argv[2], out.get(), size_t(n), error))
        return ToolFail("unpack", argv[2], error);
    return 0;
}
