#include "GAMES/Rulo2/behaviour/ActionCode.h"

#include <cstdio>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

namespace {

constexpr int32_t kToolSlots = 3;
constexpr int32_t kLootSlots = 10;
constexpr int32_t kLootSlotBit = 64;

// The item word of a slot; null when the code names no slot of the table.
CObjectNode** SlotWord(int32_t slotCode)
{
    if (slotCode < 0)
        return nullptr;
    const int32_t member = slotCode >> 8;
    const int32_t slot = slotCode & 0xFF;
    if (member >= int32_t(PlanMemberArray.size()))
        return nullptr;
    SPlanMember& record = PlanMemberArray[size_t(member)];
    if (slot < kToolSlots)
        return &record.hands[slot].item;
    if (slot >= kLootSlotBit && slot < kLootSlotBit + kLootSlots)
        return &record.bag[slot - kLootSlotBit].item;
    return nullptr;
}

const char* ObjectName(const CWorldObject* object)
{
    const char* name = object ? object->GetName() : nullptr;
    return name ? name : "";
}

const char* ItemName(const CObjectNode* item)
{
    const char* name = item ? item->GetName() : nullptr;
    return name ? name : "";
}

std::string Format(const char* format, const char* a, const char* b = "")
{
    char text[512];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

namespace ActionCode {

CObjectNode* SlotItem(int32_t slotCode)
{
    CObjectNode** word = SlotWord(slotCode);
    return word ? *word : nullptr;
}

CObjectNode* GetTarget(const CActionEntry& entry)
{
    return entry.slotCode == -1 ? entry.item : SlotItem(entry.slotCode);
}

void FindByTarget(CActionEntry& entry, CObjectNode* item)
{
    entry.slotCode = -1;
    entry.item = nullptr;
    if (!item)
        return;
    for (size_t m = 0; m < PlanMemberArray.size(); ++m) {
        const SPlanMember& record = PlanMemberArray[m];
        const int32_t base = int32_t(m) * 256;
        for (int32_t s = 0; s < kToolSlots; ++s)
            if (record.hands[s].item == item)
                entry.slotCode = base + s;
        for (int32_t s = 0; s < kLootSlots; ++s)
            if (record.bag[s].item == item)
                entry.slotCode = base + kLootSlotBit + s;
    }
}

bool Matches(const CActionEntry& entry, const SActionRequest& request, CWorldObject* defaultTarget)
{
    CWorldObject* target = request.target ? request.target : defaultTarget;
    if (entry.target != target || entry.action != request.action)
        return false;
    if (request.itemType == 0)
        return true;
    const CObjectNode* item = GetTarget(entry);
    return item && InstanceObjectType(item) == request.itemType;
}

std::string Describe(const CActionEntry& entry)
{
    const CWorldObject* target = entry.target;
    const CObjectNode* item = GetTarget(entry);
    const int32_t itemKind = item ? InstanceObjectKind(item) : -1;
    const char* me = target ? ObjectName(target) : "Mich";
    switch (entry.action) {
    case 0:
        return Format("Hand auf '%s'", me);
    case 1:
        return Format("Sprechen mit '%s'", target ? ObjectName(target) : "Mir");
    case 2:
        return Format("Schauen auf '%s'", me);
    case 3:
        return Format("Telefonieren mit '%s'", target ? ObjectName(target) : "Mir");
    case 4:
        if (itemKind == 2)
            return Format("'%s' aufbrechen mit '%s'", me, ItemName(item));
        return Format("'%s' aufbrechen", me);
    case 5:
        if (itemKind == 1)
            return Format("'%s' verkaufen an '%s'", ItemName(item), me);
        return Format("Beutestueck verkaufen an '%s'", me);
    case 6:
        if (itemKind == 0)
            return Format("'%s' benutzen auf '%s'", ItemName(item), me);
        return Format("Item benutzen auf '%s'", me);
    case 7:
        return "DialogEvent";
    default:
        return "";
    }
}

bool Write(const CActionEntry& entry, CChunkWriter& writer)
{
    return writer.BeginChunk(ChunkId("ACOD"), 0) && writer.WriteI32(entry.action) &&
           writer.WriteI32(ObjectTableIndex(entry.target)) && writer.WriteI32(ItemTableIndex(entry.item)) &&
           writer.EndChunk();
}

bool WriteRecorded(const CActionEntry& entry, CChunkWriter& writer)
{
    return writer.BeginChunk(ChunkId("ACOD"), 0) && writer.WriteI32(entry.action) &&
           writer.WriteI32(RecorderIdOf(entry.target)) && writer.WriteI32(entry.slotCode) &&
           writer.EndChunk();
}

bool ReadBody(CChunkReader& body, SStoredAction& out)
{
    body.ReadU32(); // version
    out.action = body.ReadI32();
    out.target = body.ReadI32();
    out.item = body.ReadI32();
    return body.Ok();
}

} // namespace ActionCode

CWorldObject* ObjectFromTableIndex(int32_t index)
{
    if (index < 1 || size_t(index) >= ObjectLogicTable.size())
        return nullptr;
    return ObjectLogicTable[size_t(index)];
}

CObjectNode* ItemFromTableIndex(int32_t index)
{
    if (index < 1 || size_t(index) >= g_ObjectTable.size())
        return nullptr;
    return g_ObjectTable[size_t(index)];
}

int32_t ObjectTableIndex(const CWorldObject* object)
{
    return object && object->objectLogic ? object->objectLogic->recorderId : 0;
}

int32_t ItemTableIndex(const CObjectNode* item)
{
    return item ? int32_t(item->index) : 0;
}

int32_t RecorderIdOf(const CWorldObject* object)
{
    if (!object)
        return 0;
    if (object == g_SpecialObject)
        return int32_t(kSpecialObjectId);
    return object->objectLogic ? object->objectLogic->recorderId : 0;
}
