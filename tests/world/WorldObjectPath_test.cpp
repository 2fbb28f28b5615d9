// Finding or making a world object by its path.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/world/CWorldObject.h"

TEST(WorldObjectPath, MissingComponentsBecomeWorldObjectsFoundAgainLater)
{
    CWorldObject root("root");
    EXPECT_EQ(root.FindByPath(nullptr), nullptr);
    CWorldObject* b = root.FindByPath("|A|B");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->GetName(), "B");
    CNode* a = b->parent;
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->GetName(), "A");
    EXPECT_EQ(a->parent, &root);
    // Made as world objects, not as plain nodes.
    EXPECT_NE(dynamic_cast<CWorldObject*>(a), nullptr);
    EXPECT_NE(dynamic_cast<CWorldObject*>(static_cast<CNode*>(b)), nullptr);
    EXPECT_EQ(root.FindByPath("\\A\\B"), b);
    EXPECT_EQ(root.CountNodes(), 3);
}
