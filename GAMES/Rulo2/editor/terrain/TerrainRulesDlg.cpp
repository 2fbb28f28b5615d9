#include "GAMES/Rulo2/editor/terrain/TerrainRulesDlg.h"

#include <cstdlib>
#include <cstring>

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

void TerrainRulesDlg::OnInitDialog()
{
    if (!terrain)
        return;
    standardPath = terrain->standardPath;
    generatedPath = terrain->generatedPath;
    FillFamilies();
    FillObjects();
    FillRules();
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
