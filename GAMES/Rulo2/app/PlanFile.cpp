// Plan files: "BURG", the caption, the plan's head with the gang members and
// their planned task lists, "EOF ".
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

#include <algorithm>
#include <bit>

CObjectNode* PlanCar = nullptr;
float PlanCarCapacity = 0.0f;
int32_t PlanRecordedEndTime = 0;

namespace {

constexpr uint32_t kBurg = ChunkId("BURG");
constexpr uint32_t kHead = ChunkId("HEAD");
constexpr uint32_t kEof = ChunkId("EOF ");
constexpr uint32_t kTali = ChunkId("TALI");
constexpr uint32_t kPlanHeadVersion = 2;

// The instances the gang has of one definition, and how many slots took one.
struct SInstanceCount
{
    int32_t definition = 0;
    int32_t count = 0;
    int32_t used = 0;
};

bool WriteMember(CChunkWriter& w, const SPlanMember& m)
{
    bool ok = w.WriteI32(RecorderIdOf(m.member)) && w.WriteBool(m.leader != 0) &&
              w.WriteU32(std::bit_cast<uint32_t>(m.memberFactor));
    for (int i = 0; ok && i < 3; ++i) {
        const int32_t entry = FindInstanceByObject(m.hands[i].item);
        if (entry >= 0) {
            const ObjectInstance& r = ObjectInstances[size_t(entry)];
            ok = w.WriteI32(r.id) && w.WriteI32(InstanceObjectType(r.object));
        } else {
            ok = w.WriteU32(0) && w.WriteU32(0);
        }
    }
    if (!ok)
        return false;
    // Every member carries a task list chunk, empty without a planned list, so
    // the reader always finds one.
    const CTaskList* planned =
        m.member && m.member->objectLogic ? m.member->objectLogic->GetPlannedTaskList() : nullptr;
    if (planned)
        return planned->Write(w);
    static const CTaskList empty;
    return empty.Write(w);
}

bool ReadTools(CChunkReader& body, SPlanMember& m, std::vector<SInstanceCount>& counts)
{
    for (int i = 0; i < 3; ++i) {
        const int32_t owner = body.ReadI32();
        const int32_t definition = body.ReadI32();
        m.hands[i] = SItemSlot{};
        int32_t entry = FindInstanceByIdAndType(owner, definition);
        if (entry < 0)
            entry = FindBestInstanceOfType(definition);
        if (entry >= 0) {
            m.hands[i].item = ObjectInstances[size_t(entry)].object;
            m.toolFlags[i] = 1;
            for (SInstanceCount& c : counts)
                if (c.definition == definition && ++c.used > c.count)
                    m.toolFlags[i] = 0;
        } else if (CObjectNode* d = ItemFromTableIndex(definition)) {
            m.hands[i].item = d;
            m.toolFlags[i] = 0;
        } else {
            m.toolFlags[i] = 1;
        }
    }
    return body.Ok();
}

bool ReadMemberTaskList(CChunkReader& body, SPlanMember& m)
{
    // Older files have no list for a member without a plan: the next member follows at once.
    if (body.PeekId() != kTali)
        return body.Ok();
    SChunkHeader header;
    CChunkReader list;
    if (body.NextChunk(header, list, kMaxSaveChunk) != CHUNK_OK)
        return false;
    CObjectLogic* logic = m.member ? m.member->objectLogic : nullptr;
    if (!logic)
        return true;
    CTaskList* planned = logic->ResetPlannedTaskList();
    while (!planned->tasks.empty())
        planned->RemoveTask(planned->tasks.back().get());
    if (!planned->Read(list))
        return false;
    // A planned task that names an object the world lacks loses that reference, not the plan.
    planned->ResolveReferences();
    return true;
}

bool KnownOrHero(const CWorldObject* person)
{
    return person &&
           (person == Hero || std::find(KnownPeople.begin(), KnownPeople.end(), person) != KnownPeople.end());
}

int32_t CheckMembers()
{
    for (size_t i = 0; i < PlanMemberArray.size(); ++i) {
        const SPlanMember& m = PlanMemberArray[i];
        if (!KnownOrHero(m.member))
            return PLAN_UNKNOWN_PERSON;
        if (!m.toolFlags[0] || !m.toolFlags[1] || !m.toolFlags[2])
            return PLAN_UNKNOWN_TOOL;
        if (i > 0 && m.member->objectLogic && m.member->objectLogic->CrimeRecords() > 0.5f)
            return PLAN_PERSON_UNDERCOVER;
    }
    return 0;
}

} // namespace

bool BuildPlanFile(const std::string& caption, std::vector<uint8_t>& bytes)
{
    CChunkWriter w;
    const bool ok = w.WriteId(kBurg) && w.WriteU32(0) && WriteSaveInfo(w, caption) && WritePlanHead(w) &&
                    w.WriteId(kEof) && w.WriteU32(0) && w.Ok();
    if (ok)
        bytes = w.Data();
    return ok;
}

bool SavePlan(const std::string& path, const std::string& caption)
{
    LogPrintf("Saving Plan...");
    StopRecording();
    std::vector<uint8_t> bytes;
    if (!BuildPlanFile(caption, bytes)) {
        LogPrintf("Saving '%s' failed: a chunk could not be written", path.c_str());
        return false;
    }
    const platform::AtomicWriteResult r =
        platform::WriteFileAtomically(platform::ResolvePath(path), bytes.data(), bytes.size());
    if (!r) {
        LogPrintf("Writing '%s' failed: %s", path.c_str(), r.error.message().c_str());
        return false;
    }
    LogPrintf("finished.");
    return true;
}

bool WritePlanHead(CChunkWriter& w)
{
    bool ok = w.BeginChunk(kHead, kPlanHeadVersion) && w.WriteI32(PlanBurglaryNumber) &&
              w.WriteI32(PlanRecordedEndTime) && w.WriteI32(PlanCar ? int32_t(PlanCar->index) : 0) &&
              w.WriteU32(uint32_t(PlanMemberArray.size()));
    for (size_t i = 0; ok && i < PlanMemberArray.size(); ++i)
        ok = WriteMember(w, PlanMemberArray[i]);
    return ok && w.EndChunk();
}

bool ReadPlanHead(CChunkReader& body)
{
    static std::vector<SInstanceCount> counts;
    counts.clear();
    for (const ObjectInstance& r : ObjectInstances) {
        const int32_t definition = InstanceObjectType(r.object);
        auto it = std::find_if(counts.begin(), counts.end(),
                               [definition](const SInstanceCount& c) { return c.definition == definition; });
        if (it == counts.end())
            counts.push_back({definition, 1, 0});
        else
            ++it->count;
    }

    const uint32_t version = body.ReadU32();
    PlanBurglaryNumber = body.ReadI32();
    if (version >= 2)
        PlanRecordedEndTime = body.ReadI32();
    PlanCar = ItemFromTableIndex(body.ReadI32());
    if (PlanCar && std::find(Possessions.begin(), Possessions.end(), PlanCar) == Possessions.end())
        PlanCar = nullptr;
    if (PlanCar) {
        // The car of an earlier plan leaves the world with it.
        if (ExtraInstance)
            DeleteRuntimeWorldObject(ExtraInstance);
        ExtraInstance = g_SpecialObject = SpawnInstanceNode(PlanCar, true);
    }

    const uint32_t members = body.ReadU32();
    // A member is at least its 9 words and one tag word.
    if (!body.Ok() || members > body.Remaining() / 40)
        return false;
    PlanMemberArray.clear();
    for (uint32_t i = 0; i < members; ++i) {
        SPlanMember& m = *PlanMemberArray.at(PlanMemberArray.add(1));
        m.member = ObjectOfRecorderId(body.ReadI32());
        if (!m.member || !body.Ok()) {
            LogPrintf("Plan: member %u names no person", i);
            return false;
        }
        m.leader = body.ReadBool() ? 1 : 0;
        std::fill(std::begin(m.words), std::end(m.words), 0u);
        m.memberFactor = std::bit_cast<float>(body.ReadU32());
        if (!ReadTools(body, m, counts) || !ReadMemberTaskList(body, m))
            return false;
    }
    return body.Ok();
}

int32_t LoadPlan(const std::string& path)
{
    LogPrintf("Loading Plan...");
    std::vector<uint8_t> bytes;
    std::error_code error;
    if (!platform::ReadFile(path, bytes, &error)) {
        LogPrintf("Reading '%s' failed: %s", path.c_str(), error.message().c_str());
        return PLAN_FILE_ERROR;
    }
    return LoadPlanFromMemory(bytes.data(), bytes.size());
}

int32_t LoadPlanFromMemory(const uint8_t* data, size_t size)
{
    CChunkReader file(data, size);
    if (file.ReadId() != kBurg || !file.Ok())
        return PLAN_FILE_ERROR;
    file.ReadU32();
    // A plan without a head has no car.
    PlanCar = nullptr;
    RegisterObjectLogicNumbers(g_WorldRoot);
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        const EChunkResult r = file.NextChunk(header, body, kMaxSaveChunk);
        if (r != CHUNK_OK) {
            LogPrintf("Plan: %s at offset %zu", ChunkResultText(r), file.Offset());
            return PLAN_FILE_ERROR;
        }
        if (header.id == kEof)
            break;
        if (header.id != kHead)
            continue;
        if (!ReadPlanHead(body))
            return PLAN_UNKNOWN_ERROR;
        if (const int32_t reason = CheckMembers())
            return reason;
        ClearRecordingList();
    }
    RecordingList.cursor = 0;
    LogPrintf("finished.");
    return PlanCar ? 0 : PLAN_UNKNOWN_CAR;
}

bool HasPlans()
{
    return !platform::FindFiles(SaveManager.plansFolder + "\\Plan*.pln").empty();
}

std::string PlanLoadMessage(int32_t reasons)
{
    static const char* const keys[] = {
        "ERROR_LOADING_PLAN_FILEERROR",     "ERROR_LOADING_PLAN_UNKNOWNERROR",
        "ERROR_LOADING_PLAN_UNKNOWNPERSON", "ERROR_LOADING_PLAN_UNKNOWNTOOL",
        "ERROR_LOADING_PLAN_UNKNOWNCAR",    "ERROR_LOADING_PLAN_PERSONUNDERCOVER"};
    std::string text = std::string(GetDisplayText("ERROR_LOADING_PLAN")) + "\n\n";
    for (int bit = 0; bit < 6; ++bit)
        if (reasons == (1 << bit))
            text += GetDisplayText(keys[bit]);
    return text;
}
