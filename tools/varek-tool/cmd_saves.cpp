// varek-tool game dump FILE [--world WORLD] | game roundtrip IN OUT [--world WORLD]
// varek-tool plan dump FILE [--world WORLD] | plan roundtrip IN OUT [--world WORLD [--game GAME]]
//
// Without a world a file is read and written as it stands. With one, the world
// is started as the game starts it; a dump then names the objects, and a round
// trip loads the file into the game and saves it again through the game's own
// loader and writer. Exit codes: 1 for a file that cannot be read or written,
// 2 when the game's loader refuses it, 0 for a clean copy.
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "tools/varek-tool/SaveFiles.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

struct SSaveKind
{
    const char* group;
    uint32_t magic;
};
constexpr SSaveKind kGameFile{"game", ChunkId("GAME")};
constexpr SSaveKind kPlanFile{"plan", ChunkId("BURG")};

int SavesUsage(const SSaveKind& kind)
{
    if (kind.magic == kGameFile.magic)
        std::fprintf(stderr,
                     "usage: varek-tool game dump FILE [--world WORLD] | varek-tool game roundtrip IN OUT "
                     "[--world WORLD]\n");
    else
        std::fprintf(stderr,
                     "usage: varek-tool plan dump FILE [--world WORLD] | varek-tool plan roundtrip IN OUT "
                     "[--world WORLD [--game GAME]]\n");
    return 1;
}

// A file named on the command line: as given (for messages) and absolute (loading a
// world makes the world's folder current).
struct SFileArg
{
    std::string given;
    std::string path;
};

SFileArg FileArg(const std::string& given)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(given, ec);
    return {given, ec ? given : absolute.string()};
}

bool ReadSave(const SSaveKind& kind, const SFileArg& file, SSaveFile& parsed, int& rc)
{
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWholeFile(file.path, data, error) ||
        !ParseSaveFile(data.data(), data.size(), kind.magic, parsed, error)) {
        rc = ToolFail(kind.group, file.given, error);
        return false;
    }
    return true;
}

// The world started as the game starts it: subsystems, the world, the game's
// initialisation (object ids, object logic, the hero).
bool StartWorld(const SSaveKind& kind, const SFileArg& world, int& rc)
{
    GameModeFlag = 1;
    InstallSubsystems();
    CreateWorldRoots();
    std::string error;
    if (!LoadWorld(world.path.c_str(), LOADWORLD_OPEN, &error)) {
        rc = ToolFail(kind.group, world.given, error.empty() ? "the world cannot be loaded" : error);
        return false;
    }
    StartupInitFlag = 1;
    InitGame();
    return true;
}

std::string ClockText(int32_t ms)
{
    const int64_t t = ms < 0 ? -int64_t(ms) : ms;
    char text[40];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld.%03lld", ms < 0 ? "-" : "",
                  (long long)(t / 3600000), (long long)(t / 60000 % 60), (long long)(t / 1000 % 60),
                  (long long)(t % 1000));
    return text;
}

float AsFloat(uint32_t word)
{
    return std::bit_cast<float>(word);
}

// With a world: the name of what a number stands for, else nothing.
struct SNames
{
    bool world = false;

    std::string Object(int32_t recorderId) const
    {
        if (uint32_t(recorderId) == kSpecialObjectId)
            return " (burglary car)";
        if (!world)
            return "";
        const CWorldObject* o = ObjectOfRecorderId(recorderId);
        return o ? std::string(" \"") + Name(o) + "\"" : " (no such object)";
    }
    std::string ById(uint32_t objectId) const
    {
        if (!world)
            return "";
        const CWorldObject* o = FindObjectById(objectId);
        return o ? std::string(" \"") + Name(o) + "\"" : " (no such object)";
    }
    std::string Definition(int32_t number) const
    {
        if (!world)
            return "";
        const CObjectNode* d = ItemFromTableIndex(number);
        return d ? std::string(" \"") + Name(d) + "\"" : " (no such definition)";
    }
    static const char* Name(const CObjectNode* node) { return node->GetName() ? node->GetName() : ""; }
    // A placed object's own name, else the name the editor's tree shows for it.
    static const char* Name(const CWorldObject* node)
    {
        return node->GetName() && *node->GetName() ? node->GetName() : WorldWalk::TreeText(node);
    }
};

void PrintInfo(const SSaveInfoChunk& info)
{
    std::printf("  caption \"%s\"\n", info.caption.c_str());
    if (info.marker == ChunkId("PREV"))
        std::printf("  preview %d x %d\n", kPreviewSize, kPreviewSize);
    else
        std::printf("  no preview\n");
}

void PrintBehaviour(const SRawChunk& opts, const SRawChunk* cond, int depth)
{
    std::string error;
    int32_t kind = -1;
    if (std::unique_ptr<CKindData> data = DecodeKindData(opts, error)) {
        DumpKindData(*data, depth);
        kind = data->kind;
    }
    if (cond)
        if (std::unique_ptr<CKindState> state = DecodeConditions(*cond, kind, error))
            DumpConditions(*state, depth);
}

void PrintGameHead(const SGameHeadChunk& h, const SNames& names)
{
    std::printf("  game clock %d (%s)\n  cash %d\n  burglary level %d\n", h.clock, ClockText(h.clock).c_str(),
                h.cash, h.level);
    for (size_t i = 0; i < h.burgled.size(); ++i)
        std::printf("  target %zu burgled %s\n", i + 1, h.burgled[i] ? "yes" : "no");
    std::printf("  known people %zu\n", h.knownPeople.size());
    for (int32_t id : h.knownPeople)
        std::printf("    recorder id %d%s\n", id, names.Object(id).c_str());
    std::printf("  possessions %zu\n", h.possessions.size());
    for (int32_t number : h.possessions)
        std::printf("    definition %d%s\n", number, names.Definition(number).c_str());
    std::printf("  instances %zu, next owner %d\n", h.instances.size(), h.nextOwner);
    for (const SInstanceRecord& r : h.instances) {
        std::printf("    instance owner %d definition %d%s word A 0x%08x\n", r.owner, r.definition,
                    names.Definition(r.definition).c_str(), r.wordA);
        for (int i = 0; i < 3; ++i)
            std::printf("      slot %d: %g linked %d%s\n", i + 1, AsFloat(r.slotWords[i]), r.linked[i],
                        r.linked[i] ? names.Object(r.linked[i]).c_str() : " (none)");
        PrintBehaviour(r.opts, &r.cond, 3);
    }
}

void PrintRunLevel(const char* what, const SRunLevel& l, const CTaskList* list, const SNames& names)
{
    std::printf("    %s: list start %d (%s), item %d", what, l.start, ClockText(l.start).c_str(), l.item);
    if (list && l.item >= 0 && size_t(l.item) < list->tasks.size()) {
        const CTaskItem& t = *list->tasks[size_t(l.item)];
        const STaskTypeRow* row = TaskTypeRow(t.taskType);
        std::printf(" (task %d \"%s\")", t.taskType, row && row->name ? row->name : "?");
    }
    std::printf(", hold %d, action %d target %d%s source %d%s item %d/%d\n", l.hold, l.action, l.target,
                l.target ? names.Object(l.target).c_str() : "", l.source,
                l.source ? names.Object(l.source).c_str() : "", l.itemOwner, l.itemDefinition);
}

void PrintObjectState(const SObjectStateChunk& s, const SNames& names)
{
    const CWorldObject* node = names.world ? FindObjectById(s.objectId) : nullptr;
    const int32_t recorder = node && node->objectLogic ? node->objectLogic->recorderId : -1;
    std::printf("  object id %u%s", s.objectId, names.ById(s.objectId).c_str());
    if (recorder >= 0)
        std::printf(" recorder id %d", recorder);
    std::printf(" type %d\n  position %g %g %g angle %g\n  visibility 0x%x active %s runtime word 0x%08x\n",
                int32_t(s.type), AsFloat(s.position[0]), AsFloat(s.position[1]), AsFloat(s.position[2]),
                AsFloat(s.angle), s.visibility, s.active ? "yes" : "no", s.runtimeWord);
    // The levels walk down the object's own list tree when the world has it.
    const CTaskList* root = node && node->objectLogic ? node->objectLogic->taskList : nullptr;
    const CTaskList* list = root;
    std::printf("  run state depth %zu\n", s.stack.size());
    for (size_t i = 0; i < s.stack.size(); ++i) {
        const auto& [level, dependency] = s.stack[i];
        PrintRunLevel(("level " + std::to_string(i)).c_str(), level, list, names);
        const CTaskList* child = list && dependency >= 0 && size_t(dependency) < list->dependencies.size()
                                     ? list->dependencies[size_t(dependency)]->childList.get()
                                     : nullptr;
        uint32_t code = 0;
        if (child && root->FindPathCode(code, child))
            std::printf("      into dependency %d, path 0x%x\n", dependency + 1, code);
        else
            std::printf("      into dependency %d\n", dependency + 1);
        list = child;
    }
    PrintRunLevel("current", s.current, list, names);
    if (s.cond) {
        std::string error;
        if (std::unique_ptr<CKindState> state = DecodeConditions(*s.cond, int32_t(s.type), error))
            DumpConditions(*state, 1);
    }
}

void PrintCamera(const SCameraChunk& c)
{
    const char* names[] = {"eye", "look-at", "view", "eye offset"};
    for (int v = 0; v < 4; ++v)
        std::printf("  %s %g %g %g\n", names[v], AsFloat(c.words[3 * v]), AsFloat(c.words[3 * v + 1]),
                    AsFloat(c.words[3 * v + 2]));
    std::printf("  zoom %g\n", AsFloat(c.words[12]));
}

void PrintPlanHead(const SPlanHeadChunk& h, const SNames& names)
{
    std::printf("  burglary %d\n", h.burglary);
    if (h.version >= 2)
        std::printf("  recorded end %d (%s)\n", h.recordedEnd, ClockText(h.recordedEnd).c_str());
    std::printf("  car %d%s\n  members %zu\n", h.car, h.car ? names.Definition(h.car).c_str() : " (none)",
                h.members.size());
    for (size_t i = 0; i < h.members.size(); ++i) {
        const SPlanMemberRecord& m = h.members[i];
        std::printf("  member %zu: person %d%s flag %s word %g (0x%08x)\n", i + 1, m.person,
                    names.Object(m.person).c_str(), m.flag ? "yes" : "no", AsFloat(m.word), m.word);
        for (int t = 0; t < 3; ++t)
            std::printf("    tool %d: owner %d definition %d%s\n", t + 1, m.toolOwner[t], m.toolDefinition[t],
                        m.toolDefinition[t] ? names.Definition(m.toolDefinition[t]).c_str() : " (empty)");
        if (!m.taskList) {
            std::printf("    no task list\n");
            continue;
        }
        CTaskList list;
        std::string error;
        DecodeTaskList(*m.taskList, list, error);
        std::printf("    task list: %zu tasks, %zu dependencies\n", list.tasks.size(),
                    list.dependencies.size());
        DumpTaskList(list, 3, &list);
    }
}

int Dump(const SSaveKind& kind, const SFileArg& in, const SNames& names)
{
    SSaveFile file;
    int rc = 0;
    if (!ReadSave(kind, in, file, rc))
        return rc;
    std::printf("%s: \"%s\"\n", in.given.c_str(), ChunkIdText(file.magic).c_str());
    for (const SSaveChunk& c : file.chunks) {
        std::printf("chunk \"%s\" at offset %zu", ChunkIdText(c.id).c_str(), c.offset);
        std::visit(
            [&](const auto& body) {
                using T = std::decay_t<decltype(body)>;
                if constexpr (std::is_same_v<T, SRawChunk>) {
                    std::printf(", %zu bytes\n", body.body.size());
                } else {
                    std::printf(", version %u\n", body.version);
                    if constexpr (std::is_same_v<T, SSaveInfoChunk>)
                        PrintInfo(body);
                    else if constexpr (std::is_same_v<T, SGameHeadChunk>)
                        PrintGameHead(body, names);
                    else if constexpr (std::is_same_v<T, SObjectStateChunk>)
                        PrintObjectState(body, names);
                    else if constexpr (std::is_same_v<T, SCameraChunk>)
                        PrintCamera(body);
                    else
                        PrintPlanHead(body, names);
                }
            },
            c.body);
        if (!c.rest.empty())
            std::printf("  %zu further bytes\n", c.rest.size());
    }
    if (!file.tail.empty())
        std::printf("%zu bytes after \"EOF \"\n", file.tail.size());
    return 0;
}

int Write(const SSaveKind& kind, const SFileArg& out, const SSaveFile& file)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!WriteSaveFile(file, bytes))
        return ToolFail(kind.group, out.given, "a chunk could not be written");
    if (!WriteWholeFile(out.path, bytes.data(), bytes.size(), error))
        return ToolFail(kind.group, out.given, error);
    return 0;
}

// The game's own file in place of `file`, keeping the input's caption chunk:
// the tool has no picture to take a preview from.
int WriteFromGame(const SSaveKind& kind, const SFileArg& out, const std::vector<uint8_t>& built,
                  const SSaveFile& input)
{
    SSaveFile again;
    std::string error;
    if (!ParseSaveFile(built.data(), built.size(), kind.magic, again, error))
        return ToolFail(kind.group, out.given, "the game wrote a file it cannot read back: " + error);
    for (SSaveChunk& c : again.chunks)
        if (std::holds_alternative<SSaveInfoChunk>(c.body))
            for (const SSaveChunk& before : input.chunks)
                if (std::holds_alternative<SSaveInfoChunk>(before.body)) {
                    c.body = before.body;
                    c.rest = before.rest;
                    break;
                }
    return Write(kind, out, again);
}

std::string ReasonNames(int32_t reasons)
{
    static const char* const keys[] = {
        "ERROR_LOADING_PLAN_FILEERROR",     "ERROR_LOADING_PLAN_UNKNOWNERROR",
        "ERROR_LOADING_PLAN_UNKNOWNPERSON", "ERROR_LOADING_PLAN_UNKNOWNTOOL",
        "ERROR_LOADING_PLAN_UNKNOWNCAR",    "ERROR_LOADING_PLAN_PERSONUNDERCOVER"};
    std::string text;
    for (int bit = 0; bit < 6; ++bit)
        if (reasons & (1 << bit))
            text += (text.empty() ? "" : " ") + std::string(keys[bit]);
    return text.empty() ? std::to_string(reasons) : text;
}

int Roundtrip(const SSaveKind& kind, const SFileArg& in, const SFileArg& out, const SFileArg& world,
              const SFileArg& game)
{
    SSaveFile file;
    int rc = 0;
    if (!ReadSave(kind, in, file, rc))
        return rc;
    if (world.given.empty())
        return Write(kind, out, file);

    CToolLog log;
    if (!StartWorld(kind, world, rc))
        return rc;
    const SSaveInfoChunk* info = file.Info();
    const std::string caption = info ? info->caption : std::string();
    std::vector<uint8_t> built;
    if (kind.magic == kGameFile.magic) {
        if (!LoadGame(in.path, false)) {
            log.Pass();
            std::fprintf(stderr, "varek-tool game: %s: refused by the game's loader\n", in.given.c_str());
            return 2;
        }
        if (!BuildGameFile(caption, built))
            return ToolFail(kind.group, out.given, "the game could not write it");
    } else {
        if (!game.given.empty() && !LoadGame(game.path, false)) {
            log.Pass();
            std::fprintf(stderr, "varek-tool plan: %s: refused by the game's loader\n", game.given.c_str());
            return 2;
        }
        if (const int32_t reasons = LoadPlan(in.path)) {
            log.Pass();
            std::fprintf(stderr, "varek-tool plan: %s: refused: %s\n", in.given.c_str(),
                         ReasonNames(reasons).c_str());
            return 2;
        }
        if (!BuildPlanFile(caption, built))
            return ToolFail(kind.group, out.given, "the game could not write it");
    }
    return WriteFromGame(kind, out, built, file);
}

int RunSaves(const SSaveKind& kind, int argc, char** argv)
{
    std::vector<SFileArg> files;
    SFileArg world, game;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--world") == 0 && i + 1 < argc)
            world = FileArg(argv[++i]);
        else if (std::strcmp(argv[i], "--game") == 0 && i + 1 < argc && kind.magic == kPlanFile.magic)
            game = FileArg(argv[++i]);
        else if (argv[i][0] == '-')
            return SavesUsage(kind);
        else
            files.push_back(FileArg(argv[i]));
    }
    if (!game.given.empty() && world.given.empty())
        return SavesUsage(kind);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "dump" && files.size() == 1 && game.given.empty()) {
        SNames names;
        if (!world.given.empty()) {
            CToolLog log;
            int rc = 0;
            if (!StartWorld(kind, world, rc))
                return rc;
            names.world = true;
        }
        return Dump(kind, files[0], names);
    }
    if (command == "roundtrip" && files.size() == 2)
        return Roundtrip(kind, files[0], files[1], world, game);
    return SavesUsage(kind);
}

} // namespace

int cmd_game(int argc, char** argv)
{
    return RunSaves(kGameFile, argc, argv);
}

int cmd_plan(int argc, char** argv)
{
    return RunSaves(kPlanFile, argc, argv);
}
