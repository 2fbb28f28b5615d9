#pragma once
// The speech bubbles shown over world objects.
#include <vector>

class CNode;

struct STextBubble
{
    CNode* owner = nullptr;
    char* text = nullptr; // malloc'd
    int time = 0;
    int rect[4] = {};
};
extern std::vector<STextBubble> TextBubbleList;
