#include "GAMES/Rulo2/world/WorldHelpers.h"

#include "platform/win/Window.h"

SRecord64 RecordList64::TakeAt(size_t index)
{
    if (index >= records.size())
        return SRecord64();
    const SRecord64 taken = records[index];
    records.erase(records.begin() + long(index));
    return taken;
}

void RecordArray48::SetSize(size_t n)
{
    if (n == 0) {
        records.clear();
        records.shrink_to_fit();
        return;
    }
    std::vector<SRecord48> fresh(n);
    for (size_t i = 0; i < n && i < records.size(); ++i)
        fresh[i] = records[i];
    records.swap(fresh);
}

void ReleaseTextList(sList<sString>& list)
{
    list.release();
}

static bool s_cursorShown = true;

int ShowMouseCursor(bool show)
{
    if (show == s_cursorShown)
        return s_cursorShown ? 1 : 0;
    s_cursorShown = show;
    return platform::ShowCursor(show);
}

bool IsMouseCursorShown()
{
    return s_cursorShown;
}
