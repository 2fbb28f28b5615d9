#include "GAMES/Rulo2/world/CNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Names of the children of a node, checking every link on the way.
std::string Children(const CNode* parent)
{
    std::string out;
    const CNode* prev = nullptr;
    for (const CNode* c = parent->firstChild; c; c = c->next) {
        EXPECT_EQ(c->parent, parent) << c->name;
        EXPECT_EQ(c->previous, prev) << c->name;
        out += c->name ? c->name : "-";
        prev = c;
    }
    EXPECT_EQ(parent->lastChild, prev);
    return out;
}

int g_destroyed = 0;
struct Counted : CNode
{
    using CNode::CNode;
    ~Counted() override { ++g_destroyed; }
};

TEST(CNode, NamesAreCopiedAndEmptyIsNull)
{
    char text[] = "Door";
    CNode n(text);
    text[0] = 'X';
    EXPECT_STREQ(n.GetName(), "Door");
    CNode e("");
    EXPECT_EQ(e.GetName(), nullptr);
    n.SetName(nullptr);
    EXPECT_EQ(n.GetName(), nullptr);
    EXPECT_EQ(e.kind, 17);
}

TEST(CNode, RemoveSplicesChildrenIntoPlace)
{
    CNode root("R");
    root.AddChild(new CNode("a"));
    CNode* mid = root.AddChild(new CNode("M"));
    root.AddChild(new CNode("z"));
    mid->AddChild(new CNode("1"));
    mid->AddChild(new CNode("2"));
    mid->Remove();
    EXPECT_EQ(Children(&root), "a12z");
    EXPECT_EQ(mid->firstChild, nullptr);
    delete mid;

    // A last child with children hands its last child to the parent.
    CNode* last = root.lastChild;
    last->AddChild(new CNode("x"));
    last->AddChild(new CNode("y"));
    last->Remove();
    delete last;
    EXPECT_EQ(Children(&root), "a12xy");

    // The first child with children (no previous sibling).
    CNode* first = root.firstChild;
    first->AddChild(new CNode("f"));
    first->Delete();
    EXPECT_EQ(Children(&root), "f12xy");

    // Leaf cases: first, middle, last, only.
    root.FindByName("f")->Delete();
    root.FindByName("2")->Delete();
    root.FindByName("y")->Delete();
    EXPECT_EQ(Children(&root), "1x");
    root.FindByName("1")->Delete();
    root.FindByName("x")->Delete();
    EXPECT_EQ(root.firstChild, nullptr);
    EXPECT_EQ(root.lastChild, nullptr);
}

TEST(CNode, RemoveCheckRepairsStaleLastChildInTheEditor)
{
    std::vector<std::string> warnings;
    static std::vector<std::string>* sink;
    sink = &warnings;
    g_NodeCheckEnabled = [] { return true; };
    NodeWarningFn old = g_NodeWarning;
    g_NodeWarning = [](const char* text) { sink->push_back(text); };
    CNode root("R");
    CNode* a = root.AddChild(new CNode("a"));
    root.AddChild(new CNode("b"));
    CNode* stray = new CNode("stray");
    root.lastChild = stray; // damaged by someone else
    a->Delete();
    EXPECT_EQ(Children(&root), "b");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "CNode::Remove() failed with method 7");
    delete stray;
    g_NodeCheckEnabled = [] { return false; };
    g_NodeWarning = old;
}

TEST(CNode, DestroyingALinkedNodeTakesItsFollowingSiblings)
{
    g_destroyed = 0;
    auto* root = new Counted("R");
    root->AddChild(new Counted("a"));
    CNode* b = root->AddChild(new Counted("b"));
    root->AddChild(new Counted("c"))->AddChild(new Counted("c1"));
    b->Remove(); // unlinked first: destroys b alone
    delete b;
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(Children(root), "ac");
    delete root; // the whole tree
    EXPECT_EQ(g_destroyed, 5);

    // A long sibling chain does not recurse once per sibling.
    auto* chain = new CNode("first");
    for (int i = 0; i < 200000; ++i)
        chain->AddChild(new CNode("x"));
    EXPECT_EQ(chain->CountNodes(), 200001);
    delete chain;
}

TEST(CNode, FindByPathCreatesOnceThenFinds)
{
    CNode root("root");
    CNode* b = root.FindByPath("|A|B");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->GetName(), "B");
    ASSERT_NE(b->parent, nullptr);
    EXPECT_STREQ(b->parent->GetName(), "A");
    EXPECT_EQ(b->parent->parent, &root);
    EXPECT_EQ(root.CountNodes(), 3);
    EXPECT_EQ(root.FindByPath("|A|B"), b);
    EXPECT_EQ(root.FindByPath("\\A\\B"), b);
    EXPECT_EQ(root.CountNodes(), 3);
    // The caller's text is left alone.
    char path[] = "|A|C";
    root.FindByPath(path);
    EXPECT_STREQ(path, "|A|C");
    EXPECT_EQ(root.CountNodes(), 4);
    // Long components are fine.
    const std::string longName(300, 'n');
    CNode* longNode = root.FindByPath(("|" + longName).c_str());
    EXPECT_EQ(std::string(longNode->GetName()), longName);
}

TEST(CNode, FindByNameWholeNamesAndPaths)
{
    CNode root("root");
    CNode* a = root.AddChild(new CNode("A"));
    CNode* b = a->AddChild(new CNode("B"));
    CNode* odd = root.AddChild(new CNode("A|B"));
    CNode* other = root.AddChild(new CNode("A"));
    CNode* deep = other->AddChild(new CNode("C"));
    EXPECT_EQ(root.FindByName("|A|B"), b);
    EXPECT_EQ(root.FindByName("A|B"), odd);
    EXPECT_EQ(root.FindByName("|A|C"), deep); // first A lacks C: the search goes on
    EXPECT_EQ(root.FindByName("|root|A"), a);
    EXPECT_EQ(root.FindByName("B"), b);
    EXPECT_EQ(root.FindByName("|B|X"), nullptr);
    EXPECT_EQ(root.FindByName("nothing"), nullptr);
}

struct Walk
{
    std::vector<std::string> visited;
    std::string skip, stop;
};

int Visit(CNode* node, void* arg)
{
    auto* w = static_cast<Walk*>(arg);
    w->visited.push_back(node->name);
    if (w->stop == node->name)
        return NODE_WALK_STOP;
    return w->skip == node->name ? NODE_WALK_SKIP_CHILDREN : NODE_WALK_CONTINUE;
}

TEST(CNode, ForEachSkipsAndStops)
{
    CNode root("R");
    CNode* a = root.AddChild(new CNode("a"));
    a->AddChild(new CNode("a1"))->AddChild(new CNode("a11"));
    root.AddChild(new CNode("b"))->AddChild(new CNode("b1"));
    struct Case
    {
        const char* skip;
        const char* stop;
        bool result;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {"", "", true, {"R", "a", "a1", "a11", "b", "b1"}},
        {"a", "", true, {"R", "a", "b", "b1"}},
        {"", "a1", false, {"R", "a", "a1"}},
    };
    for (const Case& c : cases) {
        Walk w{{}, c.skip, c.stop};
        EXPECT_EQ(root.ForEach(Visit, &w), c.result);
        EXPECT_EQ(w.visited, c.order);
    }
}

TEST(CNode, NumberingAndIndexSearch)
{
    CNode root("R");
    CNode* a = root.AddChild(new CNode("a"));
    CNode* b = root.AddChild(new CNode("b"));
    CNode* c = root.AddChild(new CNode("c"));
    root.NumberNodes();
    EXPECT_EQ(c->index, 4u);
    a->FindSiblingByIndex(3);
    EXPECT_EQ(a->FindSiblingByIndex(3), b);
    EXPECT_EQ(root.FindByIndex(4), c);
    root.ResetIndexes();
    EXPECT_EQ(b->index, NODE_INDEX_EXCLUDED);
    a->index = 0;
    c->index = 0;
    a->NumberIncludedNodes();
    EXPECT_EQ(a->index, 1u);
    EXPECT_EQ(b->index, NODE_INDEX_EXCLUDED);
    EXPECT_EQ(c->index, 2u);
    b->id = 77;
    EXPECT_EQ(root.FindById(77), b);
    root.ClearTreeItems();
    EXPECT_EQ(root.FindById(77), nullptr);
}

TEST(CNode, MovingAndRelations)
{
    CNode root("R");
    CNode* a = root.AddChild(new CNode("a"));
    CNode* b = root.AddChild(new CNode("b"));
    CNode* a1 = a->AddChild(new CNode("a1"));
    a1->AddChild(new CNode("a11"));
    a1->MoveTo(b);
    EXPECT_EQ(Children(b), "a1");
    EXPECT_EQ(Children(a1), "a11");
    EXPECT_EQ(a->firstChild, nullptr);
    EXPECT_EQ(a->lastChild, nullptr);
    // Below itself: refused, the tree stays as it is.
    b->MoveTo(a1->firstChild);
    EXPECT_EQ(Children(&root), "ab");
    a1->MoveWithoutChildren(a);
    EXPECT_EQ(Children(a), "a1");
    EXPECT_EQ(Children(b), "a11");
    EXPECT_TRUE(a1->IsDescendantOf(&root));
    EXPECT_FALSE(a1->IsDescendantOf(b));
    b->InsertFirst(new CNode("first"));
    EXPECT_EQ(Children(b), "firsta11");
    a->AppendSibling(new CNode("c"));
    EXPECT_EQ(Children(&root), "abc");
    b->DeleteChildren();
    EXPECT_TRUE(b->IsLeaf());
    a->DeleteWithChildren();
    EXPECT_EQ(Children(&root), "bc");
}

TEST(CNode, InsideBuilding)
{
    CNode root("Haus1");
    CNode* in = root.AddChild(new CNode("INNEN_1"));
    CNode* deep = in->AddChild(new CNode("table"));
    CNode* out = root.AddChild(new CNode("insid"));
    EXPECT_TRUE(deep->IsInsideBuilding());
    EXPECT_FALSE(out->IsInsideBuilding());
    EXPECT_TRUE(root.AddChild(new CNode("Inside walls"))->IsInsideBuilding());
}

} // namespace
