// The text-key dictionary: every text the game shows is looked up here by its key.
#pragma once

#include "LIBS/System/sArray.h"
#include "LIBS/System/sList.h"
#include "LIBS/System/sString.h"

#include <cstdint>

// One entry of the dictionary, in a memory block of its own; every link holds
// one reference. Keys keep the case they were inserted with.
struct CTextTreeNode
{
    sString key;
    sString text;
    CTextTreeNode* left = nullptr;  // keys that compare less
    CTextTreeNode* right = nullptr; // keys that compare greater
};

// One entry as Dump hands it out.
struct sStringPair
{
    sString key;
    sString text;
};

// Keys compare byte by byte with only A-Z folded to a-z, so '_' sorts before
// every letter. Returns <0, 0 or >0.
int CompareTextKeys(const char* a, const char* b);

// An unbalanced binary search tree: its shape follows the insertion order.
class CTextTree
{
public:
    CTextTree() = default;
    ~CTextTree();
    CTextTree(const CTextTree&) = delete;
    CTextTree& operator=(const CTextTree&) = delete;

    // False (and nothing changes) when an equal key exists: the first definition wins.
    bool Insert(const char* key, const char* text);
    // The stored text, or null when the key is absent.
    const char* Find(const char* key) const;
    // Never null: a missing key gives "text not found: " and the key, in one
    // shared buffer that the next miss overwrites.
    const char* GetText(const char* key) const;
    // Replaces the text of a present entry (null means empty); never adds.
    bool SetText(const char* key, const char* text);
    void Clear();

    int32_t Count() const { return count; }
    const CTextTreeNode* Root() const { return root; }

    // Descents from a start node: less goes left, greater goes right.
    static CTextTreeNode* FindNode(const char* key, CTextTreeNode* start);
    // Null when an equal key exists below start, else the node whose child on
    // the key's side is empty.
    static CTextTreeNode* FindInsertParent(const char* key, CTextTreeNode* start);

    // Shallowest node lacking a child, and height in edges (0 for one entry).
    // Both are -1 for an empty tree.
    void Depths(int32_t* minDepth, int32_t* maxDepth) const;
    // Entry count and depths through the application log.
    void LogStatistics() const;
    // Empties the list, then appends every entry in ascending key order.
    void Dump(sList<sStringPair>& list) const;

private:
    CTextTreeNode* root = nullptr;
    int32_t count = 0;
};

// Appends the texts of the known keys of a comma-separated key list to out,
// a line feed after each but the last; unknown keys are skipped. True when at
// least one key was known. A null list is true and changes nothing.
bool ExpandTextKeyList(const char* list, sString* out);

// Reads blank-separated numbers from 1 to maximum into out. False at the first
// number outside that range (after appending the ones before it), and false
// when the list holds no number; a null or blank list is true.
bool ParseNumberList(const char* list, int32_t maximum, sArray<int32_t>* out);

// The one dictionary of the program, filled from the dialog text file at start-up.
extern CTextTree TextTree;

// The text a screen shows for a key: the key itself while the show-keys flag
// is set, else its text from the global dictionary.
const char* GetDisplayText(const char* key);
