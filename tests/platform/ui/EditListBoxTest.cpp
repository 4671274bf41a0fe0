// The EDIT and LISTBOX controls against Win32's results: selection and replacement messages, the
// limit and undo, keys and typed text, notifications to the parent, the right-aligned field's
// pixels, the clipboard, multi-line wrapping; list order, searches, selection by message, tap and keys, a
// long list.
#include "UiTestSupport.h"

#include "platform/controls/EditModel.h"

namespace {

constexpr int EditId = 7;
constexpr int ListId = 8;

std::u16string TextOf(HWND window) {
    WCHAR buffer[256] = {};
    int n = GetWindowTextW(window, buffer, 256);
    EXPECT_EQ(n, GetWindowTextLengthW(window));
    return std::u16string(buffer, size_t(n));
}

std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 99, end = 99;
    LRESULT packed =
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(LOWORD(packed), start);
    EXPECT_EQ(HIWORD(packed), end);
    return {start, end};
}

using Sel = std::pair<DWORD, DWORD>;

std::u16string ItemText(HWND list, int index) {
    WCHAR buffer[128] = {};
    LRESULT n = SendMessageW(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(n, SendMessageW(list, LB_GETTEXTLEN, WPARAM(index), 0));
    return std::u16string(buffer, n > 0 ? size_t(n) : 0);
}

} // namespace

using Edit = UiTest;
using ListBox = UiTest;

TEST_F(Edit, SelectionReplacementLimitAndUndo) {
    HWND edit = UiMakeChild(Parent, WC_EDITW, u"hello world", WS_BORDER, 10, 10, 200, 24, EditId);
    EXPECT_EQ(TextOf(edit), u"hello world");
    SendMessageW(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(edit), Sel(0, 11));
    SendMessageW(edit, EM_SETSEL, 6, 8);
    EXPECT_EQ(Selection(edit), Sel(6, 8));
    SendMessageW(edit, EM_SETSEL, WPARAM(-1), 0); // deselects; the caret stays
    EXPECT_EQ(Selection(edit), Sel(8, 8));
    SendMessageW(edit, EM_SETSEL, 9, 3); // either order; the caret goes to the second
    EXPECT_EQ(Selection(edit), Sel(3, 9));
    SendMessageW(edit, EM_SETSEL, 50, 60); // past the end: the end
    EXPECT_EQ(Selection(edit), Sel(11, 11));

    UiLog().clear();
    SendMessageW(edit, EM_LIMITTEXT, 33, 0);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 33);
    SendMessageW(edit, EM_SETSEL, 0, 5);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"HELLO"));
    EXPECT_EQ(TextOf(edit), u"HELLO world");
    EXPECT_EQ(Selection(edit), Sel(5, 5));
    EXPECT_EQ(UiCommandCodes(EditId), std::vector<WORD>{EN_CHANGE});
    SendMessageW(edit, EM_SETSEL, WPARAM(-1), -1);
    SendMessageW(edit, EM_SETSEL, 11, 11);
    UiLog().clear();
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u" and a text that is far too long"));
    EXPECT_EQ(GetWindowTextLengthW(edit), 33);
    EXPECT_EQ(TextOf(edit), u"HELLO world and a text that is fa");
    EXPECT_EQ(UiCommandCodes(EditId), (std::vector<WORD>{EN_CHANGE, EN_MAXTEXT}));

    EXPECT_TRUE(SendMessageW(edit, EM_CANUNDO, 0, 0));
    EXPECT_TRUE(SendMessageW(edit, EM_UNDO, 0, 0));
    EXPECT_EQ(TextOf(edit), u"HELLO world");
    EXPECT_TRUE(SendMessageW(edit, EM_UNDO, 0, 0)); // undo swaps back
    EXPECT_EQ(TextOf(edit), u"HELLO world and a text that is fa");

    // WM_SETTEXT is not held to the limit, empties the undo and agrees with GetWindowTextW.
    SetWindowTextW(edit, u"a longer text than the thirty-three units");
    EXPECT_EQ(TextOf(edit), u"a longer text than the thirty-three units");
    WCHAR buffer[8];
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(buffer)), 7);
    EXPECT_EQ(std::u16string(buffer), u"a longe");
    EXPECT_FALSE(SendMessageW(edit, EM_CANUNDO, 0, 0));
    DestroyWindow(edit);
}

TEST_F(Edit, KeysTypingAndNotifications) {
    HWND edit = UiMakeChild(Parent, WC_EDITW, u"", WS_BORDER | WS_TABSTOP, 10, 10, 200, 24, EditId);
    SetFocus(edit);
    SendMessageW(edit, EM_LIMITTEXT, 6, 0);
    UiLog().clear();
    UiQueueText("abcd");
    UiPump();
    EXPECT_EQ(TextOf(edit), u"abcd");
    EXPECT_EQ(UiCommandCodes(EditId), std::vector<WORD>(4, EN_CHANGE));
    UiPress(VK_HOME);
    EXPECT_EQ(Selection(edit), Sel(0, 0));
    UiPress(VK_RIGHT, VK_SHIFT);
    UiPress(VK_RIGHT, VK_SHIFT);
    EXPECT_EQ(Selection(edit), Sel(0, 2));
    UiPress(VK_DELETE);
    EXPECT_EQ(TextOf(edit), u"cd");
    UiPress(VK_END);
    UiPress(VK_LEFT, VK_SHIFT);
    EXPECT_EQ(Selection(edit), Sel(1, 2));
    UiPress(VK_LEFT); // collapses to the selection's start
    EXPECT_EQ(Selection(edit), Sel(1, 1));
    UiPress(VK_BACK);
    EXPECT_EQ(TextOf(edit), u"d");
    UiPress(VK_END);
    UiPress(VK_HOME, VK_SHIFT);
    EXPECT_EQ(Selection(edit), Sel(0, 1));
    UiQueueText("\xD7\x90\xD7\x91"); // Hebrew letters replace the selection, kept in stored order
    UiPump();
    EXPECT_EQ(TextOf(edit), u"\u05D0\u05D1");

    UiLog().clear();
    UiQueueText("12345"); // only four fit: the rest is refused with EN_MAXTEXT
    UiPump();
    EXPECT_EQ(TextOf(edit), u"\u05D0\u05D11234");
    std::vector<WORD> codes = UiCommandCodes(EditId);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_CHANGE), 4);
    EXPECT_EQ(codes.back(), EN_MAXTEXT);
    DestroyWindow(edit);
}

TEST_F(Edit, ClipboardCopyCutAndPaste) {
    HWND edit = UiMakeChild(Parent, WC_EDITW, u"copy me", WS_BORDER, 10, 10, 200, 24, EditId);
    SendMessageW(edit, EM_SETSEL, 0, 4);
    SendMessageW(edit, WM_CUT, 0, 0);
    EXPECT_EQ(TextOf(edit), u" me");
    SendMessageW(edit, EM_SETSEL, 3, 3);
    SendMessageW(edit, WM_PASTE, 0, 0);
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(edit), u" mecopycopy");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::u16string(static_cast<const WCHAR*>(LocalLock(block))), u"copy");
    LocalUnlock(block);
    CloseClipboard();
    DestroyWindow(edit);
}

TEST_F(Edit, RightAlignedFieldKeepsItsTextAgainstTheRightEdge) {
    HWND edit = UiMakeChild(Parent, WC_EDITW, u"\u05E9\u05DC\u05D5\u05DD", ES_RIGHT, 0, 0, 200, 24, EditId);
    UpdateWindow(edit);
    HDC dc = GetDC(edit);
    PlatformPixels px{};
    ASSERT_TRUE(PlatformGetDCPixels(dc, &px));
    // The drawn columns (any pixel darker than the background) lie in the right part only.
    int first = -1, last = -1;
    RECT client;
    GetClientRect(edit, &client);
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    ScreenToClient(Parent, &origin);
    for (int x = 0; x < client.right; ++x)
        for (int y = 0; y < client.bottom; ++y) {
            uint32_t c = px.Pixels[size_t(origin.y + y) * size_t(px.Stride) + size_t(origin.x + x)];
            if ((c & 0xFF) < 0x80) {
                if (first < 0) first = x;
                last = x;
            }
        }
    ReleaseDC(edit, dc);
    ASSERT_GE(first, 0);
    EXPECT_GT(first, 100);
    EXPECT_GE(last, client.right - 10);
    DestroyWindow(edit);
}

// Wrapping with every unit 10 pixels wide: after the last space that fits, a space that does not
// fit hangs, a word longer than the line is cut at the edge, a surrogate pair stays whole, and a
// hard line break always starts a row.
TEST(EditWrap, BreaksAtSpacesAndCutsLongWordsAtTheEdge) {
    auto rows = [](const std::u16string& text, int width) {
        EditModel m;
        m.Multiline = true;
        m.Text = text;
        std::vector<std::pair<std::u16string, size_t>> shown;
        for (const EditRow& r : EditRows(m, width, [](size_t start, size_t end) {
                 std::vector<int> offsets;
                 for (size_t i = start; i <= end; ++i)
                     offsets.push_back(int(i - start) * 10);
                 return offsets;
             }))
            shown.emplace_back(text.substr(r.Start, r.End - r.Start), r.Next);
        return shown;
    };
    using Rows = std::vector<std::pair<std::u16string, size_t>>;
    EXPECT_EQ(rows(u"ab cd ef", 55), (Rows{{u"ab cd", 6}, {u"ef", 8}}));
    EXPECT_EQ(rows(u"abcde fg", 50), (Rows{{u"abcde", 6}, {u"fg", 8}})); // the space hangs
    EXPECT_EQ(rows(u"abcdefghij", 35), (Rows{{u"abc", 3}, {u"def", 6}, {u"ghi", 9}, {u"j", 10}}));
    EXPECT_EQ(rows(u"ab cdefghij", 45), (Rows{{u"ab", 3}, {u"cdef", 7}, {u"ghij", 11}}));
    EXPECT_EQ(rows(u"ab\U0001F600cd", 30), (Rows{{u"ab", 2}, {u"\U0001F600c", 5}, {u"d", 6}}));
    EXPECT_EQ(rows(u"abc", 5), (Rows{{u"a", 1}, {u"b", 2}, {u"c", 3}})); // a character a row at least
    EXPECT_EQ(rows(u"abcd\r\nef\n", 25), (Rows{{u"ab", 2}, {u"cd", 6}, {u"ef", 9}, {u"", 9}}));
    EXPECT_EQ(rows(u"abcd\r\nef", 0), (Rows{{u"abcd", 6}, {u"ef", 8}})); // no width: hard lines only
    std::vector<EditRow> cut{{0, 3, 3}, {3, 6, 6}, {6, 7, 7}};
    EXPECT_EQ(EditRowOf(cut, 3), 1u); // the position between two cut halves starts the next row
    EXPECT_EQ(EditRowOf(cut, 7), 2u);
}

// A multi-line edit without ES_AUTOHSCROLL shows a word wider than itself on several lines (as the
// font dialog's sample of the alphabet); with ES_AUTOHSCROLL it keeps one line. Home, End and the
// arrows move along the drawn lines.
TEST_F(Edit, MultiLineWrapsAWordWiderThanTheLine) {
    const std::u16string alphabet = u"\u05D0\u05D1\u05D2\u05D3\u05D4\u05D5\u05D6\u05D7\u05D8\u05D9"
                                    u"\u05DB\u05DC\u05DE\u05E0\u05E1\u05E2\u05E4\u05E6\u05E7\u05E8";
    HWND edit = UiMakeChild(Parent, WC_EDITW, alphabet.c_str(), ES_MULTILINE | ES_RIGHT | WS_BORDER, 0, 0,
                            100, 80, EditId);
    HWND scrolled = UiMakeChild(Parent, WC_EDITW, alphabet.c_str(), ES_MULTILINE | ES_AUTOHSCROLL, 0, 100,
                                100, 80, EditId + 1);
    LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    EXPECT_GE(lines, 2);
    EXPECT_EQ(SendMessageW(scrolled, EM_GETLINECOUNT, 0, 0), 1);

    // Ink on the second line's band, and nothing drawn past the right border.
    UpdateWindow(edit);
    HDC dc = GetDC(edit);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int inked = 0;
    for (int y = 1 + tm.tmHeight; y < 1 + 2 * tm.tmHeight; ++y)
        for (int x = 1; x < 99; ++x)
            inked += GetRValue(GetPixel(dc, x, y)) < 0x80;
    ReleaseDC(edit, dc);
    EXPECT_GT(inked, 20);

    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    UiPress(VK_END); // stays on the first line: a character short of where the word is cut
    DWORD firstEnd = Selection(edit).first;
    EXPECT_GT(firstEnd, 0u);
    EXPECT_LT(firstEnd, alphabet.size());
    UiPress(VK_HOME);
    EXPECT_EQ(Selection(edit), Sel(0, 0));
    UiPress(VK_DOWN);
    UiPress(VK_HOME);
    EXPECT_EQ(Selection(edit), Sel(firstEnd + 1, firstEnd + 1)); // the cut word's rest starts the line
    UiPress(VK_UP);
    UiPress(VK_END);
    EXPECT_EQ(Selection(edit), Sel(firstEnd, firstEnd));
    DestroyWindow(edit);
    DestroyWindow(scrolled);
}

TEST_F(ListBox, SortedOrderSearchesAndReset) {
    HWND list = UiMakeChild(Parent, WC_LISTBOXW, nullptr, LBS_SORT | LBS_NOTIFY | WS_BORDER, 10, 10, 200, 150,
                            ListId);
    for (const WCHAR* name : {u"DejaVu Sans", u"David CLM", u"aharoni", u"Miriam", u"Frank Ruehl", u"david"})
        EXPECT_GE(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(ItemText(list, 0), u"aharoni");
    EXPECT_TRUE(ItemText(list, 1) == u"david" || ItemText(list, 1) == u"David CLM");
    EXPECT_EQ(ItemText(list, 3), u"DejaVu Sans");
    EXPECT_EQ(ItemText(list, 4), u"Frank Ruehl");
    EXPECT_EQ(ItemText(list, 5), u"Miriam");
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 9, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);

    // Prefix without case, after the start index, wrapping; selects it without notifying.
    UiLog().clear();
    EXPECT_EQ(SendMessageW(list, LB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(u"DA")), 1);
    EXPECT_EQ(SendMessageW(list, LB_SELECTSTRING, 1, reinterpret_cast<LPARAM>(u"da")), 2);
    EXPECT_EQ(SendMessageW(list, LB_SELECTSTRING, 2, reinterpret_cast<LPARAM>(u"da")), 1);
    EXPECT_EQ(SendMessageW(list, LB_SELECTSTRING, 4, reinterpret_cast<LPARAM>(u"AH")), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(u"zz")), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0); // a failed search keeps the selection
    EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 5, 0), 5);
    EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 6, 0), LB_ERR);
    EXPECT_TRUE(UiCommandCodes(ListId).empty());

    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
    DestroyWindow(list);
}

TEST_F(ListBox, TapsKeysAndTypeAheadNotify) {
    HWND list = UiMakeChild(Parent, WC_LISTBOXW, nullptr, LBS_NOTIFY | WS_BORDER, 10, 10, 200, 100, ListId);
    for (const WCHAR* name : {u"one", u"two", u"three", u"four", u"five", u"six", u"seven", u"eight", u"nine",
                              u"ten", u"eleven", u"twelve"})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)); // unsorted: in order given
    EXPECT_EQ(ItemText(list, 2), u"three");
    int itemHeight = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(itemHeight, 0);
    UiLog().clear();
    UiTap(list, 20, itemHeight * 2 + itemHeight / 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(UiCommandCodes(ListId), (std::vector<WORD>{LBN_SETFOCUS, LBN_SELCHANGE}));
    EXPECT_EQ(GetFocus(), list);

    UiLog().clear();
    auto after = [&](UINT vk) {
        UiPress(vk);
        return SendMessageW(list, LB_GETCURSEL, 0, 0);
    };
    EXPECT_EQ(after(VK_DOWN), 3);
    EXPECT_EQ(after(VK_UP), 2);
    EXPECT_EQ(after(VK_END), 11);
    EXPECT_EQ(after(VK_DOWN), 11); // at the end: stays, no notification
    EXPECT_EQ(after(VK_HOME), 0);
    LRESULT paged = after(VK_NEXT);
    EXPECT_GT(paged, 1);
    EXPECT_LT(paged, 11);
    EXPECT_EQ(after(VK_PRIOR), 0);
    EXPECT_EQ(UiCommandCodes(ListId).size(), 6u);
    EXPECT_LE(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);

    UiQueueText("t"); // type-ahead: the next item starting with the letter, wrapping
    UiPump();
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    UiQueueText("t");
    UiPump();
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    UiQueueText("E");
    UiPump();
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 7);
    EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0); // scrolled into view
    DestroyWindow(list);
}

TEST_F(ListBox, FiveThousandEntriesScroll) {
    HWND list = UiMakeChild(Parent, WC_LISTBOXW, nullptr, LBS_SORT | WS_BORDER | WS_VSCROLL, 10, 10, 200, 200,
                            ListId);
    for (int i = 4999; i >= 0; --i) {
        std::string name = "item " + std::to_string(100000 + i);
        std::u16string wide(name.begin(), name.end());
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 5000);
    EXPECT_EQ(ItemText(list, 0), u"item 100000");
    EXPECT_EQ(ItemText(list, 4999), u"item 104999");
    SetFocus(list);
    UiPress(VK_END);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 4999);
    LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    EXPECT_GT(top, 4950);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
    EXPECT_EQ(si.nPos, top);
    SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
    SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 2500), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 2500);
    EXPECT_EQ(SendMessageW(list, LB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(u"item 1033")), 3300);
    DestroyWindow(list);
}
