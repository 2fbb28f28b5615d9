#include "GAMES/Rulo2/interface/CTextTree.h"

#include "GAMES/Rulo2/app/ShowKeys.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

CTextTree TextTree;

namespace {

// "text not found: " takes 16 bytes; the rest holds the key and its zero.
char placeholder[70] = "text not found: xxxxxxxxx place for id xxxxxxxxxxxxxxxxxxxxxxxxxxxxx ";

unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// A node whose link has just been cut: gone once no link holds it.
void ReleaseLink(CTextTreeNode* n, std::vector<CTextTreeNode*>& orphans)
{
    if (sMemory::release(n) < 1)
        orphans.push_back(n);
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
        int c = CompareTextKeys(key, n->key.c_str());
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
        int c = CompareTextKeys(key, n->key.c_str());
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
    auto* node = sMemory::newObject<CTextTreeNode>();
    node->key = key;
    node->text = text;
    sMemory::addRef(node);
    if (!parent)
        root = node;
    else if (CompareTextKeys(key, parent->key.c_str()) >= 0)
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
    return n ? n->text.c_str() : nullptr;
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
    n->text = text;
    return true;
}

void CTextTree::Clear()
{
    // Iterative, so a tree that degenerated into a long chain (a sorted file)
    // cannot exhaust the stack.
    std::vector<CTextTreeNode*> orphans;
    if (root)
        ReleaseLink(root, orphans);
    root = nullptr;
    while (!orphans.empty()) {
        CTextTreeNode* n = orphans.back();
        orphans.pop_back();
        CTextTreeNode* right = n->right;
        CTextTreeNode* left = n->left;
        n->left = n->right = nullptr;
        if (right)
            ReleaseLink(right, orphans);
        if (left)
            ReleaseLink(left, orphans);
        sMemory::deleteObject(n);
    }
    count = 0;
}

void CTextTree::Depths(int32_t* minDepth, int32_t* maxDepth) const
{
    int32_t lo = -1, hi = -1;
    if (root) {
        // Post-order over an explicit stack: a node's values need both children's.
        struct Frame
        {
            const CTextTreeNode* n;
            bool expanded;
        };
        struct Result
        {
            int32_t lo, hi;
        };
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

void CTextTree::Dump(sList<sStringPair>& list) const
{
    list.clear();
    // In order: down the left links, then the node, then its right subtree.
    std::vector<const CTextTreeNode*> stack;
    const CTextTreeNode* n = root;
    while (n || !stack.empty()) {
        while (n) {
            stack.push_back(n);
            n = n->left;
        }
        n = stack.back();
        stack.pop_back();
        sStringPair pair;
        pair.key = n->key;
        pair.text = n->text;
        list.append(pair);
        n = n->right;
    }
}

namespace {

// Appends a key's text; an empty out is simply assigned.
void AppendText(sString* out, const char* text)
{
    if (out->isEmpty())
        out->assign(text);
    else
        out->append(text);
}

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool ExpandTextKeyList(const char* list, sString* out)
{
    if (!list)
        return true;
    sString work(list);
    work.replace('\t', ' ');
    work.replace('\n', ' ');
    int32_t known = 0;
    int32_t start = 0;
    for (;;) {
        int32_t comma = work.find(',', start);
        if (comma < 0)
            break;
        sString key = work.mid(start, comma - start);
        key.trim();
        if (const char* text = TextTree.Find(key.c_str())) {
            if (out) {
                AppendText(out, text);
                out->append("\n");
            }
            ++known;
        }
        start = comma + 1;
    }
    sString rest = start < work.length ? work.mid(start, work.length - start) : sString();
    rest.trim();
    if (!rest.isEmpty()) {
        if (const char* text = TextTree.Find(rest.c_str())) {
            if (out)
                AppendText(out, text);
            ++known;
        }
    }
    return known > 0;
}

bool ParseNumberList(const char* list, int32_t maximum, sArray<int32_t>* out)
{
    if (!list)
        return true;
    const char* p = list;
    while (IsBlankOrTab(*p))
        ++p;
    if (*p == 0)
        return true;
    int32_t counted = 0;
    while (*p) {
        char* end = nullptr;
        long value = std::strtol(p, &end, 10);
        if (end != p) {
            // Out-of-range text reads as the nearest long, which fails the range test.
            if (value < 1 || value > maximum)
                return false;
            if (out)
                out->add(static_cast<int32_t>(value));
            ++counted;
        }
        while (*p && *p != ' ')
            ++p;
        while (IsBlankOrTab(*p))
            ++p;
    }
    return counted > 0;
}
