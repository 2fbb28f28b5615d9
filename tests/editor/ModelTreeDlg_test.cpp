// The Model Tree window: the current model's nodes, renaming with the shape
// node, deleting, and the mesh commands.
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/editor/ModelTreeDlg.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "tests/editor/EditorWindowsFixture.h"
#include "tests/world/ServicesFixture.h"

namespace {

class ModelTree : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        auto* model = new CRootNode();
        frame = new CFrameNode("Transform");
        mesh = TriangleMesh("TransformShape");
        frame->AddChild(mesh);
        model->AddChild(frame);
        other = TriangleMesh("Loose");
        model->AddChild(other);
        entry = new CModelEntry;
        entry->SetName("Gate");
        entry->model = model;
        g_ModelListRoot->AddChild(entry);
        EditorSelectModel(entry, false);
        Window().Rebuild();
    }
    void TearDown() override
    {
        g_ModelTreeView.fullView = 0;
        EditorWindowsTest::TearDown();
    }
    static ModelTreeDlg& Window() { return *g_ModelTreeDlg; }
    static void SelectItem(HTREEITEM item)
    {
        Window().tree.platform::ui::TreeCtrl::SelectItem(item, platform::ui::TreeAction::ByMouse);
    }
    static void EndEdit(const char* text)
    {
        platform::ui::TreeNotify n;
        n.code = platform::ui::TreeCode::EndLabelEdit;
        n.item = Window().tree.TreeCtrl::GetSelectedItem();
        n.text = text;
        Window().OnTreeNotify(n);
    }

    CModelEntry* entry = nullptr;
    CFrameNode* frame = nullptr;
    CMeshNode *mesh = nullptr, *other = nullptr;
};

TEST_F(ModelTree, RenamingATransformWithAShapeMeshNamesTheMeshAfterIt)
{
    // The compact view shows the transform through its mesh's item.
    ASSERT_EQ(frame->id, 0u);
    ASSERT_NE(mesh->id, 0u);
    EXPECT_EQ(Window().tree.GetItemText(mesh->id), "Transform");
    SelectItem(mesh->id);
    CModelNode* shape = nullptr;
    EXPECT_EQ(Window().Selected(&shape), frame);
    EXPECT_EQ(shape, mesh);
    EndEdit("Door");
    EXPECT_STREQ(frame->GetName(), "Door");
    EXPECT_STREQ(mesh->GetName(), "DoorShape");
    EXPECT_EQ(Window().tree.GetItemText(mesh->id), "Door");

    // In the full view each node has its own item and a mesh no shape node.
    Window().OnCommand(ModelTreeDlg::ID_SHOW_ALL_NODES);
    ASSERT_NE(frame->id, 0u);
    SelectItem(other->id);
    EndEdit("Plank");
    EXPECT_STREQ(other->GetName(), "Plank");
    EXPECT_EQ(Window().tree.GetItemText(other->id), "Plank");
    EXPECT_STREQ(mesh->GetName(), "DoorShape");
}

TEST_F(ModelTree, MeshCommandsWorkOnTheSelectedMesh)
{
    SelectItem(mesh->id);
    const uint16_t second = mesh->indices[1], third = mesh->indices[2];
    Window().OnCommand(ModelTreeDlg::ID_INVERSE_CULLING);
    EXPECT_EQ(mesh->indices[1], third);
    EXPECT_EQ(mesh->indices[2], second);
    struct Case
    {
        int id;
        uint8_t CMeshNode::*flag;
    } cases[] = {{ModelTreeDlg::ID_BACKFACE_CULLING, &CMeshNode::backfaceCulling},
                 {ModelTreeDlg::ID_COMPLEX, &CMeshNode::complex},
                 {ModelTreeDlg::ID_INSIDE, &CMeshNode::inside},
                 {ModelTreeDlg::ID_SMOOTH, &CMeshNode::smooth},
                 {ModelTreeDlg::ID_LIGHT_FLARE, &CMeshNode::lightFlare}};
    for (const Case& k : cases) {
        const uint8_t before = mesh->*k.flag;
        Window().OnCommand(k.id);
        EXPECT_EQ(mesh->*k.flag, before ? 0 : 1) << k.id;
        EXPECT_EQ(other->*k.flag, CMeshNode("x").*k.flag) << k.id;
    }
}

TEST_F(ModelTree, DeleteRemovesTheNodeAndItsShapeInTheModelViewOnly)
{
    SelectItem(mesh->id);
    platform::ui::TreeNotify del;
    del.code = platform::ui::TreeCode::KeyDown;
    del.key = 0x2E;
    SelectView(VIEW_PERSPECTIVE);
    Window().OnTreeNotify(del);
    EXPECT_EQ(entry->model->firstChild, frame);
    SelectView(VIEW_MODEL);
    Window().OnTreeNotify(del);
    EXPECT_EQ(entry->model->firstChild, other);
    EXPECT_EQ(other->next, nullptr);
    EXPECT_EQ(Window().tree.GetCount(), 2u);
    SelectView(VIEW_PERSPECTIVE);
}

TEST_F(ModelTree, WithoutACurrentModelNothingHappens)
{
    SelectItem(mesh->id);
    ForgetCurrentEntry();
    const uint8_t culling = mesh->backfaceCulling;
    Window().OnCommand(ModelTreeDlg::ID_BACKFACE_CULLING);
    EndEdit("Gone");
    EXPECT_EQ(mesh->backfaceCulling, culling);
    EXPECT_STREQ(frame->GetName(), "Transform");
}

} // namespace
