#pragma once
// Passers-by: characters of kind 6 whose task list starts with "CharacterC
// walk" are taken out of play at game start and, in the REALTIME phase, put
// back one at a time on a random street route from where the hero is; one not
// shown for more than five seconds leaves play again.
#include <cstdint>
#include <vector>

class CWorldObject;

struct DynamicWalker
{
    int32_t state = 0; // 0 walking
    CWorldObject* walker = nullptr;
    int32_t lastTime = 0; // game clock when last shown
};

class CDynamicCharacters
{
public:
    // Finds the candidates among the game's characters (nothing unless enabled).
    void Init(bool enable);
    void Update(int32_t now);
    // A new random route for an active walker from where it stands.
    void NewPath(CWorldObject* character);
    // Empties both lists (auto-save).
    void Clear();
    // Takes every candidate out of play (game reset).
    void RemoveAll();

    std::vector<DynamicWalker> active;
    std::vector<CWorldObject*> candidates;
    int32_t spawnInterval = 0;
    int32_t candidateCount = 0;
    int32_t nextCandidate = 0;
    int32_t lastSpawnTime = 0;

private:
    void AddWalker(int32_t now);
};
extern CDynamicCharacters DynamicCharacters;

// The game step's tick: the passers-by of the one instance move on to `gameClock`.
void UpdateDynamicCharacters(int32_t gameClock);

// The flag bit that takes a world object out of play.
constexpr uint8_t kOutOfPlay = 2;
