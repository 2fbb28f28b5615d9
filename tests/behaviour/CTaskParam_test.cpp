// Task parameters: creation and reset values, editor texts, and the records of
// the texts and of the recorded forms.
#include "tests/behaviour/BehaviourFixture.h"

#include "GAMES/Rulo2/behaviour/CTaskParam.h"

namespace {

class TaskParamTest : public BehaviourTest
{
};

// The words of one parameter record after its type id.
std::vector<uint32_t> RecordWords(const CTaskParam& p)
{
    CChunkWriter w;
    w.BeginChunk(ChunkId("TASK"), 0);
    EXPECT_TRUE(p.Write(w));
    w.EndChunk();
    std::vector<uint32_t> words;
    CChunkReader body = OnlyChunkBody(w.Data(), ChunkId("TASK"));
    body.ReadU32(); // version
    EXPECT_EQ(body.ReadI32(), p.typeId);
    while (!body.AtEnd())
        words.push_back(body.ReadU32());
    return words;
}

// Loads a parameter of the type from the words behind its type id.
std::unique_ptr<CTaskParam> Load(int32_t type, const std::vector<uint32_t>& words,
                                 bool bigEndianFirstTwo = false)
{
    CChunkWriter w;
    w.BeginChunk(ChunkId("TASK"), 0);
    for (size_t i = 0; i < words.size(); ++i)
        i < 2 && bigEndianFirstTwo ? w.WriteId(words[i]) : w.WriteU32(words[i]);
    w.EndChunk();
    CChunkReader body = OnlyChunkBody(w.Data(), ChunkId("TASK"));
    body.ReadU32();
    auto p = CreateTaskParam(type);
    EXPECT_TRUE(LoadTaskParam(*p, body));
    return p;
}

} // namespace

TEST_F(TaskParamTest, CreationValuesResetAndTexts)
{
    for (int32_t type = 1; type <= kParamTypeCount; ++type)
        ASSERT_NE(CreateTaskParam(type), nullptr) << type;
    EXPECT_EQ(CreateTaskParam(0), nullptr);
    EXPECT_EQ(CreateTaskParam(17), nullptr);

    CRadiusParam radius;
    EXPECT_FLOAT_EQ(radius.value, 1.0f);
    radius.value = 4.0f;
    radius.Reset();
    EXPECT_FLOAT_EQ(radius.value, 1.0f);
    EXPECT_EQ(radius.Print(nullptr), "Radius = 1.00");

    CTimeParam time;
    time.value = 5400000;
    EXPECT_EQ(time.Print(nullptr), "Time = 01:30");
    EXPECT_EQ(time.Print("Par-Time"), "Par-Time = 01:30");

    CCameraParam camera;
    camera.third[0] = 3.0f;
    EXPECT_EQ(camera.Print(nullptr), "Camera: undefinded");
    camera.target[1] = 2.0f;
    EXPECT_EQ(camera.Print(nullptr), "Camera: pos(0.000, 0.000, 0.000), target(0.000, 2.000, 0.000)");
    camera.Reset();
    EXPECT_FLOAT_EQ(camera.target[1], 0.0f);
    EXPECT_FLOAT_EQ(camera.third[0], 3.0f) << "reset leaves the third vector";

    CObjectParam object;
    EXPECT_EQ(object.Print(nullptr), "Object = undefined");
    CWorldObject* safe = Object("Safe", 2);
    object.Set(safe);
    EXPECT_EQ(object.Print("Sprecher"), "Sprecher = Safe");

    CTextIdParam text;
    EXPECT_EQ(text.Print("Textid"), "Textid = undefined");
    EXPECT_EQ(CCurrentActionParam().Print("ignored"), "Current ActionCode");
    CActionCodeParam action;
    EXPECT_EQ(action.action.action, -1);
    EXPECT_EQ(action.action.slotCode, -1);
    EXPECT_EQ(action.Print(nullptr), "ActionCode = ");
}

TEST_F(TaskParamTest, EmptyAndAbsentTextsWriteOneZeroWord)
{
    CActionNameParam name;
    EXPECT_EQ(RecordWords(name), std::vector<uint32_t>{0});
    name.text = "";
    EXPECT_EQ(RecordWords(name), std::vector<uint32_t>{0});
    auto loaded = Load(PARAM_ACTIONNAME, {0});
    EXPECT_EQ(static_cast<CTextParam&>(*loaded).text, "");
    name.text = "OPEN";
    EXPECT_EQ(RecordWords(name).size(), 2u) << "text, its zero and padding";
}

TEST_F(TaskParamTest, RecordedFormsResolveWhileLoading)
{
    CWorldObject* guard = Object("Guard", 3, 5);
    CWorldObject car("BurglaryCar");
    g_SpecialObject = &car;

    // A recorded action code stored with recorder id 0 stays at its defaults.
    auto none = Load(PARAM_RECORDEDACTION, {ChunkId("ACOD"), 16, 0, 4, 0, 67}, true);
    const CActionEntry& empty = static_cast<CActionParam&>(*none).action;
    EXPECT_EQ(empty.action, -1);
    EXPECT_EQ(empty.target, nullptr);
    EXPECT_EQ(empty.slotCode, -1);

    auto some = Load(PARAM_RECORDEDACTION, {ChunkId("ACOD"), 16, 0, 4, 3, 67}, true);
    const CActionEntry& filled = static_cast<CActionParam&>(*some).action;
    EXPECT_EQ(filled.action, 4);
    EXPECT_EQ(filled.target, guard);
    EXPECT_EQ(filled.slotCode, 67);
    EXPECT_EQ(filled.item, nullptr);

    struct Case
    {
        uint32_t stored;
        CWorldObject* expected;
    } cases[] = {{12345678, &car}, {3, guard}, {0, nullptr}, {4, nullptr}, {0xFFFFFFFF, nullptr}};
    for (const Case& c : cases) {
        auto p = Load(PARAM_RECORDEDOBJECT, {c.stored});
        EXPECT_EQ(static_cast<CRecordedObjectParam&>(*p).object, c.expected) << c.stored;
    }
    CRecordedObjectParam carParam;
    carParam.object = &car;
    EXPECT_EQ(RecordWords(carParam), std::vector<uint32_t>{12345678});

    // A plain action code record without its chunk id keeps the value and
    // passes over the one word.
    auto bare = Load(PARAM_ACTIONCODE, {5});
    EXPECT_EQ(static_cast<CActionParam&>(*bare).action.action, -1);
}
