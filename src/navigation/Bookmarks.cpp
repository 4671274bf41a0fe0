// Bookmarks.cpp: the bookmark list of ReaderState (lessons in the order they were added, then a 0
// entry) and its stored form. The list is a malloc block owned by ReaderState; SaveSettings frees it.
#include "navigation/Navigation.h"
#include "shell/Settings.h"

#include <cstdlib>

namespace {

constexpr size_t BookmarkEntryBytes = 2;

uint16_t EntryAt(const uint8_t* bytes, size_t i) {
    return uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
}

bool Holds(const uint16_t* list, size_t count, uint16_t lesson) {
    for (size_t i = 0; i < count; ++i)
        if (list[i] == lesson) return true;
    return false;
}

} // namespace

void LoadBookmarks() {
    DWORD byteCount = 0;
    uint8_t* bytes = static_cast<uint8_t*>(ReadBinary(BookmarksValue, nullptr, &byteCount));
    std::free(ReaderState.Bookmarks);
    ReaderState.Bookmarks = nullptr;
    ReaderState.BookmarkCount = 0;
    if (!bytes) return;
    // The scans stop at the 0 entry, so whatever the value holds the list is rebuilt with one at
    // its end: a 0 inside the value and a lesson seen before are dropped, nothing else is.
    const size_t entries = byteCount / BookmarkEntryBytes;
    const size_t kept = entries < UINT16_MAX ? entries : UINT16_MAX - 1;
    uint16_t* list = static_cast<uint16_t*>(AllocOrQuit((kept + 1) * sizeof(uint16_t)));
    if (list) {
        size_t count = 0;
        for (size_t i = 0; i < entries && count < kept; ++i) {
            const uint16_t lesson = EntryAt(bytes, i);
            if (lesson != 0 && !Holds(list, count, lesson)) list[count++] = lesson;
        }
        list[count] = 0;
        ReaderState.Bookmarks = list;
        ReaderState.BookmarkCount = uint16_t(count);
    }
    std::free(bytes);
}

void SaveBookmarks() {
    const size_t count = ReaderState.Bookmarks ? ReaderState.BookmarkCount : 0;
    const size_t size = (count + 1) * BookmarkEntryBytes;
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size));
    if (!bytes) return; // the stored list stays as it was
    for (size_t i = 0; i < count; ++i) {
        bytes[2 * i] = uint8_t(ReaderState.Bookmarks[i] & 0xFF);
        bytes[2 * i + 1] = uint8_t(ReaderState.Bookmarks[i] >> 8);
    }
    bytes[2 * count] = bytes[2 * count + 1] = 0;
    WriteBinary(BookmarksValue, bytes, DWORD(size));
    std::free(bytes);
}

int IsBookmarked() {
    const uint16_t* list = ReaderState.Bookmarks;
    if (!list) return 0;
    for (; *list != 0; ++list)
        if (*list == ReaderState.Lesson) return 1;
    return 0;
}

void AddBookmark() {
    if (IsBookmarked() || ReaderState.Lesson == 0) return;
    const size_t count = ReaderState.Bookmarks ? ReaderState.BookmarkCount : 0;
    if (count >= UINT16_MAX) return;
    uint16_t* list = static_cast<uint16_t*>(std::malloc((count + 2) * sizeof(uint16_t)));
    if (!list) return; // the list stays as it was
    for (size_t i = 0; i < count; ++i)
        list[i] = ReaderState.Bookmarks[i];
    std::free(ReaderState.Bookmarks);
    list[count] = ReaderState.Lesson;
    list[count + 1] = 0;
    ReaderState.Bookmarks = list;
    ReaderState.BookmarkCount = uint16_t(count + 1);
}

void RemoveBookmark() {
    uint16_t* list = ReaderState.Bookmarks;
    if (!list) return;
    uint16_t* out = list;
    for (const uint16_t* in = list; *in != 0; ++in) {
        if (*in == ReaderState.Lesson)
            --ReaderState.BookmarkCount;
        else
            *out++ = *in;
    }
    *out = 0;
}

void ToggleBookmark(int bookmarked) {
    if (!bookmarked) {
        AddBookmark();
        return;
    }
    if (ReaderState.BookmarkFlags & BookmarkFlagNoAsk) {
        RemoveBookmark();
        return;
    }
    switch (
        MessageBoxW(ReaderState.MainWindow, RemoveBookmarkQuestion, RemoveBookmarkCaption, MB_YESNOCANCEL)) {
    case IDYES:
        RemoveBookmark();
        break;
    case IDCANCEL:
        ReaderState.BookmarkFlags |= BookmarkFlagNoAsk;
        RemoveBookmark();
        break;
    default: // IDNO: the bookmark stays
        break;
    }
}
