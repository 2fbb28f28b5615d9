#include "GAMES/Rulo2/interface/CTextTree.h"

#include "GAMES/Rulo2/app/ShowKeys.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <cstring>
#include <utility>
#include <vector>

CTextTree TextTree;

namespace {

// "text not found: " takes 16 bytes; the rest holds the key and its zero.
char placeholder[70] = "text not found: xxxxxxxxx place for id xxxxxxxxxxxxxxxxxxxxxxxxxxxxx ";

char* CopyText(const char* s)
{
    if (!s)
        s = "";
    size_t n = std::strlen(s);
    char* p = static_cast<char*>(std::malloc(n + 1));
    if (!p)
        throw std::bad_alloc();
    std::memcpy(p, s, n + 1);
    return p;
}

unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

void FreeNode(CTextTreeNode* n)
{
    std::free(n->text);
    std::free(n->key);
    delete n;
}

} // namespace

int CompareTextKeys(const char* a, const char* b)
{
    if (!a)
        a = "";
    if (!b)
        b = "";
    for (;; ++a, ++b) {
        unsigned char ca = Fold(static_cast<unsigned char>(*a));
        unsigned char cb = Fold(static_cast<unsigned char>(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

CTextTree::~CTextTree()
{
    Clear();
}

CTextTreeNode* CTextTree::FindNode(const char* key, CTextTreeNode* start)
{
    CTextTreeNode* n = start;
    while (n) {
        int c = CompareTextKeys(key, n->key);
        if (c == 0)
            return n;
        n = c < 0 ? n->left : n->right;
    }
    return nullptr;
}

CTextTreeNode* CTextTree::FindInsertParent(const char* key, CTextTreeNode* start)
{
    CTextTreeNode* n = start;
    while (n) {
        int c = CompareTextKeys(key, n->key);
        if (c == 0)
            return nullptr;
        CTextTreeNode* next = c < 0 ? n->left : n->right;
        if (!next)
            return n;
        n = next;
    }
    return nullptr;
}

bool CTextTree::Insert(const char* key, const char* text)
{
    if (!key)
        key = "";
    CTextTreeNode* parent = FindInsertParent(key, root);
    if (root && !parent)
        return false;
    auto* node = new CTextTreeNode;
    node->key = CopyText(key);
    node->text = CopyText(text);
    if (!parent)
        root = node;
    else if (CompareTextKeys(key, parent->key) >= 0)
        parent->right = node;
    else
        parent->left = node;
    ++count;
    return true;
}

const char* CTextTree::Find(const char* key) const
{
    if (!key)
        return nullptr;
    const CTextTreeNode* n = FindNode(key, root);
    return n ? n->text : nullptr;
}

const char* CTextTree::GetText(const char* key) const
{
    if (const char* t = Find(key))
        return t;
    if (!key)
        key = "";
    // Overlong keys are shortened rather than written past the buffer.
    char* dst = std::strchr(placeholder, ':') + 2;
    size_t room = sizeof(placeholder) - static_cast<size_t>(dst - placeholder) - 1;
    size_t n = std::strlen(key);
    if (n > room)
        n = room;
    std::memcpy(dst, key, n);
    dst[n] = 0;
    return placeholder;
}

bool CTextTree::SetText(const char* key, const char* text)
{
    if (!key)
        return false;
    CTextTreeNode* n = FindNode(key, root);
    if (!n)
        return false;
    char* copy = CopyText(text);
    std::free(n->text);
    n->text = copy;
    return true;
}

void CTextTree::Clear()
{
    // Iterative, so a tree that degenerated into a long chain (a sorted file)
    // cannot exhaust the stack.
    std::vector<CTextTreeNode*> pending;
    if (root)
        pending.push_back(root);
    while (!pending.empty()) {
        CTextTreeNode* n = pending.back();
        pending.pop_back();
        if (n->right)
            pending.push_back(n->right);
        if (n->left)
            pending.push_back(n->left);
        FreeNode(n);
    }
    root = nullptr;
    count = 0;
}

void CTextTree::Depths(int32_t* minDepth, int32_t* maxDepth) const
{
    int32_t lo = -1, hi = -1;
    if (root) {
        // Post-order over an explicit stack: a node's values need both children's.
        struct Frame { const CTextTreeNode* n; bool expanded; };
        struct Result { int32_t lo, hi; };
        std::vector<Frame> stack{{root, false}};
        std::vector<Result> results;
        while (!stack.empty()) {
            Frame f = stack.back();
            stack.pop_back();
            if (!f.expanded) {
                stack.push_back({f.n, true});
                if (f.n->right)
                    stack.push_back({f.n->right, false});
                if (f.n->left)
                    stack.push_back({f.n->left, false});
                continue;
            }
            Result l{0, 0}, r{0, 0};
            // The right subtree was finished last, so its result is on top.
            if (f.n->right) {
                r = results.back();
                results.pop_back();
                r.lo += 1;
                r.hi += 1;
            }
            if (f.n->left) {
                l = results.back();
                results.pop_back();
                l.lo += 1;
                l.hi += 1;
            }
            results.push_back({std::min(l.lo, r.lo), std::max(l.hi, r.hi)});
        }
        lo = results.back().lo;
        hi = results.back().hi;
    }
    if (minDepth)
        *minDepth = lo;
    if (maxDepth)
        *maxDepth = hi;
}

void CTextTree::LogStatistics() const
{
    int32_t lo = 0, hi = 0;
    Depths(&lo, &hi);
    LogPrintf("\nTextTreeStat Start----------------------");
    LogPrintf("numelements: %d", count);
    LogPrintf("mindepth: %d\nmaxdepth: %d", lo, hi);
    LogPrintf("TextTreeStat End----------------------\n");
}

const char* GetDisplayText(const char* key)
{
    if (ShowKeysFlag)
        return key ? key : "";
    return TextTree.GetText(key);
}
