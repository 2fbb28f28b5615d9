#include "GAMES/Rulo2/world/CNode.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/TreeControl.h"

static void NodeWarningBox(const char* text)
{
    MessageBoxWarning(text);
}

static bool EditorRuns()
{
    return GameModeFlag == 0;
}

NodeWarningFn g_NodeWarning = NodeWarningBox;
NodeCheckEnabledFn g_NodeCheckEnabled = EditorRuns;

static bool IsSeparator(char c)
{
    return c == '|' || c == '\\';
}

CNode::CNode(const char* text)
{
    SetName(text);
}

CNode::~CNode()
{
    delete[] name;
    name = nullptr;
    // Children and following siblings are owned. The sibling chain is taken
    // apart in a loop so that long chains do not recurse once per sibling.
    CNode* child = firstChild;
    firstChild = lastChild = nullptr;
    delete child;
    CNode* sibling = next;
    next = nullptr;
    while (sibling) {
        CNode* after = sibling->next;
        sibling->next = nullptr;
        delete sibling;
        sibling = after;
    }
}

void CNode::SetName(const char* text)
{
    delete[] name;
    name = nullptr;
    if (text && *text) {
        const size_t n = std::strlen(text);
        name = new char[n + 1];
        std::memcpy(name, text, n + 1);
    }
}

// ---------------------------------------------------------------- linking

CNode* CNode::AddChild(CNode* child)
{
    if (!child)
        return nullptr;
    child->parent = this;
    child->previous = lastChild;
    child->next = nullptr;
    if (lastChild)
        lastChild->next = child;
    else
        firstChild = child;
    lastChild = child;
    return child;
}

void CNode::InsertFirst(CNode* child)
{
    if (!child)
        return;
    child->parent = this;
    child->previous = nullptr;
    child->next = firstChild;
    if (firstChild)
        firstChild->previous = child;
    else
        lastChild = child;
    firstChild = child;
}

void CNode::AppendSibling(CNode* node)
{
    if (!node)
        return;
    CNode* last = this;
    while (last->next)
        last = last->next;
    node->parent = parent;
    node->previous = last;
    node->next = nullptr;
    last->next = node;
    if (parent)
        parent->lastChild = node;
}

void CNode::Remove()
{
    int method;
    if (firstChild) {
        for (CNode* c = firstChild; c; c = c->next)
            c->parent = parent;
        const bool wasLast = parent && parent->lastChild == this;
        if (next) {
            next->previous = lastChild;
            lastChild->next = next;
        }
        if (previous) {
            method = 3;
            previous->next = firstChild;
            firstChild->previous = previous;
        } else {
            method = 4;
            firstChild->previous = nullptr;
            if (parent)
                parent->firstChild = firstChild;
        }
        if (wasLast)
            parent->lastChild = lastChild;
    } else if (previous) {
        method = 6;
        previous->next = next;
        if (next)
            next->previous = previous;
        else if (parent)
            parent->lastChild = previous;
    } else {
        method = 7;
        if (parent) {
            parent->firstChild = next;
            if (!next)
                parent->lastChild = nullptr;
        }
        if (next)
            next->previous = nullptr;
    }
    CheckLastChild(method);
    next = nullptr;
    firstChild = nullptr;
    lastChild = nullptr;
}

void CNode::CheckLastChild(int method)
{
    if (!parent || !g_NodeCheckEnabled || !g_NodeCheckEnabled())
        return;
    char text[96];
    if (!parent->firstChild) {
        if (parent->lastChild) {
            parent->lastChild = nullptr;
            std::snprintf(text, sizeof text, "CNode::Remove() lastChild pointer not ZERO with method %d",
                          method);
            if (g_NodeWarning)
                g_NodeWarning(text);
        }
        return;
    }
    CNode* end = parent->firstChild;
    while (end->next)
        end = end->next;
    if (end != parent->lastChild) {
        parent->lastChild = end;
        std::snprintf(text, sizeof text, "CNode::Remove() failed with method %d", method);
        if (g_NodeWarning)
            g_NodeWarning(text);
    }
}

void CNode::Delete()
{
    Remove();
    delete this;
}

void CNode::DeleteWithChildren()
{
    DeleteChildren();
    Remove();
    delete this;
}

void CNode::DeleteChildren()
{
    CNode* child = firstChild;
    firstChild = lastChild = nullptr;
    delete child;
}

void CNode::MoveWithoutChildren(CNode* newParent)
{
    if (!newParent || newParent == this)
        return;
    Remove();
    newParent->InsertFirst(this);
}

// Takes the node out of its sibling chain; its children stay with it.
void CNode::Unlink()
{
    if (previous)
        previous->next = next;
    else if (parent)
        parent->firstChild = next;
    if (next)
        next->previous = previous;
    else if (parent)
        parent->lastChild = previous;
    next = nullptr;
    previous = nullptr;
}

void CNode::MoveTo(CNode* newParent)
{
    // Moving a node below itself would make a cycle and lose the subtree.
    if (!newParent || newParent->IsDescendantOf(this))
        return;
    Unlink();
    newParent->InsertFirst(this);
}

// ---------------------------------------------------------------- queries

int CNode::CountNodes() const
{
    int count = 0;
    for (const CNode* n = this; n; n = n->next) {
        ++count;
        if (n->firstChild)
            count += n->firstChild->CountNodes();
    }
    return count;
}

CNode* CNode::FindByName(const char* text)
{
    if (!text)
        return nullptr;
    for (CNode* n = this; n; n = n->next) {
        if (!IsSeparator(text[0])) {
            if (n->name && std::strcmp(n->name, text) == 0)
                return n;
        } else {
            const char* component = text + 1;
            const size_t length = std::strcspn(component, "|\\");
            if (n->name && std::strlen(n->name) == length && std::memcmp(n->name, component, length) == 0) {
                if (component[length] == '\0')
                    return n;
                if (n->firstChild)
                    if (CNode* found = n->firstChild->FindByName(component + length))
                        return found;
            }
        }
        if (n->firstChild)
            if (CNode* found = n->firstChild->FindByName(text))
                return found;
    }
    return nullptr;
}

CNode* CNode::FindById(uint32_t value)
{
    for (CNode* n = this; n; n = n->next) {
        if (n->id == value)
            return n;
        if (n->firstChild)
            if (CNode* found = n->firstChild->FindById(value))
                return found;
    }
    return nullptr;
}

CNode* CNode::FindByIndex(uint32_t number)
{
    for (CNode* n = this; n; n = n->next) {
        if (n->index == number)
            return n;
        if (n->firstChild)
            if (CNode* found = n->firstChild->FindByIndex(number))
                return found;
    }
    return nullptr;
}

CNode* CNode::FindSiblingByIndex(uint32_t number)
{
    for (CNode* n = this; n; n = n->next)
        if (n->index == number)
            return n;
    return nullptr;
}

bool CNode::IsDescendantOf(const CNode* other) const
{
    for (const CNode* n = this; n; n = n->parent)
        if (n == other)
            return true;
    return false;
}

bool CNode::IsInsideBuilding() const
{
    for (const CNode* n = this; n; n = n->parent)
        if (n->name && (strncasecmp(n->name, "inside", 6) == 0 || strncasecmp(n->name, "innen", 5) == 0))
            return true;
    return false;
}

CNode* CNode::FindByPath(const char* path)
{
    return FindOrMakeByPath(path, [](const char* component) { return new CNode(component); });
}

CNode* CNode::FindOrMakeByPath(const char* path, CNode* (*make)(const char* name))
{
    if (!path)
        return nullptr;
    CNode* current = this;
    std::string rest = path;
    for (;;) {
        std::string component;
        bool last;
        if (!rest.empty() && IsSeparator(rest[0])) {
            const size_t end = rest.find_first_of("|\\", 1);
            component = rest.substr(1, end == std::string::npos ? std::string::npos : end - 1);
            last = end == std::string::npos;
            rest = last ? std::string() : rest.substr(end);
        } else {
            component = rest;
            last = true;
        }
        CNode* found = current->FindByName(component.c_str());
        if (!found)
            found = current->AddChild(make(component.c_str()));
        current = found;
        if (last)
            return current;
    }
}

bool CNode::ForEach(NodeCallback callback, void* argument)
{
    for (CNode* n = this; n; n = n->next) {
        const int result = callback(n, argument);
        if (result & NODE_WALK_STOP)
            return false;
        if (!(result & NODE_WALK_SKIP_CHILDREN) && n->firstChild &&
            !n->firstChild->ForEach(callback, argument))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- numbering

static void Number(CNode* first, uint32_t& counter, bool skipExcluded)
{
    for (CNode* n = first; n; n = n->next) {
        if (!skipExcluded || n->index != NODE_INDEX_EXCLUDED)
            n->index = counter++;
        if (n->firstChild)
            Number(n->firstChild, counter, skipExcluded);
    }
}

void CNode::NumberNodes()
{
    uint32_t counter = 1;
    Number(this, counter, false);
}

void CNode::NumberIncludedNodes()
{
    uint32_t counter = 1;
    Number(this, counter, true);
}

void CNode::ResetIndexes()
{
    for (CNode* n = this; n; n = n->next) {
        n->index = NODE_INDEX_EXCLUDED;
        if (n->firstChild)
            n->firstChild->ResetIndexes();
    }
}

void CNode::ClearTreeItems()
{
    for (CNode* n = this; n; n = n->next) {
        n->id = 0;
        if (n->firstChild)
            n->firstChild->ClearTreeItems();
    }
}

void CNode::InsertIntoTree(CTreeControl* control, uint32_t parentItem)
{
    if (!control)
        return;
    for (CNode* n = this; n; n = n->next) {
        n->id = control->InsertItem(n->name ? n->name : "", parentItem);
        if (n->firstChild)
            n->firstChild->InsertIntoTree(control, n->id);
        control->SetItemImage(n->id, n->kind, n->kind);
        control->Expand(n->id);
        control->EnsureVisible(n->id);
    }
}

void CNode::EnsureVisibleInTree(CTreeControl* control)
{
    if (!control)
        return;
    for (CNode* n = this; n; n = n->next) {
        if (n->id)
            control->EnsureVisible(n->id);
        if (n->firstChild)
            n->firstChild->EnsureVisibleInTree(control);
    }
}
