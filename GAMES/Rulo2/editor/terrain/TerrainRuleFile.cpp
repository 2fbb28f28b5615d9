// The generator's rule file: a lenient line reader (keywords anywhere in a
// line, any case) and a writer of the canonical form.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/editor/terrain/TerrainText.h"
#include "GAMES/Rulo2/editor/terrain/TerrainTextures.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

namespace {

// Lines longer than this are refused whole rather than read in pieces.
constexpr size_t kMaxRuleLine = 4095;

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

std::string FolderValue(std::string value)
{
    for (char& c : value)
        if (c == '\t' || c == '\n')
            c = ' ';
    value = TrimBlanks(value);
    if (!value.empty() && value.back() != '\\')
        value += '\\';
    return value;
}

float RadiansToDegrees(float radians)
{
    return radians * 180.0f / 3.1415927f;
}

// "KEY (value)": the text from the key up to its "(" and the value up to ")"
// leave the line; the value is returned. False when the key is absent.
bool TakeParenthesised(std::string& line, const char* key, std::string& value)
{
    const size_t at = line.find(key);
    if (at == std::string::npos)
        return false;
    const size_t open = line.find('(', at);
    if (open == std::string::npos) {
        value = line.substr(at + std::strlen(key));
        line.erase(at);
        return true;
    }
    const size_t close = line.find(')', open);
    value = line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    line.erase(at, close == std::string::npos ? std::string::npos : close - at + 1);
    return true;
}

// The scale and rotate parts: "n%" or "from, to".
void ReadRange(const std::string& value, uint8_t& flag, float& percent, float& from, float& to)
{
    if (value.find('%') != std::string::npos) {
        std::string number = value;
        number.erase(number.find('%'), 1);
        flag = 1;
        percent = float(std::atof(number.c_str()));
        return;
    }
    const size_t comma = value.find(',');
    if (comma == 0) {
        flag = 1;
        percent = 0.0f;
        return;
    }
    flag = 0;
    if (comma == std::string::npos) {
        from = 0.0f;
        to = float(std::atof(value.c_str()));
    } else {
        from = float(std::atof(value.substr(0, comma).c_str()));
        to = float(std::atof(value.substr(comma + 1).c_str()));
    }
}

std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

CModelEntry* FindGeneratorModel(const std::string& name)
{
    CModelEntry* found = nullptr;
    WalkModelList(g_ModelListRoot, [&](CModelEntry* e) {
        const char* own = e->model ? e->model->GetName() : nullptr;
        if (e->model && ((own && platform::EqualsNoCase(own, name)) ||
                         (e->name && platform::EqualsNoCase(e->name, name)))) {
            found = e;
            return false;
        }
        return true;
    });
    return found;
}

struct SRuleReader
{
    std::string file;
    int32_t line = 0;
    CGeneratorRule textureRule, objectRule;
    bool textureOpen = false, objectOpen = false;
    int32_t family = 0;

    CGeneratorRule* OpenRule()
    {
        if (textureOpen)
            return &textureRule;
        return objectOpen ? &objectRule : nullptr;
    }
};

void CTerrainRules::Problem(const SRuleReader& reader, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char line[700];
    std::snprintf(line, sizeof line, "%s(%d): %s", reader.file.c_str(), reader.line, text);
    LogPrintf("%s", line);
    ruleProblems.push_back(line);
}

CGeneratorEntry* CTerrainRules::LoadEntry(const std::string& file)
{
    auto* entry = sMemory::newObject<CGeneratorEntry>();
    entry->image = std::make_shared<imgImage>();
    LoadTerrainImage(*entry->image, file);
    entry->image->name.set(file.c_str());
    if (!entry->image->empty())
        entry->texture = MakeGeneratedTexture(*entry->image, file.c_str());
    return entry;
}

void CTerrainRules::ReadFamilyEntry(int32_t family, const std::string& name)
{
    const std::string file = standardPath + name + "_V0.tif";
    CGeneratorEntry* entry = LoadEntry(file);
    entry->family = uint16_t(family);
    entry->weight = 0.0f;
    entry->tableIndex = uint16_t(family);
    entry->key = "V0";
    CGeneratorEntry* old = textureTable[family];
    sMemory::addRefObject(entry);
    textureTable[family] = entry;
    sMemory::releaseObject(old);
}

void CTerrainRules::ReadTextureEntry(SRuleReader& reader, const std::string& value)
{
    std::string name, weightText;
    const size_t blank = value.find(' ');
    if (blank == std::string::npos) {
        weightText = value;
    } else {
        name = value.substr(0, blank);
        weightText = TrimBlanks(value.substr(blank + 1));
    }
    const std::string file = standardPath + FamilyName(reader.family) + "_" + name + ".tif";
    CGeneratorEntry* entry = nullptr;
    for (int32_t k = 0; k < textureTable.count(); ++k) {
        const CGeneratorEntry* known = textureTable[k];
        if (known && known->image && platform::EqualsNoCase(known->image->name.c_str(), file)) {
            entry = sMemory::newObject<CGeneratorEntry>();
            entry->texture = known->texture;
            entry->image = known->image;
            entry->tableIndex = uint16_t(k);
            break;
        }
    }
    if (!entry) {
        entry = LoadEntry(file);
        entry->tableIndex = uint16_t(textureTable.count());
        entry->family = uint16_t(reader.family);
        entry->key = name.c_str();
        textureTable.append(entry);
    }
    entry->family = uint16_t(reader.family);
    entry->key = name.c_str();
    entry->weight = weightText.empty() ? 0.0f : float(std::atof(weightText.c_str()));
    reader.textureRule.weightSum += entry->weight;
    reader.textureRule.entries.append(entry);
}

void CTerrainRules::ReadObjectDefinition(SRuleReader& reader, std::string value)
{
    CGeneratorObject definition;
    std::string part;
    if (TakeParenthesised(value, "AMOUNT", part))
        definition.amount = std::atoi(part.c_str());
    if (TakeParenthesised(value, "SCALE", part))
        ReadRange(part, definition.scalePercentFlag, definition.scalePercent, definition.scaleFrom,
                  definition.scaleTo);
    definition.rotatePercent = 100.0f;
    if (TakeParenthesised(value, "ROTATE", part))
        ReadRange(part, definition.rotatePercentFlag, definition.rotatePercent, definition.rotateFrom,
                  definition.rotateTo);
    value = TrimBlanks(value);
    const size_t blank = value.find(' ');
    if (blank == std::string::npos)
        return;
    const int32_t index = std::atoi(value.substr(0, blank).c_str());
    const std::string name = TrimBlanks(value.substr(blank + 1));
    if (index < 0 || index > kMaxObjectDefinition) {
        Problem(reader, "object definition number %d outside 0 to %d ignored", index, kMaxObjectDefinition);
        return;
    }
    definition.modelName = name.c_str();
    definition.model = FindGeneratorModel(name);
    if (!definition.model)
        LogPrintf("%s(%d): model '%s' of object definition %d not found", reader.file.c_str(), reader.line,
                  name.c_str(), index);
    while (objectDefinitions.count() < index + 1)
        objectDefinitions.append(CGeneratorObject());
    objectDefinitions[index] = definition;
}

void CTerrainRules::ParseLine(std::string line, SRuleReader& reader)
{
    line = UpperAscii(line);
    const size_t comment = line.find("//");
    if (comment != std::string::npos)
        line.erase(comment);
    for (char& c : line)
        if (c == '\t' || c == '\n')
            c = ' ';

    // The value of a keyword: the line without it, trimmed.
    auto take = [&line](const char* keyword, std::string& value) {
        const size_t at = line.find(keyword);
        if (at == std::string::npos)
            return false;
        value = line;
        value.erase(at, std::strlen(keyword));
        value = TrimBlanks(value);
        return true;
    };
    auto drop = [&line](const char* keyword) {
        const size_t at = line.find(keyword);
        if (at != std::string::npos)
            line.erase(at, std::strlen(keyword));
    };
    std::string value;

    if (take("OBJECTRULE ", value)) {
        reader.objectRule = CGeneratorRule();
        reader.objectRule.name = value.c_str();
        reader.objectOpen = true;
        return;
    }
    // "TEXTURERULE " holds "RULE ": it goes first so that the name stays whole.
    if (take("TEXTURERULE ", value) || take("RULE ", value)) {
        reader.textureRule = CGeneratorRule();
        reader.textureRule.name = value.c_str();
        reader.textureOpen = true;
        return;
    }
    if (line.find("RULEEND") != std::string::npos && (reader.textureOpen || reader.objectOpen)) {
        if (reader.textureOpen)
            textureRules.append(reader.textureRule);
        else
            objectRules.append(reader.objectRule);
        reader.textureOpen = reader.objectOpen = false;
        reader.textureRule = CGeneratorRule();
        reader.objectRule = CGeneratorRule();
        return;
    }
    if (take("FAMILY ", value)) {
        if (reader.textureOpen) {
            const int32_t family = std::atoi(value.c_str());
            reader.family = family >= 0 && family <= 3 ? family : 0;
            return;
        }
        const size_t blank = value.find(' ');
        const int32_t family = std::atoi(value.substr(0, blank).c_str());
        if (family < 0 || family > 3) {
            Problem(reader, "family number %d outside 0 to 3 ignored", family);
            return;
        }
        const std::string name =
            blank == std::string::npos ? std::string() : TrimBlanks(value.substr(blank + 1));
        families[family] = name.c_str();
        ReadFamilyEntry(family, name);
        return;
    }
    if (take("TEXTUREPATH_STANDARD ", value)) {
        standardPath = FolderValue(value);
        return;
    }
    if (take("TEXTUREPATH_GENERATED ", value)) {
        generatedPath = FolderValue(value);
        return;
    }
    if (take("TEXTUREPATH ", value)) {
        standardPath = FolderValue(value);
        return;
    }
    struct Parameter
    {
        const char* keyword;
        float CGeneratorRule::*field;
        bool degrees;
    };
    static const Parameter parameters[] = {
        {"DENSITY ", &CGeneratorRule::density, false},
        {"HEIGHTSTART ", &CGeneratorRule::heightStart, false},
        {"HEIGHTEND ", &CGeneratorRule::heightEnd, false},
        {"SLOPESTART ", &CGeneratorRule::slopeStart, true},
        {"SLOPEEND ", &CGeneratorRule::slopeEnd, true},
        {"DIRECTIONSTART ", &CGeneratorRule::directionStart, true},
        {"DIRECTIONEND ", &CGeneratorRule::directionEnd, true},
    };
    for (const Parameter& p : parameters) {
        if (line.find(p.keyword) == std::string::npos)
            continue;
        CGeneratorRule* rule = reader.OpenRule();
        if (!rule) {
            drop(p.keyword);
            continue;
        }
        take(p.keyword, value);
        const float number = float(std::atof(value.c_str()));
        rule->*p.field = p.degrees ? DegreesToRadians(number) : number;
        return;
    }
    if (line.find("TEXTURE ") != std::string::npos) {
        if (reader.textureOpen) {
            take("TEXTURE ", value);
            ReadTextureEntry(reader, value);
            return;
        }
        drop("TEXTURE ");
    }
    if (take("OBJECT ", value)) {
        if (!reader.objectOpen) {
            ReadObjectDefinition(reader, value);
            return;
        }
        const size_t blank = value.find(' ');
        int32_t index = 0;
        std::string weightText = value;
        if (blank != std::string::npos) {
            index = std::atoi(value.substr(0, blank).c_str());
            weightText = TrimBlanks(value.substr(blank + 1));
        }
        if (index < 0 || index > kMaxObjectDefinition) {
            Problem(reader, "object number %d outside 0 to %d ignored", index, kMaxObjectDefinition);
            return;
        }
        if (index >= objectDefinitions.count() || !objectDefinitions[index].HasModelName())
            return;
        CGeneratorObjectEntry entry;
        entry.object = index;
        if (!weightText.empty())
            entry.weight = float(std::atof(weightText.c_str()));
        // An entry of a definition whose model is missing is kept for writing only.
        if (objectDefinitions[index].model)
            reader.objectRule.weightSum += entry.weight;
        reader.objectRule.objects.push_back(entry);
    }
}

void CTerrainRules::Parse(const char* path)
{
    std::string text;
    if (!path || std::strlen(path) < 2 || !platform::ReadTextFile(path, text)) {
        if (path && std::strlen(path) >= 2)
            LogPrintf("Rule file '%s' could not be opened", path);
        valid = 0;
        return;
    }
    rulesPath = path;
    ParseText(text, path);
}

void CTerrainRules::ParseText(const std::string& text, const char* fileName)
{
    ruleProblems.clear();
    const TextureListHidden hidden;

    ReleaseRecordList(textureRules);
    ReleaseRecordList(objectRules);
    textureTable.release();
    for (int32_t k = 0; k < 4; ++k)
        families[k] = "NONE";
    auto* placeholder = sMemory::newObject<CGeneratorEntry>();
    placeholder->image = std::make_shared<imgImage>();
    placeholder->image->allocate(1, 1, FMT_I_8);
    if (!placeholder->image->empty())
        placeholder->image->pixels[0] = 0;
    for (int32_t k = 0; k < 4; ++k)
        textureTable.append(placeholder);

    SRuleReader reader;
    reader.file = fileName ? fileName : "";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine)
            end = text.size();
        ++reader.line;
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.size() > kMaxRuleLine) {
            Problem(reader, "line of %zu characters skipped (at most %zu)", line.size(), kMaxRuleLine);
            continue;
        }
        ParseLine(line, reader);
    }
    textureCount = textureTable.count();
    vertexCount = int32_t(gridVertices.size());
}

std::string CTerrainRules::WriteText()
{
    const char* dashes = "// -------------------------------------------------------------------";
    std::string out;
    auto line = [&out](const std::string& text) {
        out += text;
        out += '\n';
    };
    auto ruleRanges = [&](const CGeneratorRule& rule) {
        if (!(rule.heightStart == 0.0f && rule.heightEnd == 1.0f)) {
            line("heightstart " + Number(rule.heightStart));
            line("heightend " + Number(rule.heightEnd));
        }
        if (!(std::fabs(rule.slopeStart) < 1e-20 && std::fabs(rule.slopeEnd - 1.5707964f) < 1e-20)) {
            line("slopestart " + Number(RadiansToDegrees(rule.slopeStart)));
            line("slopeend " + Number(RadiansToDegrees(rule.slopeEnd)));
        }
        if (!(std::fabs(rule.directionStart) < 1e-20 && std::fabs(rule.directionEnd - 6.2831855f) < 1e-20)) {
            line("directionstart " + Number(RadiansToDegrees(rule.directionStart)));
            line("directionend " + Number(RadiansToDegrees(rule.directionEnd)));
        }
    };
    auto ruleEnd = [&] {
        line("ruleend");
        line("");
        line(dashes);
        line("");
    };

    line("// -------------------------------------------------");
    line("// this is a generated file ");
    line("// -------------------------------------------------");
    line("");
    line("");
    standardPath = Lower(standardPath);
    generatedPath = Lower(generatedPath);
    line("// texturepaths");
    line("texturepath_standard " + standardPath);
    line("texturepath_generated " + generatedPath);
    line("");
    line("");
    line(dashes);
    line("");
    line("// family definitions");
    for (int32_t n = 0; n < 4; ++n)
        line("family " + std::to_string(n) + " " + FamilyName(n));
    line("");
    line("");
    line(dashes);
    line("");
    line("// object definitions");
    for (int32_t i = 0; i < objectDefinitions.count(); ++i) {
        const CGeneratorObject& d = objectDefinitions[i];
        if (!d.HasModelName())
            continue;
        const std::string name = d.model && d.model->name ? d.model->name : d.modelName.c_str();
        auto range = [](uint8_t flag, float percent, float from, float to) {
            return flag ? Number(percent) + "%" : Number(from) + ", " + Number(to);
        };
        line("object " + std::to_string(i) + " " + name + " scale (" +
             range(d.scalePercentFlag, d.scalePercent, d.scaleFrom, d.scaleTo) + ")" + " rotate (" +
             range(d.rotatePercentFlag, d.rotatePercent, d.rotateFrom, d.rotateTo) + ")" + " amount (" +
             std::to_string(d.amount) + ")");
    }
    line("");
    line("");
    line(dashes);
    line("");
    for (const CGeneratorRule& rule : textureRules) {
        line(std::string("rule ") + rule.name.c_str());
        if (!rule.entries.empty() && rule.entries[0])
            line("family " + std::to_string(rule.entries[0]->family));
        ruleRanges(rule);
        line("density " + Number(rule.density));
        for (const CGeneratorEntry* entry : rule.entries)
            if (entry)
                line(std::string("  texture ") + entry->key.c_str() + " " + Number(entry->weight));
        ruleEnd();
    }
    for (const CGeneratorRule& rule : objectRules) {
        line(std::string("objectrule ") + rule.name.c_str());
        ruleRanges(rule);
        for (const CGeneratorObjectEntry& entry : rule.objects) {
            int32_t index = -1;
            if (entry.object >= 0 && entry.object < objectDefinitions.count()) {
                const CGeneratorObject& named = objectDefinitions[entry.object];
                for (int32_t i = 0; i < objectDefinitions.count() && index < 0; ++i) {
                    const CGeneratorObject& d = objectDefinitions[i];
                    if (named.model ? d.model == named.model
                                    : !d.model && platform::EqualsNoCase(d.modelName.c_str(),
                                                                         named.modelName.c_str()))
                        index = i;
                }
            }
            line("  object " + std::to_string(index) + " " + Number(entry.weight));
        }
        ruleEnd();
    }
    return out;
}

bool CTerrainRules::Write(const char* path)
{
    if (!path || std::strlen(path) < 2)
        return false;
    const std::string text = WriteText();
    const auto result = platform::WriteFileAtomically(platform::ResolvePath(path), text.data(), text.size());
    if (!result)
        LogPrintf("Rule file '%s' could not be written: %s", path, result.error.message().c_str());
    return bool(result);
}
