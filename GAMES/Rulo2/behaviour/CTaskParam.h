#pragma once
// The typed parameters of a task item: a position, a radius, an object, a
// flag, an action name or code, a number, a time, an item, a sound or text key,
// a camera. The task type table names the types each task type takes.
#include <cstdint>
#include <memory>
#include <string>

#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CActionEntry.h"

class CChunkReader;
class CChunkWriter;
class CObjectNode;
class CWorldObject;

enum ETaskParamType : int32_t
{
    PARAM_WALKAREA = 1,
    PARAM_POSITION = 2,
    PARAM_RADIUS = 3,
    PARAM_OBJECT = 4,
    PARAM_FLAG = 5,
    PARAM_ACTIONNAME = 6,
    PARAM_ACTIONCODE = 7,
    PARAM_NUMBER = 8,
    PARAM_TIME = 9,
    PARAM_INVITEM = 10,
    PARAM_CURRENTACTION = 11,
    PARAM_SOUNDID = 12,
    PARAM_RECORDEDACTION = 13,
    PARAM_RECORDEDOBJECT = 14,
    PARAM_CAMERA = 15,
    PARAM_TEXTID = 16,
};
constexpr int32_t kParamTypeCount = 16;

// The editor's name of a parameter type (its default label); null outside 1-16.
const char* TaskParamTypeName(int32_t typeId);

class CTaskParam
{
public:
    explicit CTaskParam(int32_t id) : typeId(id) {}
    virtual ~CTaskParam() = default;
    CTaskParam(const CTaskParam&) = delete;
    CTaskParam& operator=(const CTaskParam&) = delete;

    virtual void Reset() = 0;
    // The editor text; a null label takes the type's name.
    virtual std::string Print(const char* label) const;
    // Type id and value into the open "TASK" chunk.
    virtual bool Write(CChunkWriter& writer) const = 0;

    const int32_t typeId;
    uint32_t treeItem = 0; // the editor's tree item while shown

protected:
    const char* Label(const char* label) const;
};

// A reference to a world object (types 1 and 4). A file stores the object's
// number; until the task list resolves it, `stored` holds that number.
class CObjectRefParam : public CTaskParam
{
public:
    using CTaskParam::CTaskParam;
    void Reset() override { Set(nullptr); }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    void Set(CWorldObject* o)
    {
        object = o;
        stored = 0;
        pending = false;
    }

    CWorldObject* object = nullptr;
    int32_t stored = 0;
    bool pending = false;
};

class CWalkAreaParam : public CObjectRefParam
{
public:
    CWalkAreaParam() : CObjectRefParam(PARAM_WALKAREA) {}
};

class CObjectParam : public CObjectRefParam
{
public:
    CObjectParam() : CObjectRefParam(PARAM_OBJECT) {}
};

class CPositionParam : public CTaskParam
{
public:
    CPositionParam() : CTaskParam(PARAM_POSITION) {}
    void Reset() override { x = y = z = 0.0f; }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

class CRadiusParam : public CTaskParam
{
public:
    CRadiusParam() : CTaskParam(PARAM_RADIUS) {}
    void Reset() override { value = 1.0f; }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    float value = 1.0f;
};

// Flag, Number and Time: one integer.
class CIntParam : public CTaskParam
{
public:
    using CTaskParam::CTaskParam;
    void Reset() override { value = 0; }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    int32_t value = 0;
};

class CFlagParam : public CIntParam
{
public:
    CFlagParam() : CIntParam(PARAM_FLAG) {}
};

class CNumberParam : public CIntParam
{
public:
    CNumberParam() : CIntParam(PARAM_NUMBER) {}
};

class CTimeParam : public CIntParam
{
public:
    CTimeParam() : CIntParam(PARAM_TIME) {}
};

// ActionName, SoundId and TextId: an owned text.
class CTextParam : public CTaskParam
{
public:
    using CTaskParam::CTaskParam;
    void Reset() override { text.clear(); }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    std::string text;
};

class CActionNameParam : public CTextParam
{
public:
    CActionNameParam() : CTextParam(PARAM_ACTIONNAME) {}
};

class CSoundIdParam : public CTextParam
{
public:
    CSoundIdParam() : CTextParam(PARAM_SOUNDID) {}
};

class CTextIdParam : public CTextParam
{
public:
    CTextIdParam() : CTextParam(PARAM_TEXTID) {}
};

// ActionCode, Current ActionCode and RecordedActionCode: one CActionEntry.
class CActionParam : public CTaskParam
{
public:
    using CTaskParam::CTaskParam;
    void Reset() override {}
    std::string Print(const char* label) const override;
    CActionEntry action;
};

class CActionCodeParam : public CActionParam
{
public:
    CActionCodeParam() : CActionParam(PARAM_ACTIONCODE) {}
    bool Write(CChunkWriter& writer) const override;
    // The stored target and item numbers until the task list resolves them.
    SStoredAction stored;
    bool pending = false;
};

// Filled while the game runs; never stored beyond its type id.
class CCurrentActionParam : public CActionParam
{
public:
    CCurrentActionParam() : CActionParam(PARAM_CURRENTACTION) {}
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
};

class CRecordedActionParam : public CActionParam
{
public:
    CRecordedActionParam() : CActionParam(PARAM_RECORDEDACTION) {}
    bool Write(CChunkWriter& writer) const override;
};

class CInvItemParam : public CTaskParam
{
public:
    CInvItemParam() : CTaskParam(PARAM_INVITEM) {}
    void Reset() override { Set(nullptr); }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    void Set(CObjectNode* i)
    {
        item = i;
        stored = 0;
        pending = false;
    }
    CObjectNode* item = nullptr;
    int32_t stored = 0;
    bool pending = false;
};

class CRecordedObjectParam : public CTaskParam
{
public:
    CRecordedObjectParam() : CTaskParam(PARAM_RECORDEDOBJECT) {}
    void Reset() override { object = nullptr; }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    CWorldObject* object = nullptr;
};

class CCameraParam : public CTaskParam
{
public:
    CCameraParam() : CTaskParam(PARAM_CAMERA) {}
    // The third vector is left alone: the camera tasks keep their own use of it.
    void Reset() override
    {
        for (int i = 0; i < 3; ++i)
            position[i] = target[i] = 0.0f;
    }
    std::string Print(const char* label) const override;
    bool Write(CChunkWriter& writer) const override;
    float position[3] = {0, 0, 0};
    float target[3] = {0, 0, 0};
    float third[3] = {0, 0, 0};
};

// A parameter of the type with its creation value; null outside 1-16.
std::unique_ptr<CTaskParam> CreateTaskParam(int32_t typeId);

// Reads the value behind the type id of a parameter record (the parameter was
// made for that id). False when the record does not end inside the body.
bool LoadTaskParam(CTaskParam& parameter, CChunkReader& body);

// The object a recorder id stands for: the burglary car for 12345678, else
// the object table's entry; null outside the table.
CWorldObject* FindRecordedObject(int32_t recorderId);
