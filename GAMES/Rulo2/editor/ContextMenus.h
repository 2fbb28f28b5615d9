#pragma once
// Menu resource 186: the context menus of the 3-D view and the tool windows, one
// sub-menu each, found by position or by name.
#include "platform/ui/Ui.h"

#include <memory>

std::unique_ptr<platform::ui::Menu> LoadContextMenus();
