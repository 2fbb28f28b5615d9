#include "GAMES/Rulo2/behaviour/CTaskParam.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"

namespace {

const char* const kTypeNames[kParamTypeCount + 1] = {
    nullptr,      "Laufflaeche",        "Position",       "Radius", "Object",  "Flag",
    "ActionName", "ActionCode",         "Number",         "Time",   "InvItem", "Current ActionCode",
    "SoundId",    "RecordedActionCode", "RecordedObject", "Camera", "TextId",
};

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string PrintName(const char* label, const char* name)
{
    if (!name)
        return Printf("%s = undefined", label);
    return Printf("%s = %s", label, name);
}

const char* NameOf(const CNode* node)
{
    if (!node)
        return nullptr;
    const char* name = node->GetName();
    return name ? name : "";
}

// An "ACOD" chunk behind a parameter's type id. A record that does not start
// with the id keeps the value and passes over that one word, as older files
// expect; a chunk that runs past the body fails.
enum EActionRead
{
    ACTION_READ,
    ACTION_ABSENT,
    ACTION_BAD,
};
EActionRead ReadActionChunk(CChunkReader& body, SStoredAction& out)
{
    if (body.Remaining() < 4)
        return ACTION_BAD;
    if (body.PeekId() != ChunkId("ACOD")) {
        body.ReadU32();
        return ACTION_ABSENT;
    }
    SChunkHeader header;
    CChunkReader chunk;
    if (body.NextChunk(header, chunk, body.Size()) != CHUNK_OK)
        return ACTION_BAD;
    return ActionCode::ReadBody(chunk, out) ? ACTION_READ : ACTION_BAD;
}

} // namespace

const char* TaskParamTypeName(int32_t typeId)
{
    return typeId >= 1 && typeId <= kParamTypeCount ? kTypeNames[typeId] : nullptr;
}

const char* CTaskParam::Label(const char* label) const
{
    if (label)
        return label;
    const char* name = TaskParamTypeName(typeId);
    return name ? name : "";
}

std::string CTaskParam::Print(const char*) const
{
    return "Unknown Parameter";
}

std::string CObjectRefParam::Print(const char* label) const
{
    return PrintName(Label(label), NameOf(object));
}

bool CObjectRefParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteI32(pending ? stored : ObjectTableIndex(object));
}

std::string CPositionParam::Print(const char* label) const
{
    return Printf("%s = %.2f/%.2f/%.2f", Label(label), double(x), double(y), double(z));
}

bool CPositionParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteF32(x) && w.WriteF32(y) && w.WriteF32(z);
}

std::string CRadiusParam::Print(const char* label) const
{
    return Printf("%s = %.2f", Label(label), double(value));
}

bool CRadiusParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteF32(value);
}

std::string CIntParam::Print(const char* label) const
{
    if (typeId == PARAM_TIME)
        return Printf("%s = %02d:%02d", Label(label), value / 3600000, (value / 60000) % 60);
    return Printf("%s = %d", Label(label), value);
}

bool CIntParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteI32(value);
}

std::string CTextParam::Print(const char* label) const
{
    return PrintName(Label(label), text.empty() ? nullptr : text.c_str());
}

bool CTextParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteString(text.empty() ? nullptr : text.c_str());
}

std::string CActionParam::Print(const char* label) const
{
    return Printf("%s = %s", Label(label), ActionCode::Describe(action).c_str());
}

bool CActionCodeParam::Write(CChunkWriter& w) const
{
    if (!pending)
        return w.WriteI32(typeId) && ActionCode::Write(action, w);
    // Not resolved yet: the numbers go back as they came.
    return w.WriteI32(typeId) && w.BeginChunk(ChunkId("ACOD"), 0) && w.WriteI32(stored.action) &&
           w.WriteI32(stored.target) && w.WriteI32(stored.item) && w.EndChunk();
}

std::string CCurrentActionParam::Print(const char*) const
{
    return "Current ActionCode";
}

bool CCurrentActionParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId);
}

bool CRecordedActionParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && ActionCode::WriteRecorded(action, w);
}

std::string CInvItemParam::Print(const char* label) const
{
    return PrintName(Label(label), NameOf(item));
}

bool CInvItemParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteI32(pending ? stored : ItemTableIndex(item));
}

std::string CRecordedObjectParam::Print(const char* label) const
{
    return PrintName(Label(label), NameOf(object));
}

bool CRecordedObjectParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteI32(RecorderIdOf(object));
}

std::string CCameraParam::Print(const char* label) const
{
    bool zero = true;
    for (int i = 0; i < 3; ++i)
        zero = zero && position[i] == 0.0f && target[i] == 0.0f;
    if (zero)
        return Printf("%s: undefinded", Label(label));
    return Printf("%s: pos(%.3f, %.3f, %.3f), target(%.3f, %.3f, %.3f)", Label(label), double(position[0]),
                  double(position[1]), double(position[2]), double(target[0]), double(target[1]),
                  double(target[2]));
}

bool CCameraParam::Write(CChunkWriter& w) const
{
    return w.WriteI32(typeId) && w.WriteFloats(position, 3) && w.WriteFloats(target, 3) &&
           w.WriteFloats(third, 3);
}

std::unique_ptr<CTaskParam> CreateTaskParam(int32_t typeId)
{
    switch (typeId) {
    case PARAM_WALKAREA:
        return std::make_unique<CWalkAreaParam>();
    case PARAM_POSITION:
        return std::make_unique<CPositionParam>();
    case PARAM_RADIUS:
        return std::make_unique<CRadiusParam>();
    case PARAM_OBJECT:
        return std::make_unique<CObjectParam>();
    case PARAM_FLAG:
        return std::make_unique<CFlagParam>();
    case PARAM_ACTIONNAME:
        return std::make_unique<CActionNameParam>();
    case PARAM_ACTIONCODE:
        return std::make_unique<CActionCodeParam>();
    case PARAM_NUMBER:
        return std::make_unique<CNumberParam>();
    case PARAM_TIME:
        return std::make_unique<CTimeParam>();
    case PARAM_INVITEM:
        return std::make_unique<CInvItemParam>();
    case PARAM_CURRENTACTION:
        return std::make_unique<CCurrentActionParam>();
    case PARAM_SOUNDID:
        return std::make_unique<CSoundIdParam>();
    case PARAM_RECORDEDACTION:
        return std::make_unique<CRecordedActionParam>();
    case PARAM_RECORDEDOBJECT:
        return std::make_unique<CRecordedObjectParam>();
    case PARAM_CAMERA:
        return std::make_unique<CCameraParam>();
    case PARAM_TEXTID:
        return std::make_unique<CTextIdParam>();
    default:
        return nullptr;
    }
}

bool LoadTaskParam(CTaskParam& parameter, CChunkReader& body)
{
    switch (parameter.typeId) {
    case PARAM_WALKAREA:
    case PARAM_OBJECT: {
        auto& p = static_cast<CObjectRefParam&>(parameter);
        p.object = nullptr;
        p.stored = body.ReadI32();
        p.pending = true;
        break;
    }
    case PARAM_INVITEM: {
        auto& p = static_cast<CInvItemParam&>(parameter);
        p.item = nullptr;
        p.stored = body.ReadI32();
        p.pending = true;
        break;
    }
    case PARAM_RADIUS:
        static_cast<CRadiusParam&>(parameter).value = body.ReadF32();
        break;
    case PARAM_FLAG:
    case PARAM_NUMBER:
    case PARAM_TIME:
        static_cast<CIntParam&>(parameter).value = body.ReadI32();
        break;
    case PARAM_POSITION: {
        auto& p = static_cast<CPositionParam&>(parameter);
        p.x = body.ReadF32();
        p.y = body.ReadF32();
        p.z = body.ReadF32();
        break;
    }
    case PARAM_ACTIONNAME:
    case PARAM_SOUNDID:
    case PARAM_TEXTID: {
        const char* text = body.ReadPaddedString();
        if (!body.Ok())
            return false;
        static_cast<CTextParam&>(parameter).text = text;
        break;
    }
    case PARAM_ACTIONCODE: {
        auto& p = static_cast<CActionCodeParam&>(parameter);
        SStoredAction stored;
        const EActionRead r = ReadActionChunk(body, stored);
        if (r == ACTION_BAD)
            return false;
        if (r == ACTION_READ) {
            p.action = CActionEntry();
            p.action.action = stored.action;
            p.stored = stored;
            p.pending = true;
        }
        break;
    }
    case PARAM_RECORDEDACTION: {
        auto& p = static_cast<CRecordedActionParam&>(parameter);
        SStoredAction stored;
        const EActionRead r = ReadActionChunk(body, stored);
        if (r == ACTION_BAD)
            return false;
        if (r == ACTION_READ) {
            CActionEntry fresh;
            if (stored.target != 0) {
                fresh.action = stored.action;
                fresh.target = FindRecordedObject(stored.target);
                fresh.slotCode = stored.item;
            }
            p.action = fresh;
        }
        break;
    }
    case PARAM_RECORDEDOBJECT:
        static_cast<CRecordedObjectParam&>(parameter).object = FindRecordedObject(body.ReadI32());
        break;
    case PARAM_CAMERA: {
        auto& p = static_cast<CCameraParam&>(parameter);
        body.ReadFloats(p.position, 3);
        body.ReadFloats(p.target, 3);
        body.ReadFloats(p.third, 3);
        break;
    }
    default:
        break;
    }
    return body.Ok();
}

CWorldObject* FindRecordedObject(int32_t recorderId)
{
    if (recorderId == int32_t(kSpecialObjectId))
        return g_SpecialObject;
    // Id 0 is none: slot 0 of the table stays empty.
    if (recorderId < 1 || size_t(recorderId) >= ObjectLogicTable.size())
        return nullptr;
    return ObjectLogicTable[size_t(recorderId)];
}
