#include "GAMES/Rulo2/world/LoadingScreen.h"

#include <chrono>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "platform/win/Window.h"

static void DefaultPump()
{
    platform::PumpOneMessage();
}

static int64_t DefaultClock()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

SLoadingScreenHooks LoadingScreenHooks{DefaultPump, nullptr, nullptr, nullptr, DefaultClock};

namespace {
const CChunkReader* s_file = nullptr;
size_t s_total = 0;
int64_t s_start = 0;
int64_t s_lastDraw = 0;
int s_shownPicture = 0;
bool s_drawnOnce = false;
} // namespace

static int64_t Now()
{
    return LoadingScreenHooks.clock ? LoadingScreenHooks.clock() : DefaultClock();
}

void BeginLoadingScreen(const CChunkReader* file, size_t total)
{
    s_file = file;
    s_total = total;
    s_start = Now();
    s_lastDraw = 0;
    s_drawnOnce = false;
}

void EndLoadingScreen()
{
    if (LoadingScreenHooks.release)
        LoadingScreenHooks.release();
    s_shownPicture = 0;
    s_file = nullptr;
}

int LoadingPictureFor(int64_t e)
{
    if (e > 7000)
        return 598;
    if (e > 6000)
        return 0;
    if (e > 4000)
        return 595;
    if (e > 3000)
        return 0;
    if (e > 1000)
        return 594;
    return 0;
}

void DrawLoadingScreen(int picture, int placement)
{
    if (picture != s_shownPicture) {
        if (LoadingScreenHooks.release)
            LoadingScreenHooks.release();
        if (LoadingScreenHooks.load)
            LoadingScreenHooks.load(picture);
        s_shownPicture = picture;
    }
    const int64_t elapsed = Now() - s_start;
    if (s_drawnOnce && elapsed - s_lastDraw < 100)
        return;
    s_drawnOnce = true;
    s_lastDraw = elapsed;
    const float fraction = s_file && s_total ? float(double(s_file->Offset()) / double(s_total)) : 0.0f;
    if (LoadingScreenHooks.draw)
        LoadingScreenHooks.draw(picture, placement, fraction);
}

void UpdateLoadingScreen()
{
    if (GameModeFlag)
        DrawLoadingScreen(LoadingPictureFor(Now() - s_start), 20);
    if (LoadingScreenHooks.pumpMessage)
        LoadingScreenHooks.pumpMessage();
}
