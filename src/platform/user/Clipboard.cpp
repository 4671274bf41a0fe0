// Clipboard.cpp: the clipboard API over the process-wide record of ClipboardState.h, and the table of
// registered format names. The record owns every block it holds; a block set by a caller passes to it
// at SetClipboardData and is freed by EmptyClipboard or by the next block of the same format. While
// another program holds the system clipboard, the record's blocks are copies of that program's data,
// read on demand while the clipboard is open (ClipboardSystem.cpp).
#include "platform/Win32Clipboard.h"
#include "platform/Win32System.h"
#include "platform/Win32Text.h"

#include "platform/user/ClipboardState.h"

#include <algorithm>

namespace {

// Registered names are at most this long, as atom names are.
constexpr size_t LongestFormatName = 255;
constexpr UINT LastRegisteredFormat = 0xFFFF;

bool RefuseUnlessOpen() {
    if (Clipboard().Open) return false;
    SetLastError(DWORD(ERROR_CLIPBOARD_NOT_OPEN));
    return true;
}

// A format worth asking another program's clipboard for.
bool IsKnownFormat(UINT format) {
    return format == CF_UNICODETEXT || ClipboardFormatName(format) != nullptr;
}

// While the clipboard is open on another program's contents: reads format into Held unless it is
// there already. Returns the entry, or null when that program has no such data.
ClipboardHeld* FetchForeign(UINT format) {
    if (ClipboardHeld* held = ClipboardFindHeld(format)) return held;
    if (!IsKnownFormat(format)) return nullptr;
    MemoryBlock* block = ClipboardSystemRead(format);
    if (block == nullptr) return nullptr;
    ClipboardHold(format, block);
    return ClipboardFindHeld(format);
}

void FetchEveryForeignFormat() {
    ClipboardState& c = Clipboard();
    if (!c.Foreign || c.ForeignListed) return;
    for (UINT format : ClipboardKnownFormats())
        FetchForeign(format);
    c.ForeignListed = true;
}

// Formats of another program's clipboard, asked without keeping their data (clipboard closed).
int CountForeignFormats() {
    int count = 0;
    for (UINT format : ClipboardKnownFormats()) {
        MemoryBlock* block = ClipboardSystemRead(format);
        if (block != nullptr) ++count;
        MemoryRelease(block);
    }
    return count;
}

} // namespace

ClipboardState& Clipboard() {
    static ClipboardState* state = new ClipboardState(); // never destroyed: blocks outlive statics
    return *state;
}

const std::u16string* ClipboardFormatName(UINT format) {
    const std::vector<std::u16string>& names = Clipboard().Names;
    if (format < ClipboardRegisteredFirst || format - ClipboardRegisteredFirst >= names.size())
        return nullptr;
    return &names[format - ClipboardRegisteredFirst];
}

ClipboardHeld* ClipboardFindHeld(UINT format) {
    for (ClipboardHeld& held : Clipboard().Held)
        if (held.Format == format) return &held;
    return nullptr;
}

void ClipboardHold(UINT format, MemoryBlock* block) {
    block->HeldByClipboard = true;
    if (ClipboardHeld* held = ClipboardFindHeld(format)) {
        if (held->Block == block) return;
        held->Block->HeldByClipboard = false;
        MemoryRelease(held->Block);
        held->Block = block;
        return;
    }
    Clipboard().Held.push_back(ClipboardHeld{format, block});
}

void ClipboardDropHeld() {
    ClipboardState& c = Clipboard();
    for (ClipboardHeld& held : c.Held) {
        held.Block->HeldByClipboard = false;
        MemoryRelease(held.Block);
    }
    c.Held.clear();
    c.ForeignListed = false;
}

BOOL OpenClipboard(HWND owner) {
    ClipboardState& c = Clipboard();
    if (c.Open) {
        if (c.OpenedBy == owner) return TRUE;
        SetLastError(DWORD(ERROR_ACCESS_DENIED));
        return FALSE;
    }
    c.Open = true;
    c.OpenedBy = owner;
    c.Changed = false;
    // Another program took the system clipboard: what we held is no longer the clipboard's.
    if (ClipboardSystemIsForeign()) {
        ClipboardDropHeld();
        c.Foreign = true;
    } else {
        c.Foreign = false;
    }
    return TRUE;
}

BOOL CloseClipboard() {
    if (RefuseUnlessOpen()) return FALSE;
    ClipboardState& c = Clipboard();
    if (c.Changed) ClipboardSystemPublish();
    c.Open = false;
    c.OpenedBy = nullptr;
    c.Changed = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    if (RefuseUnlessOpen()) return FALSE;
    ClipboardState& c = Clipboard();
    ClipboardDropHeld();
    c.Owner = c.OpenedBy;
    c.Foreign = false;
    c.Changed = true;
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE mem) {
    if (RefuseUnlessOpen()) return nullptr;
    bool unregistered = format >= ClipboardRegisteredFirst && ClipboardFormatName(format) == nullptr;
    if (format == 0 || unregistered || mem == nullptr) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    MemoryBlock* block = MemoryFind(mem);
    if (block == nullptr) {
        SetLastError(DWORD(ERROR_INVALID_HANDLE));
        return nullptr;
    }
    ClipboardHeld* same = ClipboardFindHeld(format);
    if (block->HeldByClipboard && (same == nullptr || same->Block != block)) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER)); // one block under two formats would be freed twice
        return nullptr;
    }
    ClipboardState& c = Clipboard();
    ClipboardHold(format, block);
    c.Foreign = false; // our contents from now on, with whatever was read of the other program's
    c.Changed = true;
    return mem;
}

HANDLE GetClipboardData(UINT format) {
    if (RefuseUnlessOpen()) return nullptr;
    ClipboardHeld* held = Clipboard().Foreign ? FetchForeign(format) : ClipboardFindHeld(format);
    return held ? held->Block->Data : nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    ClipboardState& c = Clipboard();
    if (c.Open && c.Foreign) return FetchForeign(format) != nullptr;
    if (!c.Open && ClipboardSystemIsForeign()) {
        if (!IsKnownFormat(format)) return FALSE;
        MemoryBlock* block = ClipboardSystemRead(format);
        MemoryRelease(block);
        return block != nullptr;
    }
    return ClipboardFindHeld(format) != nullptr;
}

UINT EnumClipboardFormats(UINT format) {
    if (RefuseUnlessOpen()) return 0;
    FetchEveryForeignFormat();
    const std::vector<ClipboardHeld>& held = Clipboard().Held;
    size_t next = 0;
    if (format != 0) {
        auto at = std::find_if(held.begin(), held.end(),
                               [&](const ClipboardHeld& h) { return h.Format == format; });
        next = at == held.end() ? held.size() : size_t(at - held.begin()) + 1;
    }
    SetLastError(DWORD(ERROR_SUCCESS));
    return next < held.size() ? held[next].Format : 0;
}

int CountClipboardFormats() {
    ClipboardState& c = Clipboard();
    if (c.Open)
        FetchEveryForeignFormat();
    else if (ClipboardSystemIsForeign())
        return CountForeignFormats();
    return int(c.Held.size());
}

UINT RegisterClipboardFormatW(LPCWSTR name) {
    size_t length = 0;
    while (name != nullptr && name[length] != 0 && length <= LongestFormatName)
        ++length;
    if (length == 0 || length > LongestFormatName) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return 0;
    }
    std::vector<std::u16string>& names = Clipboard().Names;
    for (size_t i = 0; i < names.size(); ++i)
        if (wcsicmp16(names[i].c_str(), name) == 0) return ClipboardRegisteredFirst + UINT(i);
    if (names.size() > LastRegisteredFormat - ClipboardRegisteredFirst) {
        SetLastError(DWORD(ERROR_NOT_ENOUGH_MEMORY));
        return 0;
    }
    names.emplace_back(name, length);
    return ClipboardRegisteredFirst + UINT(names.size() - 1);
}

int GetClipboardFormatNameW(UINT format, LPWSTR name, int maxCount) {
    const std::u16string* known = ClipboardFormatName(format);
    if (known == nullptr || name == nullptr || maxCount <= 0) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return 0;
    }
    size_t n = std::min(known->size(), size_t(maxCount) - 1);
    std::copy_n(known->data(), n, name);
    name[n] = 0;
    return int(n);
}

HWND GetClipboardOwner() {
    return Clipboard().Owner;
}
