// The world tree walkers: selection, hiding, transforms and group bounds.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/render/HouseWorld.h"

TEST(WorldWalkers, SelectionSkipsHiddenNodesAndGroupsAndSeesLaterSiblings)
{
    HouseWorld w;
    w.wall->flags = 1;
    WorldWalk::SelectAll(g_WorldRoot);
    EXPECT_TRUE(w.slab1->selected);
    EXPECT_TRUE(w.slab2->selected);
    EXPECT_FALSE(w.wall->selected);
    EXPECT_FALSE(w.house->selected);
    w.house->selected = 1;
    WorldWalk::ClearSelection(g_WorldRoot);
    EXPECT_FALSE(w.house->selected);
    EXPECT_FALSE(WorldWalk::HasSelection(g_WorldRoot));

    // A later sibling's subtree counts; an earlier one does not.
    w.slab2->selected = 1;
    EXPECT_TRUE(WorldWalk::HasSelection(w.floor1));
    EXPECT_FALSE(WorldWalk::HasSelection(w.slab1->NextObject()));
    EXPECT_EQ(WorldWalk::FindSelected(g_WorldRoot), w.slab2);
    EXPECT_EQ(WorldWalk::CountNodes(g_WorldRoot, true), 1);

    WorldWalk::HideSelected(g_WorldRoot, true);
    EXPECT_EQ(w.slab2->flags & 1, 1);
    EXPECT_FALSE(w.slab2->selected);
    WorldWalk::UnhideAll(g_WorldRoot);
    EXPECT_EQ(w.slab2->flags & 1, 0);
    EXPECT_EQ(w.wall->flags & 1, 0);

    w.stairs->selected = 1;
    WorldWalk::DeleteSelected(g_WorldRoot);
    EXPECT_EQ(w.slab1->next, nullptr);
}

TEST(WorldWalkers, TransformsStartFromTheSavedOnes)
{
    HouseWorld w;
    w.stairs->selected = 1;
    WorldWalk::StoreTransforms(g_WorldRoot);
    WorldWalk::MoveSelectionTo(g_WorldRoot, CVector(1, 0, 0), true);
    WorldWalk::MoveSelectionTo(g_WorldRoot, CVector(1, 0, 0), true);
    EXPECT_FLOAT_EQ(w.stairs->position.x, 2.0f);
    EXPECT_FLOAT_EQ(w.slab1->position.x, 0.0f);

    WorldWalk::RotateSelection(g_WorldRoot, 3.14159265f / 2, 0, CVector(1, 0, 1), true);
    EXPECT_NEAR(w.stairs->position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(w.stairs->angle, 3.14159265f / 2, 1e-6f);

    for (int i = 0; i < 50; ++i) {
        WorldWalk::RandomRotate(g_WorldRoot, true);
        const float quarter = w.stairs->angle / (3.14159265f / 2);
        EXPECT_NEAR(quarter, std::round(quarter), 1e-5f);
        EXPECT_GE(quarter, -1e-5f);
        EXPECT_LE(quarter, 3.0f + 1e-5f);
    }
    CVector sum(0, 0, 0);
    int32_t count = 0;
    WorldWalk::SumPositions(g_WorldRoot, sum, count, false);
    EXPECT_EQ(count, 4);
}

TEST(WorldWalkers, GroupBoundsAndEmptyTrees)
{
    HouseWorld w;
    ClearWorld();
    CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
    WorldWalk::ComputeBounds(g_WorldRoot->FirstObject(), min, max);
    EXPECT_EQ(min.x, 100000.0f);
    EXPECT_EQ(max.z, -100000.0f);

    // Children spanning a 2 x 2 x 8 box.
    CModelEntry* unit = MakeEntry("Einheit", MakeBoxModel("Einheit", 2, 2, 2, 1, 1, 1));
    CWorldObject* group = AddGroup(g_WorldRoot, "g");
    AddModel(group, "a", unit, CVector(0, 0, 0));
    AddModel(group, "b", unit, CVector(0, 0, 6));
    CWorldObject* empty = AddGroup(g_WorldRoot, "leer");
    WorldWalk::ComputeBounds(g_WorldRoot, min, max);
    EXPECT_NEAR(group->angle2, 4.0f, 1e-5f);
    EXPECT_NEAR(group->angle, std::sqrt(2 * 2 + 2 * 2 + 8 * 8) / 2.0f, 1e-4f);
    EXPECT_NEAR(group->position.z, 3.0f, 1e-5f);
    EXPECT_EQ(empty->angle, 0.0f);
    EXPECT_EQ(empty->angle2, 0.0f);
    EXPECT_NEAR(min.z, -1.0f, 1e-5f);
    EXPECT_NEAR(max.z, 7.0f, 1e-5f);
    EXPECT_EQ(WorldWalk::FindByModel(g_WorldRoot, unit)->GetName(), std::string("a"));
}

TEST(WorldWalkers, CopiesLoseTheTreeShapeAndCopiedTreesNameTargetsByIndex)
{
    HouseWorld w;
    w.slab1->selected = 1;
    w.wall->selected = 1;
    w.slab1->connections.push_back(SConnection{w.wall, 0, 1234, 1});
    g_WorldRoot->NumberNodes();
    CWorldObject* target = AddGroup(g_WorldRoot, "Ziel");
    WorldWalk::DuplicateSelected(w.house, target, true, true);
    ASSERT_EQ(target->CountNodes(), 3); // the group and two copies side by side
    CWorldObject* copy = target->FirstObject();
    EXPECT_EQ(copy->reference, w.slab1->reference);
    EXPECT_EQ(copy->NextObject()->position.x, w.wall->position.x);
    EXPECT_EQ(copy->firstChild, nullptr);
    EXPECT_FALSE(w.slab1->selected);

    auto* clipboard = new CWorldObject("Ablage");
    w.slab1->selected = 1;
    WorldWalk::CopyTree(w.house, clipboard, false, true);
    auto* pasted = static_cast<CWorldObject*>(clipboard->FindByName("slab1"));
    ASSERT_NE(pasted, nullptr);
    EXPECT_STREQ(pasted->parent->GetName(), "innen");
    EXPECT_STREQ(pasted->parent->parent->GetName(), "Stockwerk_1");
    EXPECT_EQ(pasted->index, w.slab1->index);
    ASSERT_EQ(pasted->connections.size(), 1u);
    EXPECT_EQ(pasted->connections[0].target, nullptr);
    EXPECT_EQ(pasted->connections[0].targetNumber, w.wall->index);
    EXPECT_EQ(pasted->connections[0].distance, 0);
    EXPECT_EQ(pasted->connections[0].flag, 1);
    delete clipboard;
}

TEST(WorldWalkers, GroupingMovesTheSelectionWithoutItsChildren)
{
    HouseWorld w;
    CWorldObject* child = AddModel(w.stairs, "handlauf", w.wall->ModelEntry(), CVector(1, 1, 1));
    w.stairs->selected = 1;
    w.wall->selected = 1;
    static std::vector<std::string> texts;
    texts.clear();
    CWorldObject* group = WorldWalk::GroupSelected(
        g_WorldRoot, nullptr, [](CWorldObject*, const char* text) { texts.push_back(text); });
    EXPECT_STREQ(group->GetName(), "New Group");
    EXPECT_EQ(group->parent, g_WorldRoot);
    EXPECT_EQ(w.stairs->parent, group);
    EXPECT_EQ(w.wall->parent, group);
    EXPECT_EQ(w.stairs->firstChild, nullptr);
    EXPECT_EQ(child->parent, w.inside1); // left where the stairs were
    EXPECT_EQ(texts, (std::vector<std::string>{"Treppe_gruen", "W_Wand"}));
}
