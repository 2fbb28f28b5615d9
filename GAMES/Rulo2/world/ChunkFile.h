#pragma once
// The one chunk writer and reader behind every binary file of the game: world
// files, model files, texture pages, saved games and plans.
//
// A chunk is a 4-character id and a body length (both big-endian) followed by the
// body; the body is zero-padded to a multiple of 4. Fields inside a body are
// little-endian, booleans are 0 or 0xFFFFFFFF, strings are NUL-terminated and
// padded to 4 from the body start.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "LIBS/System/CVector.h"

class CNode;

// A chunk id from its four characters: the first character is the high byte, so
// that writing the value big-endian puts the text into the file in reading order.
constexpr uint32_t ChunkId(const char (&text)[5])
{
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

// The id as printable text for log lines (non-printable bytes become '?').
std::string ChunkIdText(uint32_t id);

uint32_t ByteSwap32(uint32_t value);

// Bodies longer than this make a section reader give up.
constexpr size_t kMaxChunkBody = 1000000;

class CChunkWriter
{
public:
    // Writes into memory; Data() holds the bytes.
    CChunkWriter();
    // Writes into a file opened in binary mode by the caller (not closed here).
    explicit CChunkWriter(FILE* file);

    CChunkWriter(const CChunkWriter&) = delete;
    CChunkWriter& operator=(const CChunkWriter&) = delete;

    // Id, a length placeholder and the version word. Chunks may nest: each
    // BeginChunk is closed by its own EndChunk, innermost first.
    bool BeginChunk(uint32_t id, uint32_t version);
    // Pads the innermost open chunk to 4 and patches its length.
    bool EndChunk();
    // An empty chunk (id and a zero length): section tags and "END " markers.
    bool WriteMarker(uint32_t id);

    bool WriteU32(uint32_t value);
    bool WriteI32(int32_t value) { return WriteU32(uint32_t(value)); }
    bool WriteF32(float value);
    bool WriteU16(uint16_t value);
    bool WriteId(uint32_t id);
    bool WriteBool(bool flag) { return WriteU32(flag ? 0xFFFFFFFFu : 0u); }
    // Text with its NUL, padded to 4 from the body start; null is four zero bytes.
    bool WriteString(const char* text);
    bool WriteBytes(const void* data, size_t count);
    bool WriteVec4(float a, float b, float c, float d);
    bool WriteFloats(const float* values, size_t count);
    bool WriteVector(const CVector& v) { return WriteF32(v.x) && WriteF32(v.y) && WriteF32(v.z); }
    bool WriteMatrix(const CMatrix& m) { return WriteFloats(m.m, 16); }
    // Zero bytes up to the next multiple of 4 from the innermost body start.
    bool Pad();

    // Room for this many bytes in memory, so that a large file grows in one step.
    void Reserve(size_t bytes);

    // Bytes written so far (the file position for file writers).
    size_t Position() const { return m_position; }
    size_t OpenChunks() const { return m_open.size(); }
    // Position of the innermost open chunk's length field.
    size_t OpenChunkPosition() const { return m_open.empty() ? 0 : m_open.back(); }
    // False once any write has failed.
    bool Ok() const { return m_ok; }
    const std::vector<uint8_t>& Data() const { return m_data; }

private:
    bool Put(const void* data, size_t count);
    bool Patch(size_t position, uint32_t bigEndianValue);
    size_t BodyStart() const { return m_open.empty() ? 0 : m_open.back() + 4; }

    FILE* m_file = nullptr;
    std::vector<uint8_t> m_data;
    std::vector<size_t> m_open;
    size_t m_position = 0;
    bool m_ok = true;
};

// Every node chunk body begins with version, the parent's pre-order number (0
// without a parent) and the node's name; the chunk stays open for the node's
// own fields and is closed with CChunkWriter::EndChunk.
bool BeginNodeChunk(CChunkWriter& writer, CNode& node, uint32_t version, uint32_t id);

struct SChunkHeader
{
    uint32_t id = 0;
    uint32_t length = 0;
    size_t offset = 0; // of the header, from the start of the data or file
};

enum EChunkResult
{
    CHUNK_OK,
    CHUNK_NO_MORE,      // no bytes left at all
    CHUNK_SHORT_HEADER, // fewer than 8 bytes left
    CHUNK_TOO_LONG,     // body longer than the limit
    CHUNK_SHORT_BODY,   // body runs past the end of the data
};

const char* ChunkResultText(EChunkResult result);

// A cursor over bytes in memory, bounded by them: a read past the end yields
// zeros and marks the reader failed, so a damaged body can never be overrun.
class CChunkReader
{
public:
    CChunkReader() = default;
    // fileOffset is where data lies in its file; it only serves error messages.
    CChunkReader(const void* data, size_t size, size_t fileOffset = 0);

    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }
    size_t Size() const { return m_size; }
    size_t Offset() const { return m_pos; }
    size_t Remaining() const { return m_size - m_pos; }
    bool AtEnd() const { return m_pos >= m_size; }
    size_t FileOffset() const { return m_fileOffset + m_pos; }
    const uint8_t* Data() const { return m_data; }

    uint32_t ReadU32()
    {
        const uint8_t* p = Take(4);
        return p ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24)
                 : 0;
    }
    int32_t ReadI32() { return int32_t(ReadU32()); }
    float ReadF32() { return std::bit_cast<float>(ReadU32()); }
    uint16_t ReadU16();
    uint32_t ReadId();
    // Any non-zero word is true.
    bool ReadBool() { return ReadU32() != 0; }
    // The word at the cursor without moving it (0 when fewer than 4 bytes remain).
    uint32_t PeekId() const;
    // Text in place; the cursor moves past its NUL and the padding to 4 from the
    // body start. A text without NUL inside the data fails the reader and gives "".
    const char* ReadPaddedString();
    bool ReadBytes(void* out, size_t count);
    // Runs of little-endian values in one step.
    bool ReadFloats(float* out, size_t count);
    bool ReadU16s(uint16_t* out, size_t count);
    bool ReadI32s(int32_t* out, size_t count);
    CVector ReadVector();
    CMatrix ReadMatrix();
    // The next count bytes in place, or null (and failed) when they are not there.
    // Inline: every field read of a load goes through here.
    const uint8_t* Take(size_t count)
    {
        if (!m_ok || count > m_size - m_pos) [[unlikely]]
            return Overrun();
        const uint8_t* p = m_data + m_pos;
        m_pos += count;
        return p;
    }
    bool Skip(size_t count) { return Take(count) != nullptr || count == 0; }
    // Moves to the next multiple of 4 from the body start.
    bool Align4();

    // The next chunk of a chunk sequence: its header and a reader bounded by its
    // body. The cursor moves past the body only when the result is CHUNK_OK.
    EChunkResult NextChunk(SChunkHeader& header, CChunkReader& body, size_t maxBody = kMaxChunkBody);

private:
    template <class T>
    bool ReadRun(T* out, size_t count);
    // Fails the reader and moves it to the end.
    const uint8_t* Overrun();

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    size_t m_fileOffset = 0;
    bool m_ok = true;
};

// Reads the next chunk of an open file: header and whole body into `body`.
EChunkResult ReadChunkFromFile(FILE* file, SChunkHeader& header, std::vector<uint8_t>& body,
                               size_t maxBody = kMaxChunkBody);

// Called once per chunk by the section loops (the loading screen takes it).
using ChunkProgressFn = void (*)();
extern ChunkProgressFn g_ChunkProgress;

// What a load left behind of a damaged file: one line per skipped chunk or lost reference, naming
// the section being read (when there is one) and the offset. Each line also goes to the
// application log. A world load empties the list when it begins; callers that load a model file
// alone empty it themselves. An empty list after a load means nothing was dropped.
void NoteLoadLoss(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::vector<std::string>& LoadLosses();
// While it lives, the losses noted name this section.
class CLoadLossSection
{
public:
    explicit CLoadLossSection(uint32_t id);
    ~CLoadLossSection();
    CLoadLossSection(const CLoadLossSection&) = delete;
    CLoadLossSection& operator=(const CLoadLossSection&) = delete;

private:
    uint32_t saved_;
};

// What a section handler made of one chunk.
enum ESectionStep
{
    SECTION_CONTINUE,
    SECTION_FAIL,
};

// The section loop shared by all section readers: reports progress once per
// chunk, stops with success at "END ", fails on a short header, a body over
// kMaxChunkBody or a short body. The handler sees every other chunk (unknown ids
// included: it skips them by doing nothing). `error` gets the reason on failure.
template <class Handler>
bool ReadSection(CChunkReader& data, Handler&& handler, std::string* error = nullptr)
{
    for (;;) {
        if (g_ChunkProgress)
            g_ChunkProgress();
        SChunkHeader header;
        CChunkReader body;
        const EChunkResult r = data.NextChunk(header, body);
        if (r != CHUNK_OK) {
            if (error)
                *error = std::string(ChunkResultText(r)) + " at offset " + std::to_string(data.FileOffset());
            return false;
        }
        if (header.id == ChunkId("END "))
            return true;
        if (handler(header, body) == SECTION_FAIL) {
            if (error && error->empty())
                *error =
                    "bad chunk '" + ChunkIdText(header.id) + "' at offset " + std::to_string(header.offset);
            return false;
        }
    }
}

// Skips chunks up to and including the next "END "; false when the data ends first.
bool SkipSection(CChunkReader& data);
// The same over an open file; returns the file position after "END ", or 0.
size_t SkipSection(FILE* file);

// The section loop over an open file: each body is read whole (at most
// kMaxChunkBody bytes) and handed over as a bounded reader.
template <class Handler>
bool ReadSection(FILE* file, Handler&& handler, std::string* error = nullptr)
{
    std::vector<uint8_t> buffer;
    for (;;) {
        if (g_ChunkProgress)
            g_ChunkProgress();
        SChunkHeader header;
        const EChunkResult r = ReadChunkFromFile(file, header, buffer);
        if (r != CHUNK_OK) {
            if (error)
                *error = std::string(ChunkResultText(r)) + " at offset " + std::to_string(header.offset);
            return false;
        }
        if (header.id == ChunkId("END "))
            return true;
        CChunkReader body(buffer.data(), buffer.size(), header.offset + 8);
        if (handler(header, body) == SECTION_FAIL) {
            if (error && error->empty())
                *error =
                    "bad chunk '" + ChunkIdText(header.id) + "' at offset " + std::to_string(header.offset);
            return false;
        }
    }
}
