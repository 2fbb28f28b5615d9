#pragma once
// The placement rules dialog: it edits the rule set of one terrain record in
// place and writes it to the rule file on OK. The handlers work on the members
// (texts, lists as rows of column texts); the data exchange moves them to and
// from the controls around each command of the dialog.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/Ui.h"

class CTerrainRules;

class TerrainRulesDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 484,
        IDOK = 1,
        IDCANCEL = 2,
        IDC_STANDARD_PATH = 1362,
        IDC_GENERATED_PATH = 1363,
        IDC_BROWSE_STANDARD = 1364,
        IDC_BROWSE_GENERATED = 1365,
        IDC_FAMILIES = 1336,
        IDC_FAMILY_NUMBER = 1189,
        IDC_FAMILY_NAME = 1191,
        IDC_ADD_FAMILY = 1340,
        IDC_REMOVE_FAMILY = 1342,
        IDC_OBJECTS = 1337,
        IDC_OBJECT_NUMBER = 1192,
        IDC_OBJECT_NAME = 1193,
        IDC_SELECT_MODEL = 1361,
        IDC_SCALE_PERCENT_FLAG = 1109,
        IDC_SCALE_PERCENT = 1194,
        IDC_SCALE_FROM = 1195,
        IDC_SCALE_TO = 1196,
        IDC_ROTATE_PERCENT_FLAG = 1110,
        IDC_ROTATE_PERCENT = 1197,
        IDC_ROTATE_FROM = 1198,
        IDC_ROTATE_TO = 1199,
        IDC_AMOUNT = 1200,
        IDC_ADD_OBJECT = 1341,
        IDC_REMOVE_OBJECT = 1343,
        IDC_RULES = 1338,
        IDC_RULE_NAME = 1356,
        IDC_RULE_TYPE = 1357,
        IDC_FAMILY_BOX = 1358,
        IDC_DENSITY = 1366,
        IDC_HEIGHT_START = 1346,
        IDC_HEIGHT_END = 1347,
        IDC_SLOPE_START = 1352,
        IDC_SLOPE_END = 1353,
        IDC_DIRECTION_START = 1354,
        IDC_DIRECTION_END = 1355,
        IDC_ADD_RULE = 1350,
        IDC_REMOVE_RULE = 1351,
        IDC_ENTRIES = 1339,
        IDC_INDEX_BOX = 1359,
        IDC_ENTRY_DENSITY = 1345,
        IDC_ADD_ENTRY = 1348,
        IDC_REMOVE_ENTRY = 1349,
        IDC_APPLY = 1360,
    };
    using Rows = std::vector<std::vector<std::string>>;

    explicit TerrainRulesDlg(CTerrainRules* terrain = nullptr);

    // Opening: paths, columns and the lists.
    bool OnInitDialog() override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    // Reads the controls, runs the handler of the control and shows the result.
    bool OnCommand(int id) override;

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
    // "Select a model in modellist-dialog": on OK the Model List's current model
    // becomes the object name.
    void OnSelectModel();
    // `askPath` is the file-save question when the record has no rules path;
    // it returns an empty text for Cancel. Returns IDOK.
    int32_t OnOK(std::string (*askPath)());
    // The OK button: OnOK with the file-save dialog, then the dialog ends with IDOK.
    void OnOK() override;

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
