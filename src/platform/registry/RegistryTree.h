// RegistryTree.h: the registry in memory. The root holds one key per hive (HKEY_CURRENT_USER and any
// other root a file names, kept so that rewriting the file loses nothing); each key owns its
// sub-keys and values. Names keep their spelling and compare without case (ASCII letters), and
// both maps iterate in that order, which is the order the file is written in. Changed marks the
// values this process set or deleted since its last save: those win when the file is merged back.
#pragma once

#include "platform/Win32Types.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Windows' own limits: a tree 512 keys deep, and values of at most 1 MB in the standard format.
constexpr size_t RegMaxDepth = 512;
constexpr size_t RegMaxValueBytes = 1024 * 1024;

struct RegNameLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const;
};

struct RegValue {
    DWORD Type = 0;
    std::vector<BYTE> Data;
};

struct RegKey {
    std::map<std::u16string, std::unique_ptr<RegKey>, RegNameLess> SubKeys;
    std::map<std::u16string, RegValue, RegNameLess> Values; // "" is the default value
    std::map<std::u16string, bool, RegNameLess> Changed;    // value name: set (true) or deleted
};

bool RegNamesEqual(std::u16string_view a, std::u16string_view b);
// A name the file can hold: no line break, no zero unit, no unpaired surrogate.
bool RegNameIsStorable(std::u16string_view name);
// The sub-key named name of key, created when missing (*created says so); null when out of memory.
RegKey* RegFindOrAddSubKey(RegKey* key, std::u16string_view name, bool* created);
RegKey* RegFindSubKey(const RegKey* key, std::u16string_view name);
// Sets a value, keeping the spelling of a name already stored.
void RegSetValue(RegKey* key, std::u16string_view name, DWORD type, const BYTE* data, size_t size);
// Erase a value or a whole sub-key; false when there was none.
bool RegEraseValue(RegKey* key, std::u16string_view name);
bool RegEraseSubKey(RegKey* key, std::u16string_view name);
// Brings into mine what file holds for every value mine did not change: such a value takes the
// file's type and bytes, or goes when the file lacks it; keys only the file has are added. Keys are
// never removed, so pointers into mine stay valid.
void RegMergeUnchanged(RegKey* mine, const RegKey& file);
// Forgets every change mark below key, once the changes are in the file.
void RegForgetChanges(RegKey* key);
// Same names (spelling included), types, bytes and shape.
bool RegTreesEqual(const RegKey& a, const RegKey& b);
