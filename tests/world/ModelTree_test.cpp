#include "GAMES/Rulo2/world/TreeControl.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"

namespace {

// Records the items as "text(image)" lines indented by depth.
class FakeTree : public CTreeControl
{
public:
    struct Item
    {
        std::string text;
        uint32_t parent;
        int image = -1;
        bool expanded = false, visible = false;
    };

    uint32_t InsertItem(const char* text, uint32_t parent) override
    {
        items[++last] = Item{text, parent};
        order.push_back(last);
        return last;
    }
    void SetItemImage(uint32_t item, int image, int) override { items[item].image = image; }
    void Expand(uint32_t item) override { items[item].expanded = true; }
    void EnsureVisible(uint32_t item) override { items[item].visible = true; }
    void DeleteAllItems() override
    {
        items.clear();
        order.clear();
        selected = 0;
    }
    void SelectItem(uint32_t item) override { selected = item; }
    void AddToSelection(uint32_t item) override { selected = item; }
    uint32_t GetSelectedItem() override { return selected; }

    int Depth(uint32_t item) { return items[item].parent ? Depth(items[item].parent) + 1 : 0; }
    std::string Text()
    {
        std::string out;
        for (uint32_t i : order)
            out += std::string(size_t(Depth(i)), ' ') + items[i].text + "(" + std::to_string(items[i].image) +
                   ")\n";
        return out;
    }

    std::map<uint32_t, Item> items;
    std::vector<uint32_t> order;
    uint32_t last = 100, selected = 0;
};

struct ViewGuard
{
    ~ViewGuard() { g_ModelTreeView = SModelTreeView{}; }
};

// root, frame "Body" holding mesh "Box" (first) and locator "tip", frame "Hand" holding locator "grip".
std::unique_ptr<CRootNode> Model()
{
    auto root = std::make_unique<CRootNode>();
    root->SetName("figure");
    auto* body = root->AddChild(new CFrameNode("Body"));
    body->AddChild(new CMeshNode("Box"));
    static_cast<CModelNode*>(body->AddChild(new CLocatorNode("tip")))->spareFlag = 1;
    root->AddChild(new CFrameNode("Hand"))->AddChild(new CLocatorNode("grip"));
    return root;
}

TEST(ModelTree, FullAndCompactViews)
{
    ViewGuard guard;
    FakeTree tree;
    g_ModelTreeView.control = &tree;
    auto root = Model();
    struct Case
    {
        uint8_t full, locators;
        const char* text;
    };
    const Case cases[] = {
        {1, 1, "figure(0)\n Body(0)\n  Box(2)\n  tip(7)\n Hand(0)\n  grip(3)\n"},
        {1, 0, "figure(0)\n Body(0)\n  Box(2)\n Hand(0)\n"},
        // Compact: a frame whose first child is a mesh or locator is listed as
        // that child under the frame's name.
        {0, 1, "figure(0)\n Body(2)\n tip(7)\n Hand(3)\n"},
        {0, 0, "figure(0)\n Body(2)\n"},
    };
    for (const Case& c : cases) {
        g_ModelTreeView.fullView = c.full;
        g_ModelTreeView.locatorDisplay = c.locators;
        root->InsertIntoTree(0, nullptr);
        EXPECT_EQ(tree.Text(), c.text) << int(c.full) << int(c.locators);
        EXPECT_EQ(tree.selected, root->id);
        EXPECT_TRUE(tree.items[root->id].expanded);
    }
}

TEST(ModelTree, SelectedNodesAreFoundAndMergedFramesComeWithTheirChild)
{
    ViewGuard guard;
    FakeTree tree;
    g_ModelTreeView.control = &tree;
    g_ModelTreeView.locatorDisplay = 1;
    auto root = Model();
    root->InsertIntoTree(0, nullptr); // compact view
    CModelNode* body = static_cast<CModelNode*>(root->FindByName("Body"));
    CModelNode* box = static_cast<CModelNode*>(root->FindByName("Box"));
    CModelNode* tip = static_cast<CModelNode*>(root->FindByName("tip"));
    EXPECT_EQ(body->id, 0u);
    ASSERT_NE(box->id, 0u);
    CModelNode* node = nullptr;
    CModelNode* child = nullptr;
    EXPECT_EQ(root->FindSelectedInTree(&node, &child, box->id), body);
    EXPECT_EQ(node, body);
    EXPECT_EQ(child, box);
    tree.SelectItem(tip->id);
    EXPECT_EQ(root->FindSelectedInTree(&node, &child, 0), tip);
    EXPECT_EQ(child, nullptr);
    EXPECT_TRUE(IsSelectedInModelTree(tip));
    EXPECT_FALSE(IsSelectedInModelTree(box));
    EXPECT_EQ(root->FindSelectedInTree(&node, &child, 9999), nullptr);
}

TEST(CNodeTree, ItemsFollowTheTreeAndCarryTheKind)
{
    FakeTree tree;
    CNode root("Models");
    CNode* folder = root.AddChild(new CNode("Doors"));
    folder->AddChild(new CNode("front"));
    folder->kind = 3;
    root.AddChild(new CNode(""));
    root.InsertIntoTree(&tree, 0);
    EXPECT_EQ(tree.Text(), "Models(17)\n Doors(3)\n  front(17)\n (17)\n");
    EXPECT_EQ(tree.items[folder->id].text, "Doors");
    EXPECT_TRUE(tree.items[folder->firstChild->id].visible);
    for (auto& [handle, item] : tree.items)
        item.visible = false;
    root.EnsureVisibleInTree(&tree);
    EXPECT_TRUE(tree.items[folder->firstChild->id].visible);
    root.ClearTreeItems();
    EXPECT_EQ(folder->id, 0u);
}

} // namespace
