// ShellBarDock.h: keeps a bar docked to its parent's top or bottom edge as the parent is resized, and
// hands the bar the keys that open its menus (F10, Alt alone, Alt+letter), by subclassing the parent.
// One bar a parent; the subclass is removed when the bar goes.
#pragma once

#include "platform/Win32.h"

void ShellBarDock(HWND bar);
void ShellBarUndock(HWND bar);
// Places the bar along its parent's edge at the parent's current width.
void ShellBarPlace(HWND bar);
