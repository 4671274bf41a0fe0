// RegistryTree.cpp: lookups and changes in the registry tree; each key owns its sub-keys through
// unique_ptr, so erasing a key frees its whole subtree (at most RegMaxDepth deep).
#include "platform/registry/RegistryTree.h"

#include <new>

namespace {

char16_t FoldName(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

} // namespace

bool RegNameLess::operator()(std::u16string_view a, std::u16string_view b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t x = FoldName(a[i]), y = FoldName(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

bool RegNamesEqual(std::u16string_view a, std::u16string_view b) {
    RegNameLess less;
    return !less(a, b) && !less(b, a);
}

bool RegNameIsStorable(std::u16string_view name) {
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c == 0 || c == u'\r' || c == u'\n') return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

RegKey* RegFindSubKey(const RegKey* key, std::u16string_view name) {
    auto it = key->SubKeys.find(name);
    return it == key->SubKeys.end() ? nullptr : it->second.get();
}

RegKey* RegFindOrAddSubKey(RegKey* key, std::u16string_view name, bool* created) {
    *created = false;
    if (RegKey* found = RegFindSubKey(key, name)) return found;
    RegKey* fresh = new (std::nothrow) RegKey();
    if (fresh == nullptr) return nullptr;
    key->SubKeys.emplace(std::u16string(name), std::unique_ptr<RegKey>(fresh));
    *created = true;
    return fresh;
}

void RegSetValue(RegKey* key, std::u16string_view name, DWORD type, const BYTE* data, size_t size) {
    auto it = key->Values.find(name);
    if (it == key->Values.end()) it = key->Values.emplace(std::u16string(name), RegValue()).first;
    it->second.Type = type;
    it->second.Data.assign(data, data + size);
}

bool RegEraseValue(RegKey* key, std::u16string_view name) {
    auto it = key->Values.find(name);
    if (it == key->Values.end()) return false;
    key->Values.erase(it);
    return true;
}

bool RegEraseSubKey(RegKey* key, std::u16string_view name) {
    auto it = key->SubKeys.find(name);
    if (it == key->SubKeys.end()) return false;
    key->SubKeys.erase(it);
    return true;
}

bool RegTreesEqual(const RegKey& a, const RegKey& b) {
    if (a.Values.size() != b.Values.size() || a.SubKeys.size() != b.SubKeys.size()) return false;
    for (auto x = a.Values.begin(), y = b.Values.begin(); x != a.Values.end(); ++x, ++y)
        if (x->first != y->first || x->second.Type != y->second.Type || x->second.Data != y->second.Data)
            return false;
    for (auto x = a.SubKeys.begin(), y = b.SubKeys.begin(); x != a.SubKeys.end(); ++x, ++y)
        if (x->first != y->first || !RegTreesEqual(*x->second, *y->second)) return false;
    return true;
}

void RegMergeUnchanged(RegKey* mine, const RegKey& file) {
    for (auto it = mine->Values.begin(); it != mine->Values.end();) {
        if (mine->Changed.count(it->first) != 0) {
            ++it;
            continue;
        }
        auto theirs = file.Values.find(it->first);
        if (theirs == file.Values.end()) {
            it = mine->Values.erase(it);
            continue;
        }
        it->second = theirs->second;
        ++it;
    }
    for (const auto& [name, value] : file.Values)
        if (mine->Changed.count(name) == 0 && mine->Values.count(name) == 0)
            mine->Values.emplace(name, value);
    static const RegKey empty;
    for (auto& [name, key] : mine->SubKeys) {
        const RegKey* theirs = RegFindSubKey(&file, name);
        RegMergeUnchanged(key.get(), theirs ? *theirs : empty);
    }
    for (const auto& [name, key] : file.SubKeys) {
        bool created = false;
        // Out of memory leaves the key out; the file keeps it until a later save brings it in.
        if (RegKey* mineKey = RegFindOrAddSubKey(mine, name, &created); mineKey && created)
            RegMergeUnchanged(mineKey, *key);
    }
}

void RegForgetChanges(RegKey* key) {
    key->Changed.clear();
    for (auto& [name, sub] : key->SubKeys)
        RegForgetChanges(sub.get());
}
