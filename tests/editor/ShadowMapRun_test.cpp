// A whole run of the lightmap renderer: the properties dialog, the worker thread, the
// modal progress dialog polling its snapshot, Cancel, and the report at the end.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/editor/shadowmap/ShadowMapDialogs.h"
#include "platform/win/MessageBox.h"

#include "tests/editor/ShadowMapTestWorld.h"
#include <cstring>

using namespace shadowtest;

namespace {

class ShadowMapRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedMode = GameModeFlag;
        GameModeFlag = 0;
        CreateWorldRoots();
        ClearWorld();
        platform::ui::ClearDialogAnswers();
        ShadowMapRendererDlg::ClearAnswers();
    }
    void TearDown() override
    {
        platform::ui::ClearDialogAnswers();
        ShadowMapRendererDlg::ClearAnswers();
        DestroyWorldRoots();
        GameModeFlag = savedMode;
    }

    // A street of houses: a floor and a light in each house's inside group, a big lit square
    // outside; enough texels that every pass takes a while.
    void BuildStreet(int32_t houses)
    {
        CModelEntry* floor = AddEntry(MakeQuadsModel("Floor", 2.0f, {CVector(0, 0, 0)}));
        CModelEntry* square = AddEntry(MakeQuadsModel("Square", 4.0f, {CVector(0, 0, 0)}));
        for (int32_t i = 0; i < houses; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "Haus_%d", i);
            CWorldObject* inside = Group(Group(g_WorldRoot, name), "innen");
            AddInstance(inside, floor, CVector(float(i) * 3, 0, 0));
            PointLight(inside, CVector(float(i) * 3 + 1, 1, 1), 3.0f);
        }
        AddInstance(g_WorldRoot, square, CVector(0, 0, 4));
        PointLight(g_WorldRoot, CVector(2, 2, 6), 10.0f);
        PointLight(g_WorldRoot, CVector(6, 2, 8), 10.0f);
    }

    // The properties dialog answered with a texture size and the button, as a script answers it.
    static void AnswerProperties(uint32_t textureSize, bool ok, bool multipleRays = false)
    {
        platform::ui::QueueDialogAnswer(
            {ShadowMapRendererPropertiesDlg::IDD,
             {{ShadowMapRendererPropertiesDlg::IDC_TEXTURE_SIZE, std::to_string(textureSize)},
              {ShadowMapRendererPropertiesDlg::IDC_MULTIPLE_RAYS, multipleRays ? "1" : "0"}},
             ok ? platform::ui::IDOK : platform::ui::IDCANCEL});
    }

    CShadowMapRenderer r;
    uint8_t savedMode = 1;
};

TEST_F(ShadowMapRun, CancelInThePropertiesDialogStartsNoThread)
{
    BuildStreet(1);
    AnswerProperties(16, false);
    bool progressShown = false;
    ShadowMapRendererDlg::QueueAnswer([&](ShadowMapRendererDlg&) { return progressShown = true; });
    r.Run(g_WorldRoot, nullptr);
    EXPECT_FALSE(progressShown);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.textureCount, 0);
    EXPECT_EQ(g_RunningShadowMapRenderer.load(), nullptr);
    EXPECT_EQ(g_WorldRoot->FirstObject()->FirstObject()->FirstObject()->shadowTexture, nullptr);
}

TEST_F(ShadowMapRun, PropertiesRefuseATextureSizeOutsideOneTo1024)
{
    ShadowMapRendererPropertiesDlg d;
    d.textureSize = 16;
    d.Create(nullptr);
    struct Case
    {
        const char* typed;
        bool accepted;
    };
    for (const Case c : {Case{"0", false}, Case{"1025", false}, Case{"", false}, Case{"1", true},
                         Case{"1024", true}, Case{"6x4", true}}) {
        SCOPED_TRACE(c.typed);
        d.TypeText(ShadowMapRendererPropertiesDlg::IDC_TEXTURE_SIZE, c.typed);
        EXPECT_EQ(d.UpdateData(true), c.accepted);
    }
    EXPECT_EQ(d.textureSize, 64u) << "digits only";
    // The colour dialog starts from the transferred values, not from what was typed, and
    // what it returns replaces the typing.
    d.red = 10, d.green = 20, d.blue = 30;
    d.TypeText(ShadowMapRendererPropertiesDlg::IDC_RED, "99");
    EXPECT_EQ(d.SelectStartColour(), 10u | 20u << 8 | 30u << 16);
    d.OnColourChosen(1u | 2u << 8 | 3u << 16);
    EXPECT_EQ(d.GetDlgItemText(ShadowMapRendererPropertiesDlg::IDC_RED), "1");
    EXPECT_EQ(d.blue, 3);
}

TEST_F(ShadowMapRun, ARunRendersOnTheWorkerKeepsTheBarsInTheirHalvesAndReportsAtTheEnd)
{
    BuildStreet(4);
    AnswerProperties(96, true, true);
    int32_t insideSeen = 0, outsideSeen = 0, outOfRange = 0, unlikeSnapshot = 0;
    std::string result, step, button;
    ShadowMapRendererDlg::QueueAnswer([&](ShadowMapRendererDlg& d) {
        const ShadowProgress& p = d.shown;
        // The controls show the snapshot of this frame.
        unlikeSnapshot +=
            d.GetDlgItemText(ShadowMapRendererDlg::IDC_STEP) != p.stepLine ||
            d.GetDlgItem(ShadowMapRendererDlg::IDC_OVERALL_BAR)->position != p.overallPosition ||
            d.GetDlgItem(ShadowMapRendererDlg::IDC_PASS_BAR)->position != p.passPosition;
        if (p.stepLine.rfind("Rendering inside group", 0) == 0) {
            ++insideSeen;
            outOfRange += p.overallPosition < 0 || p.overallPosition > 500;
        } else if (p.stepLine == "Rendering outside world...") {
            ++outsideSeen;
            outOfRange += p.overallPosition < 500 || p.overallPosition > 1000;
        }
        if (!d.renderer->finished)
            return false;
        d.Poll();
        result = d.GetDlgItemText(ShadowMapRendererDlg::IDC_RESULT);
        step = d.GetDlgItemText(ShadowMapRendererDlg::IDC_STEP);
        button = d.GetDlgItemText(ShadowMapRendererDlg::IDC_BUTTON);
        d.OnButton();
        return true;
    });
    r.Run(g_WorldRoot, nullptr);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(g_RunningShadowMapRenderer.load(), nullptr);
    EXPECT_GT(insideSeen, 0);
    EXPECT_GT(outsideSeen, 0);
    EXPECT_EQ(outOfRange, 0);
    EXPECT_EQ(unlikeSnapshot, 0);
    EXPECT_EQ(button, "OK");
    EXPECT_EQ(step, "ShadowMap calculation finished");
    EXPECT_NE(result.find("textures reduces ("), std::string::npos) << result;
    EXPECT_EQ(r.groupTotal, 4);
    EXPECT_EQ(r.textureCount, 2);
    EXPECT_NE(g_WorldRoot->FirstObject()->FirstObject()->FirstObject()->shadowTexture, nullptr);
}

TEST_F(ShadowMapRun, CancelStopsTheWorkerWithinOneTriangleAndClosesTheDialogAtOnce)
{
    BuildStreet(2);
    AnswerProperties(128, true, true);
    int32_t raysAtCancel = -1;
    bool endedAtOnce = false, finishedAtCancel = true;
    ShadowMapRendererDlg::QueueAnswer([&](ShadowMapRendererDlg& d) {
        if (d.shown.triangleLine.empty())
            return false;
        raysAtCancel = d.renderer->tracedRays.load();
        finishedAtCancel = d.renderer->finished;
        d.OnButton();
        endedAtOnce = d.Ended() && d.Result() == platform::IDCANCEL;
        return true;
    });
    r.Run(g_WorldRoot, nullptr);
    ASSERT_GE(raysAtCancel, 0);
    EXPECT_FALSE(finishedAtCancel);
    EXPECT_TRUE(endedAtOnce);
    EXPECT_TRUE(r.finished) << "Run returns only after the worker has finished";
    EXPECT_EQ(g_RunningShadowMapRenderer.load(), nullptr);
    // One triangle can at most cover its whole lightmap, five rays a texel, every light.
    int32_t mostRays = 0;
    for (const ShadowTexture& t : r.textures)
        mostRays = std::max(mostRays, int32_t(t.layoutWidth * t.layoutHeight) * 5 * 3);
    EXPECT_LE(r.tracedRays.load() - raysAtCancel, mostRays);
    // A cancelled run leaves the world as it was.
    EXPECT_EQ(g_WorldRoot->FirstObject()->FirstObject()->FirstObject()->shadowTexture, nullptr);
}

TEST_F(ShadowMapRun, ASecondRunWhileOneRunsIsIgnored)
{
    BuildStreet(1);
    AnswerProperties(16, true);
    CShadowMapRenderer second;
    bool asked = false;
    ShadowMapRendererDlg::QueueAnswer([&](ShadowMapRendererDlg&) {
        asked = true;
        second.Run(g_WorldRoot, nullptr);
        return true;
    });
    r.Run(g_WorldRoot, nullptr);
    EXPECT_TRUE(asked);
    EXPECT_EQ(second.worldRoot, nullptr);
    EXPECT_FALSE(second.finished);
    EXPECT_TRUE(r.finished);
}

TEST_F(ShadowMapRun, ARootWithoutInstancesReportsNothingReducedAndZeroPercent)
{
    Group(g_WorldRoot, "Empty");
    AnswerProperties(16, true);
    std::string result;
    ShadowMapRendererDlg::QueueAnswer([&](ShadowMapRendererDlg& d) {
        if (!d.renderer->finished)
            return false;
        d.Poll();
        result = d.shown.resultLine;
        d.OnButton();
        return true;
    });
    r.Run(g_WorldRoot, nullptr);
    EXPECT_EQ(result, "0 textures reduces ( 0% or 0 bytes saved");
}

TEST_F(ShadowMapRun, CalcGroupShadowMapsBakesOneGroupAndTheFinishedRunClosesWithoutAPerson)
{
    BuildStreet(2);
    auto child = [](CWorldObject* group, const char* name) {
        for (CWorldObject* c = group->FirstObject(); c; c = c->NextObject())
            if (std::strcmp(c->GetName(), name) == 0)
                return c;
        return static_cast<CWorldObject*>(nullptr);
    };
    CWorldObject* house0 = child(g_WorldRoot, "Haus_0");
    CWorldObject* house1 = child(g_WorldRoot, "Haus_1");
    ASSERT_TRUE(house0 && house1);
    CWorldObject* floor0 = house0->FirstObject()->FirstObject();
    CWorldObject* floor1 = house1->FirstObject()->FirstObject();
    CWorldObject* empty = Group(g_WorldRoot, "Empty");

    // Nodes that are no group with children ask nothing.
    static std::vector<std::string> uiLog;
    uiLog.clear();
    platform::ui::SetLog([](const char* line) { uiLog.push_back(line); });
    for (CWorldObject* node : {static_cast<CWorldObject*>(nullptr), floor0, empty})
        CalcGroupShadowMaps(node);
    EXPECT_TRUE(uiLog.empty()) << uiLog.front();

    // No answer for the progress dialog: it closes itself once the worker has finished.
    AnswerProperties(16, true);
    CalcGroupShadowMaps(house0);
    platform::ui::SetLog(nullptr);
    EXPECT_EQ(g_RunningShadowMapRenderer.load(), nullptr);
    EXPECT_NE(floor0->shadowTexture, nullptr);
    EXPECT_EQ(floor1->shadowTexture, nullptr) << "another house is not baked";
    EXPECT_TRUE(uiLog.empty()) << uiLog.front();
}

TEST_F(ShadowMapRun, RendererMessagesReachTheMainThreadInOrder)
{
    // A mesh whose triangle names a vertex it does not have.
    CRootNode* model = MakeQuadsModel("Broken", 1.0f, {CVector(0, 0, 0)});
    auto* mesh = static_cast<CMeshNode*>(model->FirstModelChild());
    mesh->indices[1] = 40;
    AddInstance(g_WorldRoot, AddEntry(model), CVector(0, 0, 0));
    AnswerProperties(16, true);
    std::vector<std::string> logged;
    static std::vector<std::string>* sink = nullptr;
    sink = &logged;
    platform::SetMessageBoxLog([](const char* line) { sink->push_back(line); });
    r.Run(g_WorldRoot, nullptr);
    platform::SetMessageBoxLog(nullptr);
    EXPECT_TRUE(r.finished);
    ASSERT_FALSE(logged.empty());
    EXPECT_NE(logged.front().find("Illegal vertex index"), std::string::npos) << logged.front();
}

} // namespace
