#pragma once
// The tree node of the whole world model: world objects, object definitions,
// model entries, macros and every model node derive from it.
//
// Ownership: a node owns its name, its children and its following siblings.
// Destroying a node that is still linked therefore destroys the rest of its
// sibling chain too; unlink a node (Remove) before destroying it alone.
#include <cstdint>

class CNode;
class CTreeControl;

// ForEach callback result bits.
enum : int
{
    NODE_WALK_CONTINUE = 0,
    NODE_WALK_STOP = 1,          // end the whole walk; ForEach reports false
    NODE_WALK_SKIP_CHILDREN = 2, // do not descend into this node's children
};
using NodeCallback = int (*)(CNode* node, void* argument);

// Called by Remove's consistency check with the warning text (a warning box).
using NodeWarningFn = void (*)(const char* text);
extern NodeWarningFn g_NodeWarning;
// The check runs only while this returns true (while the editor runs).
using NodeCheckEnabledFn = bool (*)();
extern NodeCheckEnabledFn g_NodeCheckEnabled;

constexpr uint32_t NODE_INDEX_EXCLUDED = 0xFFFFFFFFu;

class CNode
{
public:
    explicit CNode(const char* name = nullptr);
    virtual ~CNode();

    CNode(const CNode&) = delete;
    CNode& operator=(const CNode&) = delete;

    virtual void SetName(const char* text);
    virtual const char* GetName() const { return name; }
    // Find or create: see the .cpp. Components are taken from a copy of the
    // path; the caller's text is never written.
    virtual CNode* FindByPath(const char* path);
    virtual bool ForEach(NodeCallback callback, void* argument);
    virtual CNode* GetFirstChild() const { return firstChild; }
    virtual CNode* GetNext() const { return next; }

    // Linking; a null argument does nothing.
    CNode* AddChild(CNode* child);
    void InsertFirst(CNode* child);
    void AppendSibling(CNode* node);
    void Remove();
    void Delete();
    void DeleteWithChildren();
    void DeleteChildren();
    void MoveWithoutChildren(CNode* newParent);
    void MoveTo(CNode* newParent);

    bool IsLeaf() const { return firstChild == nullptr; }
    int CountNodes() const;
    CNode* FindByName(const char* text);
    CNode* FindById(uint32_t value);
    CNode* FindByIndex(uint32_t number);
    CNode* FindSiblingByIndex(uint32_t number);
    bool IsDescendantOf(const CNode* other) const;
    bool IsInsideBuilding() const;

    void NumberNodes();
    void NumberIncludedNodes();
    void ResetIndexes();
    void ClearTreeItems();

    // Editor tree control: this node as the last item under `parentItem`
    // (0: top level), its children under it, its following siblings under
    // the same parent; `id` keeps each node's item.
    void InsertIntoTree(CTreeControl* control, uint32_t parentItem);
    void EnsureVisibleInTree(CTreeControl* control);

    uint32_t index = 0;
    CNode* next = nullptr;
    CNode* firstChild = nullptr;
    CNode* parent = nullptr;
    CNode* previous = nullptr;
    CNode* lastChild = nullptr;
    char* name = nullptr;
    uint32_t id = 0;
    int32_t kind = 17;
    int32_t chunkPosition = 0;

protected:
    // The walk behind FindByPath; `make` makes a missing component's node.
    CNode* FindOrMakeByPath(const char* path, CNode* (*make)(const char* name));

private:
    void CheckLastChild(int method);
    void Unlink();
};
