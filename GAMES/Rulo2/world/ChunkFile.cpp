#include "GAMES/Rulo2/world/ChunkFile.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "GAMES/Rulo2/world/CNode.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/LargePages.h"

ChunkProgressFn g_ChunkProgress = nullptr;

std::string ChunkIdText(uint32_t id)
{
    std::string text(4, '?');
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = uint8_t(id >> (24 - 8 * i));
        if (c >= 32 && c < 127)
            text[i] = char(c);
    }
    return text;
}

uint32_t ByteSwap32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

static void StoreLE(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

static void StoreBE(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

static uint32_t LoadBE(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// ---------------------------------------------------------------- writer

CChunkWriter::CChunkWriter() = default;

CChunkWriter::CChunkWriter(FILE* file) : m_file(file)
{
    if (m_file) {
        const long pos = std::ftell(m_file);
        m_position = pos > 0 ? size_t(pos) : 0;
    } else {
        m_ok = false;
    }
}

bool CChunkWriter::Put(const void* data, size_t count)
{
    if (count == 0)
        return true;
    if (m_file) {
        if (std::fwrite(data, 1, count, m_file) != count) {
            m_ok = false;
            return false;
        }
    } else {
        if (count > m_data.capacity() - m_data.size())
            Reserve(std::max(m_data.size() + count, 2 * m_data.capacity()));
        const uint8_t* p = static_cast<const uint8_t*>(data);
        m_data.insert(m_data.end(), p, p + count);
    }
    m_position += count;
    return true;
}

void CChunkWriter::Reserve(size_t bytes)
{
    if (bytes <= m_data.capacity())
        return;
    m_data.reserve(bytes);
    // The new room is filled from here on: whole large pages rather than a
    // fault for every small one.
    crt::AdviseLargePages(m_data.data() + m_data.size(), m_data.capacity() - m_data.size());
}

bool CChunkWriter::Patch(size_t position, uint32_t value)
{
    uint8_t bytes[4];
    StoreBE(bytes, value);
    if (!m_file) {
        if (position + 4 > m_data.size())
            return m_ok = false;
        std::memcpy(m_data.data() + position, bytes, 4);
        return true;
    }
    bool ok = std::fseek(m_file, long(position), SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, m_file) == 4;
    // Back to the end, where the next field goes, whatever the patch did.
    if (std::fseek(m_file, long(m_position), SEEK_SET) != 0)
        ok = false;
    if (!ok)
        m_ok = false;
    return ok;
}

bool CChunkWriter::BeginChunk(uint32_t id, uint32_t version)
{
    if (!WriteId(id))
        return false;
    m_open.push_back(m_position);
    return WriteU32(0) && WriteU32(version);
}

bool CChunkWriter::EndChunk()
{
    if (m_open.empty())
        return m_ok = false;
    Pad();
    const size_t lengthAt = m_open.back();
    m_open.pop_back();
    return Patch(lengthAt, uint32_t(m_position - lengthAt - 4));
}

bool CChunkWriter::WriteMarker(uint32_t id)
{
    return WriteId(id) && WriteU32(0);
}

bool CChunkWriter::WriteU32(uint32_t value)
{
    uint8_t b[4];
    StoreLE(b, value);
    return Put(b, 4);
}

bool CChunkWriter::WriteF32(float value)
{
    return WriteU32(std::bit_cast<uint32_t>(value));
}

bool CChunkWriter::WriteU16(uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    return Put(b, 2);
}

bool CChunkWriter::WriteId(uint32_t id)
{
    uint8_t b[4];
    StoreBE(b, id);
    return Put(b, 4);
}

bool CChunkWriter::Pad()
{
    static const uint8_t zeros[4] = {};
    const size_t used = (m_position - BodyStart()) % 4;
    return Put(zeros, (4 - used) % 4);
}

bool CChunkWriter::WriteString(const char* text)
{
    if (!text)
        return WriteU32(0);
    return Put(text, std::strlen(text) + 1) && Pad();
}

bool CChunkWriter::WriteBytes(const void* data, size_t count)
{
    if (!data || count == 0)
        return true;
    return Put(data, count);
}

bool CChunkWriter::WriteVec4(float a, float b, float c, float d)
{
    return WriteF32(a) && WriteF32(b) && WriteF32(c) && WriteF32(d);
}

bool CChunkWriter::WriteFloats(const float* values, size_t count)
{
    // The file's byte order is the machine's: the whole run in one step.
    if constexpr (std::endian::native == std::endian::little)
        return Put(values, count * sizeof(float));
    for (size_t i = 0; i < count; ++i)
        if (!WriteF32(values[i]))
            return false;
    return true;
}

bool BeginNodeChunk(CChunkWriter& writer, CNode& node, uint32_t version, uint32_t id)
{
    if (!writer.BeginChunk(id, version))
        return false;
    node.chunkPosition = int32_t(writer.OpenChunkPosition());
    return writer.WriteU32(node.parent ? node.parent->index : 0) && writer.WriteString(node.GetName());
}

// ---------------------------------------------------------------- reader

const char* ChunkResultText(EChunkResult result)
{
    switch (result) {
    case CHUNK_OK:
        return "ok";
    case CHUNK_NO_MORE:
        return "unexpected end of data";
    case CHUNK_SHORT_HEADER:
        return "short chunk header";
    case CHUNK_TOO_LONG:
        return "chunk body too long";
    case CHUNK_SHORT_BODY:
        return "chunk body runs past the end of the data";
    }
    return "?";
}

CChunkReader::CChunkReader(const void* data, size_t size, size_t fileOffset)
    : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0), m_fileOffset(fileOffset)
{
}

const uint8_t* CChunkReader::Overrun()
{
    m_ok = false;
    m_pos = m_size;
    return nullptr;
}

uint16_t CChunkReader::ReadU16()
{
    const uint8_t* p = Take(2);
    return p ? uint16_t(p[0] | (p[1] << 8)) : 0;
}

uint32_t CChunkReader::ReadId()
{
    const uint8_t* p = Take(4);
    return p ? LoadBE(p) : 0;
}

uint32_t CChunkReader::PeekId() const
{
    if (!m_ok || m_size - m_pos < 4)
        return 0;
    return LoadBE(m_data + m_pos);
}

const char* CChunkReader::ReadPaddedString()
{
    if (!m_ok)
        return "";
    const void* nul = std::memchr(m_data + m_pos, 0, m_size - m_pos);
    if (!nul) {
        m_ok = false;
        m_pos = m_size;
        return "";
    }
    const char* text = reinterpret_cast<const char*>(m_data + m_pos);
    m_pos = size_t(static_cast<const uint8_t*>(nul) - m_data) + 1;
    Align4();
    return text;
}

bool CChunkReader::Align4()
{
    const size_t pad = (4 - m_pos % 4) % 4;
    return pad == 0 || Skip(pad);
}

bool CChunkReader::ReadBytes(void* out, size_t count)
{
    const uint8_t* p = Take(count);
    if (!p) {
        if (count)
            std::memset(out, 0, count);
        return count == 0;
    }
    std::memcpy(out, p, count);
    return true;
}

// A run of little-endian values: copied as they stand on a little-endian
// machine. As with single reads, the values that are there are read and the
// rest are zeros when the body is short.
template <class T>
bool CChunkReader::ReadRun(T* out, size_t count)
{
    const size_t have = m_ok ? std::min(count, Remaining() / sizeof(T)) : 0;
    const uint8_t* p = m_data + m_pos;
    if constexpr (std::endian::native == std::endian::little) {
        if (have)
            std::memcpy(out, p, have * sizeof(T));
    } else {
        using Word = std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>;
        for (size_t i = 0; i < have; ++i, p += sizeof(T)) {
            Word v = 0;
            for (size_t b = 0; b < sizeof(T); ++b)
                v = Word(v | Word(p[b]) << (8 * b));
            std::memcpy(out + i, &v, sizeof(T));
        }
    }
    if (have < count) {
        std::memset(out + have, 0, (count - have) * sizeof(T));
        m_ok = false;
        m_pos = m_size;
        return false;
    }
    m_pos += have * sizeof(T);
    return m_ok;
}

bool CChunkReader::ReadFloats(float* out, size_t count)
{
    return ReadRun(out, count);
}

bool CChunkReader::ReadU16s(uint16_t* out, size_t count)
{
    return ReadRun(out, count);
}

bool CChunkReader::ReadI32s(int32_t* out, size_t count)
{
    return ReadRun(out, count);
}

CVector CChunkReader::ReadVector()
{
    CVector v;
    v.x = ReadF32();
    v.y = ReadF32();
    v.z = ReadF32();
    return v;
}

CMatrix CChunkReader::ReadMatrix()
{
    CMatrix m;
    ReadFloats(m.m, 16);
    return m;
}

EChunkResult CChunkReader::NextChunk(SChunkHeader& header, CChunkReader& body, size_t maxBody)
{
    if (!m_ok)
        return CHUNK_SHORT_BODY;
    const size_t left = Remaining();
    if (left == 0)
        return CHUNK_NO_MORE;
    if (left < 8)
        return CHUNK_SHORT_HEADER;
    const uint8_t* p = m_data + m_pos;
    header.id = LoadBE(p);
    header.length = LoadBE(p + 4);
    header.offset = FileOffset();
    if (header.length > maxBody)
        return CHUNK_TOO_LONG;
    if (header.length > left - 8)
        return CHUNK_SHORT_BODY;
    body = CChunkReader(p + 8, header.length, header.offset + 8);
    m_pos += 8 + header.length;
    return CHUNK_OK;
}

EChunkResult ReadChunkFromFile(FILE* file, SChunkHeader& header, std::vector<uint8_t>& body, size_t maxBody)
{
    uint8_t head[8];
    const long at = std::ftell(file);
    header.offset = at > 0 ? size_t(at) : 0;
    const size_t got = std::fread(head, 1, 8, file);
    if (got == 0)
        return CHUNK_NO_MORE;
    if (got < 8)
        return CHUNK_SHORT_HEADER;
    header.id = LoadBE(head);
    header.length = LoadBE(head + 4);
    if (header.length > maxBody)
        return CHUNK_TOO_LONG;
    body.resize(header.length);
    if (header.length && std::fread(body.data(), 1, header.length, file) != header.length)
        return CHUNK_SHORT_BODY;
    return CHUNK_OK;
}

bool SkipSection(CChunkReader& data)
{
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        if (data.NextChunk(header, body) != CHUNK_OK)
            return false;
        if (header.id == ChunkId("END "))
            return true;
    }
}

size_t SkipSection(FILE* file)
{
    std::vector<uint8_t> body;
    for (;;) {
        SChunkHeader header;
        if (ReadChunkFromFile(file, header, body) != CHUNK_OK)
            return 0;
        if (header.id == ChunkId("END "))
            return header.offset + 8 + header.length;
    }
}

namespace {
uint32_t lossSection = 0;
} // namespace

std::vector<std::string>& LoadLosses()
{
    static std::vector<std::string> losses;
    return losses;
}

void NoteLoadLoss(const char* fmt, ...)
{
    char text[LogPrintfLineMax];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    std::string line;
    if (lossSection)
        line = "section \"" + ChunkIdText(lossSection) + "\": ";
    line += text;
    LogPrintf("%s", line.c_str());
    LoadLosses().push_back(line);
}

CLoadLossSection::CLoadLossSection(uint32_t id) : saved_(lossSection)
{
    lossSection = id;
}

CLoadLossSection::~CLoadLossSection()
{
    lossSection = saved_;
}
