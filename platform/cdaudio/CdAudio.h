#pragma once
// The CD audio device as the game uses it: track N is the file music\trackNN.*
// (any format ffmpeg's libraries decode) in the first of the given folders that
// has one. A track plays through the sound output from a position to its end;
// the end of a track posts MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL to the notify
// window, as the CD device does. The CD line's volume is the stream's gain.

#include "platform/sound/Sound.h"
#include "platform/win/Window.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;

class CdAudio
{
public:
    CdAudio();
    ~CdAudio();
    CdAudio(const CdAudio&) = delete;
    CdAudio& operator=(const CdAudio&) = delete;

    // False when none of the folders holds a track file.
    bool Open(const std::vector<std::filesystem::path>& folders);
    void Close();
    bool IsOpen() const { return deviceId_ != 0; }
    uint16_t DeviceId() const { return deviceId_; }
    // The highest track number found.
    int TrackCount() const;
    std::filesystem::path TrackFile(int track) const;
    // Length of a track in milliseconds; 0 when it is missing or unreadable.
    uint32_t TrackLengthMs(int track) const;

    // Plays a track from a position to its end. False when the track cannot be played.
    bool Play(int track, uint32_t fromMs, Window* notify);
    // Stops without a notice; the position stays readable.
    void Stop();
    void Pause();
    void Resume();
    bool IsPlaying();
    int Track() const { return track_; }
    // Position in the current track.
    uint32_t PositionMs();

    // The CD line volume, 0..1.
    void SetVolume(float gain);
    float Volume() const { return volume_; }

private:
    struct Decoder;
    void Run(std::unique_ptr<Decoder> decoder, Window* notify);
    void EndWorker();

    std::vector<std::pair<int, std::filesystem::path>> tracks_;
    uint16_t deviceId_ = 0;
    PcmStream stream_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool paused_ = false;
    int track_ = 0;
    uint32_t fromMs_ = 0;
    std::atomic<uint32_t> stoppedAtMs_{0};
    std::atomic<bool> running_{false}; // a track plays or is paused
    float volume_ = 1.0f;
};

} // namespace platform
