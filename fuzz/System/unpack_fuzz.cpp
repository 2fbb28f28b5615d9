// Any byte string as a packed stream: the unpacker either refuses it or
// writes no more than the room it was given, and agrees with its own
// measurement. Packing the same bytes must give them back.

#include "LIBS/System/sPack.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int64_t measured = sPack::unpackedLength(data, size);
    if (measured >= 0 && measured <= (1 << 24)) {
        // Exactly the room needed: the sanitizer sees any write past it.
        std::vector<uint8_t> out(static_cast<size_t>(measured));
        if (sPack::unpack(data, size, out.data(), out.size()) != measured)
            std::abort();
        if (measured > 0) {
            std::vector<uint8_t> small(static_cast<size_t>(measured) - 1);
            if (sPack::unpack(data, size, small.data(), small.size()) != -1)
                std::abort();
        }
    } else if (measured < 0) {
        std::vector<uint8_t> out(4096);
        if (sPack::unpack(data, size, out.data(), out.size()) != -1)
            std::abort();
    }

    std::vector<uint8_t> packed(sPack::packBound(size));
    const uint32_t packedSize = sPack::pack(data, packed.data(), size, 1, 0);
    std::vector<uint8_t> back(size);
    if (sPack::unpack(packed.data(), size_t(packedSize) + 4, back.data(), back.size()) != int64_t(size) ||
        (size && std::memcmp(back.data(), data, size) != 0))
        std::abort();
    return 0;
}
