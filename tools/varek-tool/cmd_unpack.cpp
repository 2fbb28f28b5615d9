// Group "unpack": a packed file back to its bytes.

#include "LIBS/System/sPack.h"
#include "tools/varek-tool/ToolFiles.h"

#include <cstdio>
#include <memory>
#include <new>
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
    // The stream does not record its unpacked length, but a two-byte copy item
    // gives at most 16 bytes: eight times the stream is always room enough, and
    // one pass fills it (the pages it never writes are never touched). Should
    // that room not be had, the length is measured first.
    const char* reason = nullptr;
    size_t room = 8 * in.size() + 1;
    std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[room]);
    if (!out) {
        const int64_t length = sPack::unpackedLength(in.data(), in.size(), &reason);
        if (length < 0)
            return ToolFail("unpack", argv[1], reason);
        room = size_t(length) + 1;
        out.reset(new uint8_t[room]);
    }
    // Not zero-filled: the unpacker writes every byte it reports.
    const int64_t n = sPack::unpack(in.data(), in.size(), out.get(), room, &reason);
    if (n < 0)
        return ToolFail("unpack", argv[1], reason);
    if (!WriteWholeFile(argv[2], out.get(), size_t(n), error))
        return ToolFail("unpack", argv[2], error);
    return 0;
}
