#pragma once
// One request or action record: what a character does to an object. The input
// code appends them to the request queue, task parameters, dependencies and
// recorded events hold one by value.
#include <cstdint>
#include <memory>

class CObjectNode;
class CWorldObject;

struct CActionEntry
{
    int32_t action = -1;            // verb, -1 none
    CWorldObject* source = nullptr; // the acting character
    CWorldObject* target = nullptr; // the object acted on (not owned)
    CObjectNode* item = nullptr;    // the item or tool used (not owned)
    int32_t slotCode = -1;          // gang-table slot naming the item, -1: `item` names it
    // The request a walk-to-object order (kind 9) performs on arrival; shared by copies.
    std::shared_ptr<CActionEntry> followUp;
    CWorldObject* walkTarget = nullptr;
    int32_t choice = -1;                     // the conversation question picked
    float position[3] = {0.0f, 0.0f, 0.0f};  // a point or a pick-ray direction
    float rayOrigin[3] = {0.0f, 0.0f, 0.0f}; // where the pick ray of a walk order (kind 8) starts
    uint32_t words[3] = {0, 0, 0};           // carried for the interaction code
    uint8_t handled = 0;
    int32_t feedbackId = -1;

    // Exactly the defaults above, with the three given fields.
    void init(int32_t newAction, CWorldObject* newTarget, CObjectNode* newItem)
    {
        *this = CActionEntry();
        action = newAction;
        target = newTarget;
        item = newItem;
    }
};
