// The attack points dialog driven by its buttons and list, and the view's edits of
// the selected point.
#include "GAMES/Rulo2/editor/AttackPointsDlg.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "tests/editor/EditorWindowsFixture.h"

#include <cstring>

namespace {

using editortest::EditorWindowsTest;

struct SPoint
{
    float x, y, z, angle;
};

SModelPoint Point(float x, float y, float z, float angle)
{
    SModelPoint p;
    const float v[4] = {x, y, z, angle};
    std::memcpy(p.words, v, sizeof v);
    return p;
}

SPoint Read(const SModelPoint& p)
{
    SPoint v;
    std::memcpy(&v, p.words, sizeof v);
    return v;
}

class AttackPoints : public EditorWindowsTest
{
protected:
    void TearDown() override
    {
        if (g_AttackPointsDlg)
            g_AttackPointsDlg->DestroyWindow();
        g_AttackPointsDlg.reset();
        EditorWindowsTest::TearDown();
    }
    AttackPointsDlg& Open()
    {
        EXPECT_TRUE(OpenAttackPointsDialog(tile, nullptr));
        return *g_AttackPointsDlg;
    }
    void Choose(AttackPointsDlg& d, int row)
    {
        d.GetDlgItem(AttackPointsDlg::kList)->selection = row;
        d.Click(AttackPointsDlg::kList);
    }
    std::vector<std::string> Rows(AttackPointsDlg& d) { return d.GetDlgItem(AttackPointsDlg::kList)->list; }
};

TEST_F(AttackPoints, OpeningTiesTheViewAndTheModelWindowsUntilTheDialogCloses)
{
    SelectedAttackPoint = 3;
    AttackPointsDlg& d = Open();
    EXPECT_TRUE(d.IsWindowVisible());
    EXPECT_TRUE(AttackPointMode);
    EXPECT_TRUE(AttackPointModeView);
    EXPECT_EQ(SelectedAttackPoint, -1);
    EXPECT_FALSE(g_ModelListDlg->IsWindowEnabled());
    EXPECT_FALSE(g_ModelTreeDlg->IsWindowEnabled());
    // One dialog at a time.
    EXPECT_FALSE(OpenAttackPointsDialog(tile, nullptr));
    d.Click(AttackPointsDlg::kAdd);
    d.PressKey(platform::VK_ESCAPE);
    EXPECT_FALSE(AttackPointDialogOpen());
    EXPECT_FALSE(AttackPointMode);
    EXPECT_FALSE(AttackPointModeView);
    EXPECT_TRUE(g_ModelListDlg->IsWindowEnabled());
    EXPECT_TRUE(g_ModelTreeDlg->IsWindowEnabled());
    // The index keeps its last value.
    EXPECT_EQ(SelectedAttackPoint, 0);
    EXPECT_FALSE(OpenAttackPointsDialog(nullptr, nullptr));
}

TEST_F(AttackPoints, AddCopyRemoveAndMirrorKeepTheListNumberedAndTheViewsSelection)
{
    AttackPointsDlg& d = Open();
    d.Click(AttackPointsDlg::kAdd);
    EXPECT_EQ(Rows(d), std::vector<std::string>{"AttackPoint #1"});
    EXPECT_EQ(SelectedAttackPoint, 0);
    EXPECT_EQ(d.GetDlgItem(AttackPointsDlg::kList)->selection, -1);

    tile->points = {Point(1, 0, 2, 0.5f), Point(3, 0, 0, 0), Point(5, 1, 5, 1)};
    d.Refill();
    // Copy needs a row of the list; the view's selection alone is not enough.
    SelectedAttackPoint = 1;
    d.Click(AttackPointsDlg::kCopy);
    EXPECT_EQ(tile->points.size(), 3u);
    Choose(d, 0);
    d.Click(AttackPointsDlg::kCopy);
    ASSERT_EQ(tile->points.size(), 4u);
    EXPECT_EQ(SelectedAttackPoint, 3);
    EXPECT_EQ(Read(tile->points[3]).z, 2.0f);
    tile->points.pop_back();

    Choose(d, 1);
    d.Click(AttackPointsDlg::kRemove);
    EXPECT_EQ(Rows(d), (std::vector<std::string>{"AttackPoint #1", "AttackPoint #2"}));
    EXPECT_EQ(Read(tile->points[1]).x, 5.0f);
    EXPECT_EQ(SelectedAttackPoint, -1);
    d.Click(AttackPointsDlg::kRemove);
    d.Click(AttackPointsDlg::kMirror);
    EXPECT_EQ(tile->points.size(), 2u);

    Choose(d, 0);
    d.Click(AttackPointsDlg::kMirror);
    const SPoint m = Read(tile->points[0]);
    EXPECT_EQ(m.x, -1.0f);
    EXPECT_EQ(m.y, 0.0f);
    EXPECT_EQ(m.z, -2.0f);
    EXPECT_EQ(m.angle, 3.6415927f);
    d.Click(AttackPointsDlg::kMirror);
    const SPoint twice = Read(tile->points[0]);
    EXPECT_EQ(twice.x, 1.0f);
    EXPECT_EQ(twice.z, 2.0f);
    EXPECT_NEAR(twice.angle, 0.5f + 2 * 3.1415927f, 1e-6f);
    // Mirroring changes no text: the list keeps its selection.
    EXPECT_EQ(d.GetDlgItem(AttackPointsDlg::kList)->selection, 0);
}

TEST_F(AttackPoints, TheViewTurnsAndMovesOnlyTheSelectedPointWhileTheDialogIsOpen)
{
    tile->points = {Point(1, 0, 2, 0.5f)};
    AttackPointsDlg& d = Open();
    EXPECT_FALSE(TurnAttackPointRandomly());
    EXPECT_FALSE(BeginAttackPointDrag());
    Choose(d, 0);
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(TurnAttackPointRandomly());
        const float quarters = Read(tile->points[0]).angle / (3.1415927f / 2);
        EXPECT_FLOAT_EQ(quarters, std::round(quarters));
        EXPECT_GE(quarters, 0.0f);
        EXPECT_LE(quarters, 3.0f);
    }
    ASSERT_TRUE(BeginAttackPointDrag());
    const float start = Read(tile->points[0]).angle;
    TurnAttackPointBy(0.25f);
    TurnAttackPointBy(0.5f);
    EXPECT_FLOAT_EQ(Read(tile->points[0]).angle, start + 0.5f);
    MoveAttackPointBy(CVector(0.5f, 0, -1));
    EXPECT_EQ(Read(tile->points[0]).x, 1.5f);
    EXPECT_EQ(Read(tile->points[0]).z, 1.0f);
    d.DestroyWindow();
    EXPECT_FALSE(TurnAttackPointRandomly());
}

} // namespace
