#include "LIBS/System/sPack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pack(const Bytes& in, uint8_t blockSize = 1, int threshold = 0)
{
    Bytes out(sPack::packBound(in.size()));
    const uint32_t size = sPack::pack(in.data(), out.data(), in.size(), blockSize, threshold);
    EXPECT_GE(size, 4u);
    EXPECT_LE(size + 4u, out.size());
    out.resize(size + 4);
    return out;
}

Bytes Unpack(const Bytes& packed, size_t capacity)
{
    Bytes out(capacity);
    const char* reason = nullptr;
    const int64_t n = sPack::unpack(packed.data(), packed.size(), out.data(), out.size(), &reason);
    EXPECT_GE(n, 0) << (reason ? reason : "");
    out.resize(n < 0 ? 0 : size_t(n));
    return out;
}

uint32_t SizeField(const Bytes& p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Bytes RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& c : b)
        c = uint8_t(rng());
    return b;
}

Bytes Text(size_t n)
{
    static const char kWords[] = "the guard walks past the door and checks the window, then the locker; ";
    Bytes b;
    for (size_t i = 0; b.size() < n; ++i)
        b.push_back(uint8_t(kWords[(i * 7 + i / 13) % (sizeof kWords - 1)]));
    return b;
}

TEST(sPack, HundredEqualBytesCodeAsOneGroup)
{
    const Bytes in(100, 'a');
    const Bytes p = Pack(in);
    // A literal, a copy 1 back of 16, five copies 16 back of 16, three
    // literals: flag bits 0111111000 read from bit 0.
    const Bytes expected = {22,   0,    0,    0,    0,    0,    0,    0,    0x7E, 0x00, 'a', 0x0F, 0x01,
                            0x0F, 0x10, 0x0F, 0x10, 0x0F, 0x10, 0x0F, 0x10, 0x0F, 0x10, 'a', 'a',  'a'};
    EXPECT_EQ(p, expected);
    EXPECT_EQ(Unpack(p, 100), in);
    EXPECT_EQ(sPack::unpackedLength(p.data(), p.size()), 100);
}

TEST(sPack, ShortAndIncompressibleInputsAreStored)
{
    for (size_t n = 0; n < 6; ++n) {
        const Bytes in(n, 'x');
        const Bytes p = Pack(in);
        EXPECT_EQ(p[4], 1) << n;
        EXPECT_EQ(SizeField(p), n + 4) << n;
        EXPECT_EQ(Unpack(p, n), in) << n;
    }
    for (size_t n : {6u, 17u, 300u, 5000u}) {
        const Bytes in = RandomBytes(n, unsigned(n));
        const Bytes p = Pack(in);
        EXPECT_EQ(p[4], 1) << n;
        EXPECT_EQ(SizeField(p), n + 4) << n;
        EXPECT_TRUE(std::equal(in.begin(), in.end(), p.begin() + 8)) << n;
        EXPECT_EQ(Unpack(p, n), in) << n;
    }
    // Copies need 16 bytes ahead, so six equal bytes are still stored;
    // eighteen code as a literal, a copy and a literal.
    EXPECT_EQ(Pack(Bytes(6, 'x'))[4], 1);
    EXPECT_EQ(Pack(Bytes(18, 'x'))[4], 0);
    EXPECT_EQ(SizeField(Pack(Bytes(18, 'x'))), 10u);
}

TEST(sPack, RoundTripsAssortedInputs)
{
    Bytes mixed = Text(70000);
    const Bytes noise = RandomBytes(3000, 7);
    mixed.insert(mixed.begin() + 20000, noise.begin(), noise.end());
    Bytes ramp(9000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = uint8_t(i * i >> 3);
    Bytes pattern;
    for (int i = 0; i < 1000; ++i)
        pattern.insert(pattern.end(), {'a', 'b', 'c'});

    const struct
    {
        const char* name;
        Bytes data;
        bool shrinks;
    } cases[] = {
        {"text", Text(20000), true},
        {"text with noise", mixed, true},
        {"ramp", ramp, false},
        {"abc pattern", pattern, true},
        {"zeros", Bytes(65536, 0), true},
        {"thirty-two", Bytes(32, 7), true},
        {"noise", RandomBytes(100000, 3), false},
    };
    for (const auto& c : cases) {
        const Bytes p = Pack(c.data);
        if (c.shrinks) {
            EXPECT_EQ(p[4], 0) << c.name;
            EXPECT_LT(p.size(), c.data.size()) << c.name;
        }
        EXPECT_EQ(Unpack(p, c.data.size()), c.data) << c.name;
        EXPECT_EQ(sPack::unpackedLength(p.data(), p.size()), int64_t(c.data.size())) << c.name;
    }
}

TEST(sPack, OverlappingCopyRepeatsAPattern)
{
    // A literal "abc", then one copy 3 back of 12 bytes.
    const Bytes stream = {11, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x00, 'a', 'b', 'c', 0x0B, 0x03};
    const Bytes out = Unpack(stream, 100);
    EXPECT_EQ(std::string(out.begin(), out.end()), "abcabcabcabcabc");
}

TEST(sPack, UnusedHeaderBytesDoNotMatter)
{
    const Bytes in = Text(500);
    for (const Bytes& packed : {Pack(in), Pack(RandomBytes(50, 1))}) {
        Bytes p = packed;
        p[5] = p[6] = p[7] = 0xFF;
        EXPECT_EQ(Unpack(p, 1000), Unpack(packed, 1000));
    }
}

TEST(sPack, NeverWritesPastTheBound)
{
    // Inputs on the edge between coded and stored, where the coder overruns
    // by up to one batch before it falls back. The buffer is exactly the
    // bound, so the sanitizer build catches any write past it.
    std::mt19937 rng(11);
    for (int round = 0; round < 400; ++round) {
        const size_t n = 6 + rng() % 2000;
        Bytes in(n);
        const unsigned mod = 1 + rng() % 40;
        for (auto& c : in)
            c = uint8_t(rng() % 3 == 0 ? rng() : rng() % mod);
        std::vector<uint8_t> out(sPack::packBound(n), 0xCD);
        const uint32_t size = sPack::pack(in.data(), out.data(), n, 1, 0);
        ASSERT_LE(size + 4, out.size());
        ASSERT_LE(size, n + 4);
        out.resize(size + 4);
        ASSERT_EQ(Unpack(out, n), in) << round;
    }
}

TEST(sPack, PrePassFlattensSimilarBlocks)
{
    // Blocks of 2: {10,10} {11,9} {12,10} differ from the first by less than
    // 3 on average and become copies of it; {40,40} starts a new run; the
    // odd last byte is kept.
    Bytes in = {10, 10, 11, 9, 12, 10, 40, 40, 41, 40, 5};
    const Bytes flat = {10, 10, 10, 10, 10, 10, 40, 40, 40, 40, 5};
    EXPECT_EQ(Unpack(Pack(in, 2, 3), in.size()), flat);
    // Off with threshold 0 or block size 0.
    EXPECT_EQ(Unpack(Pack(in, 2, 0), in.size()), in);
    EXPECT_EQ(Unpack(Pack(in, 0, 3), in.size()), in);
    // A threshold below 1 counts as 1: only an average below 1 flattens.
    const Bytes near = {10, 10, 10, 11, 10, 12, 7, 7};
    EXPECT_EQ(Unpack(Pack(near, 2, -5), near.size()), (Bytes{10, 10, 10, 10, 10, 12, 7, 7}));
    // Bytes count as signed: 0x7F and 0x80 are 255 apart, 0x10 and 0x20 16.
    const Bytes signs = {0x7F, 0x80, 0x10, 0x20, 0x20, 0x30};
    EXPECT_EQ(Unpack(Pack(signs, 1, 200), signs.size()), (Bytes{0x7F, 0x80, 0x80, 0x80, 0x80, 0x80}));
}

Bytes Stream(uint32_t size, uint8_t mode, std::initializer_list<uint8_t> payload)
{
    Bytes b = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24), mode, 0, 0, 0};
    b.insert(b.end(), payload);
    return b;
}

TEST(sPack, RefusesDamagedStreams)
{
    const struct
    {
        const char* name;
        Bytes stream;
        size_t capacity;
    } cases[] = {
        {"no header", {5, 0, 0, 0, 1}, 100},
        {"size past the data", Stream(10, 1, {1, 2, 3}), 100},
        {"stored size below 4", Stream(2, 1, {}), 100},
        {"stored larger than room", Stream(9, 1, {1, 2, 3, 4, 5}), 4},
        {"copy before the start", Stream(8, 0, {0x01, 0x00, 0x02, 0x01}), 100},
        {"copy reaching past the first byte", Stream(9, 0, {0x02, 0x00, 'a', 0x02, 0x02}), 100},
        {"copy of distance 0", Stream(9, 0, {0x02, 0x00, 'a', 0x02, 0x00}), 100},
        {"copy past the room", Stream(9, 0, {0x02, 0x00, 'a', 0x0F, 0x01}), 10},
        {"literal past the room", Stream(9, 0, {0x00, 0x00, 'a', 'b', 'c'}), 2},
        {"ends inside a copy", Stream(8, 0, {0x02, 0x00, 'a', 0x02}), 100},
        {"ends inside a flag word", Stream(5, 0, {0x00}), 100},
        {"ends inside the second flag word",
         Stream(23, 0, {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0}), 100},
    };
    for (const auto& c : cases) {
        Bytes out(c.capacity + 16, 0xEE);
        const char* reason = nullptr;
        EXPECT_EQ(sPack::unpack(c.stream.data(), c.stream.size(), out.data(), c.capacity, &reason), -1)
            << c.name;
        EXPECT_NE(reason, nullptr) << c.name;
        for (size_t i = c.capacity; i < out.size(); ++i)
            ASSERT_EQ(out[i], 0xEE) << c.name << ": wrote past the room at " << i;
        if (c.capacity == 100) {
            EXPECT_EQ(sPack::unpackedLength(c.stream.data(), c.stream.size()), -1) << c.name;
        }
    }
    EXPECT_EQ(sPack::unpack(nullptr, 0, nullptr, 0), -1);
}

TEST(sPack, EdgesThatAreNotFaults)
{
    Bytes out(8);
    // A coded stream of size 4 (or less) holds nothing.
    const Bytes empty = Stream(4, 0, {});
    EXPECT_EQ(sPack::unpack(empty.data(), empty.size(), out.data(), out.size()), 0);
    const Bytes tiny = Stream(1, 0, {});
    EXPECT_EQ(sPack::unpack(tiny.data(), tiny.size(), out.data(), out.size()), 0);
    // Exactly the room needed is enough; bytes after the stream are ignored.
    Bytes p = Pack(Bytes(100, 'z'));
    p.push_back(0x55);
    Bytes exact(100);
    EXPECT_EQ(sPack::unpack(p.data(), p.size(), exact.data(), exact.size()), 100);
    EXPECT_EQ(exact, Bytes(100, 'z'));
    // The empty input stores as size 4, mode 1.
    const Bytes e = Pack({});
    EXPECT_EQ(e, (Bytes{4, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(sPack::unpack(e.data(), e.size(), nullptr, 0), 0);
}

TEST(sPack, EveryCutOrFlipIsHandled)
{
    const Bytes in = Text(3000);
    const Bytes p = Pack(in);
    ASSERT_EQ(p[4], 0);
    Bytes out(in.size());
    // Cutting the stream anywhere is refused: the size field no longer fits.
    for (size_t cut = 0; cut < p.size(); ++cut)
        ASSERT_EQ(sPack::unpack(p.data(), cut, out.data(), out.size()), -1) << cut;
    // A flipped byte may still unpack to something, but never past the room
    // and never to more than unpackedLength promised.
    std::mt19937 rng(5);
    for (int round = 0; round < 2000; ++round) {
        Bytes bad = p;
        bad[8 + rng() % (bad.size() - 8)] ^= uint8_t(1 + rng() % 255);
        const int64_t n = sPack::unpack(bad.data(), bad.size(), out.data(), out.size());
        const int64_t measured = sPack::unpackedLength(bad.data(), bad.size());
        if (n >= 0)
            ASSERT_EQ(n, measured);
        else
            ASSERT_TRUE(measured == -1 || measured > int64_t(out.size()));
    }
}

TEST(sPack, RoomyAndTightRoomUnpackAlike)
{
    // With much room the walk takes whole flag groups at once; with exactly
    // the room needed it goes item by item near the end. Both must give the
    // same bytes and write nothing past what they report, damaged or not.
    const Bytes in = Text(5000);
    const Bytes p = Pack(in);
    ASSERT_EQ(p[4], 0);
    std::mt19937 rng(11);
    for (int round = 0; round < 500; ++round) {
        Bytes bad = p;
        if (round > 0)
            bad[8 + rng() % (bad.size() - 8)] ^= uint8_t(1 + rng() % 255);
        Bytes roomy(in.size() + 4096, 0xCD);
        const int64_t n = sPack::unpack(bad.data(), bad.size(), roomy.data(), roomy.size());
        ASSERT_EQ(n, sPack::unpackedLength(bad.data(), bad.size())) << round;
        if (n < 0)
            continue;
        for (size_t i = size_t(n); i < roomy.size(); ++i)
            ASSERT_EQ(roomy[i], 0xCD) << round << " at " << i;
        Bytes tight(size_t(n), 0xCD);
        ASSERT_EQ(sPack::unpack(bad.data(), bad.size(), tight.data(), tight.size()), n) << round;
        ASSERT_TRUE(std::equal(tight.begin(), tight.end(), roomy.begin())) << round;
        if (round == 0)
            ASSERT_EQ(tight, in);
    }
}

} // namespace
