// The attack points dialog driven by its buttons and list, and the view's edits of
// the selected point.
#include "GAMES/Rulo2/editor/AttackPointsDlg.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "tests/editor/EditorWindowsFixture.h"
#include "tests/support/TestDevice.h"

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

// Drag 6: with no point selected, the frame of the mesh drawn under the cursor moves.
// The model is a square over the left half of a 64 x 64 view (identity view and
// projection) in a frame below a joint.
TEST_F(AttackPoints, WithNoPointSelectedTheFrameOfTheMeshUnderTheCursorMoves)
{
    TestDevice device;
    ASSERT_NO_FATAL_FAILURE(device.Open(64, 64));
    auto* model = new CRootNode();
    auto* joint = static_cast<CJointNode*>(model->AddChild(new CJointNode("Hip")));
    joint->scaling = CVector(1, 1, 1);
    auto* frame = static_cast<CFrameNode*>(joint->AddChild(new CFrameNode("Seat")));
    frame->scaling = CVector(1, 1, 1);
    frame->translation = CVector(0, 0, 0.5f);
    auto* mesh = static_cast<CMeshNode*>(frame->AddChild(new CMeshNode("SeatShape")));
    MeshVertex v[4] = {};
    const float xy[4][2] = {{-1, 1}, {0, 1}, {0, -1}, {-1, -1}};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xy[i][0];
        v[i].y = xy[i][1];
        v[i].nz = -1;
    }
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    mesh->SetVertices(v, 4);
    mesh->SetIndices(idx, 6);
    mesh->SetMaterialCount(1);
    mesh->materials[0].vertexCount = 4;
    mesh->materials[0].indexCount = 6;
    delete tile->model;
    tile->model = model;
    model->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    D3DMATRIX identity;
    std::memcpy(&identity, CMatrix::Identity.m, sizeof identity);
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
    DX.device->BeginScene();
    // Each pick sees the picture of a new frame, as in the editor.
    const auto fresh = [] {
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    };

    EXPECT_FALSE(BeginModelNodeDrag(16, 32)) << "no dialog open";
    tile->points = {Point(1, 0, 2, 0.5f)};
    AttackPointsDlg& d = Open();
    fresh();
    EXPECT_FALSE(BeginModelNodeDrag(48, 32)) << "nothing drawn there";
    fresh();
    ASSERT_TRUE(BeginModelNodeDrag(16, 32));
    MoveModelNodeBy(CVector(0.25f, 0, 0));
    MoveModelNodeBy(CVector(0.5f, 0.125f, 0));
    EXPECT_EQ(frame->translation.x, 0.5f);
    EXPECT_EQ(frame->translation.y, 0.125f);
    EXPECT_EQ(frame->translation.z, 0.5f);
    EXPECT_EQ(joint->translation.x, 0.0f);
    // A selected point is dragged instead.
    Choose(d, 0);
    fresh();
    EXPECT_FALSE(BeginModelNodeDrag(16, 32));
    DX.device->EndScene();
    d.DestroyWindow();
    MoveModelNodeBy(CVector(1, 1, 1));
    EXPECT_EQ(frame->translation.x, 0.5f) << "the dialog closed";
    device.Close();
}

} // namespace
