#include "GAMES/Rulo2/interface/InfoTexts.h"

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/TextCells.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/crt/Crt.h"

namespace {

// Tool values in file order: weight, value, alarm systems, pick locks, pick safes, strength,
// volume, the damaging byte, then the effectiveness and the noise per material (glass, wood,
// metal, alarm).
enum
{
    TOOL_ALARM = 2,
    TOOL_LOCKS = 3,
    TOOL_SAFES = 4,
    TOOL_EFFECT = 8,
    TOOL_NOISE = 12,
};
// Car values: transport space, maximum speed, acceleration time, value.
enum
{
    CAR_SPACE = 0,
    CAR_SPEED = 1,
    CAR_ACCELERATION = 2,
    CAR_VALUE = 3,
};

float ValueOf(const CKindData& data, int32_t index)
{
    return index < data.ValueCount() ? WordAsFloat(data.Values()[index]) : 0.0f;
}

// The text rows share one layout: title, blank line, labelled lines with leader dots.
class CInfoText
{
public:
    explicit CInfoText(const std::string& title)
    {
        row.separator = "\n";
        auto* cell = new CPlainTextCell(sString(title.c_str()));
        row.Append(cell);
        cell->Release();
        row.AddBlank();
    }
    void Number(const char* key, float value, const char* unit)
    {
        row.AddCell(CKeyTextCell(key, value, sString(unit), '.'));
    }
    void Text(const char* key, const std::string& value, const char* unit)
    {
        row.AddCell(CKeyTextCell(key, sString(value.c_str()), sString(unit), '.'));
    }
    void Weight(const char* key, float weight, bool ownUnit)
    {
        Text(key, FormatWeight(weight, ownUnit), ownUnit ? "" : "lbs");
    }
    void Blank() { row.AddBlank(); }
    std::string Done() const
    {
        const sString s = row.Format();
        return std::string(s.text ? s.text : "", size_t(s.length));
    }

private:
    CTextRow row;
};

std::string Title(const char* format, const std::string& kindName)
{
    const std::string key = crt::Format(format, kindName.c_str());
    return GetDisplayText(key.c_str());
}

std::string TrimLeading(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\n\r");
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

void BuildBurglaryInfo(CSelectMenu* menu, CRootNode* previewModel, const char* text, bool isCurrent,
                       bool isPlayed)
{
    if (!menu || !previewModel)
        return;
    MenuSlot slot;
    slot.previewModel = previewModel;
    slot.snapper = 1;
    slot.rotation[0] = 1.9707963f;
    slot.spin = 0;
    slot.textAlign = 0;
    const std::string description = text ? text : "";
    if (!isCurrent && !isPlayed) {
        const std::string first = TrimLeading(description);
        slot.text = first.substr(0, first.find('\n')) + "\n" + GetDisplayText("BURGLARY_UNKNOWN_DESCRIPTION");
        slot.marked = 1;
        const float darkRed[4] = {0.4f, 0, 0, 1};
        std::copy(darkRed, darkRed + 4, slot.colour);
        slot.textAlign = 2;
    } else {
        slot.text = description;
        if (isPlayed) {
            slot.marked = 1;
            const float darkGreen[4] = {0, 0.4f, 0, 1};
            std::copy(darkGreen, darkGreen + 4, slot.colour);
        }
    }
    menu->entries.push_back(slot);
}

void BuildCarInfo(CSelectMenu* menu, CRootNode* previewModel, CObjectLogic* carData)
{
    const CKindData* kind = carData ? carData->EffectiveKindData() : nullptr;
    if (!menu || !previewModel || !kind)
        return;
    CInfoText info(Title("CAR_%s", kind->name));
    info.Number("ATTR_VA", ValueOf(*kind, CAR_VALUE), "$");
    info.Weight("ATTR_TS", ValueOf(*kind, CAR_SPACE) * 100.0f, false);
    info.Number("ATTR_MS", ValueOf(*kind, CAR_SPEED), "mph");
    info.Number("ATTR_AC", ValueOf(*kind, CAR_ACCELERATION), "s");
    MenuSlot slot;
    slot.previewModel = previewModel;
    slot.gameData = carData;
    slot.snapper = 1;
    slot.text = info.Done();
    menu->entries.push_back(slot);
}

const std::string& BuildCharacterInfo(std::string& text, const CWorldObject* character)
{
    text.clear();
    const CObjectLogic* data = character ? character->objectLogic : nullptr;
    const CKindData* kind = data ? data->EffectiveKindData() : nullptr;
    if (!kind)
        return text;
    const auto* a = dynamic_cast<const CCharacterAState*>(data->EffectiveConditions());
    const CCharacterAState none;
    const CCharacterAState& s = a ? *a : none;
    CInfoText info(Title("CHR_%s", kind->name));
    info.Weight("ATTR_ST", s.strength, false);
    info.Number("ATTR_SP", kind->SpeedFactor() * 100.0f, "%");
    info.Weight("ATTR_WE", s.weight, false);
    info.Number("ATTR_CR", s.crimeRecords * 100.0f, "");
    info.Blank();
    info.Number("ATTR_PL", s.pickLocks * 100.0f, "");
    info.Number("ATTR_PS", s.pickSafes * 100.0f, "");
    info.Number("ATTR_AS", s.alarmSystems * 100.0f, "");
    text = info.Done();
    return text;
}

void ShowCharacterInfo(CSelectMenu* menu, CWorldObject* character, uint8_t selectable, int32_t price)
{
    if (!menu || !character)
        return;
    const CObjectLogic* data = character->objectLogic;
    const auto* state = data ? dynamic_cast<const CCharacterAState*>(data->EffectiveConditions()) : nullptr;
    if (state && state->crimeRecords >= 0.5f)
        return;
    MenuSlot slot;
    slot.instance = character->Definition();
    slot.previewModel = character->GetShapeRoot();
    slot.gameData = character->objectLogic;
    slot.worldObject = character;
    BuildCharacterInfo(slot.text, character);
    slot.snapper = 0;
    slot.selectable = selectable;
    slot.price = price;
    menu->entries.push_back(slot);
}

const std::string& BuildItemInfo(const CObjectLogic* itemData, std::string& text)
{
    text.clear();
    const CKindData* kind = itemData ? itemData->EffectiveKindData() : nullptr;
    if (!kind || kind->kind > KIND_TOOL || kind->kind < KIND_ITEM)
        return text;
    const char* kindKey = kind->kind == KIND_TOOL   ? "ATTR_TOOL"
                          : kind->kind == KIND_LOOT ? "ATTR_LOOT"
                                                    : "ATTR_ITEM";
    CInfoText info(Title("ITEM_%s", kind->name) + " (" + GetDisplayText(kindKey) + ")");
    info.Weight("ATTR_WE", kind->Weight(), true);
    if (kind->kind == KIND_TOOL) {
        info.Number("ATTR_CO", itemData->GetKindValue(), "x");
        info.Number("ATTR_PL", ValueOf(*kind, TOOL_LOCKS) * 100.0f, "%");
        info.Number("ATTR_PS", ValueOf(*kind, TOOL_SAFES) * 100.0f, "%");
        info.Number("ATTR_AS", ValueOf(*kind, TOOL_ALARM) * 100.0f, "%");
        const bool damaging = kind->ValueCount() > 7 && kind->Values()[7] != 0;
        info.Text("ATTR_DA", GetDisplayText(damaging ? "YES" : "NO"), "");
        info.Blank();
        const char* effect[4] = {"ATTR_EFF_GLAS", "ATTR_EFF_WOOD", "ATTR_EFF_METAL", "ATTR_EFF_ALARM"};
        for (int32_t m = 0; m < 4; ++m)
            info.Number(effect[m], ValueOf(*kind, TOOL_EFFECT + m) * 100.0f, m < 2 ? "%" : "");
        info.Blank();
        const char* noise[4] = {"ATTR_NOI_GLAS", "ATTR_NOI_WOOD", "ATTR_NOI_METAL", "ATTR_NOI_ALARM"};
        for (int32_t m = 0; m < 4; ++m)
            info.Number(noise[m], ValueOf(*kind, TOOL_NOISE + m) * 100.0f, "");
        info.Blank();
    }
    info.Number("ATTR_VA", kind->Price(), "$");
    text = info.Done();
    return text;
}
