#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "platform/ui/draw/UiDraw.h"

void InstallWindowDrawing()
{
    AppHooks.attachUi = platform::ui::AttachToWindow;
    AppHooks.detachUi = platform::ui::DetachFromWindow;
}
