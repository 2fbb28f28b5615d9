#include "GAMES/Rulo2/behaviour/CKindState.h"

#include "GAMES/Rulo2/navigation/CCar.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

bool WriteText(CChunkWriter& w, const std::string& text)
{
    return w.WriteString(text.c_str());
}

void ReadText(CChunkReader& r, std::string& text)
{
    text = r.ReadPaddedString();
}

} // namespace

std::unique_ptr<CKindState> CKindState::Create(int32_t kind)
{
    switch (kind) {
    case 0:
    case 1:
        return std::make_unique<CKindState>(kind);
    case 2:
        return std::make_unique<CToolState>();
    case 3:
        return std::make_unique<CFixedState>();
    case 4:
        return std::make_unique<CCharacterAState>();
    case 5:
    case 6:
        return std::make_unique<CCharacterState>(kind);
    case 7:
    case 8:
        return std::make_unique<CPassageState>(kind);
    case 9:
        return std::make_unique<CCarState>();
    default:
        return nullptr;
    }
}

void CKindState::CopyFrom(const CKindState&) {}

bool CKindState::Write(CChunkWriter&) const
{
    return true;
}

bool CKindState::Read(CChunkReader& body, uint32_t)
{
    return body.Ok();
}

// ---------------------------------------------------------------- kind 2

void CToolState::CopyFrom(const CKindState& other)
{
    if (other.kind == kind)
        condition = static_cast<const CToolState&>(other).condition;
}

bool CToolState::Write(CChunkWriter& w) const
{
    return w.WriteF32(condition);
}

bool CToolState::Read(CChunkReader& r, uint32_t v)
{
    if (v > 5)
        condition = r.ReadF32();
    return r.Ok();
}

// ---------------------------------------------------------------- kind 3

void CFixedState::CopyFrom(const CKindState& other)
{
    if (other.kind != kind)
        return;
    const auto& o = static_cast<const CFixedState&>(other);
    open = o.open;
    active = o.active;
    locked = o.locked;
}

bool CFixedState::Write(CChunkWriter& w) const
{
    return w.WriteBool(open) && w.WriteBool(active) && w.WriteU32(0) && w.WriteBool(locked);
}

bool CFixedState::Read(CChunkReader& r, uint32_t v)
{
    open = r.ReadBool();
    active = r.ReadBool();
    r.ReadU32(); // reserved
    if (v > 0)
        locked = r.ReadBool();
    return r.Ok();
}

// ---------------------------------------------------------------- kinds 4 to 6

void CCharacterState::CopyFrom(const CKindState& other)
{
    const auto* o = dynamic_cast<const CCharacterState*>(&other);
    if (!o)
        return;
    entries.clear();
    for (const auto& e : o->entries)
        entries.push_back(std::make_unique<CDialogEntry>(*e));
}

bool CCharacterState::Write(CChunkWriter& w) const
{
    if (!w.WriteU32(uint32_t(entries.size())))
        return false;
    for (const auto& e : entries) {
        if (!w.WriteBool(e->available) || !WriteText(w, e->question) || !WriteText(w, e->answer) ||
            !WriteText(w, e->dlgMinus) || !WriteText(w, e->dlgPlus) || !WriteText(w, e->alwaysMinus) ||
            !WriteText(w, e->alwaysPlus) || !w.WriteBool(e->active) || !w.WriteI32(e->story) ||
            !w.WriteI32(e->coolness) || !w.WriteI32(e->dialogEvent))
            return false;
    }
    return true;
}

bool CCharacterState::Read(CChunkReader& r, uint32_t v)
{
    if (v <= 1)
        return r.Ok();
    const uint32_t count = r.ReadU32();
    entries.clear();
    // Each entry takes at least five words, so a damaged count ends with the body.
    for (uint32_t i = 0; i < count && r.Ok(); ++i) {
        auto e = std::make_unique<CDialogEntry>();
        e->available = r.ReadBool();
        ReadText(r, e->question);
        ReadText(r, e->answer);
        ReadText(r, e->dlgMinus);
        ReadText(r, e->dlgPlus);
        if (v > 4) {
            ReadText(r, e->alwaysMinus);
            ReadText(r, e->alwaysPlus);
        }
        if (v > 3) {
            e->active = r.ReadBool();
            e->story = r.ReadI32();
            e->coolness = r.ReadI32();
            e->dialogEvent = r.ReadI32();
        }
        if (r.Ok())
            entries.push_back(std::move(e));
    }
    return r.Ok();
}

void CCharacterAState::CopyFrom(const CKindState& other)
{
    CCharacterState::CopyFrom(other);
    if (other.kind != kind)
        return;
    const auto& o = static_cast<const CCharacterAState&>(other);
    age = o.age;
    skillfulness = o.skillfulness;
    alarmSystems = o.alarmSystems;
    weight = o.weight;
    pickLocks = o.pickLocks;
    pickSafes = o.pickSafes;
    fighting = o.fighting;
    strength = o.strength;
    crimeRecords = o.crimeRecords;
    coolness = o.coolness;
}

bool CCharacterAState::Write(CChunkWriter& w) const
{
    return CCharacterState::Write(w) && w.WriteI32(age) && w.WriteF32(skillfulness) &&
           w.WriteF32(alarmSystems) && w.WriteF32(weight) && w.WriteF32(pickLocks) && w.WriteF32(pickSafes) &&
           w.WriteF32(fighting) && w.WriteF32(strength) && w.WriteF32(crimeRecords) && w.WriteF32(coolness);
}

bool CCharacterAState::Read(CChunkReader& r, uint32_t v)
{
    if (!CCharacterState::Read(r, v))
        return false;
    if (v > 2)
        ReadAttributes(r, nullptr);
    return r.Ok();
}

bool CCharacterAState::ReadAttributes(CChunkReader& r, uint32_t* speedWord)
{
    age = int16_t(r.ReadI32());
    if (speedWord)
        *speedWord = r.ReadU32();
    for (float* f : {&skillfulness, &alarmSystems, &weight, &pickLocks, &pickSafes, &fighting, &strength,
                     &crimeRecords, &coolness})
        *f = r.ReadF32();
    return r.Ok();
}

// ---------------------------------------------------------------- kinds 7 and 8

void CPassageState::CopyFrom(const CKindState& other)
{
    if (other.kind != kind)
        return;
    const auto& o = static_cast<const CPassageState&>(other);
    open = o.open;
    locked = o.locked;
}

bool CPassageState::Write(CChunkWriter& w) const
{
    return w.WriteBool(open) && w.WriteBool(locked) && w.WriteU32(0);
}

bool CPassageState::Read(CChunkReader& r, uint32_t)
{
    open = r.ReadBool();
    locked = r.ReadBool();
    r.ReadU32(); // reserved
    return r.Ok();
}

// ---------------------------------------------------------------- chunks

bool WriteCondChunk(const CKindState& state, CChunkWriter& writer)
{
    return writer.BeginChunk(ChunkId("COND"), kCondVersion) && state.Write(writer) && writer.EndChunk();
}

bool ReadCondChunk(CKindState& state, CChunkReader& body)
{
    const uint32_t version = body.ReadU32();
    return body.Ok() && state.Read(body, version);
}

CCarState::~CCarState()
{
    delete car;
}

CCar* CCarState::GetCar()
{
    if (!car)
        car = new CCar;
    return car;
}
