#include "GAMES/Rulo2/behaviour/CKindData.h"

#include <algorithm>

#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

const char* const kKindNames[kObjectKinds] = {
    "Item",        "Item-Beute",  "Item-Tool",      "Immobilie",         "Character-A",
    "Character-B", "Character-C", "Durchgang-Tuer", "Durchgang-Fenster", "Car",
};

bool IsFlagWord(int32_t kind, int32_t i)
{
    return kind == KIND_TOOL && i == CToolKindData::kDamaging;
}

} // namespace

const char* KindName(int32_t kind)
{
    return kind >= 0 && kind < kObjectKinds ? kKindNames[kind] : nullptr;
}

std::unique_ptr<CKindData> CKindData::Create(int32_t kind)
{
    switch (kind) {
    case KIND_ITEM:
        return std::make_unique<CItemKindData>();
    case KIND_LOOT:
        return std::make_unique<CLootKindData>();
    case KIND_TOOL:
        return std::make_unique<CToolKindData>();
    case KIND_FIXED:
        return std::make_unique<CFixedKindData>();
    case KIND_CHARACTER_A:
        return std::make_unique<CCharacterAKindData>();
    case KIND_CHARACTER_B:
    case KIND_CHARACTER_C:
        return std::make_unique<CCharacterKindData>(kind);
    case KIND_DOOR:
    case KIND_WINDOW:
        return std::make_unique<CPassageKindData>(kind);
    case KIND_CAR:
        return std::make_unique<CCarKindData>();
    default:
        return nullptr;
    }
}

void CKindData::Copy(const CKindData& other)
{
    kind = other.kind;
    name = other.name;
    minBurglaryLevel = other.minBurglaryLevel;
    clickable = other.clickable;
    const int32_t n = std::min(ValueCount(), other.ValueCount());
    for (int32_t i = 0; i < n; ++i)
        Values()[i] = other.Values()[i];
}

bool CKindData::Write(CChunkWriter& w) const
{
    if (!w.WriteString(name.c_str()) || !w.WriteI32(kind) || !w.WriteI32(minBurglaryLevel) ||
        !w.WriteBool(clickable) || !w.WriteBool(processWhenVisible) || !w.WriteBool(processAlways))
        return false;
    for (int32_t i = 0; i < ValueCount(); ++i) {
        const bool ok = IsFlagWord(kind, i) ? w.WriteBool(Values()[i] != 0) : w.WriteU32(Values()[i]);
        if (!ok)
            return false;
    }
    return true;
}

bool CKindData::ReadCommon(CChunkReader& r, uint32_t v)
{
    name = r.ReadPaddedString();
    kind = r.ReadI32();
    minBurglaryLevel = r.ReadI32();
    clickable = r.ReadBool();
    if (v > 7)
        processWhenVisible = r.ReadBool();
    if (v > 8)
        processAlways = r.ReadBool();
    return r.Ok();
}

bool CKindData::Read(CObjectLogic*, CChunkReader& r, uint32_t v)
{
    // The class decides the layout, whatever kind the record names.
    const int32_t layout = kind;
    ReadCommon(r, v);
    uint32_t* values = Values();
    switch (layout) {
    case KIND_ITEM:
    case KIND_LOOT:
    case KIND_TOOL:
    case KIND_CAR:
        if (v > 0)
            for (int32_t i = 0; i < ValueCount(); ++i)
                values[i] = IsFlagWord(kind, i) ? uint32_t(r.ReadBool()) : r.ReadU32();
        break;
    case KIND_CHARACTER_B:
    case KIND_CHARACTER_C:
        if (v > 3)
            values[0] = r.ReadU32();
        break;
    case KIND_FIXED:
    case KIND_DOOR:
    case KIND_WINDOW:
        if (v > 0) {
            if (v < 6) {
                r.ReadU32(); // a word older files carry
                values[2] = 1;
            }
            values[0] = r.ReadU32();
            if (v > 2)
                values[1] = r.ReadU32();
            if (v > 5)
                values[2] = r.ReadU32();
        }
        break;
    default:
        break;
    }
    return r.Ok();
}

float CKindData::Weight() const
{
    return kind >= KIND_ITEM && kind <= KIND_TOOL && ValueCount() > 0 ? WordAsFloat(Values()[0]) : 0.0f;
}

float CKindData::Price() const
{
    if ((kind == KIND_LOOT || kind == KIND_TOOL) && ValueCount() > 1)
        return WordAsFloat(Values()[1]);
    if (kind == KIND_CAR && ValueCount() > 3)
        return WordAsFloat(Values()[3]);
    return 0.0f;
}

float CKindData::SpeedFactor() const
{
    return kind >= KIND_CHARACTER_A && kind <= KIND_CHARACTER_C && ValueCount() > 0 ? WordAsFloat(Values()[0])
                                                                                    : 0.0f;
}

void CCharacterAKindData::Copy(const CKindData& other)
{
    CKindData::Copy(other);
    if (other.kind == KIND_CHARACTER_A)
        occupation = static_cast<const CCharacterAKindData&>(other).occupation;
}

bool CCharacterAKindData::Write(CChunkWriter& w) const
{
    return CKindData::Write(w) && w.WriteString(occupation.c_str());
}

bool CCharacterAKindData::Read(CObjectLogic* owner, CChunkReader& r, uint32_t v)
{
    ReadCommon(r, v);
    if (v > 3)
        speed = r.ReadU32();
    if (v < 1)
        return r.Ok();
    occupation = r.ReadPaddedString();
    if (v < 7) {
        // The character values that now belong to the conditions.
        std::unique_ptr<CKindState> scratch;
        CKindState* target = nullptr;
        if (owner) {
            if (!owner->ownConditions || owner->ownConditions->kind != KIND_CHARACTER_A)
                owner->ownConditions = CKindState::Create(KIND_CHARACTER_A);
            target = owner->ownConditions.get();
        } else {
            scratch = CKindState::Create(KIND_CHARACTER_A);
            target = scratch.get();
        }
        static_cast<CCharacterAState*>(target)->ReadAttributes(r, v < 4 ? &speed : nullptr);
    }
    return r.Ok();
}

bool WriteOptsChunk(const CKindData& data, CChunkWriter& writer)
{
    return writer.BeginChunk(ChunkId("OPTS"), kOptsVersion) && data.Write(writer) && writer.EndChunk();
}

bool ReadOptsChunk(CKindData& data, CChunkReader& body, CObjectLogic* owner)
{
    const uint32_t version = body.ReadU32();
    return body.Ok() && data.Read(owner, body, version);
}
