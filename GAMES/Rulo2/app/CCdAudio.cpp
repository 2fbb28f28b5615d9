#include "GAMES/Rulo2/app/CCdAudio.h"

#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/WinPath.h"

#include <algorithm>

CCdAudio CdMusic;
int32_t CurrentTrack = -1;

namespace {

constexpr uint8_t PauseAtZero = 0x02;
constexpr uint8_t PauseByStopping = 0x01;

} // namespace

int32_t CCdAudio::Open(const char*)
{
    std::vector<std::filesystem::path> folders{platform::ResolvePath(ProgramFolder)};
    if (CdPath[0])
        folders.push_back(platform::ResolvePath(CdPath));
    if (!device.Open(folders)) {
        LogPrintf("CD audio: no music track in %s\\music%s%s", ProgramFolder, CdPath[0] ? " or " : "",
                  CdPath);
        deviceId = 0;
        return 1;
    }
    deviceId = device.DeviceId();
    mixer = true;
    volumeAtOpen = uint32_t(device.Volume() * float(controlMaximum) + 0.5f);
    lineVolume = volumeAtOpen;
    notifyWindow = MainWindow;
    openFlags = notifyWindow ? 1u : 0u;
    pauseOptions = PauseAtZero | PauseByStopping;
    paused = 0;
    return 0;
}

void CCdAudio::PlayRange(uint32_t fromMs)
{
    if (!deviceId)
        return;
    device.Play(CurrentTrack, fromMs, (openFlags & 1) ? notifyWindow : nullptr);
    if (lineVolume == 0 && (pauseOptions & PauseAtZero)) {
        savedPositionMs = fromMs;
        if (pauseOptions & PauseByStopping)
            device.Stop();
        else
            device.Pause();
        paused = 1;
    }
}

void CCdAudio::PlayTrack(int32_t argument)
{
    if (!deviceId || argument == -1 || CurrentTrack == AudioTrack)
        return;
    CurrentTrack = AudioTrack;
    PlayRange(0);
}

void CCdAudio::Replay()
{
    if (!deviceId || CurrentTrack == -1)
        return;
    CurrentTrack = AudioTrack;
    PlayRange(0);
}

void CCdAudio::StopPlayback()
{
    CurrentTrack = -1;
    if (deviceId)
        device.Stop();
    paused = 0;
}

int32_t CCdAudio::GetTrack() const
{
    return CurrentTrack;
}

void CCdAudio::SetVolume(int32_t percent)
{
    if (!deviceId || !mixer)
        return;
    percent = std::clamp(percent, 0, 100);
    const uint32_t before = lineVolume;
    lineVolume = controlMaximum * uint32_t(percent) / 100;
    device.SetVolume(float(lineVolume) / float(controlMaximum));
    if (!(pauseOptions & PauseAtZero))
        return;
    if (lineVolume == 0 && before != 0 && !paused) {
        if (CurrentTrack != -1) {
            if (pauseOptions & PauseByStopping) {
                savedPositionMs = device.PositionMs();
                device.Stop();
            } else {
                device.Pause();
            }
        }
        paused = 1;
    } else if (lineVolume != 0 && paused) {
        paused = 0;
        if (CurrentTrack != -1) {
            if (pauseOptions & PauseByStopping)
                device.Play(CurrentTrack, savedPositionMs, (openFlags & 1) ? notifyWindow : nullptr);
            else
                device.Resume();
        }
    }
}

void CCdAudio::Stop()
{
    CurrentTrack = -1;
    if (!deviceId)
        return;
    device.Stop();
    device.SetVolume(float(volumeAtOpen) / float(controlMaximum));
    device.Close();
    deviceId = 0;
}
