// Settings.h: the reader's settings in the registry (the value table, the readers and writers, and
// LoadSettings / SaveSettings), and AllocOrQuit, whose failure path saves them and ends the run.
//
// Ownership: ReadString and ReadBinary return blocks from AllocOrQuit that the caller frees with
// free(); every routine closes the key it opened. SaveSettings frees what the records own at the end
// of a run (the tree bitmaps, both panes, the bookmark list) and nulls each pointer it frees, so a
// second run frees nothing twice.
#pragma once

#include "platform/Win32.h"
#include "shell/ReaderState.h"

#include <cstddef>
#include <cstdint>

// Registry access the settings ask for.
constexpr REGSAM SettingsReadAccess = KEY_READ;        // 0x20019
constexpr REGSAM SettingsWriteAccess = KEY_ALL_ACCESS; // 0xF003F
// The maker's key with the device flags; read only.
extern const WCHAR* const DeviceKeyPath; // "software\Tellgrove"
// The module path written at start; at most this many units with the terminator.
constexpr DWORD ModulePathCapacity = 260;

// Value names with no row of their own in the table.
inline constexpr const WCHAR* ProgramPathValue = u"Program Path";
inline constexpr const WCHAR* BookmarksValue = u"Bookmarks";

// How a row is stored and which field it fills.
enum SettingKind : uint8_t {
    SettingText,   // REG_SZ into a WCHAR array of FontFaceCapacity (cut to 31 characters)
    SettingAnsi,   // REG_BINARY 8-bit text with its 0 into a char array of SearchStringCapacity
    SettingNumber, // REG_DWORD (or a text of digits) into a 16- or 32-bit field
};
// When SaveSettings writes a row.
enum SettingWrite : uint8_t {
    WriteWhenSet,        // the field is non-empty / non-zero: an empty field leaves the stored value
    WriteAlways,         //
    WriteTopPaneLine,    // the top pane exists: its first visible line, then the pane is destroyed
    WriteBottomPaneLine, // the bottom pane exists: its first visible line, then the pane is destroyed
};
// What a stored number must be; a value that is not is read as the row's sound choice.
enum SettingCheck : uint8_t {
    CheckNone,
    CheckArticle,   // 0 to LastArticleNumber; above it the first article at line 0
    CheckSplitCode, // one of the six split codes; any other the default split
};
struct SettingRow {
    const WCHAR* Name;
    SettingKind Kind;
    SettingWrite Write;
    SettingCheck Check;
    uint8_t FieldBytes; // 2 or 4 for numbers (the low bits are kept); the array size otherwise
    void* Field;
    uint32_t Default; // numbers only; a missing text leaves the field as it was
};
// The settings, in the order SaveSettings writes them (LoadSettings reads them in the same order:
// the reads have no effect on each other).
extern const SettingRow SettingsTable[];
extern const size_t SettingsTableCount;

// The device flags under DeviceKeyPath, read at start and never written, in the order the entry
// reads them: the first DeviceFlagsBeforeTaskBar before it looks up the task bar, the rest after.
struct DeviceFlagRow {
    const WCHAR* Name;
    int32_t* Field;
    int32_t Default;
};
extern const DeviceFlagRow DeviceFlagsTable[];
extern const size_t DeviceFlagsTableCount;
constexpr size_t DeviceFlagsBeforeTaskBar = 3;
// Reads rows [first, first + count) of the table into their fields (the default when missing).
void ReadDeviceFlags(size_t first, size_t count);

// AllocOrQuit: a new malloc block of size bytes (0 gives a 1-byte block), or null after the message
// "There is not enough memory, aborting" (caption "Error", MB_ICONSTOP) and SaveSettings.
void* AllocOrQuit(size_t size);
inline constexpr const WCHAR* OutOfMemoryMessage = u"There is not enough memory, aborting";
inline constexpr const WCHAR* OutOfMemoryCaption = u"Error";

// The registry routines. All but ReadDword use SettingsKeyPath under HKEY_CURRENT_USER.
// The number stored as REG_DWORD, or read from a text as v = v * 10 + (unit - 48) for every unit
// before the first 0 (no sign, no digit check: "1a" reads as 59); dflt when missing or unreadable.
DWORD ReadDword(const WCHAR* keyPath, const WCHAR* name, DWORD dflt);
WCHAR* ReadString(const WCHAR* name); // always terminated; null when missing
// The value's bytes (count in *byteCount when given), or fallback when missing or unreadable.
void* ReadBinary(const WCHAR* name, void* fallback, DWORD* byteCount);
// 8-bit text into buffer (at most capacity - 1 bytes and a 0); unchanged when the value is missing
// or empty. A value without its 0 is read up to its last byte.
void ReadAnsi(const WCHAR* name, char* buffer, size_t capacity);
int WriteDword(const WCHAR* name, DWORD value); // 1 written, 0 not
int WriteString(const WCHAR* name, const WCHAR* text);
int WriteAnsi(const WCHAR* name, const char* text);
int WriteBinary(const WCHAR* name, const void* bytes, DWORD count);

// Once, before the main window exists: every value into its field, the tree bitmaps, the bookmarks.
// A stored Lesson above the last article gives the first article at line 0; a BottomSection that is
// not one of the six split codes gives the half split.
void LoadSettings();
// On the main window's destroy (and after an allocation failure): writes the settings, frees the
// panes, bitmaps and bookmarks, and posts the quit message. Values are written only by the first run
// after LoadSettings has finished, so a second run (or a run from a failure inside LoadSettings)
// never replaces stored values with emptied fields.
void SaveSettings();
// Not part of the run: forgets whether the settings were loaded or saved (tests start each case
// from here, as the program starts).
void ResetSettingsStage();

