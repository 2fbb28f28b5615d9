#pragma once
// The placement rules dialog's data and handlers: it edits the rule set of one
// terrain record in place and writes it to the rule file on OK. The drawing
// belongs to the editor toolkit; the controls are held here as their texts,
// lists as rows of column texts.
#include <cstdint>
#include <string>
#include <vector>

class CTerrainRules;

class TerrainRulesDlg
{
public:
    enum
    {
        IDD = 484,
        IDOK = 1,
        IDCANCEL = 2,
    };
    using Rows = std::vector<std::vector<std::string>>;

    explicit TerrainRulesDlg(CTerrainRules* terrain = nullptr) : terrain(terrain) {}

    // Opening: paths, columns and the lists.
    void OnInitDialog();

    void OnFamiliesClick(int32_t row);
    void OnAddFamily();
    void OnRemoveFamily();
    void OnObjectsClick(int32_t row);
    void OnScalePercent();
    void OnRotatePercent();
    void OnAddObject();
    void OnRemoveObject();
    void OnRulesClick(int32_t row);
    void OnRuleTypeChange();
    void OnAddRule();
    void OnRemoveRule();
    void OnEntriesClick(int32_t row);
    void OnAddEntry();
    void OnRemoveEntry();
    void OnStandardPathKillFocus();
    void OnGeneratedPathKillFocus();
    // `askPath` is the file-save question when the record has no rules path;
    // it returns an empty text for Cancel. Returns IDOK.
    int32_t OnOK(std::string (*askPath)());

    CTerrainRules* terrain = nullptr;

    // Controls.
    std::string standardPath, generatedPath;
    Rows families, objects, rules, entries;
    int32_t familiesSelected = -1, objectsSelected = -1, rulesSelected = -1, entriesSelected = -1;
    std::string familyNumber, familyName;
    std::string objectNumber, objectName;
    bool scalePercentFlag = false, rotatePercentFlag = false;
    std::string scalePercent, scaleFrom, scaleTo;
    std::string rotatePercent, rotateFrom, rotateTo;
    std::string amount;
    bool scalePercentEnabled = false, scaleRangeEnabled = true;
    bool rotatePercentEnabled = false, rotateRangeEnabled = true;
    std::string ruleName;
    std::string ruleType = "TextureRule";
    std::vector<std::string> familyBox;
    int32_t familyBoxSelected = -1;
    bool familyBoxEnabled = true, densityEnabled = true;
    float density = 0.0f;
    float heightStart = 0.0f, heightEnd = 0.0f;
    float slopeStart = 0.0f, slopeEnd = 0.0f;
    float directionStart = 0.0f, directionEnd = 0.0f;
    std::vector<std::string> indexBox;
    int32_t indexSelected = -1;
    float entryDensity = 0.0f;

private:
    void FillFamilies();
    void FillObjects();
    void FillRules();
    void FillIndexBox();
    void ShowRule(bool objectRule, int32_t index);
    void RefreshShownRule();
    int32_t FindRule(bool objectRule, const std::string& name) const;
    bool ObjectRuleChosen() const;
    // The rule named in the dialog and the entry key chosen for it; false when either is missing.
    bool ChosenRuleAndKey(bool& objectRule, int32_t& index, std::string& key) const;
    int32_t shownIndex_ = -1;
    bool shownObjectRule_ = false;
};
