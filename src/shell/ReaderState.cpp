// ReaderState.cpp: the one instance of each process-wide record and their start values.
#include "shell/ReaderState.h"

#include <cstring>

struct ReaderState ReaderState;
struct PaneState PaneState = {nullptr, nullptr, nullptr, nullptr, nullptr, {0, 0, 0, 0}, DefaultBottomSection,
                              0};

const WCHAR* const SettingsKeyPath = u"Software\\Tellgrove\\Kestrova";
int32_t AllowSipInHebrewSearch = DefaultAllowSipInHebrewSearch;
int32_t FullScreen = 0;
int32_t IgnoreActivate = 0;
HWND TaskBarWindow = nullptr;
int32_t LastClientWidth = 0;
int32_t LastClientHeight = 0;

void ResetReaderState() {
    std::memset(&ReaderState, 0, sizeof ReaderState);
    PaneState = {nullptr, nullptr, nullptr, nullptr, nullptr, {0, 0, 0, 0}, DefaultBottomSection, 0};
    AllowSipInHebrewSearch = DefaultAllowSipInHebrewSearch;
    FullScreen = 0;
    IgnoreActivate = 0;
    TaskBarWindow = nullptr;
    LastClientWidth = 0;
    LastClientHeight = 0;
}

TextPane* ActingPane() {
    return PaneState.ActivePane ? PaneState.ActivePane : ReaderState.TopPane;
}
