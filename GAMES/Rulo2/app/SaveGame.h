#pragma once
// Saved games ("GAME" files in the save folder) and plan files ("BURG" files in
// the current plans folder), with the plans a saved game keeps beside it.
//
// Every file is built in memory by the chunk writer and then written in one
// atomic step, so a failed save leaves the previous file as it was.
#include <cstdint>
#include <string>
#include <vector>

class CChunkReader;
class CChunkWriter;
class CObjectNode;
class CTexture;
class CWorldObject;
struct IDirectDrawSurface7;

// Chunk bodies above this fail a game or plan file.
constexpr uint32_t kMaxSaveChunk = 1000000;
// The preview picture of a caption: 256 x 256 intensity bytes.
constexpr int32_t kPreviewSize = 256;

class CSaveManager
{
public:
    IDirectDrawSurface7* previewSurface = nullptr;
    uint8_t usePreviewSurface = 0;
    std::string savegameFolder;
    std::string plansFolder;
};
extern CSaveManager SaveManager;

// Game state the saved game carries beside the world's objects.
extern std::vector<CWorldObject*> KnownPeople;
extern std::vector<CObjectNode*> Possessions;
// Set when the program loads; cleared when a game is loaded (the options screen reads it).
extern uint8_t OptionsFirstStart;
// The plan: its car and the latest clock reached while it was recorded.
extern CObjectNode* PlanCar;
// The chosen car's capacity (its type record's ratio x 100), written with PlanCar.
extern float PlanCarCapacity;
extern int32_t PlanRecordedEndTime;

// "<base>\Savegame" and "<base>\Savegame\CurrentPlans", each made when missing.
void CreateSaveFolders(const char* base);
// "%s\n(%02d/%02d/%4d  %02d:%02d)"; an empty title becomes the text of "MENU_OP_NOTITLE".
std::string FormatSaveCaption(const std::string& title, int day, int month, int year, int hour, int minute);
std::string FormatSaveCaptionNow(const std::string& title);
// A name without '\' lies in the savegame folder.
std::string SavePath(const std::string& file);

bool SaveGameWithTitle(const std::string& file, const std::string& title, bool usePreviewSurface);
bool SaveGame(const std::string& path, const std::string& caption);
// The whole file in memory; false when a chunk could not be written.
bool BuildGameFile(const std::string& caption, std::vector<uint8_t>& bytes);
bool LoadGameWithPlans(const std::string& path);
bool LoadGame(const std::string& path, bool headOnly);
// The game from bytes in memory (the file readers and the fuzz target).
bool LoadGameFromMemory(const uint8_t* data, size_t size, bool headOnly);
bool ReadSaveInfo(const std::string& path, std::string& caption, CTexture** preview);
bool HasSavedGames();

bool StorePlansWithSave(const std::string& file);
bool RestorePlansFromSave(const std::string& path);
bool CopyPlanFiles(const std::string& from, const std::string& to);
bool DeletePlanFiles(const std::string& folder);
bool DeleteCurrentPlans();

bool WriteSaveInfo(CChunkWriter& writer, const std::string& caption);
bool ParseSaveInfo(CChunkReader& body, std::string& caption, std::vector<uint8_t>* preview);
bool WriteGameHead(CChunkWriter& writer);
bool ReadGameHead(CChunkReader& body, bool headOnly);
bool WriteCameraChunk(CChunkWriter& writer);
bool ReadCameraChunk(CChunkReader& body);
// The image format of a surface's pixel format; 0 when not supported.
int32_t SurfaceFormatToImageFormat(int32_t bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha);

// The object a recorder id names: 12345678 the burglary car (the special object),
// else the object table's entry; null for any other number.
CWorldObject* ObjectOfRecorderId(int32_t id);

// Plan files.
enum : int32_t
{
    PLAN_FILE_ERROR = 1,
    PLAN_UNKNOWN_ERROR = 2,
    PLAN_UNKNOWN_PERSON = 4,
    PLAN_UNKNOWN_TOOL = 8,
    PLAN_UNKNOWN_CAR = 16,
    PLAN_PERSON_UNDERCOVER = 32,
};
bool SavePlan(const std::string& path, const std::string& caption);
bool BuildPlanFile(const std::string& caption, std::vector<uint8_t>& bytes);
int32_t LoadPlan(const std::string& path);
int32_t LoadPlanFromMemory(const uint8_t* data, size_t size);
bool HasPlans();
bool WritePlanHead(CChunkWriter& writer);
bool ReadPlanHead(CChunkReader& body);
// The text of "ERROR_LOADING_PLAN", "\n\n" and, for exactly one reason bit, the reason's text.
std::string PlanLoadMessage(int32_t reasons);
