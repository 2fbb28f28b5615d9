#pragma once
// The speech bubbles shown over world objects.
#include <vector>

class CNode;

struct STextBubble
{
    CNode* owner = nullptr;
    char* text = nullptr; // malloc'd
    int time = 0;         // real-time expiry in ms, -1 stays until removed
    int rect[4] = {};
    unsigned lines = 0; // a permanent bubble's line count; 0 for a timed one
};
extern std::vector<STextBubble> TextBubbleList;
