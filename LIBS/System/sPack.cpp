#include "LIBS/System/sPack.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kModeCoded = 0;
constexpr uint32_t kModeStored = 1;
constexpr size_t kHeader = 8;
constexpr size_t kHashSize = 4096;
constexpr uint32_t kNoPosition = 0xFFFFFFFFu;
constexpr size_t kMaxLength = 0xFFFFFFFFu - 4;

void putU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

void putU16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t storeRaw(const uint8_t* in, uint8_t* out, size_t length)
{
    const uint32_t size = uint32_t(length + 4);
    putU32(out, size);
    out[4] = kModeStored;
    if (length)
        std::memcpy(out + kHeader, in, length);
    return size;
}

// Flattens runs of blocks that differ from the run's first block by less
// than `threshold` on average (bytes taken as signed). Lossy on purpose.
void flattenBlocks(const uint8_t* in, uint8_t* work, size_t length, size_t blockSize, int threshold)
{
    const double limit = threshold < 1 ? 1.0 : double(threshold);
    const size_t blocks = length / blockSize;
    size_t r = 0;
    while (r < blocks) {
        const uint8_t* ref = in + r * blockSize;
        std::memcpy(work + r * blockSize, ref, blockSize);
        size_t j = r + 1;
        for (; j < blocks; ++j) {
            const uint8_t* blk = in + j * blockSize;
            double sum = 0.0;
            for (size_t k = 0; k < blockSize; ++k)
                sum += std::fabs(double(int8_t(blk[k])) - double(int8_t(ref[k])));
            if (!(sum / double(blockSize) < limit))
                break;
            std::memcpy(work + j * blockSize, ref, blockSize);
        }
        r = j;
    }
    const size_t done = blocks * blockSize;
    if (length > done)
        std::memcpy(work + done, in + done, length - done);
}

uint32_t code(const uint8_t* in, uint8_t* out, size_t length)
{
    uint32_t table[kHashSize];
    for (uint32_t& e : table)
        e = kNoPosition;

    out[4] = kModeCoded;
    size_t flagPos = kHeader;
    size_t op = kHeader + 2;
    uint32_t flags = 0;
    int count = 0;
    size_t ip = 0;

    for (;;) {
        // Checked per batch, so the coded form may overrun by one batch
        // before it gives way to the stored form.
        if (op > 4 + length)
            return storeRaw(in, out, length);
        const int batch = length - ip < 256 ? 1 : 16;
        for (int b = 0; b < batch; ++b) {
            if (ip >= length)
                goto finish;
            uint32_t bit = 0;
            if (length - ip >= 16) {
                const uint32_t key = ((uint32_t(in[ip]) << 4) ^ in[ip + 1]) << 4 ^ in[ip + 2];
                const uint32_t index = ((key * 40543u) >> 4) & 0xFFF;
                const uint32_t cand = table[index];
                table[index] = uint32_t(ip);
                if (cand != kNoPosition && cand < ip && ip - cand <= 4095 && in[cand] == in[ip] &&
                    in[cand + 1] == in[ip + 1] && in[cand + 2] == in[ip + 2]) {
                    size_t len = 3;
                    while (len < 16 && in[cand + len] == in[ip + len])
                        ++len;
                    const size_t distance = ip - cand;
                    out[op++] = uint8_t(((distance >> 8) << 4) + (len - 1));
                    out[op++] = uint8_t(distance & 0xFF);
                    ip += len;
                    bit = 1;
                }
            }
            if (!bit)
                out[op++] = in[ip++];
            flags = (flags >> 1) | (bit << 15);
            if (++count == 16) {
                putU16(out + flagPos, flags);
                flagPos = op;
                op += 2;
                flags = 0;
                count = 0;
            }
        }
    }
finish:
    if (count > 0)
        putU16(out + flagPos, flags >> (16 - count));
    else
        op = flagPos;
    const uint32_t size = uint32_t(op - 4);
    putU32(out, size);
    return size;
}

// A copy item: 12-bit distance back, length 1 to 16.
struct SCopy
{
    size_t distance;
    size_t length;
};

SCopy readCopy(const uint8_t* item)
{
    return {size_t(item[0] & 0xF0) << 4 | item[1], size_t(item[0] & 0x0F) + 1};
}

// A copy may overlap what it produces: then it goes byte by byte.
void copyBack(uint8_t* to, SCopy c)
{
    if (c.distance >= c.length)
        std::memcpy(to, to - c.distance, c.length);
    else
        for (size_t k = 0; k < c.length; ++k)
            to[k] = to[k - c.distance];
}

constexpr const char* kReachesBefore = "copy item reaches before the start of the output (damaged)";

// One walk for unpacking and for measuring, so both refuse the same streams.
template <bool Write>
int64_t walk(const void* packedData, size_t packedSize, uint8_t* out, size_t capacity, const char** reason)
{
    auto fail = [reason](const char* why) -> int64_t {
        if (reason)
            *reason = why;
        return -1;
    };
    const uint8_t* in = static_cast<const uint8_t*>(packedData);
    if (!in || packedSize < kHeader)
        return fail("too short for a packed header");
    const uint64_t size = getU32(in);
    const uint8_t mode = in[4];
    if (mode == kModeStored && size < 4)
        return fail("packed size field below its minimum");
    if (size + 4 > packedSize)
        return fail("packed data shorter than its size field (truncated)");
    if (mode == kModeStored) {
        const size_t n = size_t(size - 4);
        if (n > capacity)
            return fail("unpacked data larger than the room given");
        if (Write && n)
            std::memcpy(out, in + kHeader, n);
        return int64_t(n);
    }
    if (size <= 4)
        return 0;

    const size_t end = size_t(size + 4 > kHeader ? size + 4 : kHeader);
    size_t pos = kHeader;
    size_t op = 0;
    uint32_t flags = 0;
    int left = 0;
    while (pos < end) {
        if (left == 0) {
            if (end - pos < 2)
                return fail("packed data ends inside a flag word (truncated)");
            flags = uint32_t(in[pos]) | uint32_t(in[pos + 1]) << 8;
            pos += 2;
            left = 16;
            // A group with room at both ends for its longest form (16 copy
            // items: 32 bytes in, 256 out) needs no check per item but the
            // distance; it writes exactly what the item-by-item walk writes.
            if (Write && end - pos >= 32 && capacity - op >= 256) {
                for (; left > 0; --left, flags >>= 1) {
                    if (!(flags & 1)) {
                        out[op++] = in[pos++];
                        continue;
                    }
                    const SCopy c = readCopy(in + pos);
                    pos += 2;
                    if (c.distance == 0 || c.distance > op)
                        return fail(kReachesBefore);
                    copyBack(out + op, c);
                    op += c.length;
                }
            }
            continue;
        }
        if (flags & 1) {
            if (end - pos < 2)
                return fail("packed data ends inside a copy item (truncated)");
            const SCopy c = readCopy(in + pos);
            pos += 2;
            if (c.distance == 0 || c.distance > op)
                return fail(kReachesBefore);
            if (c.length > capacity - op)
                return fail("unpacked data larger than the room given");
            if (Write)
                copyBack(out + op, c);
            op += c.length;
        } else {
            if (op >= capacity)
                return fail("unpacked data larger than the room given");
            if (Write)
                out[op] = in[pos];
            ++op;
            ++pos;
        }
        flags >>= 1;
        --left;
    }
    return int64_t(op);
}

} // namespace

uint32_t sPack::pack(const void* input, void* output, size_t length, uint8_t blockSize, int threshold)
{
    if (length > kMaxLength)
        return 0;
    const uint8_t* in = static_cast<const uint8_t*>(input);
    uint8_t* out = static_cast<uint8_t*>(output);
    // Bytes 5 to 7 are not part of the format; keep them defined.
    out[5] = out[6] = out[7] = 0;
    if (threshold != 0 && blockSize != 0 && length != 0) {
        std::vector<uint8_t> work(length);
        flattenBlocks(in, work.data(), length, blockSize, threshold);
        return code(work.data(), out, length);
    }
    return code(in, out, length);
}

int64_t sPack::unpack(const void* packed, size_t packedSize, void* output, size_t capacity,
                      const char** reason)
{
    if (!output)
        capacity = 0;
    return walk<true>(packed, packedSize, static_cast<uint8_t*>(output), capacity, reason);
}

int64_t sPack::unpackedLength(const void* packed, size_t packedSize, const char** reason)
{
    return walk<false>(packed, packedSize, nullptr, SIZE_MAX, reason);
}
