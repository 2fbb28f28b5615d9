// The sample installation read back: the level through varek-tool and the world
// reader, the resources through the image and model readers, the dialog texts
// through the program's loader, the demo settings through the ini reader.
#include "tests/sample/SampleTestUtil.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <set>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/StreetNet.h"
#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"
#include "platform/files/Files.h"
#include "platform/win/IniFile.h"
#include "tests/navigation/StreetWorld.h"

namespace {

using namespace sampletest;

class SampleContent : public SampleSuite<SampleContent>
{
protected:
    std::string Tool(const std::string& args, int* rc)
    {
        const fs::path out = dir->string() + ".tool";
        *rc = RunCommand(std::string("cd ") + Quote(*dir) + " && '" + VAREK_TOOL_PATH + "' " + args + " >" +
                         Quote(out) + " 2>/dev/null");
        std::string text = ReadText(out);
        fs::remove(out);
        return text;
    }
};

int Count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + 1))
        ++n;
    return n;
}

TEST_F(SampleContent, TheWorldDumpListsHousesFloorsStairsDoorsWindowsLightsAndTheHero)
{
    int rc = 0;
    const std::string dump = Tool("world dump Varek.wld", &rc);
    ASSERT_EQ(rc, 0) << dump;
    const std::pair<std::string, int> expected[] = {
        {"TEXP  4 PAGE", 1},          {"group \"Haus_A\"", 1},
        {"group \"Haus_B\"", 1},      {"group \"Haus_C\"", 1},
        {"group \"Haus_D\"", 1},      {"group \"Stockwerk_1\"", 4},
        {"group \"Stockwerk_2\"", 4}, {"group \"innen\"", 8},
        {"group \"aussen\"", 8},      {"\"Treppe_Holz_L\" at", 2},
        {"\"Treppe_Holz_R\" at", 2},  {"\"Door_Left\" at", 1},
        {"\"Door_Right\" at", 2},     {"\"Window_Left\" at", 10},
        {"\"Window_Right\" at", 10},  {"light spot", 2},
        {"\"Hero\" at", 1},           {"\"Door_Locked_Left\" at", 1},
    };
    for (const auto& [needle, n] : expected)
        EXPECT_EQ(Count(dump, needle), n) << needle << "\n" << dump;
    EXPECT_GE(Count(dump, "light point"), 11) << dump;
    // The road's eight street pieces, two pavements, four garden paths, and per house two floors
    // and the stairs.
    EXPECT_EQ(Count(dump, " connections "), 26) << dump;
    // Doors and windows with the states their behaviour switches between.
    for (const char* definition : {"\"Door_Left\" states", "\"Door_Right\" states", "\"Window_Left\" states",
                                   "\"Window_Right\" states"}) {
        const size_t at = dump.find(definition);
        ASSERT_NE(at, std::string::npos) << definition;
        const std::string line = dump.substr(at, dump.find('\n', at) - at);
        size_t from = 0;
        for (const char* state : {" CLOSED(", " OPENING(", " OPEN(", " CLOSING("}) {
            const size_t p = line.find(state, from);
            EXPECT_NE(p, std::string::npos) << line << ": " << state;
            from = p == std::string::npos ? from : p;
        }
    }
}

TEST_F(SampleContent, TheWorldLogicListsTheHeroTheDoorsAndTheWindows)
{
    int rc = 0;
    const std::string logic = Tool("world logic Varek.wld", &rc);
    ASSERT_EQ(rc, 0) << logic;
    const struct
    {
        const char* definition;
        const char* kind;
        const char* task;
    } expected[] = {
        {"\"Hero\" recorder id", "kind 4 \"Hero\"", "\"Hero\" start 0"},
        {"\"Door_Left\" recorder id", "kind 7 \"Door_Left\"", "\"Door\" start 0"},
        {"\"Door_Right\" recorder id", "kind 7 \"Door_Right\"", "\"Door\" start 0"},
        {"\"Window_Left\" recorder id", "kind 8 \"Window_Left\"", "\"Window\" start 0"},
        {"\"Window_Right\" recorder id", "kind 8 \"Window_Right\"", "\"Window\" start 0"},
    };
    for (const auto& e : expected) {
        const size_t at = logic.find(e.definition);
        ASSERT_NE(at, std::string::npos) << e.definition << "\n" << logic;
        const size_t end = logic.find("\n  #", at + 1);
        const std::string block = logic.substr(at, end == std::string::npos ? std::string::npos : end - at);
        EXPECT_NE(block.find(e.kind), std::string::npos) << block;
        EXPECT_NE(block.find(e.task), std::string::npos) << block;
    }
    EXPECT_NE(logic.find("Strength: 25"), std::string::npos) << "the hero's carrying capacity\n" << logic;
}

TEST_F(SampleContent, TheWorldSurvivesAnEditorLoadAndSaveByteForByte)
{
    int rc = 0;
    Tool("world roundtrip Varek.wld again.wld", &rc);
    ASSERT_EQ(rc, 0);
    const std::vector<uint8_t> first = ReadBytes(*dir / "Varek.wld"), second = ReadBytes(*dir / "again.wld");
    EXPECT_GT(first.size(), 100000u);
    EXPECT_TRUE(first == second) << "sizes " << first.size() << " and " << second.size();
    fs::remove(*dir / "again.wld");
    fs::remove(*dir / "again.bak");
}

// A device that keeps textures in memory only, so the editor reads the pages.
struct STextureDevice
{
    STextureDevice()
    {
        EXPECT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
        info.texturing = true;
        info.hardware = true;
        info.maxTextureWidth = info.maxTextureHeight = 256;
        auto format = [&](uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
            auto* f = new TextureFormatInfo();
            f->format = D3DMakeRGBFormat(bits, r, g, b, a);
            f->rgb = 1;
            f->hasAlpha = a != 0;
            f->bitsPerPixel = int32_t(bits);
            info.textureFormats.add(f);
        };
        format(16, 0xF800, 0x07E0, 0x001F, 0);
        format(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
        DX.directDraw = dd;
        DX.deviceInfo = &info;
    }
    ~STextureDevice()
    {
        DX = saved;
        for (TextureFormatInfo* f : info.textureFormats)
            delete f;
        if (dd)
            dd->Release();
    }
    DirectXState saved = DX;
    IDirectDraw7* dd = nullptr;
    D3DDeviceInfo info;
};

// The level as the libraries read it, in the editor.
class SampleWorld : public SampleContent
{
protected:
    void SetUp() override
    {
        SampleContent::SetUp();
        device = std::make_unique<STextureDevice>();
        // As the program has them: models bind their materials to the pages.
        InstallRender();
        savedMode = GameModeFlag;
        GameModeFlag = 0;
        savedFolder = platform::GetCurrentDirectory();
        CreateWorldRoots();
        std::string error;
        ASSERT_TRUE(LoadWorld((*dir / "Varek.wld").string().c_str(), LOADWORLD_OPEN, &error)) << error;
        Collect(g_WorldRoot->FirstObject());
    }
    void TearDown() override
    {
        DestroyWorldRoots();
        CTexturePage::DeleteAll();
        while (CTexture::First())
            delete CTexture::First();
        device.reset();
        platform::SetCurrentDirectory(savedFolder);
        GameModeFlag = savedMode;
    }
    void Collect(CWorldObject* first)
    {
        for (CWorldObject* n = first; n; n = n->NextObject()) {
            nodes.push_back(n);
            Collect(n->FirstObject());
        }
    }
    std::vector<CWorldObject*> ObjectsOf(const char* definition) const
    {
        std::vector<CWorldObject*> found;
        for (CWorldObject* n : nodes)
            if (n->Definition() && std::string(n->Definition()->GetName()) == definition)
                found.push_back(n);
        return found;
    }

    std::unique_ptr<STextureDevice> device;
    std::vector<CWorldObject*> nodes;
    uint8_t savedMode = 1;
    std::string savedFolder;
};

TEST_F(SampleWorld, StairsDoorsAndWindowsLieInTheirHousesAndFloors)
{
    int stairs = 0;
    for (CWorldObject* n : nodes) {
        if (!IsStairs(n))
            continue;
        ++stairs;
        CWorldObject *house = nullptr, *floor = nullptr;
        int32_t number = 0;
        uint8_t inside = 0;
        GetLocation(n, &house, &floor, &number, &inside);
        ASSERT_NE(house, nullptr);
        EXPECT_EQ(number, 1) << "the stairs start on the ground floor";
        EXPECT_EQ(inside, 1) << "the cut-away hides the stairs with the inside";
    }
    EXPECT_EQ(stairs, 4);

    for (const char* name : {"Door_Left", "Door_Right", "Window_Left", "Window_Right"}) {
        const std::vector<CWorldObject*> objects = ObjectsOf(name);
        ASSERT_FALSE(objects.empty()) << name;
        for (CWorldObject* o : objects) {
            CWorldObject *house = nullptr, *floor = nullptr;
            int32_t number = 0;
            uint8_t inside = 0;
            GetLocation(o, &house, &floor, &number, &inside);
            EXPECT_NE(house, nullptr) << name << " outside a house";
            EXPECT_TRUE(number == 1 || number == 2) << name;
            EXPECT_EQ(inside, 0) << name << " must stay visible from the street";
        }
        CObjectNode* d = objects.front()->Definition();
        for (const char* state : {"CLOSED", "OPENING", "OPEN", "CLOSING"})
            ASSERT_NE(d->FindState(state), nullptr) << name << " " << state;
        // The node stands at the model's centre: open and closed must share it,
        // or the object would jump when it changes state.
        CRootNode* open = d->FindState("OPEN")->GetModelRoot();
        CRootNode* closed = d->FindState("CLOSED")->GetModelRoot();
        ASSERT_NE(open, nullptr);
        ASSERT_NE(closed, nullptr);
        EXPECT_NE(open, closed);
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(open->originalCentre[a], closed->originalCentre[a], 1e-5f) << name << " axis " << a;
            EXPECT_NEAR(open->boundsMax[a] - open->boundsMin[a], closed->boundsMax[a] - closed->boundsMin[a],
                        1e-5f);
        }
    }
}

TEST_F(SampleWorld, LightsAndTheJointedHeroAreThere)
{
    std::map<int, int> lights;
    for (CWorldObject* n : nodes)
        if (SWorldLight* l = n->Light()) {
            ++lights[l->light.dltType];
            EXPECT_GT(l->light.dvRange, 0.0f);
            // Lightmaps bake a light only in the phases its word names.
            EXPECT_NE(l->lightWord & 0xFu, 0u);
        }
    EXPECT_GE(lights[D3DLIGHT_POINT], 4);
    EXPECT_GE(lights[D3DLIGHT_SPOT], 1);

    const std::vector<CWorldObject*> heroes = ObjectsOf("Hero");
    ASSERT_EQ(heroes.size(), 1u);
    CRootNode* hero = heroes.front()->Definition()->firstState->GetModelRoot();
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->snapperCount, 1) << "the \"snapperShape\" locator";
    int joints = 0;
    std::deque<CNode*> open = {hero->firstChild};
    while (!open.empty()) {
        CNode* n = open.front();
        open.pop_front();
        for (; n; n = n->next) {
            if (dynamic_cast<CJointNode*>(n))
                ++joints;
            if (n->firstChild)
                open.push_back(n->firstChild);
        }
    }
    EXPECT_GE(joints, 8);
    EXPECT_GT(hero->vertexCount, 0u);
}

TEST_F(SampleWorld, PathConnectionsAreMutualAndJoinTheStreetToEveryFloor)
{
    CWorldObject* start = nullptr;
    for (CWorldObject* n : nodes) {
        if (n->ModelEntry() && std::string(n->ModelEntry()->GetName()) == "Gehweg_West")
            start = n;
        for (const SConnection& c : n->connections) {
            ASSERT_NE(c.target, nullptr);
            const auto& back = c.target->connections;
            EXPECT_TRUE(std::any_of(back.begin(), back.end(), [&](const SConnection& b) {
                return b.target == n;
            })) << "a one-way connection";
        }
    }
    ASSERT_NE(start, nullptr);
    std::set<CWorldObject*> reached = {start};
    std::deque<CWorldObject*> queue = {start};
    while (!queue.empty()) {
        CWorldObject* n = queue.front();
        queue.pop_front();
        for (const SConnection& c : n->connections)
            if (reached.insert(c.target).second)
                queue.push_back(c.target);
    }
    int floors = 0;
    for (CWorldObject* n : nodes) {
        CWorldObject *house = nullptr, *floor = nullptr;
        int32_t number = 0;
        uint8_t inside = 0;
        GetLocation(n, &house, &floor, &number, &inside);
        if (house && inside && n->ModelEntry() &&
            std::string(n->ModelEntry()->GetName()).rfind("Boden_", 0) == 0) {
            ++floors;
            EXPECT_TRUE(reached.count(n))
                << "floor " << number << " of " << house->GetName() << " is cut off";
        }
    }
    EXPECT_EQ(floors, 8);
}

TEST_F(SampleWorld, EveryTexturedMaterialNamesAnEntryOfTheStoredPages)
{
    int textured = 0;
    for (CModelEntry* e = g_ModelListRoot->FirstEntry(); e; e = e->NextEntry()) {
        std::deque<CNode*> open = {e->model};
        while (!open.empty()) {
            CNode* n = open.front();
            open.pop_front();
            for (; n; n = n->next) {
                if (auto* mesh = dynamic_cast<CMeshNode*>(n)) {
                    for (int32_t i = 0; i < mesh->materialCount; ++i) {
                        const CMeshMaterial& m = mesh->materials[i];
                        if (m.pageNumber < 0)
                            continue;
                        ++textured;
                        CTexturePage* page = CTexturePage::FindByNumber(m.pageNumber);
                        ASSERT_NE(page, nullptr) << e->GetName();
                        ASSERT_GE(m.pageEntry, 0);
                        ASSERT_LT(m.pageEntry, page->count()) << e->GetName();
                        EXPECT_EQ(page->entries[size_t(m.pageEntry)].path, m.textureName) << e->GetName();
                        EXPECT_TRUE(page->storedPixels) << "the game takes its textures from the pages";
                    }
                    const char* reason = nullptr;
                    EXPECT_TRUE(mesh->IndicesValid(&reason)) << e->GetName() << ": " << reason;
                }
                if (n->firstChild)
                    open.push_back(n->firstChild);
            }
        }
    }
    EXPECT_GT(textured, 20);
    for (const char* name : {"brick", "plaster", "wood", "tiles", "asphalt", "grass"})
        EXPECT_TRUE(fs::is_regular_file(*dir / "textures" / (std::string(name) + ".bmp"))) << name;
}

TEST_F(SampleContent, EveryResourceReadsAsWhatItsTypeNeeds)
{
    std::map<std::string, int> counts;
    for (const char* type : {"IMAGES", "BITMAP", "MODELS"})
        for (const auto& entry : fs::directory_iterator(*dir / "resources" / type)) {
            const std::vector<uint8_t> bytes = ReadBytes(entry.path());
            ++counts[type];
            if (std::string(type) == "MODELS") {
                CRootNode root;
                ASSERT_TRUE(ParseTmfChunks(bytes.data(), bytes.size(), &root).ok) << entry.path();
                root.Prepare();
                EXPECT_GT(root.vertexCount, 0u) << entry.path();
            } else {
                imgImage image;
                ASSERT_EQ(image.loadMemory(bytes.data(), bytes.size()), 1) << entry.path();
                EXPECT_GT(image.width, 0);
                EXPECT_FALSE(image.empty());
            }
        }
    // Start-up asks for 48 distinct interface images, the loading screen for 4
    // pictures; 37 bitmaps, the launcher's picture, the editor trees' images and 29
    // distinct interface models.
    EXPECT_EQ(counts["IMAGES"], 52);
    EXPECT_EQ(counts["BITMAP"], 39);
    imgImage launcher;
    const std::vector<uint8_t> bytes = ReadBytes(*dir / "resources" / "BITMAP" / "113.bmp");
    ASSERT_EQ(launcher.loadMemory(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(launcher.width, 388);
    EXPECT_EQ(launcher.height, 193);
    EXPECT_EQ(launcher.format, FMT_P_8);
    imgImage trees;
    const std::vector<uint8_t> strip = ReadBytes(*dir / "resources" / "BITMAP" / "184.bmp");
    ASSERT_EQ(trees.loadMemory(strip.data(), strip.size()), 1);
    EXPECT_EQ(trees.height, 20);
    EXPECT_GE(trees.width, 22 * 20) << "images 0 to 21";
    EXPECT_EQ(counts["MODELS"], 29);
}

TEST_F(SampleContent, DialogTextsReadTheSamePlainAndEncoded)
{
    CTextTree plain, encoded;
    std::string error;
    ASSERT_TRUE(LoadDialogTextsFrom((*dir / "data" / "dialogs_eng_demo.txt").string(), plain, false, &error))
        << error;
    ASSERT_TRUE(LoadDialogTextsFrom((*dir / "data" / "dialogs_eng_demo_encoded.txt").string(), encoded, false,
                                    &error))
        << error;
    const std::vector<uint8_t> head = ReadBytes(*dir / "data" / "dialogs_eng_demo_encoded.txt");
    ASSERT_GE(head.size(), 8u);
    EXPECT_TRUE(std::equal(head.begin(), head.begin() + 4, DialogTextEncodedHeader));
    EXPECT_GT(plain.Count(), 30);
    EXPECT_EQ(plain.Count(), encoded.Count());
    std::istringstream lines(ReadText(*dir / "data" / "dialogs_eng_demo.txt"));
    int keys = 0;
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.find(" = ");
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        ++keys;
        ASSERT_NE(plain.Find(key.c_str()), nullptr) << key;
        ASSERT_NE(encoded.Find(key.c_str()), nullptr) << key;
        EXPECT_STREQ(plain.Find(key.c_str()), encoded.Find(key.c_str())) << key;
    }
    EXPECT_EQ(keys, plain.Count());
    EXPECT_STREQ(plain.Find("RULO2"), "Varek");
    for (const char* key : {"ERROR_WRONGDXVERSION", "ERROR_DXINIT_WINDOW", "ERROR_DXINIT_FAILED",
                            "REALLY_QUIT", "LEVEL_2", "MENU_BURG_2", "CHAR_DOORLOCKED", "CHAR_WINLOCKED"})
        EXPECT_NE(plain.Find(key), nullptr) << key;
}

TEST_F(SampleContent, TheDemoSettingsPlayTrackThree)
{
    EXPECT_EQ(
        platform::GetPrivateProfileInt("DemoSettings", "AudioTrack", 0, (*dir / "VarekDemo.ini").string()),
        3);
}

TEST_F(SampleContent, ASecondRunWritesTheSameBytes)
{
    const fs::path again = TempFolder("again");
    ASSERT_TRUE(MakeSample(again));
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*dir)) {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), *dir);
        ++files;
        EXPECT_TRUE(ReadBytes(entry.path()) == ReadBytes(again / relative)) << relative;
    }
    EXPECT_GT(files, 100);
    fs::remove_all(again);
}

TEST_F(SampleContent, BadCommandLinesAreRefusedWithAReason)
{
    const fs::path dir2 = TempFolder("bad");
    const fs::path file = dir2 / "taken";
    std::ofstream(file) << "a file, not a folder";
    const fs::path out = dir2 / "out.txt";
    struct Case
    {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"", "usage: make-sample-data [--variant sample|large|alert] OUTDIR"},
        {"a b", "usage: make-sample-data [--variant sample|large|alert] OUTDIR"},
        {"--variant huge x", "usage: make-sample-data [--variant sample|large|alert] OUTDIR"},
        {Quote(file), file.string() + ": cannot create the folder"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunCommand(std::string("'") + MAKE_SAMPLE_DATA_PATH + "' " + c.args + " >" + Quote(out) +
                             " 2>&1"),
                  1)
            << c.args;
        EXPECT_NE(ReadText(out).find(c.message), std::string::npos) << ReadText(out);
    }
    EXPECT_EQ(ReadText(file), "a file, not a folder");
    fs::remove_all(dir2);
}

} // namespace

TEST_F(SampleWorld, AWalkFromTheStreetReachesARoomUpstairsInHausBThroughItsDoorAndStairs)
{
    RecomputeWorldBounds();
    PrepareGroundNodes(g_WorldRoot);
    BuildFloorTable();
    for (CWorldObject* n : nodes)
        if (n->objectKind == CWorldObject::KIND_MODEL && n->reference)
            EXPECT_LT(n->boundsAMin.x, n->boundsAMax.x) << n->GetName() << " has no shape box";

    // Haus_B's floors, stairs and door.
    CWorldObject *ground = nullptr, *stairs = nullptr, *upstairs = nullptr, *door = nullptr, *hero = nullptr;
    for (CWorldObject* n : nodes) {
        CWorldObject *house = nullptr, *floor = nullptr;
        int32_t number = 0;
        GetHouseAndFloor(n, &house, &floor, &number);
        if (n->Definition() && std::string(n->Definition()->GetName()) == "Hero")
            hero = n;
        if (!house || std::string(house->GetName()) != "Haus_B")
            continue;
        const std::string name = n->GetRefName() ? n->GetRefName() : "";
        if (name.rfind("Boden_", 0) == 0)
            (number == 1 ? ground : upstairs) = n;
        else if (name.rfind("Treppe", 0) == 0)
            stairs = n;
        else if (name.rfind("Door_", 0) == 0)
            door = n;
    }
    ASSERT_TRUE(ground && stairs && upstairs && door && hero);
    EXPECT_FALSE(upstairs->antiGround.empty()) << "the furniture upstairs";

    PATHFINDER::CreateSearchPool();
    GameClock.gameClock = 0;
    PATHFINDER walker;
    ASSERT_TRUE(walker.Init(hero));
    // The room beside the bed and the wardrobe.
    const CVector goal = upstairs->position;
    ASSERT_TRUE(walker.WalkTo(goal, nullptr));
    const auto& way = walker.globalWayPoints;
    const auto at = [&](CWorldObject* n) { return std::find(way.begin(), way.end(), n) - way.begin(); };
    ASSERT_LT(at(upstairs), long(way.size()));
    EXPECT_LT(at(ground), at(stairs));
    EXPECT_LT(at(stairs), at(upstairs));

    // Walked on 10 ms frames: over the ground floor past the door, up the stairs.
    std::vector<CWorldObject*> walkedOn;
    float nearestToDoor = 1000.0f;
    while (walker.Update() && GameClock.gameClock < 120000) {
        GameClock.gameClock += 10;
        if (walkedOn.empty() || walkedOn.back() != walker.groundNode)
            walkedOn.push_back(walker.groundNode);
        const float dx = hero->position.x - door->position.x, dz = hero->position.z - door->position.z;
        nearestToDoor = std::min(nearestToDoor, std::sqrt(dx * dx + dz * dz));
    }
    EXPECT_EQ(1, walker.arrived) << "stopped at " << hero->position.x << ", " << hero->position.y << ", "
                                 << hero->position.z;
    EXPECT_NEAR(goal.x, hero->position.x, 0.1f);
    EXPECT_NEAR(goal.z, hero->position.z, 0.1f);
    EXPECT_NEAR(upstairs->boundsAMax.y, hero->position.y, 0.03f);
    EXPECT_LT(nearestToDoor, 0.2f);
    const auto walked = [&](CWorldObject* n) {
        return std::find(walkedOn.begin(), walkedOn.end(), n) - walkedOn.begin();
    };
    EXPECT_LT(walked(ground), walked(stairs));
    EXPECT_LT(walked(stairs), walked(upstairs));
    EXPECT_EQ(upstairs, walkedOn.back());
    GameClock.gameClock = 0;
}

// The load builds the road's street network; a car bound at the road's south
// end with the north end as its target drives the lane there and stops.
TEST_F(SampleWorld, ACarDrivesTheRoadsLaneFromOneEndToTheOther)
{
    ASSERT_EQ(StreetNet.elements.size(), 8u);
    std::vector<CWorldObject*> pieces;
    for (const auto& e : StreetNet.elements)
        pieces.push_back(e->node);
    std::sort(pieces.begin(), pieces.end(),
              [](const CWorldObject* a, const CWorldObject* b) { return a->position.z < b->position.z; });
    for (size_t i = 0; i < pieces.size(); ++i)
        EXPECT_EQ(StreetNet.Find(pieces[i])->links.size(), (i == 0 || i + 1 == pieces.size()) ? 2u : 4u);
    RecomputeWorldBounds();
    PrepareGroundNodes(g_WorldRoot);
    StartNavigation(); // the lanes and the search pool, as at start-up
    GameClock.gameClock = 0;

    auto* definition = new CObjectNode("car");
    CObjectState* stand = definition->AddState("STAND");
    std::unique_ptr<CModelEntry> model(navtest::CarModel());
    stand->modelEntry = model.get();
    auto* car = new CWorldObject("car");
    car->objectKind = CWorldObject::KIND_OBJECT;
    car->reference = definition;
    car->position = pieces.front()->position;
    car->angle = 1.5707964f; // facing north (+z)
    g_WorldRoot->AddChild(car);
    auto* logic = new CObjectLogic;
    logic->ownKindData = CKindData::Create(KIND_CAR);
    logic->ownKindData->Values()[1] = FloatAsWord(2.0f);
    logic->ownKindData->Values()[2] = FloatAsWord(1.0f);
    logic->conditions = CKindState::Create(KIND_CAR);
    logic->worldNode = car;
    car->objectLogic = logic;
    CCar* driver = logic->GetCar();
    ASSERT_TRUE(driver);
    ASSERT_NE(driver->BindModel(logic, pieces.back()->position, true), 0);
    ASSERT_EQ(driver->isDriving, 1);
    EXPECT_EQ(driver->pathNodes.size(), 8u);
    navtest::DriveToEnd(driver, 5000);
    EXPECT_EQ(size_t(driver->wayPointIndex), driver->wayPoints.size());
    EXPECT_EQ(driver->speed, 0.0f);
    EXPECT_EQ(driver->currentPiece, pieces.back());
    EXPECT_NEAR(car->position.z, pieces.back()->position.z, 0.05f);
    EXPECT_NEAR(car->position.x, pieces.back()->position.x, 0.05f);
    car->Delete();
    delete definition;
    GameClock.gameClock = 0;
}
