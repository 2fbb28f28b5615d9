#pragma once
// The descriptions of burglaries, cars, gang members and items: a title, a blank line and one
// "label:.....value unit" line per attribute. Three builders also append the entry to a selection
// list; the item and character texts are used by the HUD, the bar and selling as well.
#include <cstdint>
#include <string>

class CObjectLogic;
class CRootNode;
class CSelectMenu;
class CWorldObject;

// Nothing without a preview. A burglary not yet open shows only its first line and is marked dark
// red; a played one keeps its text, marked dark green; the current unplayed one can be chosen.
void BuildBurglaryInfo(CSelectMenu* menu, CRootNode* previewModel, const char* text, bool isCurrent,
                       bool isPlayed);
// Nothing without a preview or car data.
void BuildCarInfo(CSelectMenu* menu, CRootNode* previewModel, CObjectLogic* carData);
// Empty for a character without game data.
const std::string& BuildCharacterInfo(std::string& text, const CWorldObject* character);
// Members with crime records of 0.5 or more are not offered.
void ShowCharacterInfo(CSelectMenu* menu, CWorldObject* character, uint8_t selectable, int32_t price);
// Tools, loot and plain items; every other kind gives the empty text.
const std::string& BuildItemInfo(const CObjectLogic* itemData, std::string& text);
