#pragma once
// The changeable state of an object by its kind ("COND"): open, locked, active,
// a tool's condition, the conversation entries and attributes of characters.
// The world file stores the initial conditions; the object logic keeps a
// runtime copy that the game changes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/navigation/PathFinder.h"

class CCar;
class CChunkReader;
class CChunkWriter;

constexpr uint32_t kCondVersion = 6;

// One conversation entry of a character.
struct CDialogEntry
{
    uint8_t active = 0;
    uint8_t available = 0; // set from active when a conversation starts
    std::string question;  // text keys
    std::string answer;
    std::string dlgPlus; // blank-separated 1-based entry numbers
    std::string dlgMinus;
    std::string alwaysPlus;
    std::string alwaysMinus;
    int32_t story = 0;
    int32_t coolness = 0;
    int32_t dialogEvent = 0;
};

class CKindState
{
public:
    explicit CKindState(int32_t k) : kind(k) {}
    virtual ~CKindState() = default;
    CKindState(const CKindState&) = delete;
    CKindState& operator=(const CKindState&) = delete;

    // Copies the stored fields of conditions of the same kind.
    virtual void CopyFrom(const CKindState& other);
    virtual bool Write(CChunkWriter& writer) const;
    // The body behind the version word.
    virtual bool Read(CChunkReader& body, uint32_t version);

    // New conditions for kinds 0-9; null for any other kind.
    static std::unique_ptr<CKindState> Create(int32_t kind);

    const int32_t kind;
};

class CToolState : public CKindState
{
public:
    CToolState() : CKindState(2) {}
    void CopyFrom(const CKindState& other) override;
    bool Write(CChunkWriter& writer) const override;
    bool Read(CChunkReader& body, uint32_t version) override;
    float condition = 1.0f;
};

class CFixedState : public CKindState
{
public:
    CFixedState() : CKindState(3) {}
    void CopyFrom(const CKindState& other) override;
    bool Write(CChunkWriter& writer) const override;
    bool Read(CChunkReader& body, uint32_t version) override;
    uint8_t open = 0, active = 0, broken = 0, alarm = 0;
    float progress = 0.0f;
    uint8_t locked = 0;
};

// Kinds 4 to 6.
class CCharacterState : public CKindState
{
public:
    using CKindState::CKindState;
    void CopyFrom(const CKindState& other) override;
    bool Write(CChunkWriter& writer) const override;
    bool Read(CChunkReader& body, uint32_t version) override;
    PATHFINDER pathfinder;
    uint8_t alarm = 0;
    uint8_t characterFlag = 0;
    std::vector<std::unique_ptr<CDialogEntry>> entries;
};

// The attributes of kind 4, in the order files store them.
class CCharacterAState : public CCharacterState
{
public:
    CCharacterAState() : CCharacterState(4) {}
    void CopyFrom(const CKindState& other) override;
    bool Write(CChunkWriter& writer) const override;
    bool Read(CChunkReader& body, uint32_t version) override;
    // Age, then the nine values (floats) of an old "OPTS" record; a non-null
    // `speedWord` takes the kind data's speed stored between them.
    bool ReadAttributes(CChunkReader& body, uint32_t* speedWord);

    int16_t age = 0;
    float skillfulness = 0.0f;
    float alarmSystems = 0.0f;
    float weight = 0.0f;
    float pickLocks = 0.0f;
    float pickSafes = 0.0f;
    float fighting = 0.0f;
    float strength = 0.0f; // the load the character can carry
    float crimeRecords = 0.0f;
    float coolness = 0.0f;
    uint8_t attackable = 0; // never stored
};

// Kinds 7 and 8.
class CPassageState : public CKindState
{
public:
    using CKindState::CKindState;
    void CopyFrom(const CKindState& other) override;
    bool Write(CChunkWriter& writer) const override;
    bool Read(CChunkReader& body, uint32_t version) override;
    uint8_t open = 0, locked = 0, broken = 0;
    float progress = 0.0f;
};

class CCarState : public CKindState
{
public:
    CCarState() : CKindState(9) {}
    ~CCarState() override;
    // The car, made on first request; it goes with the conditions.
    CCar* GetCar();
    CCar* car = nullptr;
};

bool WriteCondChunk(const CKindState& state, CChunkWriter& writer);
// A "COND" body (version word first).
bool ReadCondChunk(CKindState& state, CChunkReader& body);
