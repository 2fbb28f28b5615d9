#pragma once

// The program's own byte packer: a single-pass LZ coder (4096-entry hash
// table, 12-bit distances, lengths 3 to 16, items grouped under 16-bit flag
// words) in a small container:
//   u32 size (bytes after offset 4), u8 mode (0 coded, 1 stored),
//   3 unused bytes, payload from offset 8.
// All numbers little-endian. The unpacked length is not stored.

#include <cstddef>
#include <cstdint>

struct sPack
{
    // Room pack() may use for `length` input bytes: the stored form, or a
    // coded form that overran the input by up to one batch before the
    // coder noticed.
    static constexpr size_t packBound(size_t length) { return length + 38; }

    // Packs `length` bytes into `output` (at least packBound(length) bytes)
    // and returns the size field; the stream occupies that value + 4 bytes.
    // blockSize and threshold drive the lossy flattening pre-pass, which
    // threshold 0 (or a blockSize of 0) switches off. Returns 0, writing
    // nothing, for an input too long for the 32-bit size field.
    static uint32_t pack(const void* input, void* output, size_t length, uint8_t blockSize, int threshold);

    // Unpacks the stream of `packedSize` bytes into `output`, which has
    // room for `capacity` bytes. Returns the number of bytes written, or -1
    // for a stream that is truncated or damaged or does not fit; `reason`
    // (when given) then names the fault. Nothing is read or written outside
    // the two buffers.
    static int64_t unpack(const void* packed, size_t packedSize, void* output, size_t capacity,
                          const char** reason = nullptr);

    // The number of bytes unpack() would write, checking the stream the same
    // way; -1 with a reason when it would fail.
    static int64_t unpackedLength(const void* packed, size_t packedSize, const char** reason = nullptr);
};
