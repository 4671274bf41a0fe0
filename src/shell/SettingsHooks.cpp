// SettingsHooks.cpp: the two platform steps of the settings that wait for the window layer. Each is
// one call once that layer is in; until then the reader has no message loop to end and no module
// path to record, and these do nothing.
#include "shell/Settings.h"

void SettingsPostQuit() {
    // Wired with the window layer: PostQuitMessage(0);
}

DWORD SettingsModulePath(WCHAR* path, DWORD capacity) {
    // Wired with the window layer: return GetModuleFileNameW(nullptr, path, capacity);
    if (capacity > 0) path[0] = 0;
    return 0;
}
