// A sound manager that plays nothing: the named sounds load on demand, and the
// requests stay in the manager for a test to read.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "GAMES/Rulo2/app/CGameSoundManager.h"

struct QuietSounds
{
    CGameSoundManager manager;
    std::vector<std::unique_ptr<CSoundSample>> samples;
    explicit QuietSounds(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            samples.push_back(std::make_unique<CSoundSample>(&manager));
            samples.back()->setup(name, "none.wav", 0, SOUND_ON_DEMAND | 0x08, 1);
        }
        SoundManager = &manager;
    }
    ~QuietSounds() { SoundManager = nullptr; }
    QuietSounds(const QuietSounds&) = delete;
    QuietSounds& operator=(const QuietSounds&) = delete;
    int Count(const char* name) const
    {
        int n = 0;
        for (const SoundRequest& r : manager.requests)
            n += r.sound && r.sound->name == name;
        return n;
    }
};
