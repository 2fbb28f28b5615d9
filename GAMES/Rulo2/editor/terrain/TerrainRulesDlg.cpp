#include "GAMES/Rulo2/editor/terrain/TerrainRulesDlg.h"

#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/editor/terrain/TerrainText.h"
#include "GAMES/Rulo2/editor/terrain/TerrainTextures.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"
#include "platform/files/WinPath.h"
#include "platform/ui/Ui.h"
#include "platform/win/MessageBox.h"

using platform::ui::ControlKind;

namespace {

constexpr const char* kDegree = "\xB0";

float ToDegrees(float radians)
{
    return radians * 57.295776f;
}

std::string WithBackslash(const std::string& path)
{
    return path.empty() || path.back() == '\\' ? path : path + "\\";
}

const char* ModelName(const CGeneratorObject& d)
{
    return d.model && d.model->name ? d.model->name : d.modelName.c_str();
}

// The variant number of a texture name: the digit after its last "_V", -1 without one.
int32_t VariantOf(const sString& key, const char* file)
{
    const std::string name = file ? file : "";
    const size_t at = UpperAscii(name).rfind("_V");
    if (at != std::string::npos && at + 2 < name.size())
        return std::atoi(name.c_str() + at + 2);
    if (!key.isEmpty() && (key.c_str()[0] == 'V' || key.c_str()[0] == 'v'))
        return std::atoi(key.c_str() + 1);
    return -1;
}

} // namespace

bool TerrainRulesDlg::OnInitDialog()
{
    if (!terrain)
        return true;
    standardPath = terrain->standardPath;
    generatedPath = terrain->generatedPath;
    FillFamilies();
    FillObjects();
    FillRules();
    UpdateData(false);
    return true;
}

void TerrainRulesDlg::FillFamilies()
{
    families.clear();
    familyBox.clear();
    for (int32_t n = 0; n < 4; ++n) {
        const char* name = terrain->FamilyName(n);
        families.push_back({std::to_string(n), name});
        if (std::strcmp(name, "NONE") != 0)
            familyBox.push_back(name);
    }
}

void TerrainRulesDlg::FillObjects()
{
    objects.clear();
    for (int32_t i = 0; i < terrain->objectDefinitions.count(); ++i) {
        const CGeneratorObject& d = terrain->objectDefinitions[i];
        if (!d.HasModelName())
            continue;
        const std::string scale = d.scalePercentFlag
                                      ? crt::Format("%3.0f%%", double(d.scalePercent))
                                      : crt::Format("%2.2f - %2.2f", double(d.scaleFrom), double(d.scaleTo));
        const std::string rotate =
            d.rotatePercentFlag ? crt::Format("%3.0f%%", double(d.rotatePercent))
                                : crt::Format("%3.0f - %3.0f", double(d.rotateFrom), double(d.rotateTo));
        objects.push_back({std::to_string(i), ModelName(d), scale, rotate, std::to_string(d.amount)});
    }
}

void TerrainRulesDlg::FillRules()
{
    rules.clear();
    auto ranges = [](const CGeneratorRule& r, const char* heightUnit) {
        return std::vector<std::string>{
            crt::Format("%2.2f - %2.2f%s", double(r.heightStart), double(r.heightEnd), heightUnit),
            crt::Format("%2.2f%s - %2.2f%s", double(ToDegrees(r.slopeStart)), kDegree,
                        double(ToDegrees(r.slopeEnd)), kDegree),
            crt::Format("%2.2f%s - %2.2f%s", double(ToDegrees(r.directionStart)), kDegree,
                        double(ToDegrees(r.directionEnd)), kDegree)};
    };
    for (int32_t k = 0; k < terrain->textureRules.count(); ++k) {
        const CGeneratorRule& r = terrain->textureRules[k];
        const char* family =
            !r.entries.empty() && r.entries[0] ? terrain->FamilyName(r.entries[0]->family) : "NONE";
        std::vector<std::string> row{std::to_string(k), r.name.c_str(), "TEXRULE", family,
                                     crt::Format("%1.4f", double(r.density))};
        for (std::string& text : ranges(r, ""))
            row.push_back(text);
        rules.push_back(row);
    }
    for (int32_t k = 0; k < terrain->objectRules.count(); ++k) {
        const CGeneratorRule& r = terrain->objectRules[k];
        std::vector<std::string> row{std::to_string(k), r.name.c_str(), "OBJRULE", "", ""};
        for (std::string& text : ranges(r, kDegree))
            row.push_back(text);
        rules.push_back(row);
    }
}

void TerrainRulesDlg::FillIndexBox()
{
    indexBox.clear();
    indexSelected = -1;
    if (ruleType == "ObjectRule") {
        for (const CGeneratorObject& d : terrain->objectDefinitions)
            if (d.HasModelName())
                indexBox.push_back(ModelName(d));
    } else {
        for (int k = 0; k < 10; ++k)
            indexBox.push_back("V" + std::to_string(k));
    }
}

void TerrainRulesDlg::OnFamiliesClick(int32_t row)
{
    if (!terrain || row < 0 || row >= int32_t(families.size()))
        return;
    familiesSelected = row;
    familyNumber = families[size_t(row)][0];
    familyName = families[size_t(row)][1];
}

void TerrainRulesDlg::OnAddFamily()
{
    if (!terrain)
        return;
    const std::string name = TrimBlanks(familyName);
    if (name.empty())
        return;
    const int32_t n = std::atoi(familyNumber.c_str());
    if (n < 0 || n > 3) {
        LogPrintf("Texture family number %d outside 0 to 3 ignored", n);
        return;
    }
    terrain->families[n] = name.c_str();
    FillFamilies();
    FillRules();
    RefreshShownRule();
}

void TerrainRulesDlg::OnRemoveFamily()
{
    if (!terrain || TrimBlanks(familyName).empty())
        return;
    const int32_t n = std::atoi(familyNumber.c_str());
    if (n < 0 || n > 3) {
        LogPrintf("Texture family number %d outside 0 to 3 ignored", n);
        return;
    }
    terrain->families[n] = "NONE";
    FillFamilies();
    FillRules();
    RefreshShownRule();
}

void TerrainRulesDlg::OnObjectsClick(int32_t row)
{
    if (!terrain || row < 0 || row >= int32_t(objects.size()))
        return;
    objectsSelected = row;
    objectNumber = objects[size_t(row)][0];
    objectName = objects[size_t(row)][1];
    const int32_t n = std::atoi(objectNumber.c_str());
    if (n < 0 || n >= terrain->objectDefinitions.count())
        return;
    const CGeneratorObject& d = terrain->objectDefinitions[n];
    scalePercentFlag = d.scalePercentFlag != 0;
    if (scalePercentFlag)
        scalePercent = crt::Format("%f", double(d.scalePercent));
    else {
        scaleFrom = crt::Format("%f", double(d.scaleFrom));
        scaleTo = crt::Format("%f", double(d.scaleTo));
    }
    rotatePercentFlag = d.rotatePercentFlag != 0;
    if (rotatePercentFlag)
        rotatePercent = std::to_string(int32_t(d.rotatePercent));
    else {
        rotateFrom = crt::Format("%f", double(d.rotateFrom));
        rotateTo = crt::Format("%f", double(d.rotateTo));
    }
    OnScalePercent();
    OnRotatePercent();
    amount = std::to_string(d.amount);
}

void TerrainRulesDlg::OnScalePercent()
{
    scalePercentEnabled = scalePercentFlag;
    scaleRangeEnabled = !scalePercentFlag;
}

void TerrainRulesDlg::OnRotatePercent()
{
    rotatePercentEnabled = rotatePercentFlag;
    rotateRangeEnabled = !rotatePercentFlag;
}

void TerrainRulesDlg::OnAddObject()
{
    if (!terrain)
        return;
    const int32_t n = std::atoi(objectNumber.c_str());
    if (n < 0 || n > kMaxObjectDefinition) {
        LogPrintf("Object definition number %d outside 0 to %d ignored", n, kMaxObjectDefinition);
        return;
    }
    while (terrain->objectDefinitions.count() < n + 1)
        terrain->objectDefinitions.append(CGeneratorObject());
    CModelEntry* model = FindGeneratorModel(TrimBlanks(objectName));
    if (!model)
        return;
    CGeneratorObject d;
    d.model = model;
    d.modelName = model->name;
    d.amount = std::atoi(amount.c_str());
    d.scalePercentFlag = scalePercentFlag ? 1 : 0;
    if (scalePercentFlag)
        d.scalePercent = float(std::atof(scalePercent.c_str()));
    else {
        d.scaleFrom = float(std::atof(scaleFrom.c_str()));
        d.scaleTo = float(std::atof(scaleTo.c_str()));
    }
    d.rotatePercentFlag = rotatePercentFlag ? 1 : 0;
    if (rotatePercentFlag)
        d.rotatePercent = float(std::atoi(rotatePercent.c_str()));
    else {
        d.rotateFrom = float(std::atof(rotateFrom.c_str()));
        d.rotateTo = float(std::atof(rotateTo.c_str()));
    }
    terrain->objectDefinitions[n] = d;
    FillObjects();
    FillRules();
    RefreshShownRule();
}

void TerrainRulesDlg::OnRemoveObject()
{
    if (!terrain)
        return;
    const int32_t n = std::atoi(objectNumber.c_str());
    if (n < 0 || n >= terrain->objectDefinitions.count()) {
        LogPrintf("Object definition number %d does not exist", n);
        return;
    }
    terrain->objectDefinitions[n] = CGeneratorObject();
    FillObjects();
    FillRules();
    RefreshShownRule();
}

int32_t TerrainRulesDlg::FindRule(bool objectRule, const std::string& name) const
{
    const sList<CGeneratorRule>& list = objectRule ? terrain->objectRules : terrain->textureRules;
    for (int32_t k = 0; k < list.count(); ++k)
        if (platform::EqualsNoCase(list[k].name.c_str(), name))
            return k;
    return -1;
}

bool TerrainRulesDlg::ObjectRuleChosen() const
{
    return ruleType == "ObjectRule";
}

void TerrainRulesDlg::ShowRule(bool objectRule, int32_t index)
{
    const sList<CGeneratorRule>& list = objectRule ? terrain->objectRules : terrain->textureRules;
    if (index < 0 || index >= list.count())
        return;
    shownObjectRule_ = objectRule;
    shownIndex_ = index;
    const CGeneratorRule& r = list[index];
    ruleName = r.name.c_str();
    ruleType = objectRule ? "ObjectRule" : "TextureRule";
    entries.clear();
    entriesSelected = -1;
    familyBoxEnabled = densityEnabled = !objectRule;
    if (!objectRule) {
        for (const CGeneratorEntry* entry : r.entries) {
            const char* file = entry->image ? entry->image->name.c_str() : nullptr;
            entries.push_back({"V" + std::to_string(VariantOf(entry->key, file)),
                               crt::Format("%1.4f", double(entry->weight))});
            const std::string family = terrain->FamilyName(entry->family);
            for (size_t k = 0; k < familyBox.size(); ++k)
                if (familyBox[k] == family)
                    familyBoxSelected = int32_t(k);
        }
    } else {
        for (const CGeneratorObjectEntry& entry : r.objects)
            if (entry.object >= 0 && entry.object < terrain->objectDefinitions.count() &&
                terrain->objectDefinitions[entry.object].HasModelName())
                entries.push_back({ModelName(terrain->objectDefinitions[entry.object]),
                                   crt::Format("%1.4f", double(entry.weight))});
    }
    heightStart = r.heightStart;
    heightEnd = r.heightEnd;
    slopeStart = ToDegrees(r.slopeStart);
    slopeEnd = ToDegrees(r.slopeEnd);
    directionStart = ToDegrees(r.directionStart);
    directionEnd = ToDegrees(r.directionEnd);
    density = objectRule ? 0.0f : r.density;
    FillIndexBox();
}

void TerrainRulesDlg::RefreshShownRule()
{
    if (shownIndex_ >= 0)
        ShowRule(shownObjectRule_, shownIndex_);
}

void TerrainRulesDlg::OnRulesClick(int32_t row)
{
    if (!terrain || row < 0 || row >= int32_t(rules.size()))
        return;
    rulesSelected = row;
    const std::string& type = rules[size_t(row)][2];
    const bool objectRule = type.size() >= 3 && platform::EqualsNoCase(type.substr(0, 3), "OBJ");
    ShowRule(objectRule, std::atoi(rules[size_t(row)][0].c_str()));
}

void TerrainRulesDlg::OnRuleTypeChange()
{
    if (!terrain)
        return;
    familyBoxEnabled = densityEnabled = !ObjectRuleChosen();
    FillIndexBox();
    entries.clear();
}

void TerrainRulesDlg::OnAddRule()
{
    if (!terrain)
        return;
    if (heightStart == 0.0f && heightEnd == 0.0f)
        heightEnd = 1.0f;
    if (directionStart == 0.0f && directionEnd == 0.0f)
        directionEnd = 360.0f;
    if (slopeStart == 0.0f && slopeEnd == 0.0f)
        slopeEnd = 90.0f;
    const std::string name = UpperAscii(TrimBlanks(ruleName));
    if (name.empty())
        return;
    const bool objectRule = ObjectRuleChosen();
    sList<CGeneratorRule>& list = objectRule ? terrain->objectRules : terrain->textureRules;
    int32_t index = FindRule(objectRule, name);
    if (index < 0) {
        CGeneratorRule fresh;
        fresh.name = name.c_str();
        index = list.append(fresh);
    }
    CGeneratorRule& r = list[index];
    r.heightStart = heightStart;
    r.heightEnd = heightEnd;
    r.slopeStart = DegreesToRadians(slopeStart);
    r.slopeEnd = DegreesToRadians(slopeEnd);
    r.directionStart = DegreesToRadians(directionStart);
    r.directionEnd = DegreesToRadians(directionEnd);
    if (!objectRule)
        r.density = density;
    FillRules();
    ShowRule(objectRule, index);
}

void TerrainRulesDlg::OnRemoveRule()
{
    if (!terrain || rulesSelected < 0 || rulesSelected >= int32_t(rules.size()))
        return;
    const std::vector<std::string>& row = rules[size_t(rulesSelected)];
    const bool objectRule = platform::EqualsNoCase(row[2].substr(0, 3), "OBJ");
    sList<CGeneratorRule>& list = objectRule ? terrain->objectRules : terrain->textureRules;
    list.removeRange(std::atoi(row[0].c_str()), 1);
    rulesSelected = -1;
    if (shownObjectRule_ == objectRule)
        shownIndex_ = -1;
    FillRules();
    RefreshShownRule();
}

void TerrainRulesDlg::OnEntriesClick(int32_t row)
{
    if (!terrain || row < 0 || row >= int32_t(entries.size()))
        return;
    entriesSelected = row;
    for (size_t k = 0; k < indexBox.size(); ++k)
        if (indexBox[k] == entries[size_t(row)][0])
            indexSelected = int32_t(k);
    entryDensity = float(std::atof(entries[size_t(row)][1].c_str()));
}

bool TerrainRulesDlg::ChosenRuleAndKey(bool& objectRule, int32_t& index, std::string& key) const
{
    if (!terrain)
        return false;
    objectRule = ObjectRuleChosen();
    index = FindRule(objectRule, TrimBlanks(ruleName));
    if (index < 0 || indexSelected < 0 || indexSelected >= int32_t(indexBox.size()))
        return false;
    key = indexBox[size_t(indexSelected)];
    return true;
}

void TerrainRulesDlg::OnAddEntry()
{
    bool objectRule = false;
    int32_t index = -1;
    std::string key;
    if (!ChosenRuleAndKey(objectRule, index, key))
        return;
    if (!objectRule) {
        CGeneratorRule& r = terrain->textureRules[index];
        int32_t family = 0;
        if (familyBoxSelected >= 0 && familyBoxSelected < int32_t(familyBox.size()))
            for (int32_t n = 0; n < 4; ++n)
                if (familyBox[size_t(familyBoxSelected)] == terrain->FamilyName(n)) {
                    family = n;
                    break;
                }
        const std::string file = terrain->standardPath + terrain->FamilyName(family) + "_" + key + ".tif";
        for (CGeneratorEntry* entry : r.entries)
            if (entry->image && platform::EqualsNoCase(entry->image->name.c_str(), file)) {
                entry->weight = entryDensity;
                ShowRule(false, index);
                FillRules();
                return;
            }
        auto* entry = sMemory::newObject<CGeneratorEntry>();
        entry->weight = entryDensity;
        entry->family = uint16_t(family);
        entry->key = key.c_str();
        for (int32_t k = 0; k < terrain->textureTable.count(); ++k) {
            const CGeneratorEntry* known = terrain->textureTable[k];
            if (known && known->image && platform::EqualsNoCase(known->image->name.c_str(), file)) {
                entry->texture = known->texture;
                entry->image = known->image;
                entry->tableIndex = uint16_t(k);
                break;
            }
        }
        if (!entry->image) {
            const TextureListHidden hidden;
            entry->image = std::make_shared<imgImage>();
            LoadTerrainImage(*entry->image, file);
            entry->image->name.set(file.c_str());
            if (!entry->image->empty())
                entry->texture = MakeGeneratedTexture(*entry->image, file.c_str());
            entry->tableIndex = uint16_t(terrain->textureTable.count());
            terrain->textureTable.append(entry);
            terrain->textureCount = terrain->textureTable.count();
        }
        r.weightSum += entry->weight;
        r.entries.append(entry);
        ShowRule(false, index);
    } else {
        CGeneratorRule& r = terrain->objectRules[index];
        for (CGeneratorObjectEntry& entry : r.objects)
            if (entry.object >= 0 && entry.object < terrain->objectDefinitions.count() &&
                platform::EqualsNoCase(ModelName(terrain->objectDefinitions[entry.object]), key)) {
                entry.weight = entryDensity;
                ShowRule(true, index);
                FillRules();
                return;
            }
        for (int32_t i = 0; i < terrain->objectDefinitions.count(); ++i)
            if (terrain->objectDefinitions[i].HasModelName() &&
                platform::EqualsNoCase(ModelName(terrain->objectDefinitions[i]), key)) {
                r.objects.push_back({i, entryDensity});
                break;
            }
        ShowRule(true, index);
    }
    FillRules();
}

void TerrainRulesDlg::OnRemoveEntry()
{
    bool objectRule = false;
    int32_t index = -1;
    std::string key;
    if (!ChosenRuleAndKey(objectRule, index, key))
        return;
    if (!objectRule) {
        CGeneratorRule& r = terrain->textureRules[index];
        for (int32_t k = 0; k < r.entries.count(); ++k)
            if (platform::EqualsNoCase(r.entries[k]->key.c_str(), key)) {
                r.weightSum -= r.entries[k]->weight;
                r.entries.removeRange(k, 1);
                break;
            }
    } else {
        CGeneratorRule& r = terrain->objectRules[index];
        for (size_t k = 0; k < r.objects.size(); ++k) {
            const int32_t i = r.objects[k].object;
            if (i >= 0 && i < terrain->objectDefinitions.count() &&
                platform::EqualsNoCase(ModelName(terrain->objectDefinitions[i]), key)) {
                r.objects.erase(r.objects.begin() + std::ptrdiff_t(k));
                break;
            }
        }
    }
    ShowRule(objectRule, index);
    FillRules();
}

void TerrainRulesDlg::OnStandardPathKillFocus()
{
    if (!terrain)
        return;
    standardPath = WithBackslash(standardPath);
    terrain->standardPath = standardPath;
}

void TerrainRulesDlg::OnGeneratedPathKillFocus()
{
    if (!terrain)
        return;
    generatedPath = WithBackslash(generatedPath);
    terrain->generatedPath = generatedPath;
}

int32_t TerrainRulesDlg::OnOK(std::string (*askPath)())
{
    if (!terrain)
        return IDOK;
    terrain->standardPath = standardPath;
    terrain->generatedPath = generatedPath;
    if (terrain->rulesPath.empty() && askPath)
        terrain->rulesPath = askPath();
    if (!terrain->rulesPath.empty())
        terrain->Write(terrain->rulesPath.c_str());
    return IDOK;
}

// ---------------------------------------------------------------- the window

namespace {

// One list row: its columns side by side.
std::string RowText(const std::vector<std::string>& row)
{
    std::string text;
    for (size_t i = 0; i < row.size(); ++i)
        text += (i ? "  |  " : "") + row[i];
    return text;
}

void ExchangeBox(platform::ui::DataExchange& dx, int id, const std::vector<std::string>& items,
                 int32_t& selected)
{
    platform::ui::Control* c = dx.Owner().GetDlgItem(id);
    if (!c || dx.Failed())
        return;
    if (dx.Saving()) {
        selected = c->selection >= 0 && c->selection < int(items.size()) ? c->selection : -1;
        return;
    }
    c->list = items;
    c->selection = selected >= 0 && selected < int32_t(items.size()) ? selected : -1;
    c->text = c->selection >= 0 ? items[size_t(c->selection)] : std::string();
}

void ExchangeList(platform::ui::DataExchange& dx, int id, const TerrainRulesDlg::Rows& rows,
                  int32_t& selected)
{
    std::vector<std::string> texts;
    for (const auto& row : rows)
        texts.push_back(RowText(row));
    ExchangeBox(dx, id, texts, selected);
}

void ExchangeFlag(platform::ui::DataExchange& dx, int id, bool& flag)
{
    int check = flag ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
    platform::ui::DDX_Check(dx, id, check);
    flag = check == platform::ui::BST_CHECKED;
}

void ExchangeRange(platform::ui::DataExchange& dx, int startId, int endId, float& start, float& end,
                   float high)
{
    platform::ui::DDX_Text(dx, startId, start);
    platform::ui::DDV_MinMaxFloat(dx, start, 0.0f, high);
    platform::ui::DDX_Text(dx, endId, end);
    platform::ui::DDV_MinMaxFloat(dx, end, 0.0f, high);
}

const char* const kRuleTypes[2] = {"TextureRule", "ObjectRule"};

} // namespace

TerrainRulesDlg::TerrainRulesDlg(CTerrainRules* terrain)
    : platform::ui::Dialog(IDD, "Dialog", 760, 600), terrain(terrain)
{
    auto label = [this](const char* text, int x, int y, int width = 90) {
        AddControl(ControlKind::Static, 0, text, x, y + 3, width, 20);
    };
    auto edit = [this, &label](const char* text, int id, int x, int y, int labelWidth = 90, int width = 80) {
        label(text, x, y, labelWidth);
        AddControl(ControlKind::Edit, id, "", x + labelWidth, y, width, 22);
    };
    auto button = [this](const char* text, int id, int x, int y, int width = 70) {
        AddControl(ControlKind::Button, id, text, x, y, width, 24);
    };
    edit("Texturepath Standard:", IDC_STANDARD_PATH, 10, 10, 150, 460);
    button("Browse...", IDC_BROWSE_STANDARD, 630, 10, 80);
    edit("Texturepath Generated:", IDC_GENERATED_PATH, 10, 36, 150, 460);
    button("Browse...", IDC_BROWSE_GENERATED, 630, 36, 80);

    label("Texture Families", 10, 66, 150);
    AddControl(ControlKind::ListBox, IDC_FAMILIES, "", 10, 88, 180, 90);
    edit("Number:", IDC_FAMILY_NUMBER, 10, 184, 100, 80);
    edit("Texture Family:", IDC_FAMILY_NAME, 10, 210, 100, 80);
    button("Add", IDC_ADD_FAMILY, 10, 236);
    button("Remove", IDC_REMOVE_FAMILY, 90, 236);

    label("Objects", 210, 66, 150);
    AddControl(ControlKind::ListBox, IDC_OBJECTS, "", 210, 88, 540, 90);
    edit("Number:", IDC_OBJECT_NUMBER, 210, 184, 60, 50);
    edit("Object:", IDC_OBJECT_NAME, 330, 184, 60, 140);
    button("Select Model...", IDC_SELECT_MODEL, 540, 184, 110);
    label("Scale:", 210, 212, 60);
    AddControl(ControlKind::CheckBox, IDC_SCALE_PERCENT_FLAG, "Use Percentage", 270, 212, 130, 20);
    edit("Scale:", IDC_SCALE_PERCENT, 400, 210, 45, 60);
    edit("Scale From:", IDC_SCALE_FROM, 510, 210, 80, 50);
    edit("Scale To:", IDC_SCALE_TO, 640, 210, 60, 50);
    label("Rotate:", 210, 238, 60);
    AddControl(ControlKind::CheckBox, IDC_ROTATE_PERCENT_FLAG, "Use Percentage", 270, 238, 130, 20);
    edit("Rot:", IDC_ROTATE_PERCENT, 400, 236, 45, 60);
    edit("Rot From:", IDC_ROTATE_FROM, 510, 236, 80, 50);
    edit("Rot To:", IDC_ROTATE_TO, 640, 236, 60, 50);
    edit("Amount:", IDC_AMOUNT, 210, 262, 60, 50);
    button("Add", IDC_ADD_OBJECT, 330, 262);
    button("Remove", IDC_REMOVE_OBJECT, 410, 262);

    label("Rules", 10, 294, 150);
    AddControl(ControlKind::ListBox, IDC_RULES, "", 10, 316, 740, 90);
    edit("Rulename:", IDC_RULE_NAME, 10, 412, 80, 120);
    label("Ruletype:", 220, 412, 70);
    platform::ui::Control& type = AddControl(ControlKind::ComboBox, IDC_RULE_TYPE, "", 290, 412, 120, 22);
    type.list.assign(std::begin(kRuleTypes), std::end(kRuleTypes));
    label("Family:", 420, 412, 60);
    AddControl(ControlKind::ComboBox, IDC_FAMILY_BOX, "", 480, 412, 120, 22);
    edit("Density:", IDC_DENSITY, 610, 412, 60, 70);
    label("Height", 10, 440, 60);
    edit("Start:", IDC_HEIGHT_START, 70, 440, 45, 60);
    edit("End:", IDC_HEIGHT_END, 180, 440, 40, 60);
    label("Slope", 10, 466, 60);
    edit("Start:", IDC_SLOPE_START, 70, 466, 45, 60);
    edit("End:", IDC_SLOPE_END, 180, 466, 40, 60);
    label("Direction", 10, 492, 60);
    edit("Start:", IDC_DIRECTION_START, 70, 492, 45, 60);
    edit("End:", IDC_DIRECTION_END, 180, 492, 40, 60);
    button("Add", IDC_ADD_RULE, 10, 522);
    button("Remove", IDC_REMOVE_RULE, 90, 522);

    AddControl(ControlKind::ListBox, IDC_ENTRIES, "", 300, 440, 200, 100);
    label("Index:", 510, 440, 60);
    AddControl(ControlKind::ComboBox, IDC_INDEX_BOX, "", 570, 440, 120, 22);
    edit("Density:", IDC_ENTRY_DENSITY, 510, 466, 60, 70);
    button("Add", IDC_ADD_ENTRY, 510, 494);
    button("Remove", IDC_REMOVE_ENTRY, 590, 494);

    // Disabled in the resource and never enabled.
    button("Apply", IDC_APPLY, 510, 560);
    EnableDlgItem(IDC_APPLY, false);
    button("OK", IDOK, 590, 560);
    button("Cancel", IDCANCEL, 670, 560);
}

void TerrainRulesDlg::DoDataExchange(platform::ui::DataExchange& dx)
{
    using namespace platform::ui;
    DDX_Text(dx, IDC_STANDARD_PATH, standardPath);
    DDX_Text(dx, IDC_GENERATED_PATH, generatedPath);
    ExchangeList(dx, IDC_FAMILIES, families, familiesSelected);
    DDX_Text(dx, IDC_FAMILY_NUMBER, familyNumber);
    DDX_Text(dx, IDC_FAMILY_NAME, familyName);
    ExchangeList(dx, IDC_OBJECTS, objects, objectsSelected);
    DDX_Text(dx, IDC_OBJECT_NUMBER, objectNumber);
    DDX_Text(dx, IDC_OBJECT_NAME, objectName);
    ExchangeFlag(dx, IDC_SCALE_PERCENT_FLAG, scalePercentFlag);
    DDX_Text(dx, IDC_SCALE_PERCENT, scalePercent);
    DDX_Text(dx, IDC_SCALE_FROM, scaleFrom);
    DDX_Text(dx, IDC_SCALE_TO, scaleTo);
    ExchangeFlag(dx, IDC_ROTATE_PERCENT_FLAG, rotatePercentFlag);
    DDX_Text(dx, IDC_ROTATE_PERCENT, rotatePercent);
    DDX_Text(dx, IDC_ROTATE_FROM, rotateFrom);
    DDX_Text(dx, IDC_ROTATE_TO, rotateTo);
    DDX_Text(dx, IDC_AMOUNT, amount);
    ExchangeList(dx, IDC_RULES, rules, rulesSelected);
    DDX_Text(dx, IDC_RULE_NAME, ruleName);
    int32_t type = ruleType == kRuleTypes[1] ? 1 : 0;
    ExchangeBox(dx, IDC_RULE_TYPE, {kRuleTypes[0], kRuleTypes[1]}, type);
    if (dx.Saving() && !dx.Failed())
        ruleType = kRuleTypes[type == 1 ? 1 : 0];
    ExchangeBox(dx, IDC_FAMILY_BOX, familyBox, familyBoxSelected);
    DDX_Text(dx, IDC_DENSITY, density);
    DDV_MinMaxFloat(dx, density, 0.0f, 1.0f);
    ExchangeRange(dx, IDC_HEIGHT_START, IDC_HEIGHT_END, heightStart, heightEnd, 1.0f);
    ExchangeRange(dx, IDC_SLOPE_START, IDC_SLOPE_END, slopeStart, slopeEnd, 90.0f);
    ExchangeRange(dx, IDC_DIRECTION_START, IDC_DIRECTION_END, directionStart, directionEnd, 360.0f);
    ExchangeList(dx, IDC_ENTRIES, entries, entriesSelected);
    ExchangeBox(dx, IDC_INDEX_BOX, indexBox, indexSelected);
    DDX_Text(dx, IDC_ENTRY_DENSITY, entryDensity);
    if (dx.Saving() || dx.Failed())
        return;
    EnableDlgItem(IDC_SCALE_PERCENT, scalePercentEnabled);
    EnableDlgItem(IDC_SCALE_FROM, scaleRangeEnabled);
    EnableDlgItem(IDC_SCALE_TO, scaleRangeEnabled);
    EnableDlgItem(IDC_ROTATE_PERCENT, rotatePercentEnabled);
    EnableDlgItem(IDC_ROTATE_FROM, rotateRangeEnabled);
    EnableDlgItem(IDC_ROTATE_TO, rotateRangeEnabled);
    EnableDlgItem(IDC_FAMILY_BOX, familyBoxEnabled);
    EnableDlgItem(IDC_DENSITY, densityEnabled);
}

bool TerrainRulesDlg::OnCommand(int id)
{
    if (id == IDOK || id == IDCANCEL)
        return platform::ui::Dialog::OnCommand(id);
    // A failed range check has shown its message; the dialog stays as it is.
    if (!UpdateData(true))
        return true;
    // Leaving a path edit for any control of the dialog ends its edit.
    OnStandardPathKillFocus();
    OnGeneratedPathKillFocus();
    switch (id) {
    case IDC_FAMILIES:
        OnFamiliesClick(familiesSelected);
        break;
    case IDC_ADD_FAMILY:
        OnAddFamily();
        break;
    case IDC_REMOVE_FAMILY:
        OnRemoveFamily();
        break;
    case IDC_OBJECTS:
        OnObjectsClick(objectsSelected);
        break;
    case IDC_SCALE_PERCENT_FLAG:
        OnScalePercent();
        break;
    case IDC_ROTATE_PERCENT_FLAG:
        OnRotatePercent();
        break;
    case IDC_SELECT_MODEL:
        OnSelectModel();
        break;
    case IDC_ADD_OBJECT:
        OnAddObject();
        break;
    case IDC_REMOVE_OBJECT:
        OnRemoveObject();
        break;
    case IDC_RULES:
        OnRulesClick(rulesSelected);
        break;
    case IDC_RULE_TYPE:
        OnRuleTypeChange();
        break;
    case IDC_ADD_RULE:
        OnAddRule();
        break;
    case IDC_REMOVE_RULE:
        OnRemoveRule();
        break;
    case IDC_ENTRIES:
        OnEntriesClick(entriesSelected);
        break;
    case IDC_ADD_ENTRY:
        OnAddEntry();
        break;
    case IDC_REMOVE_ENTRY:
        OnRemoveEntry();
        break;
    case IDC_BROWSE_STANDARD:
    case IDC_BROWSE_GENERATED: {
        platform::ui::FileDialog folder(false, "Folders|*|");
        folder.SetWindowText("Browse for Group");
        if (folder.DoModal(Owner()) != platform::ui::IDOK || !terrain)
            break;
        std::string chosen = folder.GetPathName().string();
        for (char& c : chosen)
            if (c == '/')
                c = '\\';
        (id == IDC_BROWSE_STANDARD ? standardPath : generatedPath) = WithBackslash(chosen);
        (id == IDC_BROWSE_STANDARD ? terrain->standardPath : terrain->generatedPath) = WithBackslash(chosen);
        break;
    }
    default:
        return platform::ui::Dialog::OnCommand(id);
    }
    UpdateData(false);
    return true;
}

void TerrainRulesDlg::OnSelectModel()
{
    if (platform::MessageBox(Owner(), "Select a model in modellist-dialog", "", platform::MB_OKCANCEL) !=
        platform::IDOK)
        return;
    if (!g_ModelListDlg)
        return;
    const auto item = g_ModelListDlg->tree.GetSelectedItem();
    if (!item)
        return;
    WalkModelList(g_ModelListRoot, [&](CModelEntry* e) {
        if (e->id != item)
            return true;
        if (e->model && e->model->name)
            objectName = e->model->name;
        return false;
    });
}

void TerrainRulesDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    OnStandardPathKillFocus();
    OnGeneratedPathKillFocus();
    OnOK(+[]() -> std::string {
        platform::ui::FileDialog file(false, "All Files|*.*|");
        if (file.DoModal() != platform::ui::IDOK)
            return std::string();
        return file.GetPathName().string();
    });
    EndDialog(IDOK);
}
