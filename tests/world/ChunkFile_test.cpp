#include "GAMES/Rulo2/world/ChunkFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "GAMES/Rulo2/world/CNode.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list)
{
    std::vector<uint8_t> v;
    for (int b : list)
        v.push_back(uint8_t(b));
    return v;
}

void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body)
{
    out.insert(out.end(), id, id + 4);
    const uint32_t n = uint32_t(body.size());
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(n >> s));
    out.insert(out.end(), body.begin(), body.end());
}

TEST(ChunkWriter, HeaderIsBigEndianFieldsLittleEndianLengthPatched)
{
    CChunkWriter w;
    ASSERT_TRUE(w.BeginChunk(ChunkId("NODE"), 7));
    ASSERT_TRUE(w.WriteU32(0x11223344));
    ASSERT_TRUE(w.WriteF32(1.0f));
    ASSERT_TRUE(w.WriteBool(true));
    ASSERT_TRUE(w.WriteBool(false));
    ASSERT_TRUE(w.WriteId(ChunkId("ANIM")));
    ASSERT_TRUE(w.EndChunk());
    const auto expected = Bytes({'N',  'O',  'D',  'E',  0, 0, 0, 24, // id, length 24 big-endian
                                 7,    0,    0,    0,                 // version
                                 0x44, 0x33, 0x22, 0x11,              // u32
                                 0,    0,    0x80, 0x3F,              // 1.0f
                                 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,  // booleans
                                 'A',  'N',  'I',  'M'});
    EXPECT_EQ(w.Data(), expected);
}

TEST(ChunkWriter, StringsArePaddedFromTheBodyStart)
{
    struct Case
    {
        const char* text;
        size_t bytes;
    };
    const Case cases[] = {{"abc", 4}, {"abcd", 8}, {"", 4}, {nullptr, 4}, {"abcdefg", 8}};
    for (const Case& c : cases) {
        CChunkWriter w;
        ASSERT_TRUE(w.BeginChunk(ChunkId("TEST"), 1));
        ASSERT_TRUE(w.WriteString(c.text));
        ASSERT_TRUE(w.EndChunk());
        ASSERT_EQ(w.Data().size(), 8 + 4 + c.bytes) << (c.text ? c.text : "(null)");
        // Read it back through the bounded cursor.
        CChunkReader file(w.Data().data(), w.Data().size());
        SChunkHeader h;
        CChunkReader body;
        ASSERT_EQ(file.NextChunk(h, body), CHUNK_OK);
        EXPECT_EQ(h.length, 4 + c.bytes);
        EXPECT_EQ(body.ReadU32(), 1u);
        EXPECT_STREQ(body.ReadPaddedString(), c.text ? c.text : "");
        EXPECT_TRUE(body.AtEnd());
        EXPECT_TRUE(body.Ok());
    }
}

TEST(ChunkWriter, OddBodyIsPaddedAndNestedChunksGetTheirOwnLengths)
{
    CChunkWriter w;
    ASSERT_TRUE(w.BeginChunk(ChunkId("OUTR"), 1));
    ASSERT_TRUE(w.WriteU16(0xBEEF));
    ASSERT_TRUE(w.Pad());
    ASSERT_TRUE(w.BeginChunk(ChunkId("INNR"), 2));
    ASSERT_TRUE(w.WriteBytes("xyz", 3));
    ASSERT_TRUE(w.EndChunk()); // 4 version + 3 bytes + 1 pad
    ASSERT_TRUE(w.WriteU32(5));
    ASSERT_TRUE(w.EndChunk());
    ASSERT_TRUE(w.BeginChunk(ChunkId("NEXT"), 3));
    ASSERT_TRUE(w.EndChunk());
    const auto& d = w.Data();
    CChunkReader file(d.data(), d.size());
    SChunkHeader h;
    CChunkReader body;
    ASSERT_EQ(file.NextChunk(h, body), CHUNK_OK);
    EXPECT_EQ(h.id, ChunkId("OUTR"));
    EXPECT_EQ(h.length, 4u + 4u + 8u + 8u + 4u);
    EXPECT_EQ(body.ReadU32(), 1u);
    EXPECT_EQ(body.ReadU16(), 0xBEEF);
    body.Align4();
    SChunkHeader ih;
    CChunkReader inner;
    ASSERT_EQ(body.NextChunk(ih, inner), CHUNK_OK);
    EXPECT_EQ(ih.length, 8u);
    EXPECT_EQ(body.ReadU32(), 5u);
    EXPECT_TRUE(body.AtEnd());
    ASSERT_EQ(file.NextChunk(h, body), CHUNK_OK);
    EXPECT_EQ(h.id, ChunkId("NEXT"));
    EXPECT_EQ(h.length, 4u); // a body of only its version word
    EXPECT_EQ(file.NextChunk(h, body), CHUNK_NO_MORE);
}

TEST(ChunkWriter, FileWriterPatchesLengthsAndReportsFailedWrites)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("varek_chunk_writer_test_" + std::to_string(::getpid()) + ".bin");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    {
        CChunkWriter w(f);
        ASSERT_TRUE(w.BeginChunk(ChunkId("TEST"), 1));
        ASSERT_TRUE(w.WriteString("hello"));
        ASSERT_TRUE(w.EndChunk());
        ASSERT_TRUE(w.WriteMarker(ChunkId("END ")));
    }
    std::fclose(f);
    CChunkWriter mem;
    mem.BeginChunk(ChunkId("TEST"), 1);
    mem.WriteString("hello");
    mem.EndChunk();
    mem.WriteMarker(ChunkId("END "));
    std::vector<uint8_t> onDisk(std::filesystem::file_size(path));
    f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(std::fread(onDisk.data(), 1, onDisk.size(), f), onDisk.size());
    std::fclose(f);
    EXPECT_EQ(onDisk, mem.Data());
    std::filesystem::remove(path);

    // A stream that refuses writes: every operation reports failure.
    FILE* ro = std::fopen("/dev/null", "rb");
    ASSERT_NE(ro, nullptr);
    CChunkWriter bad(ro);
    EXPECT_FALSE(bad.WriteU32(1));
    EXPECT_FALSE(bad.Ok());
    std::fclose(ro);
    CChunkWriter none(nullptr);
    EXPECT_FALSE(none.Ok());
}

TEST(ChunkWriter, NodeChunkStartsWithVersionParentAndName)
{
    CNode root("root");
    CNode* child = root.AddChild(new CNode("kid"));
    root.NumberNodes();
    CChunkWriter w;
    ASSERT_TRUE(BeginNodeChunk(w, *child, 3, ChunkId("NODE")));
    EXPECT_EQ(child->chunkPosition, 4);
    ASSERT_TRUE(w.EndChunk());
    const auto expected = Bytes({'N', 'O', 'D', 'E', 0, 0, 0, 12, 3, 0, 0, 0, 1, 0, 0, 0, 'k', 'i', 'd', 0});
    EXPECT_EQ(w.Data(), expected);
}

TEST(ChunkReader, ReadsPastTheBodyFailWithoutTouchingOtherMemory)
{
    const auto data = Bytes({1, 0, 0, 0, 'a', 'b'});
    CChunkReader r(data.data(), data.size());
    EXPECT_EQ(r.ReadU32(), 1u);
    EXPECT_EQ(r.ReadU32(), 0u); // only two bytes left
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.ReadU32(), 0u); // stays failed

    CChunkReader s(data.data() + 4, 2); // "ab" without a NUL
    EXPECT_STREQ(s.ReadPaddedString(), "");
    EXPECT_FALSE(s.Ok());

    CChunkReader t(data.data(), data.size());
    float f[2];
    EXPECT_FALSE(t.ReadFloats(f, 2));
}

TEST(ChunkReader, RunsReadLittleEndianValuesAndAShortRunKeepsWhatIsThere)
{
    // 1.0f, -2.0f, then 0x0102, 0x0304, then -1 and 5.
    const auto data =
        Bytes({0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 2, 1, 4, 3, 0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0});
    CChunkReader r(data.data(), data.size());
    float f[2];
    uint16_t h[2];
    int32_t i[2];
    EXPECT_TRUE(r.ReadFloats(f, 2));
    EXPECT_TRUE(r.ReadU16s(h, 2));
    EXPECT_TRUE(r.ReadI32s(i, 2));
    EXPECT_EQ(f[0], 1.0f);
    EXPECT_EQ(f[1], -2.0f);
    EXPECT_EQ(h[0], 0x0102);
    EXPECT_EQ(h[1], 0x0304);
    EXPECT_EQ(i[0], -1);
    EXPECT_EQ(i[1], 5);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_TRUE(r.ReadI32s(i, 0));

    // Five bytes for three 16-bit values: two are read, the third is zero and the
    // reader fails, as value-by-value reads would leave them.
    CChunkReader s(data.data() + 8, 5);
    uint16_t three[3] = {9, 9, 9};
    EXPECT_FALSE(s.ReadU16s(three, 3));
    EXPECT_EQ(three[0], 0x0102);
    EXPECT_EQ(three[1], 0x0304);
    EXPECT_EQ(three[2], 0);
    EXPECT_FALSE(s.Ok());
    EXPECT_TRUE(s.AtEnd());
    // Once failed, a run is all zeros.
    float after[1] = {7};
    EXPECT_FALSE(s.ReadFloats(after, 1));
    EXPECT_EQ(after[0], 0.0f);
}

TEST(ChunkReader, ChunkSequenceErrors)
{
    struct Case
    {
        std::vector<uint8_t> data;
        EChunkResult result;
    };
    std::vector<uint8_t> longBody;
    AppendChunk(longBody, "BIG ", std::vector<uint8_t>(16));
    longBody[7] = 100; // length beyond the data
    const Case cases[] = {
        {{}, CHUNK_NO_MORE},
        {Bytes({'E', 'N', 'D'}), CHUNK_SHORT_HEADER},
        {Bytes({'A', 'B', 'C', 'D', 0, 0, 0, 8, 1, 2, 3, 4}), CHUNK_SHORT_BODY},
        {longBody, CHUNK_SHORT_BODY},
        {Bytes({'A', 'B', 'C', 'D', 0, 0x0F, 0x42, 0x41}), CHUNK_TOO_LONG}, // 1,000,001
    };
    for (const Case& c : cases) {
        CChunkReader r(c.data.data(), c.data.size());
        SChunkHeader h;
        CChunkReader body;
        EXPECT_EQ(r.NextChunk(h, body), c.result);
    }
}

TEST(ChunkReader, SectionLoopSkipsUnknownChunksAndEndsAtEnd)
{
    std::vector<uint8_t> data;
    AppendChunk(data, "KNOW", Bytes({1, 0, 0, 0}));
    AppendChunk(data, "WHAT", Bytes({9, 9, 9, 9, 9, 9, 9, 9}));
    AppendChunk(data, "KNOW", Bytes({2, 0, 0, 0}));
    AppendChunk(data, "END ", {});
    AppendChunk(data, "KNOW", Bytes({3, 0, 0, 0}));
    int calls = 0;
    g_ChunkProgress = [] {};
    std::vector<uint32_t> seen;
    CChunkReader r(data.data(), data.size());
    const bool ok = ReadSection(r, [&](const SChunkHeader& h, CChunkReader& body) {
        ++calls;
        if (h.id == ChunkId("KNOW"))
            seen.push_back(body.ReadU32());
        return SECTION_CONTINUE;
    });
    g_ChunkProgress = nullptr;
    EXPECT_TRUE(ok);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2}));
    // The reader stands after "END ": the next section follows.
    SChunkHeader h;
    CChunkReader body;
    ASSERT_EQ(r.NextChunk(h, body), CHUNK_OK);
    EXPECT_EQ(body.ReadU32(), 3u);
}

TEST(ChunkReader, SectionLoopStopsAtTheBodyLimit)
{
    for (size_t length : {size_t(1000000), size_t(1000001)}) {
        std::vector<uint8_t> data;
        AppendChunk(data, "BLOB", std::vector<uint8_t>(length));
        AppendChunk(data, "END ", {});
        CChunkReader r(data.data(), data.size());
        std::string error;
        int handled = 0;
        const bool ok = ReadSection(
            r,
            [&](const SChunkHeader&, CChunkReader&) {
                ++handled;
                return SECTION_CONTINUE;
            },
            &error);
        EXPECT_EQ(ok, length == 1000000) << length;
        EXPECT_EQ(handled, length == 1000000 ? 1 : 0);
        if (!ok) {
            EXPECT_NE(error.find("too long"), std::string::npos) << error;
        }
    }
}

TEST(ChunkReader, SectionWithoutEndFailsAndSkipSectionFindsEnd)
{
    std::vector<uint8_t> data;
    AppendChunk(data, "KNOW", Bytes({1, 0, 0, 0}));
    CChunkReader r(data.data(), data.size());
    EXPECT_FALSE(ReadSection(r, [](const SChunkHeader&, CChunkReader&) { return SECTION_CONTINUE; }));
    CChunkReader r2(data.data(), data.size());
    EXPECT_FALSE(SkipSection(r2));
    AppendChunk(data, "END ", {});
    AppendChunk(data, "MORE", {});
    CChunkReader r3(data.data(), data.size());
    EXPECT_TRUE(SkipSection(r3));
    EXPECT_EQ(r3.Remaining(), 8u);
}

TEST(ChunkReader, FileChunks)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("varek_chunk_reader_test_" + std::to_string(::getpid()) + ".bin");
    std::vector<uint8_t> data;
    AppendChunk(data, "KNOW", Bytes({1, 0, 0, 0}));
    data.insert(data.end(), {'S', 'H', 'O', 'R', 0, 0, 0, 8, 1});
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    SChunkHeader h;
    std::vector<uint8_t> body;
    EXPECT_EQ(ReadChunkFromFile(f, h, body), CHUNK_OK);
    EXPECT_EQ(h.id, ChunkId("KNOW"));
    EXPECT_EQ(body.size(), 4u);
    EXPECT_EQ(ReadChunkFromFile(f, h, body), CHUNK_SHORT_BODY);
    EXPECT_EQ(h.offset, 12u);
    std::fclose(f);
    std::filesystem::remove(path);
}

} // namespace

namespace {

TEST(ChunkReader, FileSectionLoopAndSkip)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("varek_chunk_section_test_" + std::to_string(::getpid()) + ".bin");
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        CChunkWriter w(f);
        w.WriteMarker(ChunkId("TREE"));
        w.BeginChunk(ChunkId("NODE"), 1);
        w.WriteVector(CVector(1, 2, 3));
        w.EndChunk();
        w.BeginChunk(ChunkId("ODD "), 1);
        w.EndChunk();
        w.WriteMarker(ChunkId("END "));
        w.WriteMarker(ChunkId("GROU"));
        w.WriteMarker(ChunkId("END "));
        std::fclose(f);
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    SChunkHeader h;
    std::vector<uint8_t> body;
    ASSERT_EQ(ReadChunkFromFile(f, h, body), CHUNK_OK);
    EXPECT_EQ(h.id, ChunkId("TREE"));
    std::vector<CVector> nodes;
    EXPECT_TRUE(ReadSection(f, [&](const SChunkHeader& header, CChunkReader& b) {
        if (header.id == ChunkId("NODE")) {
            EXPECT_EQ(b.ReadU32(), 1u);
            nodes.push_back(b.ReadVector());
            EXPECT_EQ(b.FileOffset(), 8u + 8u + 16u);
        }
        return SECTION_CONTINUE;
    }));
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0], CVector(1, 2, 3));
    ASSERT_EQ(ReadChunkFromFile(f, h, body), CHUNK_OK);
    EXPECT_EQ(h.id, ChunkId("GROU"));
    EXPECT_EQ(SkipSection(f), size_t(8 + 24 + 12 + 8 + 8 + 8));
    EXPECT_EQ(SkipSection(f), 0u); // nothing left
    std::fclose(f);
    std::filesystem::remove(path);
}

} // namespace
