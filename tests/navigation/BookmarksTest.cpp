// The bookmark list: its stored bytes after adding, removing the last and a Cancel answer; the
// question and its three answers; repairs of stored values the program never writes.
#include "NavigationTestSupport.h"

namespace {

std::vector<uint8_t> StoredBookmarks() {
    HKEY key = nullptr;
    std::vector<uint8_t> bytes;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return bytes;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, BookmarksValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        RegQueryValueExW(key, BookmarksValue, nullptr, &type, bytes.data(), &size);
        EXPECT_EQ(type, REG_BINARY);
    }
    RegCloseKey(key);
    return bytes;
}

std::vector<uint16_t> List() {
    std::vector<uint16_t> lessons;
    for (const uint16_t* p = ReaderState.Bookmarks; p && *p; ++p)
        lessons.push_back(*p);
    EXPECT_EQ(lessons.size(), ReaderState.BookmarkCount);
    return lessons;
}

void LoadStored(const std::vector<uint8_t>& bytes) {
    WriteBinary(BookmarksValue, bytes.data(), DWORD(bytes.size()));
    LoadBookmarks();
}

using Bookmarks = NavigationTest;

TEST_F(Bookmarks, StoredBytesAfterAddingAndRemovingTheLast) {
    SaveBookmarks();
    EXPECT_EQ(StoredBookmarks(), (std::vector<uint8_t>{0, 0})); // no list at all
    ReaderState.Lesson = 0x0111;
    AddBookmark();
    AddBookmark(); // not twice
    SaveBookmarks();
    EXPECT_EQ(StoredBookmarks(), (std::vector<uint8_t>{0x11, 0x01, 0, 0}));
    ReaderState.Lesson = 7;
    AddBookmark();
    EXPECT_EQ(List(), (std::vector<uint16_t>{0x0111, 7}));
    RemoveBookmark();
    ReaderState.Lesson = 0x0111;
    EXPECT_EQ(IsBookmarked(), 1);
    RemoveBookmark();
    EXPECT_EQ(IsBookmarked(), 0);
    ASSERT_NE(ReaderState.Bookmarks, nullptr); // the emptied list stays, holding only its 0
    SaveBookmarks();
    EXPECT_EQ(StoredBookmarks(), (std::vector<uint8_t>{0, 0}));
}

TEST_F(Bookmarks, RemovingAsksAndEachAnswerActs) {
    ReaderState.MainWindow = reinterpret_cast<HWND>(0x1234);
    ReaderState.Lesson = 9;
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(List(), (std::vector<uint16_t>{9}));
    EXPECT_TRUE(PlatformMessageBoxLog().empty()); // adding never asks

    PlatformSetMessageBoxAnswer(IDNO);
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(List(), (std::vector<uint16_t>{9}));
    ASSERT_EQ(PlatformMessageBoxLog().size(), 1u);
    const PlatformMessageBoxCall& box = PlatformMessageBoxLog()[0];
    EXPECT_EQ(box.Owner, ReaderState.MainWindow);
    EXPECT_EQ(box.Text, u"Remove Bookmark?\n\nCancel - Don't ask again");
    EXPECT_EQ(box.Caption, u"Bookmark");
    EXPECT_EQ(box.Style, 3u);

    PlatformSetMessageBoxAnswer(IDYES);
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(IsBookmarked(), 0);

    ToggleBookmark(IsBookmarked());
    PlatformSetMessageBoxAnswer(IDCANCEL);
    ToggleBookmark(IsBookmarked()); // removes, and stops the asking
    EXPECT_EQ(IsBookmarked(), 0);
    EXPECT_EQ(ReaderState.BookmarkFlags & BookmarkFlagNoAsk, BookmarkFlagNoAsk);
    SaveBookmarks();
    EXPECT_EQ(StoredBookmarks(), (std::vector<uint8_t>{0, 0}));
    const size_t asked = PlatformMessageBoxLog().size();
    ToggleBookmark(IsBookmarked());
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(IsBookmarked(), 0);
    EXPECT_EQ(PlatformMessageBoxLog().size(), asked);
}

TEST_F(Bookmarks, StoredValuesAreRepairedWithoutDroppingALesson) {
    LoadStored({5, 0, 7, 0, 0, 0});
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 7})); // the program's own form
    LoadStored({5, 0, 7, 0});
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 7})); // no 0 entry: the last lesson is kept
    LoadStored({5, 0, 0, 0, 9, 0, 0, 0});
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 9})); // a 0 inside
    LoadStored({5, 0, 9, 0, 5, 0, 0, 0});
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 9})); // a lesson twice
    LoadStored({5, 0, 9});
    EXPECT_EQ(List(), (std::vector<uint16_t>{5})); // an odd last byte
    LoadStored({});
    ASSERT_NE(ReaderState.Bookmarks, nullptr);
    EXPECT_EQ(List(), (std::vector<uint16_t>{}));
    ReaderState.Lesson = 3;
    AddBookmark();
    EXPECT_EQ(List(), (std::vector<uint16_t>{3}));
}

TEST_F(Bookmarks, MissingValueGivesNoList) {
    LoadBookmarks();
    EXPECT_EQ(ReaderState.Bookmarks, nullptr);
    EXPECT_EQ(ReaderState.BookmarkCount, 0);
    EXPECT_EQ(IsBookmarked(), 0);
    RemoveBookmark(); // nothing to remove from
    ReaderState.Lesson = 0;
    AddBookmark(); // 0 ends the list and is never a bookmark
    EXPECT_EQ(ReaderState.Bookmarks, nullptr);
}

} // namespace
