#pragma once
// The burglary alarm, the speech bubbles over objects and characters, the
// player's cash, and the "FT_" speech keys of interaction feedback.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"

class CNode;
class CObjectLogic;
class CObjectNode;
class CObjectState;
class CWorldObject;

// The animation of that name (exact case) among the definition's states; null when none.
CObjectState* FindAnimationByName(const CObjectNode* node, const char* name);
// Sound events the animations fired (whether or not a sound manager played them).
extern int32_t AnimationSoundEventsFired;
// The feedback key for a request on the target with the variant n (1-3); empty for no feedback.
std::string InteractionTextKey(const CObjectLogic& target, const CActionEntry& request, int32_t n);

// Raised at most once per game: the first text and source stay.
void TriggerAlarm(const char* text, int32_t source);
void ResetAlarm();
extern std::string AlarmText;
extern int32_t AlarmSource;
extern int32_t AlarmSirenHandle;

// Returns the shown time in ms (also for a permanent bubble).
int32_t ShowTextBubble(CNode* owner, const char* text, bool permanent);
void RemoveTextBubble(CNode* owner);
void RemoveTextBubbleAt(int32_t index);
bool HasTextBubble(CNode* owner);
// Line count of a permanent bubble, 0 for a timed one, -1 without a bubble.
int32_t GetTextBubbleLines(CNode* owner);
void RemoveAllTextBubbles();
// Removes the bubbles whose real-time expiry has passed.
void DropExpiredTextBubbles(uint32_t now);

extern int32_t Cash;
extern std::vector<CWorldObject*> OwnedCars;
// The trade screens' selection state; 131 buys without handing the item over.
extern int32_t TradeSelectionState;
void AddCash(const CObjectNode* item, int32_t amount);
void DiscardInstance(CWorldObject* object);
bool BuyItem(CWorldObject* object);
