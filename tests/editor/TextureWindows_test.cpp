// The Texture Manager, Material Manager and Texture List windows, and the Model
// Tree's selection that they follow, driven by command ids as the menus give them.
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/ui/Ui.h"
#include "tests/editor/EditorWindowsFixture.h"
#include "tests/render/TextureTestRig.h"
#include "tests/world/ServicesFixture.h"

#include <cmath>

namespace {

using editortest::Boxes;
using TM = TextureManagerDlg;
using MM = MaterialManagerDlg;

class TextureWindows : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        CTexturePage::DeleteAll();
    }
    void TearDown() override
    {
        SelectView(VIEW_PERSPECTIVE);
        ForgetCurrentEntry();
        ClearWorld();
        CTexturePage::DeleteAll();
        for (CTexture* t : textures)
            delete t;
        EditorWindowsTest::TearDown();
    }

    CTexture* Texture(const char* name, int size = 64)
    {
        auto* t = new CTexture(name);
        t->width = t->height = size;
        textures.push_back(t);
        return t;
    }
    // A page with one entry per rectangle, each showing `texture`.
    static CTexturePage* Page(CTexture* texture, std::initializer_list<RECT> rects)
    {
        auto* page = new CTexturePage();
        for (const RECT& r : rects) {
            CTexturePageEntry e;
            e.texture = texture;
            e.pageRect = r;
            e.textureRect = RECT{0, 0, 256, 256};
            page->entries.push_back(e);
        }
        return page;
    }
    // A model "Gate" of a frame "Transform" over a mesh with texture
    // coordinates up to `reach`, current and shown in the Model Tree.
    CMeshNode* Model(float reach = 1.0f)
    {
        auto* model = new CRootNode();
        frame = new CFrameNode("Transform");
        mesh = TriangleMesh("TransformShape");
        mesh->vertices[1].u = reach;
        mesh->vertices[2].v = 1.0f;
        mesh->SetVertices(std::vector<MeshVertex>(mesh->vertices, mesh->vertices + 3).data(), 3);
        if (!mesh->materials[0].surface)
            mesh->materials[0].surface = new CSurfaceMaterial();
        frame->AddChild(mesh);
        model->AddChild(frame);
        entry = new CModelEntry;
        entry->SetName("Gate");
        entry->model = model;
        g_ModelListRoot->AddChild(entry);
        EditorSelectModel(entry, false);
        g_ModelTreeDlg->Rebuild();
        return mesh;
    }
    static void SelectInModelTree(HTREEITEM item)
    {
        g_ModelTreeDlg->tree.platform::ui::TreeCtrl::SelectItem(item, platform::ui::TreeAction::ByMouse);
    }
    static TM& Manager() { return *g_TextureManagerDlg; }
    static MM& Materials() { return *g_MaterialManagerDlg; }
    static std::string Status() { return Manager().GetDlgItemText(TM::IDC_STATUS); }
    static bool Enabled(platform::ui::Dialog& d, int id) { return d.GetDlgItem(id)->enabled; }

    std::vector<CTexture*> textures;
    CModelEntry* entry = nullptr;
    CFrameNode* frame = nullptr;
    CMeshNode* mesh = nullptr;
};

TEST_F(TextureWindows, ManagerCountsWhatExistsAndScrollsWithinIt)
{
    Manager().Refresh();
    EXPECT_EQ(Manager().showMode, TM::SHOW_NOTHING);
    EXPECT_EQ(Status(), "");
    EXPECT_FALSE(Enabled(Manager(), TM::IDC_SCROLL));

    CTexture* brick = Texture("Brick");
    Texture("Alpha");
    Texture(nullptr);
    Page(brick, {});
    Page(brick, {});
    Manager().Refresh();
    EXPECT_EQ(Manager().showMode, TM::SHOW_PAGES);
    EXPECT_EQ(Status(), "1 of 2 texture-pages");
    EXPECT_TRUE(Enabled(Manager(), TM::IDC_SCROLL));
    EXPECT_EQ(Manager().GetDlgItem(TM::IDC_SCROLL)->rangeHigh, 1);
    // Past the last page the index stays there.
    Manager().Scroll(TM::IDC_SCROLL, platform::ui::SB_LINERIGHT);
    Manager().Scroll(TM::IDC_SCROLL, platform::ui::SB_PAGERIGHT);
    EXPECT_EQ(Status(), "2 of 2 texture-pages");
    Manager().Scroll(TM::IDC_SCROLL, platform::ui::SB_LEFT);
    EXPECT_EQ(Manager().pageIndex, 0);

    Manager().OnCommand(TM::ID_SHOW_TEXTURES);
    EXPECT_EQ(Status(), "1 of 2 ('Brick')");
    Manager().Scroll(TM::IDC_SCROLL, platform::ui::SB_THUMBTRACK, 5);
    EXPECT_EQ(Status(), "2 of 2 ('Alpha')");
    EXPECT_EQ(Manager().ShownTexture()->name, "Alpha");

    // "New Texture-Page" shows the new last page.
    Manager().OnCommand(TM::ID_NEW_PAGE);
    EXPECT_EQ(Status(), "3 of 3 texture-pages");
    // The menu follows the view.
    platform::ui::Menu menu;
    menu.AddItem(TM::ID_ADD_TEXTURE, "Add");
    menu.AddItem(TM::ID_DELETE_PAGE, "Delete");
    menu.AddItem(TM::ID_SHOW_USED_PAGES, "Used");
    Manager().OnInitMenuPopup(menu);
    EXPECT_FALSE(menu.FindItem(TM::ID_ADD_TEXTURE)->enabled);
    EXPECT_TRUE(menu.FindItem(TM::ID_DELETE_PAGE)->enabled);
    EXPECT_FALSE(menu.FindItem(TM::ID_SHOW_USED_PAGES)->enabled);
}

TEST_F(TextureWindows, PageSizeDialogOffersOnlySidesThatHoldTheEntries)
{
    CTexture* brick = Texture("Brick");
    CTexturePage* page = Page(brick, {RECT{0, 0, 40, 16}});
    CTexturePageSizeDlg dialog(*page);
    dialog.OnInitDialog();
    EXPECT_FALSE(dialog.GetDlgItem(CTexturePageSizeDlg::IDC_16)->enabled);
    EXPECT_FALSE(dialog.GetDlgItem(CTexturePageSizeDlg::IDC_32)->enabled);
    EXPECT_TRUE(dialog.GetDlgItem(CTexturePageSizeDlg::IDC_64)->enabled);
    EXPECT_EQ(dialog.GetDlgItem(CTexturePageSizeDlg::IDC_256)->check, platform::ui::BST_CHECKED);

    // Through the menu: 64 x 64 chosen.
    Manager().Refresh(TM::SHOW_PAGES, 0);
    platform::ui::QueueDialogAnswer({CTexturePageSizeDlg::IDD, {{CTexturePageSizeDlg::IDC_64, "1"}}});
    Manager().OnCommand(TM::ID_RESIZE_PAGE);
    EXPECT_EQ(page->width, 64);
    EXPECT_EQ(page->height, 64);
    platform::ui::ClearDialogAnswers();
}

TEST_F(TextureWindows, HandlesPickTheEdgesADragMoves)
{
    EXPECT_EQ(TM::HandleAt(RECT{0, 0, 64, 64}, 60, 60), 5);
    EXPECT_EQ(TM::HandleAt(RECT{0, 0, 64, 64}, 1, 1), 1);
    EXPECT_EQ(TM::HandleAt(RECT{0, 0, 64, 64}, 31, 2), 2);
    EXPECT_EQ(TM::HandleAt(RECT{0, 0, 64, 64}, 2, 31), 8);
    EXPECT_EQ(TM::HandleAt(RECT{0, 0, 64, 64}, 20, 20), 0);
    const uint32_t stretch[] = {15, 3, 2, 6, 4, 12, 8, 9, 1};
    for (int handle = 0; handle <= 8; ++handle) {
        EXPECT_EQ(TM::EdgeMask(handle, TM::EDIT_STRETCH), stretch[handle]) << handle;
        EXPECT_EQ(TM::EdgeMask(handle, TM::EDIT_RESIZE), handle ? stretch[handle] | 16u : 15u) << handle;
    }

    CTexture* brick = Texture("Brick");
    CTexturePage* page = Page(brick, {RECT{0, 0, 64, 64}});
    Manager().Refresh(TM::SHOW_PAGES, 0);
    Manager().OnCommand(TM::ID_RESIZE_MODE);
    Manager().OnLButtonDown(60, 60);
    EXPECT_EQ(Manager().entry, 0);
    EXPECT_EQ(Manager().dragEdges, 28u);
    Manager().OnLButtonUp(60, 60);

    Manager().OnCommand(TM::ID_STRETCH_MODE);
    Manager().OnLButtonDown(60, 60);
    EXPECT_EQ(Manager().dragEdges, 12u);
    // The first two moves are a plain click's jitter.
    Manager().OnMouseMove(70, 70);
    Manager().OnMouseMove(70, 70);
    EXPECT_EQ(page->entries[0].pageRect.right, 64);
    Manager().OnMouseMove(70, 68);
    Manager().OnLButtonUp(70, 68);
    EXPECT_EQ(page->entries[0].pageRect.right, 74);
    EXPECT_EQ(page->entries[0].pageRect.bottom, 72);
    EXPECT_EQ(page->entries[0].pageRect.left, 0);
}

// With the render engine halving textures a surface holds a quarter of the pixels; the views
// still draw the texture at its own size, each texel read standing for two per halved side.
TEST_F(TextureWindows, ViewsDrawHalvedTexturesAtTheirOwnSize)
{
    TextureDeviceRig rig;
    DX.halveTextureWidths = DX.halveTextureHeights = true;
    // Red on the left, blue on the right, green in the bottom-right quarter.
    std::vector<uint32_t> words;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            words.push_back(x < 16 ? 0xFFFF0000u : y < 16 ? 0xFF0000FFu : 0xFF00FF00u);
    imgImage img;
    FillImage(img, 32, 32, words);
    auto* t = new CTexture("Halved");
    ASSERT_TRUE(t->CreateFromImage(img, false));
    ASSERT_EQ(t->width, 32);
    Manager().ShowWindow(platform::SW_SHOW);
    Manager().Refresh(TM::SHOW_TEXTURES, 0);
    auto picture = Manager().GetDlgItem(TM::IDC_VIEW)->picture;
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 32);
    ASSERT_EQ(picture->height, 32);
    auto at = [&](int x, int y) {
        return picture->pixels[size_t(y) * size_t(picture->width) + size_t(x)] & 0xFFFFFFu;
    };
    EXPECT_EQ(at(4, 4), 0xFF0000u);
    EXPECT_EQ(at(28, 4), 0x0000FFu) << "the right half comes from the halved surface, not black";
    EXPECT_EQ(at(28, 28), 0x00FF00u);

    // A page entry showing the whole texture reads it the same way.
    Page(t, {RECT{0, 0, 32, 32}});
    Manager().Refresh(TM::SHOW_PAGES, 0);
    picture = Manager().GetDlgItem(TM::IDC_VIEW)->picture;
    ASSERT_TRUE(picture);
    EXPECT_EQ(at(28, 28), 0x00FF00u);
    Manager().ShowWindow(platform::SW_HIDE);
}

TEST_F(TextureWindows, SizeCommandsGrowAndShrinkTheCurrentEntryWhereItFits)
{
    CTexture* brick = Texture("Brick", 48);
    CTexturePage* page = Page(brick, {RECT{0, 0, 32, 32}, RECT{128, 0, 160, 32}});
    Manager().Refresh(TM::SHOW_PAGES, 0, 0);
    const RECT& r = page->entries[0].pageRect;
    struct Case
    {
        int id;
        int width, height;
    } cases[] = {{TM::ID_DOUBLE, 64, 64},
                 {TM::ID_HALVE_HORIZONTAL, 32, 64},
                 {TM::ID_DOUBLE_HORIZONTAL, 64, 64},
                 {TM::ID_DOUBLE_HORIZONTAL, 128, 64},
                 {TM::ID_DOUBLE_HORIZONTAL, 128, 64}, // would cover the second entry
                 {TM::ID_HALVE, 64, 32},
                 {TM::ID_ORIGINAL_SIZE, 48, 48}};
    for (const Case& c : cases) {
        platform::ClearMessageBoxAnswers();
        Manager().OnCommand(c.id);
        EXPECT_EQ(r.right - r.left, c.width) << c.id;
        EXPECT_EQ(r.bottom - r.top, c.height) << c.id;
    }
    platform::ui::QueueDialogAnswer(
        {CTextureSizeDlg::IDD, {{CTextureSizeDlg::IDC_WIDTH, "20"}, {CTextureSizeDlg::IDC_HEIGHT, "100"}}});
    Manager().OnCommand(TM::ID_SIZE);
    EXPECT_EQ(r.right - r.left, 20);
    EXPECT_EQ(r.bottom - r.top, 100);
    platform::ui::ClearDialogAnswers();
}

TEST_F(TextureWindows, DeletingPagesAsksAboutPagesInUse)
{
    CTexture* brick = Texture("Brick");
    CTexturePage* used = Page(brick, {RECT{0, 0, 32, 32}});
    Model();
    mesh->materials[0].texture = brick;
    mesh->materials[0].page = used;
    mesh->materials[0].pageEntry = 0;

    Boxes().clear();
    Manager().OnCommand(TM::ID_DELETE_UNUSED_PAGES);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("0 unused texture-pages have been deleted"), std::string::npos);
    EXPECT_EQ(CTexturePage::First(), used);

    Page(brick, {});
    Page(brick, {});
    Boxes().clear();
    Manager().OnCommand(TM::ID_DELETE_UNUSED_PAGES);
    EXPECT_NE(Boxes()[0].find("2 unused texture-pages have been deleted"), std::string::npos);
    EXPECT_EQ(CTexturePage::First(), used);
    EXPECT_EQ(used->next, nullptr);

    // The model's page is shown first; deleting it asks, Cancel keeps it.
    Manager().Refresh();
    EXPECT_EQ(Manager().showMode, TM::SHOW_USED_PAGES);
    EXPECT_EQ(Status(), "1 of 1 used texture-pages");
    platform::QueueMessageBoxAnswer(platform::IDCANCEL);
    Boxes().clear();
    Manager().OnCommand(TM::ID_DELETE_PAGE);
    EXPECT_NE(Boxes()[0].find("Texture-page is still in use. Delete it anyway?"), std::string::npos);
    EXPECT_EQ(CTexturePage::First(), used);
    platform::QueueMessageBoxAnswer(platform::IDOK);
    Manager().OnCommand(TM::ID_DELETE_PAGE);
    EXPECT_EQ(CTexturePage::First(), nullptr);
    EXPECT_EQ(mesh->materials[0].page, nullptr);
    EXPECT_EQ(Manager().showMode, TM::SHOW_USED_TEXTURES);
}

TEST_F(TextureWindows, StretchSliderMapsBothWays)
{
    struct Case
    {
        int slider;
        float stretch;
    } cases[] = {{-3, 0.25f}, {-1, 0.5f}, {0, 1.0f}, {3, 4.0f}, {-19, 0.05f}, {19, 20.0f}};
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(MM::StretchFromSlider(c.slider), c.stretch) << c.slider;
        EXPECT_EQ(MM::SliderFromStretch(c.stretch), c.slider) << c.stretch;
    }
}

TEST_F(TextureWindows, MaterialManagerEditsTheMeshSelectedInTheModelTree)
{
    Model();
    // The transform shows through its mesh's item: the mesh is the selection.
    SelectInModelTree(mesh->id);
    ASSERT_EQ(Materials().Mesh(), mesh);
    EXPECT_TRUE(Enabled(Materials(), MM::IDC_RED));
    EXPECT_TRUE(Enabled(Materials(), MM::IDC_STRETCH_H));
    EXPECT_EQ(Materials().GetDlgItem(MM::IDC_MATERIAL)->list, std::vector<std::string>{"Material #1"});

    Materials().Scroll(MM::IDC_STRETCH_H, platform::ui::SB_THUMBTRACK, -3);
    EXPECT_FLOAT_EQ(mesh->materials[0].scaleU, 0.25f);
    EXPECT_FLOAT_EQ(mesh->vertices[1].u, 0.25f);
    Materials().SetDlgItemText(MM::IDC_STRETCH_V_EDIT, "0.5");
    Materials().LeaveEdit(MM::IDC_STRETCH_V_EDIT);
    EXPECT_FLOAT_EQ(mesh->materials[0].scaleV, 0.5f);
    EXPECT_EQ(Materials().GetDlgItem(MM::IDC_STRETCH_V)->position, -1);
    Materials().SetDlgItemText(MM::IDC_STRETCH_V_EDIT, "soft");
    Materials().LeaveEdit(MM::IDC_STRETCH_V_EDIT);
    EXPECT_FLOAT_EQ(mesh->materials[0].scaleV, 1.0f);

    for (int turn = 1; turn <= 4; ++turn) {
        Materials().Click(MM::IDC_ROTATE);
        EXPECT_EQ(mesh->materials[0].rotations, turn % 4);
    }
    EXPECT_EQ(Materials().GetDlgItemText(MM::IDC_ROTATE), "Rotate 90 Degrees (0 Degrees)");
    Materials().Click(MM::IDC_FLIP_H);
    EXPECT_EQ(mesh->materials[0].flipU, 1);
    Materials().Click(MM::IDC_RESET);
    EXPECT_EQ(mesh->materials[0].flipU, 0);
    EXPECT_FLOAT_EQ(mesh->materials[0].scaleU, 1.0f);

    Materials().SetDlgItemText(MM::IDC_GREEN, "0.5");
    Materials().LeaveEdit(MM::IDC_GREEN);
    EXPECT_FLOAT_EQ(mesh->materials[0].surface->colour[1], 0.5f);
    EXPECT_FLOAT_EQ(mesh->materials[0].surface->colour[5], 0.5f);
    EXPECT_FALSE(Enabled(Materials(), MM::IDC_ALPHA));
    Materials().GetDlgItem(MM::IDC_BLEND)->selection = 1;
    Materials().Click(MM::IDC_BLEND);
    EXPECT_EQ(mesh->materials[0].transparency, 1);
    EXPECT_TRUE(Enabled(Materials(), MM::IDC_ALPHA));

    // A frame node is no mesh: nothing to edit.
    g_ModelTreeDlg->OnCommand(ModelTreeDlg::ID_SHOW_ALL_NODES);
    SelectInModelTree(frame->id);
    EXPECT_EQ(Materials().Mesh(), nullptr);
    for (int id : {MM::IDC_RED, MM::IDC_MATERIAL, MM::IDC_STRETCH_H, MM::IDC_ROTATE, MM::IDC_REMOVE_TEXTURE})
        EXPECT_FALSE(Enabled(Materials(), id)) << id;
    g_ModelTreeDlg->OnCommand(ModelTreeDlg::ID_SHOW_ALL_NODES);
}

TEST_F(TextureWindows, MaterialWithoutCoordinatesHasItsMappingReset)
{
    Model(0.0f);
    for (int i = 0; i < 3; ++i)
        mesh->vertices[i].u = mesh->vertices[i].v = 0.0f;
    mesh->SetVertices(std::vector<MeshVertex>(mesh->vertices, mesh->vertices + 3).data(), 3);
    mesh->materials[0].scaleU = 2.0f;
    mesh->materials[0].rotations = 3;
    SelectInModelTree(mesh->id);
    EXPECT_FLOAT_EQ(mesh->materials[0].scaleU, 1.0f);
    EXPECT_EQ(mesh->materials[0].rotations, 0);
    EXPECT_FALSE(Enabled(Materials(), MM::IDC_STRETCH_H));
    EXPECT_TRUE(Enabled(Materials(), MM::IDC_RED));
}

TEST_F(TextureWindows, TextureListFillsSortedAndAssignsByDoubleClick)
{
    CTexture* wood = Texture("wood");
    CTexture* brick = Texture("Brick");
    CTexture* unnamed = Texture(nullptr);
    CTexture::FillEditorTree(wood);
    CEditorTree& tree = g_TextureListDlg->tree;
    ASSERT_EQ(tree.GetCount(), 2u);
    EXPECT_EQ(tree.GetItemText(tree.GetChildItem(platform::ui::TVI_ROOT)), "Brick");
    EXPECT_EQ(unnamed->treeItem, kNoTextureItem);
    EXPECT_EQ(g_TextureListDlg->TextureOf(), wood);
    CTexture::FillEditorTree(nullptr);
    EXPECT_EQ(tree.GetCount(), 2u);

    Model(1.5f);
    SelectView(VIEW_MODEL);
    tree.platform::ui::TreeCtrl::SelectItem(HTREEITEM(brick->treeItem), platform::ui::TreeAction::ByMouse);
    platform::ui::TreeNotify dbl;
    dbl.code = platform::ui::TreeCode::DblClk;

    // A frame node selected: nothing happens, nothing is asked.
    g_ModelTreeDlg->OnCommand(ModelTreeDlg::ID_SHOW_ALL_NODES);
    SelectInModelTree(frame->id);
    Boxes().clear();
    g_TextureListDlg->OnTreeNotify(dbl);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(mesh->materials[0].texture, nullptr);
    g_ModelTreeDlg->OnCommand(ModelTreeDlg::ID_SHOW_ALL_NODES);

    // Coordinates reaching 1.5: the question first; Cancel keeps the material.
    SelectInModelTree(mesh->id);
    platform::QueueMessageBoxAnswer(platform::IDCANCEL);
    g_TextureListDlg->OnTreeNotify(dbl);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Mesh has no valid texture-coordinates. Proceed anyway?"), std::string::npos);
    EXPECT_EQ(mesh->materials[0].texture, nullptr);
    const int32_t uses = brick->useCount;
    platform::QueueMessageBoxAnswer(platform::IDOK);
    g_TextureListDlg->OnTreeNotify(dbl);
    EXPECT_EQ(mesh->materials[0].texture, brick);
    EXPECT_EQ(mesh->materials[0].pageEntry, -1);
    EXPECT_EQ(brick->useCount, uses + 1);
    EXPECT_EQ(Materials().GetDlgItemText(MM::IDC_REMOVE_TEXTURE), "Remove Texture ('Brick')");
    // The same texture again changes no count.
    platform::QueueMessageBoxAnswer(platform::IDOK);
    g_TextureListDlg->OnTreeNotify(dbl);
    EXPECT_EQ(brick->useCount, uses + 1);

    Materials().Click(MM::IDC_REMOVE_TEXTURE);
    EXPECT_EQ(mesh->materials[0].texture, nullptr);
    EXPECT_EQ(brick->useCount, uses);
    EXPECT_EQ(Materials().GetDlgItemText(MM::IDC_REMOVE_TEXTURE), "Remove Texture");
    EXPECT_FALSE(Enabled(Materials(), MM::IDC_REMOVE_TEXTURE));
}

TEST_F(TextureWindows, ModelTreeSelectionShowsTheMaterialsPageInTheTextureManager)
{
    CTexture* brick = Texture("Brick");
    Page(brick, {});
    CTexturePage* page = Page(brick, {RECT{0, 0, 32, 32}, RECT{32, 0, 64, 32}});
    CTexture::FillEditorTree(nullptr);
    Model();
    mesh->materials[0].texture = brick;
    mesh->materials[0].page = page;
    mesh->materials[0].pageEntry = 1;
    SelectView(VIEW_MODEL);
    SelectInModelTree(mesh->id);
    EXPECT_EQ(Manager().showMode, TM::SHOW_PAGES);
    EXPECT_EQ(Manager().ShownPage(), page);
    EXPECT_EQ(Manager().entry, 1);
    EXPECT_EQ(g_TextureListDlg->TextureOf(), brick);
}

TEST_F(TextureWindows, FreehandDragMapsTheMaterialIntoTheRectangle)
{
    CTexture* brick = Texture("Brick");
    CTexturePage* page = Page(brick, {RECT{0, 0, 64, 64}});
    Model(1.5f);
    SelectView(VIEW_MODEL);
    SelectInModelTree(mesh->id);
    Manager().Refresh(TM::SHOW_PAGES, 0);
    Manager().OnCommand(TM::ID_FREEHAND_MODE);
    Manager().OnLButtonDown(16, 16);
    for (int i = 0; i < 3; ++i)
        Manager().OnMouseMove(48, 40);
    platform::QueueMessageBoxAnswer(platform::IDOK);
    Boxes().clear();
    Manager().OnLButtonUp(48, 40);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Mesh has no valid texture-coordinates. Proceed anyway?"), std::string::npos);
    const CMeshMaterial& m = mesh->materials[0];
    EXPECT_EQ(m.page, page);
    EXPECT_EQ(m.pageEntry, 0);
    EXPECT_EQ(m.texture, brick);
    EXPECT_EQ(m.entryRect[0], 64);
    EXPECT_EQ(m.entryRect[1], 64);
    EXPECT_EQ(m.entryRect[2], 192);
    EXPECT_EQ(m.entryRect[3], 160);
}

} // namespace
