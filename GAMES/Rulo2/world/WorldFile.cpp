#include "GAMES/Rulo2/world/WorldFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/LoadingScreen.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WaitCursor.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTree.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"
#include "platform/files/MappedFile.h"
#include "platform/files/WinPath.h"
#include "platform/win/Window.h"

std::string CurrentWorldFile;
std::string CurrentWorldPath;
bool g_TextureLoadFailed = false;
std::vector<uint8_t> g_KeptTexturePages;

// ---------------------------------------------------------------- kept texture pages

static bool KeepTexturePages(CChunkReader& data, std::string* error)
{
    // The section's tag lies just before the cursor.
    const size_t start = data.Offset() >= 8 ? data.Offset() - 8 : 0;
    if (!SkipSection(data)) {
        if (error)
            *error = "the section has no END";
        return false;
    }
    // A merge keeps the pages already there.
    if (g_KeptTexturePages.empty())
        g_KeptTexturePages.assign(data.Data() + start, data.Data() + data.Offset());
    return true;
}

static bool WriteKeptTexturePages(CChunkWriter& w)
{
    return w.WriteBytes(g_KeptTexturePages.data(), g_KeptTexturePages.size());
}

static void ClearKeptTexturePages()
{
    g_KeptTexturePages.clear();
}

STexturePageHooks TexturePageHooks{KeepTexturePages, WriteKeptTexturePages, nullptr, nullptr,
                                   nullptr,          ClearKeptTexturePages, nullptr};

static bool DiscardWorld()
{
    ClearWorld();
    return true;
}

bool (*g_DiscardWorldHook)() = DiscardWorld;
void (*g_ImportUpdatedWorldHook)(SWorldRoots& fresh) = nullptr;

// ---------------------------------------------------------------- saving

static void NumberAll()
{
    if (g_ModelsTree)
        g_ModelsTree->NumberNodes();
    if (g_ObjectsTree)
        g_ObjectsTree->NumberNodes();
    NumberModelList(g_ModelListRoot);
    if (g_MacroListRoot) {
        g_MacroListRoot->NumberNodes();
        NumberMacroContents(g_MacroListRoot);
    }
    if (g_WorldRoot)
        g_WorldRoot->NumberNodes();
    if (g_ObjectList)
        g_ObjectList->NumberNodes();
    if (TexturePageHooks.number)
        TexturePageHooks.number();
}

bool WriteWorld(CChunkWriter& w)
{
    DeletePlannedTaskLists(g_WorldRoot);
    CountWorldObjects(g_WorldRoot);
    NumberAll();
    if (g_WorldRoot)
        g_WorldRoot->ResolveObjectIds();
    NumberObjectLogicForSaving(g_WorldRoot);
    bool ok = w.WriteMarker(ChunkId("WRLD"));
    if (ok && TexturePageHooks.write)
        ok = TexturePageHooks.write(w);
    ok = ok && WriteFolderSection(g_ModelsTree, w, ChunkId("GROU"));
    ok = ok && WriteFolderSection(g_ObjectsTree, w, ChunkId("OBGR"));
    ok = ok && WriteModelListSection(g_ModelListRoot, w);
    if (ok && g_ObjectList)
        ok = WriteObjectSection(g_ObjectList, w);
    ok = ok && WriteMacroSection(g_MacroListRoot, w);
    ok = ok && w.WriteMarker(ChunkId("TREE")) && (!g_WorldRoot || WriteWorldNodes(g_WorldRoot, w, true)) &&
         w.WriteMarker(ChunkId("END "));
    return ok && w.WriteMarker(ChunkId("EOF "));
}

namespace {
// The size of the world file last read: the estimate for the next save.
size_t s_loadedWorldBytes = 0;
} // namespace

bool SaveWorld(const char* path, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        LogPrintf("%s", why.c_str());
        return false;
    };
    if (!path || !*path)
        return fail("Save world: no file name");
    LogPrintf("Saving '%s'", path);

    CChunkWriter w;
    // A world saved again is about as large as when it was loaded.
    w.Reserve(s_loadedWorldBytes + s_loadedWorldBytes / 8);
    if (!WriteWorld(w))
        return fail(std::string(path) + ": cannot build the world file");

    namespace fs = std::filesystem;
    const fs::path target = platform::ResolvePath(path);
    fs::path temp = target;
    temp += ".tmp";
    // The previous file becomes the backup only once the new one is complete.
    fs::path backup = target;
    backup.replace_extension(".bak");
    const auto& data = w.Data();
    const auto r = platform::WriteFileAtomically(target, data.data(), data.size(), &backup);
    switch (r.step) {
    case platform::AtomicWriteResult::Done:
        break;
    case platform::AtomicWriteResult::Create:
        return fail(std::string(path) + ": cannot create " + temp.string() + ": " + r.error.message());
    case platform::AtomicWriteResult::Write:
        return fail(std::string(path) + ": writing " + temp.string() + " failed");
    case platform::AtomicWriteResult::Backup:
        return fail(std::string(path) + ": cannot keep the previous file as " + backup.string());
    case platform::AtomicWriteResult::Replace:
        return fail(std::string(path) + ": cannot move the new file into place: " + r.error.message());
    }
    return true;
}

// ---------------------------------------------------------------- loading

namespace {
struct SLoad
{
    const char* name;
    std::string* error;
    bool Fail(const char* section, const std::string& why)
    {
        std::string text = std::string(name) + ": ";
        if (section)
            text += std::string("section \"") + section + "\": ";
        text += why;
        LogPrintf("%s", text.c_str());
        if (error)
            *error = text;
        return false;
    }
};

// Update mode: the current roots are kept aside while the file is read into
// fresh ones; whatever happens, the current world comes back.
struct SUpdateScope
{
    SWorldRoots kept;
    SWorldRoots fresh;
    bool active = false;

    void Begin()
    {
        kept = {g_WorldRoot, g_ModelListRoot, g_ObjectList, g_ModelsTree, g_ObjectsTree};
        g_WorldRoot = new CWorldObject;
        g_ModelListRoot = new CModelEntry;
        g_ModelsTree = new CNode("Models");
        g_ObjectsTree = new CNode("Objects");
        g_ObjectList = nullptr;
        for (CNode* root : {static_cast<CNode*>(g_WorldRoot), static_cast<CNode*>(g_ModelListRoot),
                            g_ModelsTree, g_ObjectsTree})
            root->index = 1;
        active = true;
    }
    // Puts the current roots back; the read ones stay in `fresh`.
    void Restore()
    {
        if (!active)
            return;
        fresh = {g_WorldRoot, g_ModelListRoot, g_ObjectList, g_ModelsTree, g_ObjectsTree};
        g_WorldRoot = kept.world;
        g_ModelListRoot = kept.models;
        g_ObjectList = kept.objects;
        g_ModelsTree = kept.modelsTree;
        g_ObjectsTree = kept.objectsTree;
        active = false;
    }
    void DestroyFresh()
    {
        delete fresh.world;
        for (CObjectNode* d = fresh.objects; d;) {
            CObjectNode* after = d->NextDefinition();
            delete d;
            d = after;
        }
        delete fresh.models;
        delete fresh.modelsTree;
        delete fresh.objectsTree;
        fresh = {};
        g_NodeTable.clear();
    }
    ~SUpdateScope()
    {
        if (active) {
            Restore();
            DestroyFresh();
        }
    }
};

// Restores the chunk-progress hook and closes the loading screen on every way out.
struct SProgressScope
{
    ChunkProgressFn saved;
    SProgressScope(const CChunkReader* file, size_t total) : saved(g_ChunkProgress)
    {
        BeginLoadingScreen(file, total);
        g_ChunkProgress = UpdateLoadingScreen;
    }
    ~SProgressScope()
    {
        g_ChunkProgress = saved;
        EndLoadingScreen();
    }
};
} // namespace

static void Finish()
{
    LogPrintf("Resetting ids...");
    CountWorldObjects(g_WorldRoot);
    NumberAll();
    if (GameModeFlag) {
        BuildModelTable();
        CObjectNode::BuildIndexTable();
    }
    LogPrintf("Recreate anim-infos...");
    // Five empty slots lead the table; entries register at their own slot.
    AnimInfoTable.assign(5, nullptr);
    CModelEntry* models = g_ModelListRoot ? g_ModelListRoot->FirstEntry() : nullptr;
    RegisterInTable(models);
    ResolveLinkedModels(models);
    LogPrintf("Recreate task-lists...");
    if (g_ObjectList && !CObjectNode::RebuildTaskLists())
        LogPrintf("Some task-lists name objects the world lacks");
    if (!AllObjectLogicValid(g_WorldRoot))
        LogPrintf("WARNING: task-list with an unknown task type");
    if (!GameModeFlag) {
        LogPrintf("Updating Model-UVs...");
        if (TexturePageHooks.texturesMissing && TexturePageHooks.texturesMissing()) {
            // The fitting and the page checks would strip every entry whose
            // file is missing from the pages and the models; a save would then
            // lose them. The pages stay as stored and the warning says why.
            g_TextureLoadFailed = true;
            LogPrintf("Texture-Pages kept as stored: some of their textures could not be loaded");
        } else if (TexturePageHooks.afterLoad) {
            // Its own log lines say what it checks; without the pages nothing is checked or said.
            RefitAllTexturesInModels(models);
            TexturePageHooks.afterLoad();
        }
        LogPrintf("Updating world locators...");
        UpdateSnapPointsTree(g_WorldRoot, false);
        LogPrintf("Checking for invalid connections...");
        CWorldObject::RepairConnections(g_WorldRoot);
    }
    StreetNet.Build(g_WorldRoot);
    LogPrintf("World loaded successfuly");
    if (!GameModeFlag && g_TextureLoadFailed)
        MessageBoxWarning("Some textures could not be loaded!");
}

static bool LoadWorldData(const uint8_t* data, size_t size, int mode, const char* name,
                          const std::string* folder, std::string* error)
{
    SLoad load{name ? name : "world", error};
    if (size < 8 || std::memcmp(data, "WRLD", 4) != 0)
        return load.Fail(nullptr, "not a world file (it does not begin with \"WRLD\")");
    if (mode < LOADWORLD_OPEN || mode > LOADWORLD_ADD)
        return load.Fail(nullptr, "unknown load mode " + std::to_string(mode));
    CreateWorldRoots();

    if (mode == LOADWORLD_MERGE) {
        g_ModelsTree->ResetIndexes();
        g_ObjectsTree->ResetIndexes();
        g_ModelListRoot->ResetIndexes();
        g_MacroListRoot->ResetIndexes();
        g_WorldRoot->ResetIndexes();
        if (g_ObjectList)
            g_ObjectList->ResetIndexes();
        if (TexturePageHooks.excludeAll)
            TexturePageHooks.excludeAll();
    }
    if (mode == LOADWORLD_OPEN) {
        if (g_DiscardWorldHook && !g_DiscardWorldHook())
            return load.Fail(nullptr, "the current world was kept");
        CurrentWorldFile = name ? name : "";
        std::error_code ec;
        CurrentWorldPath =
            folder && name ? std::filesystem::absolute(platform::ResolvePath(name), ec).string() : "";
    }
    SUpdateScope update;
    if (mode == LOADWORLD_UPDATE)
        update.Begin();
    if (folder && !folder->empty())
        platform::SetCurrentDirectory(*folder);

    CChunkReader file(data, size);
    SProgressScope progress(&file, size);
    SWaitCursor waitCursor;
    g_TextureLoadFailed = false;
    LoadLosses().clear();
    SChunkHeader header;
    CChunkReader body;
    file.NextChunk(header, body); // the "WRLD" tag

    for (;;) {
        UpdateLoadingScreen();
        const EChunkResult r = file.NextChunk(header, body);
        if (r == CHUNK_NO_MORE)
            return load.Fail(nullptr, "the file ends before \"EOF \"");
        if (r != CHUNK_OK)
            return load.Fail(nullptr, std::string(ChunkResultText(r)) + " at offset " +
                                          std::to_string(file.FileOffset()));
        const std::string id = ChunkIdText(header.id);
        CLoadLossSection lossSection(header.id);
        std::string why;
        bool ok = true;
        switch (header.id) {
        case ChunkId("OBGR"):
        case ChunkId("GROU"): {
            const bool models = header.id == ChunkId("GROU");
            if (GameModeFlag) {
                ok = SkipSection(file);
                why = "the section has no END";
                break;
            }
            LogPrintf(models ? "Reading Model-List-Tree..." : "Reading Object-List-Tree...");
            CNode* root = models ? g_ModelsTree : g_ObjectsTree;
            ok = ReadFolderSection(file, root, &why);
            root->index = 1;
            root->NumberIncludedNodes();
            break;
        }
        case ChunkId("LIST"):
            LogPrintf("Reading Model-List...");
            if (mode == LOADWORLD_UPDATE)
                ok = ReadModelListSectionForUpdate(file, g_ModelListRoot, &why);
            else
                ok = ReadModelListSection(file, g_ModelListRoot, &why);
            if (GameModeFlag)
                BuildModelTable();
            break;
        case ChunkId("MAKL"):
            if (GameModeFlag || mode == LOADWORLD_UPDATE) {
                ok = SkipSection(file);
                why = "the section has no END";
                break;
            }
            LogPrintf("Reading Makro-List...");
            ok = ReadMacroSection(file, g_MacroListRoot, &why);
            break;
        case ChunkId("OBJS"):
            LogPrintf("Reading Object-List...");
            ok = mode == LOADWORLD_UPDATE ? ReadObjectSectionForUpdate(file, &why)
                                          : ReadObjectSection(file, &why);
            if (g_ObjectList)
                g_ObjectList->NumberIncludedNodes();
            if (GameModeFlag)
                CObjectNode::BuildIndexTable();
            break;
        case ChunkId("TEXP"):
            if (mode == LOADWORLD_UPDATE ||
                (TexturePageHooks.deviceCanHoldPages && !TexturePageHooks.deviceCanHoldPages())) {
                ok = SkipSection(file);
                why = "the section has no END";
                break;
            }
            LogPrintf("Reading Texture-Pages...");
            ok = TexturePageHooks.read ? TexturePageHooks.read(file, &why) : SkipSection(file);
            break;
        case ChunkId("TREE"):
            LogPrintf("Reading World-Tree...");
            ok = ReadWorldNodes(file, g_WorldRoot, &why);
            break;
        case ChunkId("EOF "):
            if (mode == LOADWORLD_UPDATE) {
                update.Restore();
                if (g_ImportUpdatedWorldHook)
                    g_ImportUpdatedWorldHook(update.fresh);
                update.DestroyFresh();
            }
            Finish();
            return true;
        default:
            break;
        }
        if (!ok)
            return load.Fail(id.c_str(), why.empty() ? "damaged section" : why);
    }
}

bool LoadWorldFromMemory(const uint8_t* data, size_t size, int mode, const char* name, std::string* error)
{
    return LoadWorldData(data, size, mode, name, nullptr, error);
}

bool LoadWorld(const char* path, int mode, std::string* error)
{
    if (!path || !*path) {
        if (error)
            *error = "Load world: no file name";
        return false;
    }
    const std::filesystem::path native = platform::ResolvePath(path);
    platform::CMappedFile bytes;
    if (!bytes.Open(native.string())) {
        const std::string text = std::string(path) + ": cannot open the file";
        LogPrintf("%s", text.c_str());
        if (error)
            *error = text;
        return false;
    }
    s_loadedWorldBytes = bytes.Size();
    const std::string folder = native.parent_path().string();
    return LoadWorldData(bytes.Data(), bytes.Size(), mode, path, &folder, error);
}
