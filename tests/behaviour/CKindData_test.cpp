// Kind data ("OPTS") and conditions ("COND") of every kind and stored version.
#include <gtest/gtest.h>

#include <initializer_list>

#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

// A chunk body written by hand: version, then the words and texts given.
class Body
{
public:
    Body(uint32_t id, uint32_t version) { w.BeginChunk(id, version); }
    Body& Word(uint32_t v)
    {
        w.WriteU32(v);
        return *this;
    }
    Body& Words(std::initializer_list<uint32_t> vs)
    {
        for (uint32_t v : vs)
            w.WriteU32(v);
        return *this;
    }
    Body& Text(const char* t)
    {
        w.WriteString(t);
        return *this;
    }
    // A reader over the body, version word first.
    CChunkReader Reader()
    {
        if (w.OpenChunks())
            w.EndChunk();
        CChunkReader all(w.Data().data(), w.Data().size());
        SChunkHeader header;
        CChunkReader body;
        EXPECT_EQ(all.NextChunk(header, body), CHUNK_OK);
        return body;
    }

private:
    CChunkWriter w;
};

constexpr uint32_t OPTS = ChunkId("OPTS");
constexpr uint32_t COND = ChunkId("COND");

std::vector<uint8_t> WrittenOpts(const CKindData& d)
{
    CChunkWriter w;
    EXPECT_TRUE(WriteOptsChunk(d, w));
    return w.Data();
}

std::vector<uint8_t> WrittenCond(const CKindState& s)
{
    CChunkWriter w;
    EXPECT_TRUE(WriteCondChunk(s, w));
    return w.Data();
}

CChunkReader BodyOf(const std::vector<uint8_t>& data)
{
    CChunkReader all(data.data(), data.size());
    SChunkHeader header;
    CChunkReader body;
    EXPECT_EQ(all.NextChunk(header, body), CHUNK_OK);
    return body;
}

} // namespace

TEST(KindData, FactoriesMakeKindsZeroToNineOnly)
{
    for (int32_t kind = 0; kind < kObjectKinds; ++kind) {
        auto d = CKindData::Create(kind);
        auto s = CKindState::Create(kind);
        ASSERT_NE(d, nullptr) << kind;
        ASSERT_NE(s, nullptr) << kind;
        EXPECT_EQ(d->kind, kind);
        EXPECT_EQ(s->kind, kind);
    }
    for (int32_t kind : {-1, 10, 0x4000}) {
        EXPECT_EQ(CKindData::Create(kind), nullptr);
        EXPECT_EQ(CKindState::Create(kind), nullptr);
    }
    EXPECT_STREQ(KindName(7), "Durchgang-Tuer");
    EXPECT_EQ(KindName(10), nullptr);
}

TEST(KindData, ActivationFlagsArriveWithVersionsEightAndNine)
{
    struct Case
    {
        uint32_t version;
        uint8_t visible, always;
    } cases[] = {{7, 0, 0}, {8, 1, 0}, {9, 1, 1}};
    for (const Case& c : cases) {
        Body b(OPTS, c.version);
        b.Text("Vase").Words({1, 3, 0xFFFFFFFF});
        if (c.version > 7)
            b.Word(0xFFFFFFFF);
        if (c.version > 8)
            b.Word(0xFFFFFFFF);
        b.Words({FloatAsWord(0.25f), FloatAsWord(300.0f)});
        CChunkReader r = b.Reader();
        auto d = CKindData::Create(1);
        ASSERT_TRUE(ReadOptsChunk(*d, r)) << c.version;
        EXPECT_EQ(d->name, "Vase");
        EXPECT_EQ(d->minBurglaryLevel, 3);
        EXPECT_EQ(d->processWhenVisible, c.visible) << c.version;
        EXPECT_EQ(d->processAlways, c.always) << c.version;
        EXPECT_FLOAT_EQ(d->Weight(), 0.25f);
        EXPECT_FLOAT_EQ(d->Price(), 300.0f);
        EXPECT_TRUE(r.AtEnd());
    }
}

TEST(KindData, PassagesOfOldVersionsSkipAWordAndTakeCrackTypeOne)
{
    struct Case
    {
        uint32_t version;
        std::vector<uint32_t> stored;
        uint32_t values[3];
    } cases[] = {
        {5, {99, 40, 2}, {40, 2, 1}},
        {2, {99, 40}, {40, 1, 1}},
        {6, {40, 2, 3}, {40, 2, 3}},
        {0, {}, {0, 1, 1}},
    };
    for (const Case& c : cases) {
        Body b(OPTS, c.version);
        b.Text("Tuer").Words({7, 0, 0});
        for (uint32_t v : c.stored)
            b.Word(v);
        CChunkReader r = b.Reader();
        auto d = CKindData::Create(7);
        ASSERT_TRUE(ReadOptsChunk(*d, r)) << c.version;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(d->Values()[i], c.values[i]) << c.version << " value " << i;
        EXPECT_TRUE(r.AtEnd()) << c.version;
    }
}

TEST(KindData, OldCharacterRecordsHandTheirAttributesToTheConditions)
{
    Body b(OPTS, 3);
    b.Text("Hero").Words({4, 0, 0xFFFFFFFF}).Text("Einbrecher");
    b.Word(42); // age
    b.Word(FloatAsWord(1.5f));
    const float attributes[9] = {0.1f, 0.2f, 70.0f, 0.3f, 0.4f, 0.5f, 40.0f, 0.6f, 0.7f};
    for (float f : attributes)
        b.Word(FloatAsWord(f));
    CChunkReader r = b.Reader();
    CObjectLogic owner;
    auto d = CKindData::Create(4);
    ASSERT_TRUE(ReadOptsChunk(*d, r, &owner));
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(static_cast<CCharacterAKindData&>(*d).occupation, "Einbrecher");
    EXPECT_FLOAT_EQ(d->SpeedFactor(), 1.5f) << "stored between age and the attributes";
    ASSERT_NE(owner.ownConditions, nullptr);
    const auto& s = static_cast<const CCharacterAState&>(*owner.ownConditions);
    EXPECT_EQ(s.age, 42);
    EXPECT_FLOAT_EQ(s.skillfulness, 0.1f);
    EXPECT_FLOAT_EQ(s.alarmSystems, 0.2f);
    EXPECT_FLOAT_EQ(s.weight, 70.0f);
    EXPECT_FLOAT_EQ(s.pickLocks, 0.3f);
    EXPECT_FLOAT_EQ(s.pickSafes, 0.4f);
    EXPECT_FLOAT_EQ(s.fighting, 0.5f);
    EXPECT_FLOAT_EQ(s.strength, 40.0f);
    EXPECT_FLOAT_EQ(s.crimeRecords, 0.6f);
    EXPECT_FLOAT_EQ(s.coolness, 0.7f);

    // Version 5 stores the speed before the text and no speed among the attributes.
    Body b5(OPTS, 5);
    b5.Text("Hero").Words({4, 0, 0, FloatAsWord(2.0f)}).Text("").Word(30);
    for (float f : attributes)
        b5.Word(FloatAsWord(f));
    CChunkReader r5 = b5.Reader();
    auto d5 = CKindData::Create(4);
    ASSERT_TRUE(ReadOptsChunk(*d5, r5, nullptr)) << "without an owner the values are passed over";
    EXPECT_TRUE(r5.AtEnd());
    EXPECT_FLOAT_EQ(d5->SpeedFactor(), 2.0f);
}

TEST(KindData, ToolConditionIsStoredFromVersionSix)
{
    for (uint32_t version : {5u, 6u}) {
        Body b(COND, version);
        if (version > 5)
            b.Word(FloatAsWord(0.25f));
        CChunkReader r = b.Reader();
        CToolState tool;
        ASSERT_TRUE(ReadCondChunk(tool, r));
        EXPECT_FLOAT_EQ(tool.condition, version > 5 ? 0.25f : 1.0f);
    }
}

TEST(KindData, CurrentVersionsRoundTripForEveryKind)
{
    for (int32_t kind = 0; kind < kObjectKinds; ++kind) {
        SCOPED_TRACE(kind);
        auto d = CKindData::Create(kind);
        d->name = "Object " + std::to_string(kind);
        d->minBurglaryLevel = kind + 1;
        d->clickable = 0;
        d->processWhenVisible = 1;
        d->processAlways = kind % 2;
        for (int32_t i = 0; i < d->ValueCount(); ++i)
            d->Values()[i] = kind == 2 && i == CToolKindData::kDamaging ? 1u : uint32_t(100 * kind + i + 1);
        if (kind == 4)
            static_cast<CCharacterAKindData&>(*d).occupation = "Koch";
        const auto opts = WrittenOpts(*d);
        CChunkReader r = BodyOf(opts);
        auto back = CKindData::Create(kind);
        ASSERT_TRUE(ReadOptsChunk(*back, r));
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(WrittenOpts(*back), opts);

        auto s = CKindState::Create(kind);
        if (auto* tool = dynamic_cast<CToolState*>(s.get()))
            tool->condition = 0.5f;
        if (auto* fixed = dynamic_cast<CFixedState*>(s.get()))
            fixed->open = fixed->locked = 1;
        if (auto* passage = dynamic_cast<CPassageState*>(s.get()))
            passage->locked = 1;
        if (auto* character = dynamic_cast<CCharacterState*>(s.get())) {
            auto e = std::make_unique<CDialogEntry>();
            e->active = e->available = 1;
            e->question = "Q_HELLO";
            e->answer = "A_HELLO,A_BYE";
            e->dlgPlus = "2 3";
            e->alwaysMinus = "1";
            e->story = 2;
            e->coolness = -1;
            e->dialogEvent = 7;
            character->entries.push_back(std::move(e));
            character->entries.push_back(std::make_unique<CDialogEntry>());
        }
        if (auto* a = dynamic_cast<CCharacterAState*>(s.get())) {
            a->age = 33;
            a->strength = 45.0f;
            a->crimeRecords = 0.5f;
        }
        const auto cond = WrittenCond(*s);
        CChunkReader c = BodyOf(cond);
        auto sBack = CKindState::Create(kind);
        ASSERT_TRUE(ReadCondChunk(*sBack, c));
        EXPECT_TRUE(c.AtEnd());
        EXPECT_EQ(WrittenCond(*sBack), cond);

        // Copies carry the stored fields but not the activation flags.
        auto copy = CKindData::Create(kind);
        copy->Copy(*d);
        EXPECT_EQ(copy->processWhenVisible, 0);
        EXPECT_EQ(copy->processAlways, 0);
        copy->processWhenVisible = d->processWhenVisible;
        copy->processAlways = d->processAlways;
        EXPECT_EQ(WrittenOpts(*copy), opts);
        auto stateCopy = CKindState::Create(kind);
        stateCopy->CopyFrom(*s);
        EXPECT_EQ(WrittenCond(*stateCopy), cond);
    }
}

TEST(KindData, DamagedRecordsFail)
{
    // A name that does not end inside the body.
    CChunkWriter w;
    w.BeginChunk(OPTS, 9);
    w.WriteId(ChunkId("Vase"));
    w.EndChunk();
    CChunkReader r = BodyOf(w.Data());
    auto d = CKindData::Create(0);
    EXPECT_FALSE(ReadOptsChunk(*d, r));

    // A conversation count far beyond the body.
    Body b(COND, 6);
    b.Word(1000000).Word(0);
    CChunkReader c = b.Reader();
    CCharacterState guard(5);
    EXPECT_FALSE(ReadCondChunk(guard, c));
    EXPECT_LE(guard.entries.size(), 1u);
}
