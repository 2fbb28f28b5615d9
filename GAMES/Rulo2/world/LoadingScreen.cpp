#include "GAMES/Rulo2/world/LoadingScreen.h"

#include <ctime>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "platform/win/Window.h"

static void DefaultPump()
{
    platform::PumpOneMessage();
}

// The coarse clock: read before every chunk of a load, where a precise reading
// costs more than parsing a small chunk, while pictures change by the second.
static int64_t DefaultClock()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
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

static void DrawLoadingScreenAt(int picture, int placement, int64_t elapsed)
{
    if (picture != s_shownPicture) {
        if (LoadingScreenHooks.release)
            LoadingScreenHooks.release();
        if (LoadingScreenHooks.load)
            LoadingScreenHooks.load(picture);
        s_shownPicture = picture;
    }
    if (s_drawnOnce && elapsed - s_lastDraw < 100)
        return;
    s_drawnOnce = true;
    s_lastDraw = elapsed;
    const float fraction = s_file && s_total ? float(double(s_file->Offset()) / double(s_total)) : 0.0f;
    if (LoadingScreenHooks.draw)
        LoadingScreenHooks.draw(picture, placement, fraction);
}

void DrawLoadingScreen(int picture, int placement)
{
    DrawLoadingScreenAt(picture, placement, Now() - s_start);
}

void UpdateLoadingScreen()
{
    if (GameModeFlag) {
        const int64_t elapsed = Now() - s_start;
        DrawLoadingScreenAt(LoadingPictureFor(elapsed), 20, elapsed);
    }
    if (LoadingScreenHooks.pumpMessage)
        LoadingScreenHooks.pumpMessage();
}
