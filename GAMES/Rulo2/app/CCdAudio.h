#pragma once
// The background music: the configured track of the CD, looped through the end
// notice the main window receives, its loudness on the CD line.

#include "platform/cdaudio/CdAudio.h"

#include <cstdint>

class CCdAudio
{
public:
    // 0 done, 1 no CD audio device (no track), 2 no CD line volume. Opens the
    // device on the program folder and the CD path; the main window gets the
    // notices.
    int32_t Open(const char* driveOrPath);
    // When the argument is not -1 and the configured track is not current yet:
    // plays it from its start to its end.
    void PlayTrack(int32_t argument);
    // Plays the configured track again when a track was current (the end notice).
    void Replay();
    void StopPlayback();
    int32_t GetTrack() const;
    // 0..100 percent of the CD line; with pause option 2, 0 pauses and coming
    // back from 0 goes on.
    void SetVolume(int32_t percent);
    // At exit: stops, closes and puts the CD line volume back.
    void Stop();

    uint16_t deviceId = 0;
    bool mixer = false;
    uint32_t controlMaximum = 65535;
    uint32_t volumeAtOpen = 0;
    uint32_t lineVolume = 0;
    platform::Window* notifyWindow = nullptr;
    uint32_t openFlags = 0;
    uint8_t pauseOptions = 0;
    uint8_t paused = 0;
    uint32_t savedPositionMs = 0;
    platform::CdAudio device;

private:
    void PlayRange(uint32_t fromMs);
};

extern CCdAudio CdMusic;
// The track that plays, -1 when none.
extern int32_t CurrentTrack;
