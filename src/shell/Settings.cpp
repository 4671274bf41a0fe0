// Settings.cpp: the registry readers and writers of the settings key, and LoadSettings /
// SaveSettings over the settings table. Blocks from the readers are AllocOrQuit's and are freed
// here or by the caller as Settings.h says; every key opened here is closed before returning.
#include "shell/Settings.h"

#include "navigation/Navigation.h"
#include "resources/ResourceIds.h"
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

const WCHAR* const DeviceKeyPath = u"software\\Tellgrove";

namespace {

// Where the settings are in their run: values are written only between a finished load and the
// first save.
enum SettingsStage { StageNotLoaded, StageLoading, StageLoaded, StageSaved };
SettingsStage Stage = StageNotLoaded;

HKEY OpenForReading(const WCHAR* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, SettingsReadAccess, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

int WriteValue(const WCHAR* name, DWORD type, const void* bytes, DWORD count) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        SettingsWriteAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    const LONG result = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), count);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 1 : 0;
}

// The value's bytes in a new block with `padding` zero bytes after them, or null.
uint8_t* ReadBytes(const WCHAR* path, const WCHAR* name, DWORD padding, DWORD* count) {
    HKEY key = OpenForReading(path);
    if (!key) return nullptr;
    DWORD size = 0;
    uint8_t* block = nullptr;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        block = static_cast<uint8_t*>(AllocOrQuit(size_t(size) + padding));
        DWORD got = size;
        if (block && RegQueryValueExW(key, name, nullptr, nullptr, block, &got) != ERROR_SUCCESS) {
            std::free(block);
            block = nullptr;
        }
        if (block) {
            std::memset(block + got, 0, size_t(size - got) + padding);
            size = got;
        }
    }
    RegCloseKey(key);
    if (block && count) *count = size;
    return block;
}

bool IsSplitCode(DWORD code) {
    return code == DWORD(SplitNone) || code == DWORD(SplitHalf) || code == DWORD(SplitThird) ||
           code == DWORD(SplitQuarter) || code == DWORD(SplitTwoThirds) || code == DWORD(SplitThreeQuarters);
}

DWORD GetNumberField(const SettingRow& row) {
    if (row.FieldBytes == sizeof(uint16_t)) return *static_cast<const uint16_t*>(row.Field);
    return *static_cast<const uint32_t*>(row.Field);
}

void SetNumberField(const SettingRow& row, DWORD value) {
    if (row.FieldBytes == sizeof(uint16_t))
        *static_cast<uint16_t*>(row.Field) = uint16_t(value);
    else
        *static_cast<uint32_t*>(row.Field) = value;
}

void LoadText(const SettingRow& row) {
    WCHAR* text = ReadString(row.Name);
    if (text && text[0]) {
        WCHAR* field = static_cast<WCHAR*>(row.Field);
        const size_t units = row.FieldBytes / sizeof(WCHAR);
        size_t i = 0;
        for (; i + 1 < units && text[i]; ++i)
            field[i] = text[i];
        field[i] = 0;
    }
    std::free(text);
}

void LoadNumber(const SettingRow& row) {
    DWORD value = ReadDword(SettingsKeyPath, row.Name, row.Default);
    if (row.Check == CheckArticle && value > DWORD(LastArticleNumber)) {
        // A lesson past the last article has no text: start at the first one, at its top.
        value = FirstArticleNumber;
        ReaderState.LastPosition = 0;
    }
    if (row.Check == CheckSplitCode && !IsSplitCode(value)) value = row.Default; // never a 0 denominator
    SetNumberField(row, value);
}

void SaveRow(const SettingRow& row) {
    switch (row.Kind) {
    case SettingText: {
        const WCHAR* text = static_cast<const WCHAR*>(row.Field);
        if (text[0]) WriteString(row.Name, text);
        return;
    }
    case SettingAnsi: {
        const char* text = static_cast<const char*>(row.Field);
        if (text[0]) WriteAnsi(row.Name, text);
        return;
    }
    case SettingNumber:
        break;
    }
    switch (row.Write) {
    case WriteWhenSet:
        if (GetNumberField(row) != 0) WriteDword(row.Name, GetNumberField(row));
        return;
    case WriteAlways:
        WriteDword(row.Name, GetNumberField(row));
        return;
    case WriteTopPaneLine:
        if (ReaderState.TopPane) WriteDword(row.Name, ReaderState.TopPane->TopLine);
        return;
    case WriteBottomPaneLine:
        if (PaneState.BottomPane) WriteDword(row.Name, PaneState.BottomPane->TopLine);
        return;
    }
}

void DeleteTreeBitmaps() {
    for (HBITMAP& bitmap : ReaderState.TreeBitmaps) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

void DestroyPanes() {
    // No pane may be reached through the records once freed: the acting pane goes with them.
    PaneState.ActivePane = nullptr;
    DestroyPane(ReaderState.TopPane, 1);
    ReaderState.TopPane = nullptr;
    DestroyPane(PaneState.BottomPane, 1);
    PaneState.BottomPane = nullptr;
}

} // namespace

DWORD ReadDword(const WCHAR* keyPath, const WCHAR* name, DWORD dflt) {
    HKEY key = OpenForReading(keyPath);
    if (!key) return dflt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return dflt;
    }
    if (type == REG_DWORD) {
        DWORD value = 0, got = sizeof value;
        const LONG result =
            RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &got);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? value : dflt;
    }
    RegCloseKey(key);
    DWORD count = 0;
    // Twice the byte size, as a text of any width fits; the zero padding ends it.
    uint8_t* block = ReadBytes(keyPath, name, size + sizeof(WCHAR), &count);
    if (!block) return dflt;
    DWORD value = 0;
    for (DWORD i = 0; i + 1 < count + sizeof(WCHAR); i += sizeof(WCHAR)) {
        const WCHAR unit = WCHAR(block[i] | block[i + 1] << 8);
        if (unit == 0) break;
        value = value * 10 + (DWORD(unit) - 48); // unsigned: wraps, as the stored text may be anything
    }
    std::free(block);
    return value;
}

WCHAR* ReadString(const WCHAR* name) {
    DWORD count = 0;
    // The terminator is added whatever the stored bytes hold; the units are read in place.
    uint8_t* block = ReadBytes(SettingsKeyPath, name, sizeof(WCHAR) * 2, &count);
    if (!block) return nullptr;
    const DWORD units = count / sizeof(WCHAR) + 1;
    WCHAR* text = static_cast<WCHAR*>(AllocOrQuit(units * sizeof(WCHAR)));
    if (text) {
        for (DWORD i = 0; i + 1 < units; ++i)
            text[i] = WCHAR(block[2 * i] | block[2 * i + 1] << 8);
        text[units - 1] = 0;
    }
    std::free(block);
    return text;
}

void* ReadBinary(const WCHAR* name, void* fallback, DWORD* byteCount) {
    DWORD count = 0;
    uint8_t* block = ReadBytes(SettingsKeyPath, name, 0, &count);
    if (!block) return fallback;
    if (byteCount) *byteCount = count;
    return block;
}

void ReadAnsi(const WCHAR* name, char* buffer, size_t capacity) {
    DWORD count = 0;
    uint8_t* block = ReadBytes(SettingsKeyPath, name, 0, &count);
    if (!block) return;
    if (count > 0 && block[0] != 0 && capacity > 0) {
        size_t n = 0;
        while (n < count && n + 1 < capacity && block[n] != 0) {
            buffer[n] = char(block[n]);
            ++n;
        }
        buffer[n] = 0;
    }
    std::free(block);
}

int WriteDword(const WCHAR* name, DWORD value) {
    return WriteValue(name, REG_DWORD, &value, sizeof value);
}

int WriteString(const WCHAR* name, const WCHAR* text) {
    size_t length = 0;
    while (text[length])
        ++length;
    return WriteValue(name, REG_SZ, text, DWORD((length + 1) * sizeof(WCHAR)));
}

int WriteAnsi(const WCHAR* name, const char* text) {
    return WriteValue(name, REG_BINARY, text, DWORD(std::strlen(text) + 1));
}

int WriteBinary(const WCHAR* name, const void* bytes, DWORD count) {
    return WriteValue(name, REG_BINARY, bytes, count);
}

void ReadDeviceFlags(size_t first, size_t count) {
    for (size_t i = first; i < first + count && i < DeviceFlagsTableCount; ++i) {
        const DeviceFlagRow& row = DeviceFlagsTable[i];
        *row.Field = int32_t(ReadDword(DeviceKeyPath, row.Name, DWORD(row.Default)));
    }
}

void LoadSettings() {
    Stage = StageLoading;
    WCHAR path[ModulePathCapacity] = {};
    if (GetModuleFileNameW(nullptr, path, ModulePathCapacity) > 0 && path[0]) WriteString(ProgramPathValue, path);
    for (size_t i = 0; i < SettingsTableCount; ++i) {
        const SettingRow& row = SettingsTable[i];
        if (row.Kind == SettingText)
            LoadText(row);
        else if (row.Kind == SettingAnsi)
            ReadAnsi(row.Name, static_cast<char*>(row.Field), row.FieldBytes);
        else
            LoadNumber(row);
    }
    static const WORD treeBitmapIds[TreeBitmapCount] = {IDB_TREE_CLOSED, IDB_TREE_OPEN, IDB_TREE_LEAF};
    for (int i = 0; i < TreeBitmapCount; ++i)
        ReaderState.TreeBitmaps[i] = LoadBitmapW(ReaderState.Instance, MAKEINTRESOURCEW(treeBitmapIds[i]));
    std::free(ReaderState.Bookmarks); // null at start; a list from an earlier load is not kept
    ReaderState.Bookmarks = nullptr;
    LoadBookmarks();
    // A failure inside the load already ran SaveSettings: that run stays the last.
    if (Stage == StageLoading) Stage = StageLoaded;
}

void SaveSettings() {
    const bool write = Stage == StageLoaded;
    Stage = StageSaved;
    DeleteTreeBitmaps();
    if (write) {
        for (size_t i = 0; i < SettingsTableCount; ++i)
            SaveRow(SettingsTable[i]);
    }
    DestroyPanes();
    if (write) SaveBookmarks();
    std::free(ReaderState.Bookmarks);
    ReaderState.Bookmarks = nullptr;
    ReaderState.BookmarkCount = 0;
    PostQuitMessage(0);
}

void ResetSettingsStage() {
    Stage = StageNotLoaded;
}

void* AllocOrQuit(size_t size) {
    void* block = std::malloc(size > 0 ? size : 1);
    if (block) return block;
    MessageBoxW(nullptr, OutOfMemoryMessage, OutOfMemoryCaption, MB_OK | MB_ICONSTOP);
    SaveSettings();
    return nullptr;
}
