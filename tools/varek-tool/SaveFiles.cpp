#include "tools/varek-tool/SaveFiles.h"

#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

constexpr uint32_t kGame = ChunkId("GAME");
constexpr uint32_t kBurg = ChunkId("BURG");
constexpr uint32_t kInfo = ChunkId("INFO");
constexpr uint32_t kHead = ChunkId("HEAD");
constexpr uint32_t kObj = ChunkId("OBJ ");
constexpr uint32_t kCam = ChunkId("CAM ");
constexpr uint32_t kEof = ChunkId("EOF ");
constexpr uint32_t kPrev = ChunkId("PREV");
constexpr uint32_t kOpts = ChunkId("OPTS");
constexpr uint32_t kCond = ChunkId("COND");
constexpr uint32_t kTali = ChunkId("TALI");

// The smallest records a count stands for: a chunk is at least its header.
constexpr size_t kMinInstanceBytes = 4 * 2 + 8 * 2 + 4 * 7;
constexpr size_t kMinMemberBytes = 4 * 9;
constexpr size_t kRunLevelBytes = 4 * 8;

// Where a parse stands: the chunk being read and the first error met in it.
class CParse
{
public:
    CParse(const SChunkHeader& header, std::string& error) : header_(header), error_(error) {}

    bool Fail(const std::string& what)
    {
        if (error_.empty())
            error_ = "chunk '" + ChunkIdText(header_.id) + "' at offset " + std::to_string(header_.offset) +
                     ": " + what;
        return false;
    }
    // False (with the reason) once the body ran out under a field.
    bool Check(const CChunkReader& body, const char* field)
    {
        if (body.Ok())
            return true;
        return Fail(std::string(field) + " runs past the chunk's end (" + std::to_string(body.FileOffset()) +
                    ")");
    }
    bool CheckCount(const CChunkReader& body, const char* what, uint32_t count, size_t recordBytes)
    {
        if (!Check(body, what))
            return false;
        if (size_t(count) <= body.Remaining() / recordBytes)
            return true;
        return Fail(std::string(what) + " " + std::to_string(count) +
                    " runs past the chunk's end (at offset " + std::to_string(body.FileOffset() - 4) + ")");
    }
    // An inner chunk of the given id, kept whole.
    bool Inner(CChunkReader& body, uint32_t id, SRawChunk& out)
    {
        const size_t at = body.FileOffset();
        if (body.PeekId() != id || body.Remaining() < 8)
            return Fail("no \"" + ChunkIdText(id) + "\" chunk at offset " + std::to_string(at));
        SChunkHeader inner;
        CChunkReader innerBody;
        const EChunkResult r = body.NextChunk(inner, innerBody, kMaxSaveChunk);
        if (r != CHUNK_OK)
            return Fail("\"" + ChunkIdText(id) + "\" at offset " + std::to_string(at) + ": " +
                        ChunkResultText(r));
        out.id = inner.id;
        out.offset = inner.offset;
        out.body.assign(innerBody.Data(), innerBody.Data() + innerBody.Size());
        return true;
    }

private:
    const SChunkHeader& header_;
    std::string& error_;
};

std::vector<uint8_t> Rest(const CChunkReader& body)
{
    return std::vector<uint8_t>(body.Data() + body.Offset(), body.Data() + body.Size());
}

bool ParseInfo(CChunkReader& body, CParse& p, SSaveInfoChunk& info)
{
    info.version = body.ReadU32();
    const char* caption = body.ReadPaddedString();
    if (!p.Check(body, "the caption"))
        return false;
    info.caption = caption;
    if (body.Remaining() < 4)
        return true;
    info.marker = body.ReadId();
    if (info.marker == kPrev) {
        const uint8_t* picture = body.Take(size_t(kPreviewSize) * kPreviewSize);
        if (!p.Check(body, "the preview picture"))
            return false;
        info.preview.assign(picture, picture + size_t(kPreviewSize) * kPreviewSize);
    }
    return true;
}

bool ParseInstance(CChunkReader& body, CParse& p, SInstanceRecord& r)
{
    r.owner = body.ReadI32();
    r.definition = body.ReadI32();
    if (!p.Check(body, "an instance record") || !p.Inner(body, kOpts, r.opts) ||
        !p.Inner(body, kCond, r.cond))
        return false;
    r.wordA = body.ReadU32();
    for (int i = 0; i < 3; ++i) {
        r.slotWords[i] = body.ReadU32();
        r.linked[i] = body.ReadI32();
    }
    return p.Check(body, "an instance record");
}

bool ParseGameHead(CChunkReader& body, CParse& p, SGameHeadChunk& head)
{
    head.version = body.ReadU32();
    if (!p.Check(body, "the version"))
        return false;
    if (head.version < 3)
        return p.Fail("version " + std::to_string(head.version) + " has no known layout");
    head.clock = body.ReadI32();
    head.cash = body.ReadI32();
    head.level = body.ReadI32();
    head.burgled.resize(head.version >= 4 ? size_t(LevelCount) : 4);
    for (uint32_t& flag : head.burgled)
        flag = body.ReadU32();
    const uint32_t people = body.ReadU32();
    if (!p.CheckCount(body, "the known-people count", people, 4))
        return false;
    head.knownPeople.resize(people);
    for (int32_t& id : head.knownPeople)
        id = body.ReadI32();
    const uint32_t owned = body.ReadU32();
    if (!p.CheckCount(body, "the possessions count", owned, 4))
        return false;
    head.possessions.resize(owned);
    for (int32_t& number : head.possessions)
        number = body.ReadI32();
    const uint32_t instances = body.ReadU32();
    head.nextOwner = body.ReadI32();
    if (!p.CheckCount(body, "the instance count", instances, kMinInstanceBytes))
        return false;
    head.instances.resize(instances);
    for (SInstanceRecord& r : head.instances)
        if (!ParseInstance(body, p, r))
            return false;
    return true;
}

SRunLevel ReadRunLevel(CChunkReader& body)
{
    SRunLevel l;
    l.start = body.ReadI32();
    l.item = body.ReadI32();
    l.hold = body.ReadI32();
    l.action = body.ReadI32();
    l.target = body.ReadI32();
    l.source = body.ReadI32();
    l.itemOwner = body.ReadI32();
    l.itemDefinition = body.ReadI32();
    return l;
}

bool WriteRunLevel(CChunkWriter& w, const SRunLevel& l)
{
    return w.WriteI32(l.start) && w.WriteI32(l.item) && w.WriteI32(l.hold) && w.WriteI32(l.action) &&
           w.WriteI32(l.target) && w.WriteI32(l.source) && w.WriteI32(l.itemOwner) &&
           w.WriteI32(l.itemDefinition);
}

bool ParseObjectState(CChunkReader& body, CParse& p, SObjectStateChunk& s)
{
    s.version = body.ReadU32();
    s.objectId = body.ReadU32();
    s.type = body.ReadU32();
    for (uint32_t& word : s.position)
        word = body.ReadU32();
    s.angle = body.ReadU32();
    s.visibility = body.ReadU32();
    s.active = body.ReadU32();
    s.runtimeWord = body.ReadU32();
    const uint32_t depth = body.ReadU32();
    if (!p.CheckCount(body, "the run-state depth", depth, kRunLevelBytes + 4))
        return false;
    s.stack.resize(depth);
    for (auto& [level, dependency] : s.stack) {
        level = ReadRunLevel(body);
        dependency = body.ReadI32();
    }
    s.current = ReadRunLevel(body);
    if (!p.Check(body, "the run state"))
        return false;
    if (body.PeekId() == kCond && body.Remaining() >= 8) {
        s.cond.emplace();
        if (!p.Inner(body, kCond, *s.cond))
            return false;
    }
    return true;
}

bool ParseCamera(CChunkReader& body, SCameraChunk& c)
{
    c.version = body.ReadU32();
    // A camera the game would not take stays a chunk as it stands.
    if (c.version < 1 || body.Remaining() < sizeof c.words)
        return false;
    for (uint32_t& word : c.words)
        word = body.ReadU32();
    return true;
}

bool ParsePlanHead(CChunkReader& body, CParse& p, SPlanHeadChunk& head)
{
    head.version = body.ReadU32();
    head.burglary = body.ReadI32();
    if (head.version >= 2)
        head.recordedEnd = body.ReadI32();
    head.car = body.ReadI32();
    const uint32_t members = body.ReadU32();
    if (!p.CheckCount(body, "the member count", members, kMinMemberBytes))
        return false;
    head.members.resize(members);
    for (SPlanMemberRecord& m : head.members) {
        m.person = body.ReadI32();
        m.flag = body.ReadU32();
        m.word = body.ReadU32();
        for (int i = 0; i < 3; ++i) {
            m.toolOwner[i] = body.ReadI32();
            m.toolDefinition[i] = body.ReadI32();
        }
        if (!p.Check(body, "a member record"))
            return false;
        if (body.PeekId() == kTali && body.Remaining() >= 8) {
            m.taskList.emplace();
            if (!p.Inner(body, kTali, *m.taskList))
                return false;
        }
    }
    return true;
}

// The typed reading of one chunk; unknown ids and cameras the game would skip stay raw.
bool ParseChunk(uint32_t magic, const SChunkHeader& header, CChunkReader& body, SSaveChunk& chunk,
                std::string& error)
{
    CParse p(header, error);
    chunk.id = header.id;
    chunk.offset = header.offset;
    bool ok = true;
    bool typed = true;
    if (header.id == kInfo) {
        ok = ParseInfo(body, p, chunk.body.emplace<SSaveInfoChunk>());
    } else if (header.id == kHead && magic == kGame) {
        ok = ParseGameHead(body, p, chunk.body.emplace<SGameHeadChunk>());
    } else if (header.id == kHead && magic == kBurg) {
        ok = ParsePlanHead(body, p, chunk.body.emplace<SPlanHeadChunk>());
    } else if (header.id == kObj && magic == kGame) {
        ok = ParseObjectState(body, p, chunk.body.emplace<SObjectStateChunk>());
    } else if (header.id == kCam && magic == kGame) {
        CChunkReader copy = body;
        typed = ParseCamera(copy, chunk.body.emplace<SCameraChunk>());
        if (typed)
            body = copy;
    } else {
        typed = false;
    }
    if (!typed) {
        SRawChunk& raw = chunk.body.emplace<SRawChunk>();
        raw.id = header.id;
        raw.offset = header.offset;
        raw.body.assign(body.Data(), body.Data() + body.Size());
        return true;
    }
    if (ok)
        chunk.rest = Rest(body);
    return ok;
}

bool WriteRaw(CChunkWriter& w, const SRawChunk& raw)
{
    return w.WriteId(raw.id) && w.WriteId(uint32_t(raw.body.size())) &&
           w.WriteBytes(raw.body.data(), raw.body.size());
}

struct SChunkBodyWriter
{
    CChunkWriter& w;
    uint32_t id;

    bool operator()(const SRawChunk& raw) const { return WriteRaw(w, raw); }
    bool operator()(const SSaveInfoChunk& info) const
    {
        // The marker is a tag: it goes back as it was read, big-endian.
        bool ok =
            w.BeginChunk(id, info.version) && w.WriteString(info.caption.c_str()) && w.WriteId(info.marker);
        if (ok && info.marker == kPrev)
            ok = w.WriteBytes(info.preview.data(), info.preview.size());
        return ok;
    }
    bool operator()(const SGameHeadChunk& head) const
    {
        bool ok = w.BeginChunk(id, head.version) && w.WriteI32(head.clock) && w.WriteI32(head.cash) &&
                  w.WriteI32(head.level);
        for (uint32_t flag : head.burgled)
            ok = ok && w.WriteU32(flag);
        ok = ok && w.WriteU32(uint32_t(head.knownPeople.size()));
        for (int32_t person : head.knownPeople)
            ok = ok && w.WriteI32(person);
        ok = ok && w.WriteU32(uint32_t(head.possessions.size()));
        for (int32_t number : head.possessions)
            ok = ok && w.WriteI32(number);
        ok = ok && w.WriteU32(uint32_t(head.instances.size())) && w.WriteI32(head.nextOwner);
        for (const SInstanceRecord& r : head.instances) {
            ok = ok && w.WriteI32(r.owner) && w.WriteI32(r.definition) && WriteRaw(w, r.opts) &&
                 WriteRaw(w, r.cond) && w.WriteU32(r.wordA);
            for (int i = 0; i < 3; ++i)
                ok = ok && w.WriteU32(r.slotWords[i]) && w.WriteI32(r.linked[i]);
        }
        return ok;
    }
    bool operator()(const SObjectStateChunk& s) const
    {
        bool ok = w.BeginChunk(id, s.version) && w.WriteU32(s.objectId) && w.WriteU32(s.type);
        for (uint32_t word : s.position)
            ok = ok && w.WriteU32(word);
        ok = ok && w.WriteU32(s.angle) && w.WriteU32(s.visibility) && w.WriteU32(s.active) &&
             w.WriteU32(s.runtimeWord) && w.WriteU32(uint32_t(s.stack.size()));
        for (const auto& [level, dependency] : s.stack)
            ok = ok && WriteRunLevel(w, level) && w.WriteI32(dependency);
        ok = ok && WriteRunLevel(w, s.current);
        if (ok && s.cond)
            ok = WriteRaw(w, *s.cond);
        return ok;
    }
    bool operator()(const SCameraChunk& c) const
    {
        bool ok = w.BeginChunk(id, c.version);
        for (uint32_t word : c.words)
            ok = ok && w.WriteU32(word);
        return ok;
    }
    bool operator()(const SPlanHeadChunk& head) const
    {
        bool ok = w.BeginChunk(id, head.version) && w.WriteI32(head.burglary);
        if (head.version >= 2)
            ok = ok && w.WriteI32(head.recordedEnd);
        ok = ok && w.WriteI32(head.car) && w.WriteU32(uint32_t(head.members.size()));
        for (const SPlanMemberRecord& m : head.members) {
            ok = ok && w.WriteI32(m.person) && w.WriteU32(m.flag) && w.WriteU32(m.word);
            for (int i = 0; i < 3; ++i)
                ok = ok && w.WriteI32(m.toolOwner[i]) && w.WriteI32(m.toolDefinition[i]);
            if (ok && m.taskList)
                ok = WriteRaw(w, *m.taskList);
        }
        return ok;
    }
};

// Every behaviour chunk of a parsed chunk read by its reader, so that a damaged
// one is found where it lies.
bool CheckBehaviour(const SSaveChunk& chunk, std::string& error)
{
    const auto fail = [&](const SRawChunk& raw, const std::string& why) {
        error = "chunk '" + ChunkIdText(chunk.id) + "' at offset " + std::to_string(chunk.offset) + ": \"" +
                ChunkIdText(raw.id) + "\" at offset " + std::to_string(raw.offset) + ": " + why;
        return false;
    };
    std::string why;
    if (const auto* head = std::get_if<SGameHeadChunk>(&chunk.body)) {
        for (const SInstanceRecord& r : head->instances) {
            const std::unique_ptr<CKindData> data = DecodeKindData(r.opts, why);
            if (!data)
                return fail(r.opts, why);
            if (!DecodeConditions(r.cond, data->kind, why))
                return fail(r.cond, why);
        }
    } else if (const auto* state = std::get_if<SObjectStateChunk>(&chunk.body)) {
        if (state->cond && !DecodeConditions(*state->cond, int32_t(state->type), why))
            return fail(*state->cond, why);
    } else if (const auto* plan = std::get_if<SPlanHeadChunk>(&chunk.body)) {
        for (const SPlanMemberRecord& m : plan->members) {
            CTaskList list;
            if (m.taskList && !DecodeTaskList(*m.taskList, list, why))
                return fail(*m.taskList, why);
        }
    }
    return true;
}

} // namespace

std::unique_ptr<CKindData> DecodeKindData(const SRawChunk& opts, std::string& error)
{
    CChunkReader peek(opts.body.data(), opts.body.size(), opts.offset + 8);
    peek.ReadU32();
    peek.ReadPaddedString();
    const int32_t kind = peek.ReadI32();
    if (!peek.Ok()) {
        error = "the kind data ends before its kind";
        return nullptr;
    }
    std::unique_ptr<CKindData> data = CKindData::Create(kind);
    if (!data) {
        error = "kind " + std::to_string(kind) + " is not known";
        return nullptr;
    }
    CChunkReader body(opts.body.data(), opts.body.size(), opts.offset + 8);
    if (!ReadOptsChunk(*data, body) || !body.Ok()) {
        error = "the kind data is damaged";
        return nullptr;
    }
    return data;
}

std::unique_ptr<CKindState> DecodeConditions(const SRawChunk& cond, int32_t kind, std::string& error)
{
    std::unique_ptr<CKindState> state = CKindState::Create(kind);
    if (!state) {
        error = "no conditions for kind " + std::to_string(kind);
        return nullptr;
    }
    CChunkReader body(cond.body.data(), cond.body.size(), cond.offset + 8);
    if (!ReadCondChunk(*state, body) || !body.Ok()) {
        error = "the conditions of kind " + std::to_string(kind) + " are damaged";
        return nullptr;
    }
    return state;
}

bool DecodeTaskList(const SRawChunk& tali, CTaskList& list, std::string& error)
{
    CChunkReader body(tali.body.data(), tali.body.size(), tali.offset + 8);
    if (list.Read(body) && body.Ok())
        return true;
    error = "the task list is damaged";
    return false;
}

const SSaveInfoChunk* SSaveFile::Info() const
{
    for (const SSaveChunk& c : chunks)
        if (const auto* info = std::get_if<SSaveInfoChunk>(&c.body))
            return info;
    return nullptr;
}

bool ParseSaveFile(const uint8_t* data, size_t size, uint32_t magic, SSaveFile& file, std::string& error)
{
    CChunkReader all(data, size);
    file = SSaveFile{};
    file.magic = all.ReadId();
    file.second = all.ReadU32();
    if (!all.Ok() || file.magic != magic) {
        error = "the file does not begin with \"" + ChunkIdText(magic) + "\"";
        return false;
    }
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        const size_t at = all.FileOffset();
        const EChunkResult r = all.NextChunk(header, body, kMaxSaveChunk);
        if (r == CHUNK_NO_MORE) {
            error = "the file ends at offset " + std::to_string(at) + " before \"EOF \"";
            return false;
        }
        if (r != CHUNK_OK) {
            error = (r == CHUNK_SHORT_HEADER ? std::string("chunk header")
                                             : "chunk '" + ChunkIdText(header.id) + "'") +
                    " at offset " + std::to_string(at) + ": " + ChunkResultText(r);
            return false;
        }
        SSaveChunk& chunk = file.chunks.emplace_back();
        if (!ParseChunk(magic, header, body, chunk, error) || !CheckBehaviour(chunk, error))
            return false;
        if (header.id == kEof)
            break;
    }
    file.tail.assign(data + all.Offset(), data + size);
    return true;
}

bool WriteSaveFile(const SSaveFile& file, std::vector<uint8_t>& bytes)
{
    CChunkWriter w;
    bool ok = w.WriteId(file.magic) && w.WriteU32(file.second);
    for (const SSaveChunk& c : file.chunks) {
        if (!ok)
            break;
        const size_t open = w.OpenChunks();
        ok = std::visit(SChunkBodyWriter{w, c.id}, c.body);
        if (ok && w.OpenChunks() > open)
            ok = w.WriteBytes(c.rest.data(), c.rest.size()) && w.EndChunk();
    }
    ok = ok && w.WriteBytes(file.tail.data(), file.tail.size()) && w.Ok();
    if (ok)
        bytes = w.Data();
    return ok;
}
