#pragma once
// The trees of our files (world nodes, macros, folders, model nodes) are stored
// in pre-order, each record naming its parent by number: 0 for what the file
// means by "none", 1 for the root, then the records in the order they were read.
// One reader of those numbers for every tree.
#include <cstdint>
#include <vector>

// Every tree walk recurses once per level, so a file cannot ask for more levels
// below the root than the stack can take.
constexpr uint32_t kMaxTreeDepth = 1000;

template <class Node>
class CParentTable
{
public:
    enum EResult
    {
        ATTACHED,
        NO_EARLIER_PARENT,
        TOO_DEEP
    };

    // `table` holds entries 0 and 1 (1 is the root) and grows by one entry per
    // record, also for records that are skipped, so that later numbers still
    // line up; the caller may keep it (world nodes resolve connections by it).
    explicit CParentTable(std::vector<Node*>& table) : table_(table), depth_(table.size(), 0) {}

    // Hangs `node` below the record numbered `parentNumber`. On failure the
    // node stays the caller's and its number is a gap.
    EResult Attach(Node* node, uint32_t parentNumber)
    {
        Node* parent = parentNumber < table_.size() ? table_[parentNumber] : nullptr;
        if (!parent || depth_[parentNumber] >= kMaxTreeDepth) {
            Skip();
            return parent ? TOO_DEEP : NO_EARLIER_PARENT;
        }
        table_.push_back(node);
        depth_.push_back(depth_[parentNumber] + 1);
        parent->AddChild(node);
        return ATTACHED;
    }

    // A record that could not be read still takes its number.
    void Skip()
    {
        table_.push_back(nullptr);
        depth_.push_back(0);
    }

    // The log text of a failed attach.
    static const char* Why(EResult result)
    {
        return result == TOO_DEEP ? "lies too deep" : "names no earlier parent";
    }

private:
    std::vector<Node*>& table_;
    std::vector<uint32_t> depth_;
};
