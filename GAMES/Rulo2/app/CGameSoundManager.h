#pragma once
// The game's sound manager: every sound is played by name, the names come from
// "data\sounds.txt". Requests are queued, started by the per-frame update, placed
// relative to the listener (the hero or the camera), dropped when they end or
// move out of range, and paused and resumed with the game.

#include "GAMES/Rulo2/app/CSoundManager.h"
#include "LIBS/System/CVector.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CWorldObject;

// One definition line's sound.
class CSoundSample : public CSound
{
public:
    using CSound::CSound;
};

struct SoundRequest
{
    CSoundSample* sound = nullptr;
    CWorldObject* emitter = nullptr; // kept only for sounds in a 3-D mode
    int32_t channel = -1;
    float distance = 5.0f;
    uint8_t pending = 1;
    uint8_t loop = 0;
    uint32_t repeatDelay = 0;
    uint8_t ranged = 0;
    float range = 0.0f;
    float pitch = 1.0f;
    float volume = 1.0f;
    int32_t handle = 0;
};

class CGameSoundManager : public CSoundManager
{
public:
    ~CGameSoundManager() override;

    int32_t play(const char* name, CWorldObject* emitter, uint8_t loop, uint32_t repeatDelay, uint8_t ranged,
                 float range, float pitch, float volume, uint8_t force);
    void update(const CVector& eye, const CVector& target, const CVector& heroPosition);
    bool isPlaying(int32_t handle) const;
    void stop(int32_t handle);
    void stopAll();
    void pauseAll();
    void resumeAll();
    void setPitch(int32_t handle, float factor);
    void setVolume(int32_t handle, float value);

    uint8_t soundOn = 1;
    std::vector<SoundRequest> requests;
    CVector listenerEye{0, 0, 0};
    CVector listenerTarget{0, 0, 0};
    CVector heroPosition{0, 0, 0};
    uint8_t paused = 0;

private:
    void place(SoundRequest& r, float limit);
};

// The one manager; null with NOSOUND, before start-up or after a failed set-up.
extern CGameSoundManager* SoundManager;
// The sounds of the definition file in file order; and per line, the name and the
// file name as written (the editor's sound lists).
extern std::vector<CSoundSample*> SoundList;
extern std::vector<std::string> SoundNames;
extern std::vector<std::string> SoundFiles;
// Handles of accepted requests count from 1.
extern int32_t SoundRequestCounter;

bool CreateSoundManager();
void DestroySoundManager();
bool LoadSoundDefinitions();
// The WAV file of a definition: the installation folder, "\sounds\" and the file field.
std::string SoundFilePath(const std::string& file);
void PauseAllSounds();
void ResumeAllSounds();

float Vec3Length(const CVector& v);
void Vec3SetLength(CVector& v, float length);

// One line of the definition file as the game reads it.
struct SoundDefinition
{
    std::string name;
    std::string file;
    int32_t group = 0;
    uint32_t options = 0;
    int32_t channels = 1;
};
// What reading a definition file reports: each name, each file field as soon as
// it is read, each complete line, and each message for the log.
struct SoundDefinitionSink
{
    std::function<void(const std::string&)> name;
    std::function<void(const std::string&)> file;
    std::function<void(const SoundDefinition&)> define;
    std::function<void(const std::string&)> message;
};
// Reads the text of a definition file as the game does; lines over 1,023
// characters are reported and skipped.
void ParseSoundDefinitions(const std::string& text, const SoundDefinitionSink& sink);
