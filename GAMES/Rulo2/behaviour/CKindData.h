#pragma once
// The options of an object by its kind ("OPTS"): its name, what the player may
// do with it and the numbers the game rules read (weight, value, working time
// and the like). One class per kind, made by CKindData::Create.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

class CChunkReader;
class CChunkWriter;
class CObjectLogic;

enum EObjectKind : int32_t
{
    KIND_ITEM = 0,
    KIND_LOOT = 1,
    KIND_TOOL = 2,
    KIND_FIXED = 3,
    KIND_CHARACTER_A = 4,
    KIND_CHARACTER_B = 5,
    KIND_CHARACTER_C = 6,
    KIND_DOOR = 7,
    KIND_WINDOW = 8,
    KIND_CAR = 9,
};
constexpr int32_t kObjectKinds = 10;
constexpr uint32_t kOptsVersion = 9;

// The kind's name as the interaction speech keys use it; null outside 0-9.
const char* KindName(int32_t kind);

// A stored 32-bit value that the rules read as a float.
inline float WordAsFloat(uint32_t word)
{
    float f;
    std::memcpy(&f, &word, sizeof f);
    return f;
}
inline uint32_t FloatAsWord(float f)
{
    uint32_t word;
    std::memcpy(&word, &f, sizeof word);
    return word;
}

class CKindData
{
public:
    explicit CKindData(int32_t k) : kind(k) {}
    virtual ~CKindData() = default;
    CKindData(const CKindData&) = delete;
    CKindData& operator=(const CKindData&) = delete;

    // Copies another object of the same class; the two activation flags stay.
    virtual void Copy(const CKindData& other);
    virtual bool Write(CChunkWriter& writer) const;
    // The body behind the version word. Characters of kind 4 stored before
    // version 7 carry values that now belong to the owner's conditions.
    virtual bool Read(CObjectLogic* owner, CChunkReader& body, uint32_t version);

    // New kind data for kinds 0-9; null for any other kind.
    static std::unique_ptr<CKindData> Create(int32_t kind);

    // The raw kind-specific words in the order the file stores them (the
    // tool's byte "Damaging" counts as one), and their number.
    virtual uint32_t* Values() { return nullptr; }
    virtual int32_t ValueCount() const { return 0; }
    const uint32_t* Values() const { return const_cast<CKindData*>(this)->Values(); }

    // The values the rules read: an item's weight (kinds 0-2), its price
    // (kinds 1, 2 and 9), a character's walking-speed factor (0: unchanged).
    float Weight() const;
    float Price() const;
    float SpeedFactor() const;

    int32_t kind;
    std::string name;

protected:
    // Name, kind, common number and the flags the version carries.
    bool ReadCommon(CChunkReader& body, uint32_t version);

public:
    int32_t minBurglaryLevel = 0; // the common number
    uint8_t clickable = 1;
    uint8_t processWhenVisible = 0;
    uint8_t processAlways = 0;
};

// Kinds 0, 1, 2, 3 and 9: a run of values (the tool's "Damaging" byte among them).
template <int32_t N>
class CValueKindData : public CKindData
{
public:
    using CKindData::CKindData;
    uint32_t* Values() override { return values; }
    int32_t ValueCount() const override { return N; }
    uint32_t values[N] = {};
};

class CItemKindData : public CValueKindData<1>
{
public:
    CItemKindData() : CValueKindData(KIND_ITEM) {}
};

class CLootKindData : public CValueKindData<2>
{
public:
    CLootKindData() : CValueKindData(KIND_LOOT) {}
};

// Seven values, the byte "Damaging", eight values.
class CToolKindData : public CValueKindData<16>
{
public:
    CToolKindData() : CValueKindData(KIND_TOOL) {}
    static constexpr int32_t kDamaging = 7;
};

// Working time, material, crack type.
class CFixedKindData : public CValueKindData<3>
{
public:
    CFixedKindData() : CValueKindData(KIND_FIXED) { values[1] = 1; }
};

class CCarKindData : public CValueKindData<5>
{
public:
    CCarKindData() : CValueKindData(KIND_CAR) {}
};

// Kinds 4 to 6: the speed factor.
class CCharacterKindData : public CKindData
{
public:
    using CKindData::CKindData;
    uint32_t* Values() override { return &speed; }
    int32_t ValueCount() const override { return 1; }
    uint32_t speed = 0;
};

class CCharacterAKindData : public CCharacterKindData
{
public:
    CCharacterAKindData() : CCharacterKindData(KIND_CHARACTER_A) {}
    void Copy(const CKindData& other) override;
    bool Write(CChunkWriter& writer) const override;
    bool Read(CObjectLogic* owner, CChunkReader& body, uint32_t version) override;
    std::string occupation;
};

// Kinds 7 and 8: working time, material, crack type.
class CPassageKindData : public CKindData
{
public:
    using CKindData::CKindData;
    uint32_t* Values() override { return values; }
    int32_t ValueCount() const override { return 3; }
    uint32_t values[3] = {0, 1, 1};
};

// A self-contained "OPTS" chunk of version 9 around the kind data's fields.
bool WriteOptsChunk(const CKindData& data, CChunkWriter& writer);
// An "OPTS" body (version word first); `owner` takes the character values of
// old kind-4 records (may be null).
bool ReadOptsChunk(CKindData& data, CChunkReader& body, CObjectLogic* owner = nullptr);
