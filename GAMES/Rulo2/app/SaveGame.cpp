#include "GAMES/Rulo2/app/SaveGame.h"

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/ObjectStates.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgFormats.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

#include <bit>
#include <cstring>
#include <ctime>
#include <memory>

CSaveManager SaveManager;
std::vector<CWorldObject*> KnownPeople;
std::vector<CObjectNode*> Possessions;
uint8_t OptionsFirstStart = 1;

namespace {

constexpr uint32_t kGame = ChunkId("GAME");
constexpr uint32_t kInfo = ChunkId("INFO");
constexpr uint32_t kHead = ChunkId("HEAD");
constexpr uint32_t kObj = ChunkId("OBJ ");
constexpr uint32_t kCam = ChunkId("CAM ");
constexpr uint32_t kEof = ChunkId("EOF ");
constexpr uint32_t kPrev = ChunkId("PREV");
constexpr uint32_t kOpts = ChunkId("OPTS");
constexpr uint32_t kCond = ChunkId("COND");
constexpr uint32_t kHeadVersion = 4;

bool EndsFile(CChunkWriter& w)
{
    return w.WriteId(kEof) && w.WriteU32(0);
}

bool WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const platform::AtomicWriteResult r =
        platform::WriteFileAtomically(platform::ResolvePath(path), bytes.data(), bytes.size());
    if (!r)
        LogPrintf("Writing '%s' failed: %s", path.c_str(), r.error.message().c_str());
    return bool(r);
}

// The preview picture from the chosen surface: 256 x 256 intensity bytes with the
// save-preview frame (image 569, intensity and alpha) blended over it.
bool TakePreview(std::vector<uint8_t>& out)
{
    IDirectDrawSurface7* surface =
        SaveManager.usePreviewSurface ? SaveManager.previewSurface : UiSlots[CurrentUiSlot & 1];
    if (!surface)
        return false;
    DDSURFACEDESC2 desc;
    if (surface->GetSurfaceDesc(&desc) != DD_OK)
        return false;
    const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
    const int32_t format = SurfaceFormatToImageFormat(int32_t(pf.dwRGBBitCount), pf.dwRBitMask, pf.dwGBitMask,
                                                      pf.dwBBitMask, pf.dwRGBAlphaBitMask);
    if (!format || desc.dwWidth == 0 || desc.dwHeight == 0)
        return false;
    imgImage image(int(desc.dwWidth), int(desc.dwHeight), format);
    if (image.empty())
        return false;
    DDSURFACEDESC2 locked;
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
        return false;
    const size_t rowBytes = size_t(desc.dwWidth) * (pf.dwRGBBitCount / 8);
    for (uint32_t y = 0; y < desc.dwHeight; ++y)
        std::memcpy(image.pixels + y * rowBytes,
                    static_cast<const uint8_t*>(locked.lpSurface) + ptrdiff_t(y) * locked.lPitch, rowBytes);
    surface->Unlock(nullptr);

    image.resize(kPreviewSize, kPreviewSize, 1);
    image.convertTo(FMT_I_8, 7);
    image.flipX();
    image.flipY();
    if (image.empty() || image.width != kPreviewSize || image.height != kPreviewSize)
        return false;
    out.assign(image.pixels, image.pixels + kPreviewSize * kPreviewSize);
    if (const imgImage* frame = GameResourceImage())
        if (frame->width == kPreviewSize && frame->height == kPreviewSize && frame->pixels)
            for (size_t i = 0; i < out.size(); ++i) {
                const float a = float(frame->pixels[2 * i + 1]) / 255.0f;
                out[i] = uint8_t((1.0f - a) * float(out[i]) + float(frame->pixels[2 * i]) * a);
            }
    return true;
}

// A count of records of at least `recordBytes` each that the rest of the body can hold.
bool CountFits(const CChunkReader& body, uint32_t count, size_t recordBytes)
{
    return body.Ok() && size_t(count) <= body.Remaining() / recordBytes;
}

// One "OPTS" or "COND" chunk read in place; the body reader stays bounded by it.
bool NextTagged(CChunkReader& body, uint32_t id, CChunkReader& inner)
{
    if (body.PeekId() != id)
        return false;
    SChunkHeader header;
    return body.NextChunk(header, inner, kMaxSaveChunk) == CHUNK_OK;
}

bool WriteInstance(CChunkWriter& w, const ObjectInstance& r)
{
    CObjectLogic* logic = r.object ? r.object->objectLogic : nullptr;
    const CKindData* data = logic ? logic->EffectiveKindData() : nullptr;
    if (!data)
        return false;
    std::unique_ptr<CKindState> fallback;
    const CKindState* conditions = logic->EffectiveConditions();
    if (!conditions) {
        fallback = CKindState::Create(data->kind);
        conditions = fallback.get();
    }
    if (!conditions)
        return false;
    w.WriteI32(r.id);
    w.WriteI32(InstanceObjectType(r.object));
    if (!WriteOptsChunk(*data, w) || !WriteCondChunk(*conditions, w))
        return false;
    w.WriteU32(uint32_t(r.active) | uint32_t(r.held) << 8);
    for (int i = 0; i < 3; ++i) {
        w.WriteU32(std::bit_cast<uint32_t>(r.otherFactors[i]));
        w.WriteI32(r.otherMembers[i] ? RecorderIdOf(r.otherMembers[i]) : 0);
    }
    return w.Ok();
}

bool ReadInstance(CChunkReader& body)
{
    const int32_t owner = body.ReadI32();
    CObjectNode* definition = ItemFromTableIndex(body.ReadI32());
    if (!body.Ok() || !definition) {
        LogPrintf("Saved game: an instance names no object definition");
        return false;
    }
    CChunkReader opts, cond;
    if (!NextTagged(body, kOpts, opts) || !NextTagged(body, kCond, cond)) {
        LogPrintf("Saved game: an instance lacks its \"OPTS\" or \"COND\" chunk");
        return false;
    }
    CreateObjectInstance(definition, nullptr);
    ObjectInstance& r = ObjectInstances.back();
    CObjectLogic* logic = r.object ? r.object->objectLogic : nullptr;
    if (!logic)
        return false;
    if (!logic->ownKindData) {
        const CKindData* shared = logic->EffectiveKindData();
        if (!shared || !(logic->ownKindData = CKindData::Create(shared->kind)))
            return false;
    }
    if (!ReadOptsChunk(*logic->ownKindData, opts, logic))
        return false;
    if (!logic->ownConditions)
        logic->ownConditions = CKindState::Create(logic->ownKindData->kind);
    if (!logic->ownConditions || !ReadCondChunk(*logic->ownConditions, cond))
        return false;
    logic->instance = 1;
    logic->Init(nullptr);
    r.id = owner;
    const uint32_t wordA = body.ReadU32();
    r.active = uint8_t(wordA & 0xFF);
    r.held = uint8_t((wordA >> 8) & 0xFF);
    for (int i = 0; i < 3; ++i) {
        r.otherFactors[i] = std::bit_cast<float>(body.ReadU32());
        r.otherMembers[i] = ObjectOfRecorderId(body.ReadI32());
    }
    return body.Ok();
}

// Loads a whole file into memory; false (and a log line) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::error_code error;
    if (platform::ReadFile(path, bytes, &error))
        return true;
    LogPrintf("Reading '%s' failed: %s", path.c_str(), error.message().c_str());
    return false;
}

std::string PlansFolderOf(const std::string& file)
{
    std::string name = file;
    const size_t slash = name.find_last_of('\\');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos)
        name = name.substr(0, dot);
    return SaveManager.savegameFolder + "\\" + name + "_plans";
}

// A fresh folder beside `target` holding copies of the plans in `source` (none
// when source is empty or missing); empty on failure, nothing left behind.
std::filesystem::path CopyPlansBeside(const std::string& source, const std::string& target)
{
    namespace fs = std::filesystem;
    fs::path fresh = platform::ResolvePath(target);
    fresh += ".new";
    std::error_code ec;
    fs::remove_all(fresh, ec);
    if (!fs::create_directories(fresh, ec)) {
        LogPrintf("Creating '%s' failed: %s", fresh.string().c_str(), ec.message().c_str());
        return {};
    }
    if (!source.empty() && !CopyPlanFiles(source, fresh.string())) {
        fs::remove_all(fresh, ec);
        return {};
    }
    return fresh;
}

bool SwapInFolder(const std::filesystem::path& fresh, const std::string& target)
{
    std::error_code ec;
    if (platform::ReplaceFolder(fresh, platform::ResolvePath(target), ec))
        return true;
    LogPrintf("Replacing '%s' failed: %s", target.c_str(), ec.message().c_str());
    std::filesystem::remove_all(fresh, ec);
    return false;
}

} // namespace

CWorldObject* ObjectOfRecorderId(int32_t id)
{
    if (uint32_t(id) == kSpecialObjectId)
        return g_SpecialObject;
    return ObjectFromTableIndex(id);
}

void CreateSaveFolders(const char* base)
{
    SaveManager.savegameFolder = std::string(base ? base : "") + "\\Savegame";
    SaveManager.plansFolder = SaveManager.savegameFolder + "\\CurrentPlans";
    for (const std::string* folder : {&SaveManager.savegameFolder, &SaveManager.plansFolder})
        if (platform::Access(*folder, 0) != 0)
            platform::CreateDirectory(*folder);
    SaveManager.usePreviewSurface = 0;
}

std::string FormatSaveCaption(const std::string& title, int day, int month, int year, int hour, int minute)
{
    const std::string shown = title.empty() ? std::string(GetDisplayText("MENU_OP_NOTITLE")) : title;
    char date[64];
    std::snprintf(date, sizeof date, "\n(%02d/%02d/%4d  %02d:%02d)", day, month, year, hour, minute);
    return shown + date;
}

std::string FormatSaveCaptionNow(const std::string& title)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FormatSaveCaption(title, local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                             local.tm_min);
}

std::string SavePath(const std::string& file)
{
    if (file.find('\\') != std::string::npos)
        return file;
    return SaveManager.savegameFolder + "\\" + file;
}

bool SaveGameWithTitle(const std::string& file, const std::string& title, bool usePreviewSurface)
{
    SaveManager.usePreviewSurface = usePreviewSurface ? 1 : 0;
    const std::string path = SavePath(file);
    const std::string caption = FormatSaveCaptionNow(title);
    LogPrintf("Saving Game...");
    std::vector<uint8_t> bytes;
    if (!BuildGameFile(caption, bytes)) {
        LogPrintf("Saving '%s' failed: a chunk could not be written", path.c_str());
        return false;
    }
    // The plans go into a fresh folder first; the game file and the folder are
    // replaced only when both are complete.
    const std::string plans = PlansFolderOf(file);
    const std::filesystem::path fresh = CopyPlansBeside(SaveManager.plansFolder, plans);
    if (fresh.empty())
        return false;
    if (!WriteAtomically(path, bytes)) {
        std::error_code ec;
        std::filesystem::remove_all(fresh, ec);
        return false;
    }
    if (!SwapInFolder(fresh, plans))
        return false;
    LogPrintf("finished.");
    return true;
}

bool BuildGameFile(const std::string& caption, std::vector<uint8_t>& bytes)
{
    CChunkWriter w;
    w.Reserve(size_t(1) << 16);
    bool ok = w.WriteId(kGame) && w.WriteU32(0) && WriteSaveInfo(w, caption) && WriteGameHead(w);
    ok = ok && WriteObjectStates(g_WorldRoot, w);
    ok = ok && WriteCameraChunk(w) && EndsFile(w) && w.Ok();
    if (ok)
        bytes = w.Data();
    return ok;
}

bool SaveGame(const std::string& path, const std::string& caption)
{
    LogPrintf("Saving Game...");
    std::vector<uint8_t> bytes;
    if (!BuildGameFile(caption, bytes) || !WriteAtomically(path, bytes))
        return false;
    LogPrintf("finished.");
    return true;
}

bool LoadGameWithPlans(const std::string& path)
{
    if (!LoadGame(path, false))
        return false;
    return RestorePlansFromSave(path);
}

bool LoadGame(const std::string& path, bool headOnly)
{
    ResetGame();
    LogPrintf("Loading Game...");
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    if (!LoadGameFromMemory(bytes.data(), bytes.size(), headOnly)) {
        LogPrintf("Loading '%s' failed", path.c_str());
        return false;
    }
    return true;
}

bool LoadGameFromMemory(const uint8_t* data, size_t size, bool headOnly)
{
    CChunkReader file(data, size);
    if (file.ReadId() != kGame || !file.Ok()) {
        LogPrintf("Saved game: the file does not begin with \"GAME\"");
        return false;
    }
    file.ReadU32();
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        const EChunkResult r = file.NextChunk(header, body, kMaxSaveChunk);
        if (r == CHUNK_OK && header.id == kEof)
            break;
        if (r != CHUNK_OK) {
            LogPrintf("Saved game: %s at offset %zu", ChunkResultText(r), file.Offset());
            return false;
        }
        bool ok = true;
        if (header.id == kHead) {
            ok = ReadGameHead(body, headOnly);
        } else if (header.id == kObj) {
            ok = RestoreObjectState(body);
        } else if (header.id == kCam) {
            ReadCameraChunk(body);
        }
        if (!ok) {
            LogPrintf("Saved game: chunk \"%s\" at offset %zu is damaged", ChunkIdText(header.id).c_str(),
                      header.offset);
            return false;
        }
    }
    LogPrintf("finished.");
    CdMusic.Stop();
    OptionsFirstStart = 0;
    return true;
}

bool ReadSaveInfo(const std::string& path, std::string& caption, CTexture** preview)
{
    LogPrintf("Reading Info...");
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    CChunkReader file(bytes.data(), bytes.size());
    file.Skip(8);
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        if (file.NextChunk(header, body, kMaxSaveChunk) != CHUNK_OK)
            return false;
        if (header.id == kEof)
            break;
        if (header.id != kInfo)
            continue;
        std::vector<uint8_t> picture;
        if (!ParseSaveInfo(body, caption, preview ? &picture : nullptr))
            return false;
        if (preview && !picture.empty()) {
            imgImage image(kPreviewSize, kPreviewSize, FMT_I_8);
            if (!image.empty()) {
                std::memcpy(image.pixels, picture.data(), picture.size());
                auto* texture = new CTexture();
                if (texture->CreateFromImage(image, false))
                    *preview = texture;
                else
                    delete texture;
            }
        }
    }
    LogPrintf("finished.");
    return true;
}

bool HasSavedGames()
{
    return !platform::FindFiles(SaveManager.savegameFolder + "\\game*.gam").empty();
}

bool StorePlansWithSave(const std::string& file)
{
    const std::string plans = PlansFolderOf(file);
    const std::filesystem::path fresh = CopyPlansBeside(SaveManager.plansFolder, plans);
    return !fresh.empty() && SwapInFolder(fresh, plans);
}

bool RestorePlansFromSave(const std::string& path)
{
    const std::string kept = PlansFolderOf(path);
    const bool haveKept = platform::Access(kept, 0) == 0;
    const std::filesystem::path fresh =
        CopyPlansBeside(haveKept ? kept : std::string(), SaveManager.plansFolder);
    return !fresh.empty() && SwapInFolder(fresh, SaveManager.plansFolder);
}

bool CopyPlanFiles(const std::string& from, const std::string& to)
{
    bool ok = true;
    for (const std::string& name : platform::FindFiles(from + "\\*.pln")) {
        if (!platform::CopyFile(from + "\\" + name, to + "\\" + name, false)) {
            LogPrintf("Copying '%s' failed", name.c_str());
            ok = false;
        }
    }
    return ok;
}

bool DeletePlanFiles(const std::string& folder)
{
    bool ok = true;
    for (const std::string& name : platform::FindFiles(folder + "\\*.pln"))
        ok = platform::DeleteFile(folder + "\\" + name) && ok;
    return ok;
}

bool DeleteCurrentPlans()
{
    return DeletePlanFiles(SaveManager.plansFolder);
}

bool WriteSaveInfo(CChunkWriter& w, const std::string& caption)
{
    if (!w.BeginChunk(kInfo, 1) || !w.WriteString(caption.c_str()))
        return false;
    std::vector<uint8_t> picture;
    if (TakePreview(picture)) {
        if (!w.WriteId(kPrev) || !w.WriteBytes(picture.data(), picture.size()))
            return false;
    } else if (!w.WriteU32(0)) {
        return false;
    }
    return w.EndChunk();
}

bool ParseSaveInfo(CChunkReader& body, std::string& caption, std::vector<uint8_t>* preview)
{
    body.ReadU32();
    const char* text = body.ReadPaddedString();
    if (!body.Ok()) {
        LogPrintf("Saved game: the caption has no end");
        return false;
    }
    caption = text;
    if (body.ReadId() == kPrev && preview) {
        const uint8_t* bytes = body.Take(size_t(kPreviewSize) * kPreviewSize);
        if (bytes)
            preview->assign(bytes, bytes + size_t(kPreviewSize) * kPreviewSize);
    }
    return true;
}

bool WriteGameHead(CChunkWriter& w)
{
    bool ok = w.BeginChunk(kHead, kHeadVersion) && w.WriteI32(GameClock.gameClock) && w.WriteI32(Cash) &&
              w.WriteI32(BurglaryLevel);
    for (int32_t i = 0; ok && i < LevelCount; ++i)
        ok = w.WriteBool(LevelFlags[i] != 0);
    ok = ok && w.WriteU32(uint32_t(KnownPeople.size()));
    for (size_t i = 0; ok && i < KnownPeople.size(); ++i)
        ok = w.WriteI32(RecorderIdOf(KnownPeople[i]));
    ok = ok && w.WriteU32(uint32_t(Possessions.size()));
    for (size_t i = 0; ok && i < Possessions.size(); ++i)
        ok = w.WriteI32(Possessions[i] ? int32_t(Possessions[i]->index) : 0);
    ok = ok && w.WriteU32(uint32_t(ObjectInstances.size())) && w.WriteI32(NextInstanceId);
    for (size_t i = 0; ok && i < ObjectInstances.size(); ++i)
        ok = WriteInstance(w, ObjectInstances[i]);
    return ok && w.EndChunk();
}

bool ReadGameHead(CChunkReader& body, bool headOnly)
{
    const uint32_t version = body.ReadU32();
    if (version < 3 || !body.Ok())
        return false;
    GameClock.gameClock = body.ReadI32();
    Cash = body.ReadI32();
    SetBurglaryLevel(body.ReadI32());
    const int32_t flags = version >= 4 ? LevelCount : 4;
    for (int32_t i = 0; i < flags; ++i) {
        const bool burgled = body.ReadBool();
        if (i < LevelCount)
            LevelFlags[i] = burgled ? 1 : 0;
    }

    KnownPeople.clear();
    const uint32_t people = body.ReadU32();
    if (!CountFits(body, people, 4))
        return false;
    for (uint32_t i = 0; i < people; ++i) {
        CWorldObject* person = ObjectOfRecorderId(body.ReadI32());
        if (!person) {
            LogPrintf("Saved game: a known person names no object");
            return false;
        }
        KnownPeople.push_back(person);
    }

    Possessions.clear();
    const uint32_t owned = body.ReadU32();
    if (!CountFits(body, owned, 4))
        return false;
    for (uint32_t i = 0; i < owned; ++i) {
        CObjectNode* definition = ItemFromTableIndex(body.ReadI32());
        if (!definition) {
            LogPrintf("Saved game: a possession names no object definition");
            return false;
        }
        Possessions.push_back(definition);
    }
    if (headOnly)
        return body.Ok();

    ClearObjectInstances();
    const uint32_t instances = body.ReadU32();
    const int32_t nextOwner = body.ReadI32();
    // An instance record is at least its words and two empty chunks.
    if (!CountFits(body, instances, 4 * 2 + 16 * 2 + 4 * 7))
        return false;
    for (uint32_t i = 0; i < instances; ++i)
        if (!ReadInstance(body))
            return false;
    NextInstanceId = nextOwner;
    return body.Ok();
}

bool WriteCameraChunk(CChunkWriter& w)
{
    const CGameCamera& c = GameCamera;
    return w.BeginChunk(kCam, 1) && w.WriteVector(c.actualEye) && w.WriteVector(c.lookAt) &&
           w.WriteVector(c.lookAt - c.actualEye) && w.WriteVector(c.actualEye - c.lookAt) &&
           w.WriteF32(c.distance) && w.EndChunk();
}

bool ReadCameraChunk(CChunkReader& body)
{
    if (body.ReadU32() < 1 || body.Remaining() < 13 * 4)
        return false;
    CGameCamera& c = GameCamera;
    const CVector eye = body.ReadVector();
    const CVector lookAt = body.ReadVector();
    const CVector direction = body.ReadVector();
    const CVector offset = body.ReadVector();
    const float zoom = body.ReadF32();
    c.eye = c.actualEye = c.desiredEye = eye;
    c.lookAt = lookAt;
    c.direction = direction;
    c.orbitOffset = offset;
    c.distance = zoom;
    return body.Ok();
}

int32_t SurfaceFormatToImageFormat(int32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    if (bits == 16) {
        if (r == 0xF800 && g == 0x07E0 && b == 0x001F && a == 0)
            return FMT_RGB_565;
        if (r == 0x7C00 && g == 0x03E0 && b == 0x001F && (a == 0 || a == 0x8000))
            return FMT_ARGB_1555;
        if (r == 0x0F00 && g == 0x00F0 && b == 0x000F && a == 0xF000)
            return FMT_ARGB_4444;
    } else if (bits == 32) {
        if (r == 0xFF0000 && g == 0xFF00 && b == 0xFF && (a == 0 || a == 0xFF000000u))
            return FMT_ARGB_8888;
        if (r == 0xFF && g == 0xFF00 && b == 0xFF0000 && a == 0)
            return FMT_BGRA_8888;
        if (r == 0xFF00 && g == 0xFF0000 && b == 0xFF000000u && a == 0xFF)
            return FMT_BGRA_8888;
    }
    return 0;
}
