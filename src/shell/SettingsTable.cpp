// SettingsTable.cpp: the one table of the settings: value name, how it is stored, when it is
// written, the field it fills and its default; and the table of the device flags. LoadSettings,
// SaveSettings and ReadDeviceFlags walk them; no value name or default is written anywhere else.
#include "shell/Settings.h"
#include "store/ArticleText.h"

#define FIELD(record, field) sizeof(record.field), static_cast<void*>(&record.field)

const SettingRow SettingsTable[] = {
    {u"SearchString", SettingAnsi, WriteWhenSet, CheckNone, FIELD(ReaderState, SearchString), 0},
    {u"FontName", SettingText, WriteWhenSet, CheckNone, FIELD(ReaderState, FontSpec.FontFace), 0},
    {u"FontSize", SettingNumber, WriteWhenSet, CheckNone, FIELD(ReaderState, FontSpec.FontSize), 0},
    {u"FontAsciiBase", SettingNumber, WriteWhenSet, CheckNone, FIELD(ReaderState, FontSpec.FontAsciiBase),
     AsciiBaseUnicode},
    {u"LastPosition", SettingNumber, WriteTopPaneLine, CheckNone, FIELD(ReaderState, LastPosition), 0},
    {u"Flags", SettingNumber, WriteAlways, CheckNone, FIELD(ReaderState, Flags), DefaultFlags},
    {u"Lesson", SettingNumber, WriteWhenSet, CheckArticle, FIELD(ReaderState, Lesson), 0},
    {u"BottomSection", SettingNumber, WriteAlways, CheckSplitCode, FIELD(PaneState, BottomSection),
     DefaultBottomSection},
    {u"BottomSectionLastPosition", SettingNumber, WriteBottomPaneLine, CheckNone,
     FIELD(PaneState, BottomSectionLastPosition), 0},
};
const size_t SettingsTableCount = sizeof SettingsTable / sizeof SettingsTable[0];

const DeviceFlagRow DeviceFlagsTable[] = {
    {u"IgnoreActivate", &IgnoreActivate, DefaultIgnoreActivate},
    {u"FullScreen", &FullScreen, DefaultFullScreen},
    {u"AllowSipInHebrewSearch", &AllowSipInHebrewSearch, DefaultAllowSipInHebrewSearch},
    {u"MenuBarOnBottom", &ReaderState.MenuBarOnBottom, DefaultMenuBarOnBottom},
    {u"SurroundingGutter", &ReaderState.SurroundingGutter, DefaultSurroundingGutter},
};
const size_t DeviceFlagsTableCount = sizeof DeviceFlagsTable / sizeof DeviceFlagsTable[0];
