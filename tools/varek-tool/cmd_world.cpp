// varek-tool world dump FILE | world logic FILE | world streets FILE | world roundtrip IN OUT
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/navigation/StreetNet.h"
#include "GAMES/Rulo2/navigation/StreetPieces.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

int WorldUsage()
{
    std::fprintf(stderr, "usage: varek-tool world dump FILE | varek-tool world logic FILE | varek-tool world "
                         "streets FILE | varek-tool world "
                         "roundtrip IN OUT\n");
    return 1;
}

int WorldFail(const std::string& text)
{
    std::fprintf(stderr, "varek-tool world: %s\n", text.c_str());
    return 1;
}

// The sections of the file as they lie: chunk ids with their counts and versions.
bool DumpSections(const std::vector<uint8_t>& data, std::string& error)
{
    CChunkReader file(data.data(), data.size());
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        const EChunkResult r = file.NextChunk(header, body);
        if (r == CHUNK_NO_MORE)
            return true;
        if (r != CHUNK_OK) {
            error = std::string(ChunkResultText(r)) + " at offset " + std::to_string(file.FileOffset());
            return false;
        }
        const std::string id = ChunkIdText(header.id);
        if (header.id == ChunkId("WRLD") || header.id == ChunkId("EOF ")) {
            std::printf("%s\n", id.c_str());
            if (header.id == ChunkId("EOF "))
                return true;
            continue;
        }
        std::map<std::string, std::pair<int, std::set<uint32_t>>> chunks;
        bool ended = false;
        for (;;) {
            SChunkHeader inner;
            CChunkReader innerBody;
            const EChunkResult ri = file.NextChunk(inner, innerBody);
            if (ri != CHUNK_OK) {
                error = "section \"" + id + "\": " + ChunkResultText(ri) + " at offset " +
                        std::to_string(file.FileOffset());
                return false;
            }
            if (inner.id == ChunkId("END ")) {
                ended = true;
                break;
            }
            auto& entry = chunks[ChunkIdText(inner.id)];
            ++entry.first;
            if (innerBody.Size() >= 4)
                entry.second.insert(innerBody.ReadU32());
        }
        std::printf("%s", id.c_str());
        for (const auto& [chunk, info] : chunks) {
            std::printf("  %d %s (version", info.first, chunk.c_str());
            for (uint32_t v : info.second)
                std::printf(" %u", v);
            std::printf(")");
        }
        std::printf("%s\n", ended ? "" : " (no END)");
    }
}

void DumpFolders(const CNode* first, int depth)
{
    for (const CNode* n = first; n; n = n->next) {
        std::printf("%*s%s\n", depth * 2, "", n->GetName() ? n->GetName() : "(unnamed)");
        DumpFolders(n->firstChild, depth + 1);
    }
}

const char* Text(const char* s)
{
    return s ? s : "";
}

// The shadow texture's brightest texel (largest sum of its channels), 8 bits a channel, so
// that a lightmap that holds no more than its ambient colour shows as such.
void PrintBrightestTexel(const SShadowTexture& shadow)
{
    if (shadow.pixels.empty())
        return;
    int best[3] = {-1, 0, 0};
    for (uint16_t p : shadow.pixels) {
        int c[3];
        for (int i = 0; i < 3; ++i) {
            const int five = (p >> (10 - 5 * i)) & 31;
            c[i] = (five << 3) | (five >> 2);
        }
        if (best[0] < 0 || c[0] + c[1] + c[2] > best[0] + best[1] + best[2])
            std::copy(c, c + 3, best);
    }
    std::printf(" brightest (%d, %d, %d)", best[0], best[1], best[2]);
}

void DumpNodes(CWorldObject* first, int depth)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        std::printf("%*s", depth * 2, "");
        switch (n->objectKind) {
        case CWorldObject::KIND_GROUP:
            std::printf("group \"%s\"", Text(n->GetName()));
            break;
        case CWorldObject::KIND_MODEL:
            if (CModelEntry* e = n->ModelEntry())
                std::printf("model #%u \"%s\"", e->index, Text(e->GetName()));
            else
                std::printf("model (none)");
            break;
        case CWorldObject::KIND_OBJECT:
            if (CObjectNode* d = n->Definition())
                std::printf("object #%u \"%s\"", d->index, Text(d->name));
            else
                std::printf("object (none)");
            break;
        case CWorldObject::KIND_LIGHT: {
            const SWorldLight* l = n->Light();
            const int type = l ? l->light.dltType : 0;
            std::printf("light %s", type == 1   ? "point"
                                    : type == 2 ? "spot"
                                    : type == 3 ? "directional"
                                                : "?");
            break;
        }
        case CWorldObject::KIND_GENERATOR:
            std::printf("terrain \"%s\"", Text(n->GetName()));
            break;
        default:
            std::printf("kind %d", n->objectKind);
            break;
        }
        std::printf(" at (%g, %g, %g)", n->position.x, n->position.y, n->position.z);
        if (const SShadowTexture* shadow = n->shadowTexture) {
            std::printf(" shadow %ux%u", shadow->width, shadow->height);
            PrintBrightestTexel(*shadow);
        }
        if (!n->connections.empty()) {
            std::printf(" connections");
            for (const SConnection& c : n->connections)
                std::printf(" %u", c.target ? c.target->index : 0);
        }
        std::printf("\n");
        DumpNodes(n->FirstObject(), depth + 1);
    }
}

void DumpMacros(CMacro* first, int depth)
{
    for (CMacro* m = first; m; m = m->NextMacro()) {
        std::printf("%*s%s \"%s\"\n", depth * 2, "", m->content ? "macro" : "folder", Text(m->GetName()));
        if (m->content)
            DumpNodes(m->content->FirstObject(), depth + 2);
        DumpMacros(m->FirstMacro(), depth + 1);
    }
}

// The whole file, refused with a reason when it cannot be read or is no world file.
bool ReadWorldFile(const char* path, std::vector<uint8_t>& data, std::string& error)
{
    if (!ReadWholeFile(path, data, error))
        return false;
    if (data.size() < 8 || std::memcmp(data.data(), "WRLD", 4) != 0) {
        error = "not a world file (it does not begin with \"WRLD\")";
        return false;
    }
    return true;
}

int Dump(const char* path)
{
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWorldFile(path, data, error))
        return ToolFail("world", path, error);
    std::printf("file %s, %zu bytes\n", path, data.size());
    const bool sectionsOk = DumpSections(data, error);
    if (!sectionsOk)
        return ToolFail("world", path, error);
    GameModeFlag = 0;
    CreateWorldRoots();
    if (!LoadWorldFromMemory(data.data(), data.size(), LOADWORLD_OPEN, path, &error))
        return WorldFail(error);
    std::printf("Models folders:\n");
    DumpFolders(g_ModelsTree->firstChild, 1);
    std::printf("Objects folders:\n");
    DumpFolders(g_ObjectsTree->firstChild, 1);
    std::printf("Model list:\n");
    for (CModelEntry* e = g_ModelListRoot->FirstEntry(); e; e = e->NextEntry()) {
        std::printf("  #%u \"%s\" folder \"%s\"", e->index, Text(e->GetName()),
                    e->group ? GetPath(e->group).c_str() : "");
        // Each attack point as x, y, z and angle.
        for (const SModelPoint& p : e->points) {
            float v[4];
            std::memcpy(v, p.words, sizeof v);
            std::printf(" attack (%g, %g, %g, %g)", v[0], v[1], v[2], v[3]);
        }
        std::printf("\n");
    }
    std::printf("Object definitions:\n");
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
        std::printf("  #%u \"%s\" states", d->index, Text(d->name));
        for (CObjectState* s = d->firstState; s; s = s->next)
            std::printf(" %s(model #%u)", Text(s->name), s->modelEntry ? s->modelEntry->index : 0);
        // The root folder is the one a definition without a folder of its own is in.
        std::printf(" folder \"%s\"\n", GetPath(d->group ? d->group : g_ObjectsTree).c_str());
    }
    std::printf("Macros:\n");
    DumpMacros(g_MacroListRoot->FirstMacro(), 1);
    std::printf("World tree:\n");
    DumpNodes(g_WorldRoot->FirstObject(), 1);
    DestroyWorldRoots();
    return 0;
}

// The editor's labels of the kind-specific values, in file order.
const std::vector<const char*>& KindLabels(int32_t kind)
{
    static const std::vector<const char*> labels[kObjectKinds] = {
        {"Weight:"},
        {"Weight:", "Value:"},
        {"Weight:", "Value:", "AlarmSystems:", "PickLocks:", "PickSafes:", "Strength:", "Volume:", "Damaging",
         "Glas:", "Wood:", "Steel:", "Noise:", "Applicability:", "HighTech:", "Speed:", "Speed:"},
        {"WorkingTime:", "Material:", "CrackType:"},
        {"Speed:"},
        {"Speed:"},
        {"Speed:"},
        {"WorkingTime:", "Material:", "CrackType:"},
        {"WorkingTime:", "Material:", "CrackType:"},
        {"Transp.Space:", "MaxSpeed:", "Acceleration:", "Value:", "Driving:"},
    };
    static const std::vector<const char*> none;
    return kind >= 0 && kind < kObjectKinds ? labels[kind] : none;
}

void DumpLogic(const CObjectLogic& logic)
{
    if (const CKindData* k = logic.ownKindData.get()) {
        DumpKindData(*k, 2);
    } else {
        std::printf("    kind %d (of the definition)\n", logic.Kind());
    }
    if (logic.ownConditions)
        DumpConditions(*logic.ownConditions, 2);
    if (logic.ownTaskList) {
        std::printf("    task list:\n");
        DumpTaskList(*logic.ownTaskList, 3, logic.ownTaskList.get());
    }
}

// Reads and loads a world as the editor does; a nonzero result is the exit code of a failure.
int LoadForTool(const char* path)
{
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWorldFile(path, data, error))
        return ToolFail("world", path, error);
    GameModeFlag = 0;
    CreateWorldRoots();
    if (!LoadWorldFromMemory(data.data(), data.size(), LOADWORLD_OPEN, path, &error))
        return WorldFail(error);
    return 0;
}

int Logic(const char* path)
{
    if (const int rc = LoadForTool(path))
        return rc;
    std::printf("Definitions:\n");
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
        if (!d->objectLogic)
            continue;
        std::printf("  #%u \"%s\" recorder id %d\n", d->index, Text(d->name), d->objectLogic->recorderId);
        DumpLogic(*d->objectLogic);
    }
    std::printf("Placed objects with their own definition:\n");
    auto visit = [](CWorldObject* n, auto& self) -> void {
        for (; n; n = n->NextObject()) {
            if (n->objectLogic && n->objectLogic->ownDefinition) {
                const CObjectNode* def = n->Definition();
                std::printf("  \"%s\" of \"%s\" recorder id %d\n", Text(n->name), def ? Text(def->name) : "",
                            n->objectLogic->recorderId);
                DumpLogic(*n->objectLogic);
            }
            self(n->FirstObject(), self);
        }
    };
    visit(g_WorldRoot->FirstObject(), visit);
    DestroyWorldRoots();
    return ToolLosses("world", path);
}

// The street network the load built, with each piece's links and its lanes
// placed in the world (point count, first and last point).
int Streets(const char* path)
{
    if (const int rc = LoadForTool(path))
        return rc;
    BuildStreetPieceLanes();
    std::printf("street network: %zu elements\n", StreetNet.elements.size());
    for (size_t i = 0; i < StreetNet.elements.size(); ++i) {
        const StreetElement& e = *StreetNet.elements[i];
        const int32_t kind = StreetPieceOf(e.node);
        std::printf("  [%zu] \"%s\" piece %d \"%s\" at (%.3f, %.3f, %.3f) yaw %.4f\n", i, Text(e.node->name),
                    kind, Text(e.node->GetRefName()), e.node->position.x, e.node->position.y,
                    e.node->position.z, e.node->angle);
        for (const StreetLink& link : e.links) {
            const auto it = std::find_if(StreetNet.elements.begin(), StreetNet.elements.end(),
                                         [&](const auto& other) { return other.get() == link.target; });
            std::printf("    link to [%td] distance %.0f\n", it - StreetNet.elements.begin(), link.distance);
        }
        if (kind < 0)
            continue;
        const StreetPiece& piece = StreetPieceTable[kind];
        for (size_t l = 0; l < piece.lanes.size(); ++l) {
            const CVector a = PlaceLanePoint(piece.lanes[l].front(), e.node);
            const CVector b = PlaceLanePoint(piece.lanes[l].back(), e.node);
            std::printf("    lane %zu: %zu points (%.3f, %.3f, %.3f) -> (%.3f, %.3f, %.3f) turn %.4f\n", l,
                        piece.lanes[l].size(), a.x, a.y, a.z, b.x, b.y, b.z, piece.laneTurn[l]);
        }
        for (size_t l = 0; l < piece.sideLines.size(); ++l)
            std::printf("    side line %zu: %zu points\n", l, piece.sideLines[l].size());
    }
    StreetNet.Clear();
    DestroyWorldRoots();
    return ToolLosses("world", path);
}

int Roundtrip(const char* in, const char* out)
{
    // Loading changes the current folder to the world's; both paths are fixed first.
    const std::string inPath = std::filesystem::absolute(in).string();
    const std::string outPath = std::filesystem::absolute(out).string();
    GameModeFlag = 0;
    CreateWorldRoots();
    std::string error;
    if (!LoadWorld(inPath.c_str(), LOADWORLD_OPEN, &error))
        return WorldFail(error);
    // What was read is saved even after losses; the exit code tells the copy is not whole.
    if (!SaveWorld(outPath.c_str(), &error))
        return WorldFail(error);
    DestroyWorldRoots();
    return ToolLosses("world", in);
}

} // namespace

void DumpKindData(const CKindData& data, int depth)
{
    const std::string indent(size_t(depth) * 2, ' ');
    std::printf("%skind %d \"%s\" level %d Clickable %d \"Process When Visible\" %d \"Process Always\" %d\n",
                indent.c_str(), data.kind, data.name.c_str(), data.minBurglaryLevel, data.clickable,
                data.processWhenVisible, data.processAlways);
    const auto& labels = KindLabels(data.kind);
    const uint32_t* values = data.Values();
    for (int32_t i = 0; values && i < data.ValueCount(); ++i)
        std::printf("%s  %s %g (0x%08x)\n", indent.c_str(),
                    i < int32_t(labels.size()) ? labels[size_t(i)] : "?", WordAsFloat(values[i]), values[i]);
    if (auto* a = dynamic_cast<const CCharacterAKindData*>(&data))
        std::printf("%s  Occupation: \"%s\"\n", indent.c_str(), a->occupation.c_str());
}

void DumpConditions(const CKindState& c, int depth)
{
    const std::string indent(size_t(depth) * 2, ' ');
    std::printf("%sconditions of kind %d:", indent.c_str(), c.kind);
    if (auto* t = dynamic_cast<const CToolState*>(&c))
        std::printf(" Condition: %g", t->condition);
    if (auto* f = dynamic_cast<const CFixedState*>(&c))
        std::printf(" open %d locked %d broken %d active %d alarm %d progress %g", f->open, f->locked,
                    f->broken, f->active, f->alarm, f->progress);
    if (auto* p = dynamic_cast<const CPassageState*>(&c))
        std::printf(" open %d locked %d broken %d progress %g", p->open, p->locked, p->broken, p->progress);
    if (auto* ch = dynamic_cast<const CCharacterState*>(&c))
        std::printf(" alarm %d flag %d, %zu conversation entries", ch->alarm, ch->characterFlag,
                    ch->entries.size());
    if (auto* a = dynamic_cast<const CCharacterAState*>(&c))
        std::printf(", Age: %d Skillfulness: %g AlarmSystems: %g Weight: %g PickLocks: %g PickSafes: %g "
                    "Fighting: %g Strength: %g CrimeRecords: %g Coolness: %g",
                    a->age, a->skillfulness, a->alarmSystems, a->weight, a->pickLocks, a->pickSafes,
                    a->fighting, a->strength, a->crimeRecords, a->coolness);
    std::printf("\n");
    // The entries' text keys as stored, so that a missing text can be found.
    if (auto* ch = dynamic_cast<const CCharacterState*>(&c))
        for (size_t i = 0; i < ch->entries.size(); ++i) {
            const CDialogEntry& e = *ch->entries[i];
            std::printf(
                "%s  entry %zu: question \"%s\" answer \"%s\" active %d story %d coolness %d event %d\n",
                indent.c_str(), i + 1, e.question.c_str(), e.answer.c_str(), e.active, e.story, e.coolness,
                e.dialogEvent);
        }
}

int cmd_world(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0)
        return Dump(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "logic") == 0)
        return Logic(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "streets") == 0)
        return Streets(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "roundtrip") == 0)
        return Roundtrip(argv[2], argv[3]);
    return WorldUsage();
}
