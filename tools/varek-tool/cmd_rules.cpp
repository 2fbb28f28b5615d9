// varek-tool rules FILE: reads a terrain rule file as the editor does and shows
// the rule set as read, then the file as the writer writes it. What the reader
// skipped or refused is listed on stderr with file and line; exit code 1 then,
// or when the file cannot be read.
#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "LIBS/Image/imgImage.h"
#include "platform/files/Files.h"

namespace {

void ShowRange(const char* what, float from, float to, float scale)
{
    std::printf("    %s %g to %g\n", what, double(from * scale), double(to * scale));
}

} // namespace

int cmd_rules(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: varek-tool rules FILE\n");
        return 1;
    }
    std::string text;
    if (!platform::ReadTextFile(argv[1], text)) {
        std::fprintf(stderr, "%s: cannot read the file\n", argv[1]);
        return 1;
    }
    CTerrainRules rules;
    rules.Parse(argv[1]);
    const float degrees = 180.0f / 3.1415927f;
    std::printf("rule file %s\n", argv[1]);
    std::printf("standard texture path: %s\ngenerated texture path: %s\n", rules.standardPath.c_str(),
                rules.generatedPath.c_str());
    for (int32_t n = 0; n < 4; ++n) {
        const CGeneratorEntry* entry = n < rules.textureTable.count() ? rules.textureTable[n] : nullptr;
        const bool loaded = entry && entry->image && !entry->image->empty() && entry->image->width > 1;
        std::printf("family %d %s%s\n", n, rules.FamilyName(n),
                    std::strcmp(rules.FamilyName(n), "NONE") == 0 ? ""
                                                                  : (loaded ? "" : " (texture missing)"));
    }
    for (int32_t i = 0; i < rules.objectDefinitions.count(); ++i) {
        const CGeneratorObject& d = rules.objectDefinitions[i];
        if (!d.HasModelName())
            continue;
        std::printf("object %d %s%s amount %d\n", i, d.modelName.c_str(),
                    d.model ? "" : " (model not loaded)", d.amount);
    }
    auto showRule = [&](const CGeneratorRule& r, const char* kind) {
        std::printf("%s %s density %g\n", kind, r.name.c_str(), double(r.density));
        ShowRange("height", r.heightStart, r.heightEnd, 1.0f);
        ShowRange("slope", r.slopeStart, r.slopeEnd, degrees);
        ShowRange("direction", r.directionStart, r.directionEnd, degrees);
        for (const CGeneratorEntry* e : r.entries)
            std::printf("    texture %s weight %g family %d%s\n", e->key.c_str(), double(e->weight),
                        e->family, e->image && !e->image->empty() ? "" : " (texture missing)");
        for (const CGeneratorObjectEntry& e : r.objects)
            std::printf("    object %d weight %g\n", e.object, double(e.weight));
    };
    for (const CGeneratorRule& r : rules.textureRules)
        showRule(r, "texture rule");
    for (const CGeneratorRule& r : rules.objectRules)
        showRule(r, "object rule");
    std::printf("--- as written\n%s", rules.WriteText().c_str());
    for (const std::string& problem : rules.ruleProblems)
        std::fprintf(stderr, "%s\n", problem.c_str());
    return rules.ruleProblems.empty() ? 0 : 1;
}
