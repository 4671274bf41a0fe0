// The BUTTON and SCROLLBAR controls against Win32's results: check states, automatic radio groups,
// clicks by tap, owner drawing; scroll-bar clamping, the WM_VSCROLL codes of arrows, pages and the
// thumb, auto-repeat on the timer and a window's own bar.
#include "UiTestSupport.h"

#include "platform/user/UiTheme.h"

namespace {

constexpr int BarId = 9;

// The (code, position) pairs of the WM_VSCROLL messages logged, with the control they named. The
// position is kept only for the thumb's codes: for the others Win32 leaves the high word unused.
std::vector<std::pair<WORD, WORD>> ScrollCodes(LPARAM* control = nullptr) {
    std::vector<std::pair<WORD, WORD>> codes;
    for (const UiLogged& l : UiLog())
        if (l.Message == WM_VSCROLL) {
            WORD code = LOWORD(l.WParam);
            codes.emplace_back(code,
                               code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? HIWORD(l.WParam) : 0);
            if (control) *control = l.LParam;
        }
    return codes;
}

using Codes = std::vector<std::pair<WORD, WORD>>;

SCROLLINFO Info(UINT mask, int min, int max, UINT page, int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = mask;
    si.nMin = min;
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    return si;
}

} // namespace

using Button = UiTest;
using ScrollBar = UiTest;

TEST_F(Button, ChecksRadioGroupsAndClicks) {
    HWND check = UiMakeChild(Parent, WC_BUTTONW, u"Check", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 120, 24, 1);
    HWND a = UiMakeChild(Parent, WC_BUTTONW, u"A", BS_AUTORADIOBUTTON | WS_GROUP, 10, 40, 120, 24, 2);
    HWND b = UiMakeChild(Parent, WC_BUTTONW, u"B", BS_AUTORADIOBUTTON, 10, 70, 120, 24, 3);
    HWND c = UiMakeChild(Parent, WC_BUTTONW, u"C", BS_AUTORADIOBUTTON, 10, 100, 120, 24, 4);
    HWND other =
        UiMakeChild(Parent, WC_BUTTONW, u"Other group", BS_AUTORADIOBUTTON | WS_GROUP, 10, 130, 120, 24, 5);
    HWND push = UiMakeChild(Parent, WC_BUTTONW, u"Push", BS_PUSHBUTTON | WS_GROUP, 10, 160, 120, 24, 6);

    SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(check, BM_SETCHECK, BST_INDETERMINATE, 0); // not a three-state box
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    UiTap(check, 5, 5);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    SendMessageW(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
    UiLog().clear();
    UiTap(c, 5, 5);
    EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED); // another group
    EXPECT_EQ(UiCommandCodes(4), std::vector<WORD>{BN_CLICKED});

    // A press that leaves the button before the release is no click.
    UiLog().clear();
    UiQueuePointer(push, BackendEventKind::PointerDown, 5, 5);
    UiQueuePointer(push, BackendEventKind::PointerMove, 5, 100);
    UiQueuePointer(push, BackendEventKind::PointerUp, 5, 100);
    UiPump();
    EXPECT_TRUE(UiCommandCodes(6).empty());
    UiTap(push, 60, 12);
    EXPECT_EQ(UiCommandCodes(6), std::vector<WORD>{BN_CLICKED});
    EXPECT_EQ(UiLog().back().LParam, reinterpret_cast<LPARAM>(push));
    UiLog().clear();
    UiPress(VK_SPACE); // the focused button clicks on Space too
    EXPECT_EQ(UiCommandCodes(6), std::vector<WORD>{BN_CLICKED});
}

TEST_F(Button, OwnerDrawnAsksTheParentToDraw) {
    HWND button = UiMakeChild(Parent, WC_BUTTONW, u"Drawn", BS_OWNERDRAW, 30, 40, 90, 28, 12);
    UpdateWindow(button);
    ASSERT_FALSE(UiLog().empty());
    const UiLogged& drawn = UiLog().back();
    ASSERT_EQ(drawn.Message, UINT(WM_DRAWITEM));
    EXPECT_EQ(drawn.WParam, 12u);
    EXPECT_EQ(drawn.DrawItem.CtlType, ODT_BUTTON);
    EXPECT_EQ(drawn.DrawItem.CtlID, 12u);
    EXPECT_EQ(drawn.DrawItem.itemAction, ODA_DRAWENTIRE);
    EXPECT_EQ(drawn.DrawItem.hwndItem, button);
    EXPECT_NE(drawn.DrawItem.hDC, nullptr);
    RECT expected{0, 0, 90, 28};
    EXPECT_TRUE(EqualRect(&drawn.DrawItem.rcItem, &expected));
    EXPECT_EQ(drawn.DrawItem.itemState & ODS_SELECTED, 0u);

    UiLog().clear();
    UiQueuePointer(button, BackendEventKind::PointerDown, 5, 5);
    UiPump();
    UpdateWindow(button);
    bool selectedSeen = false;
    for (const UiLogged& l : UiLog())
        if (l.Message == WM_DRAWITEM && (l.DrawItem.itemState & ODS_SELECTED)) selectedSeen = true;
    EXPECT_TRUE(selectedSeen);
    UiQueuePointer(button, BackendEventKind::PointerUp, 5, 5);
    UiPump();
    EXPECT_EQ(UiCommandCodes(12), std::vector<WORD>{BN_CLICKED});
}

// A radio button's mark is round: its box's corners keep the background, it is the same mirrored
// left to right and top to bottom, and the checked dot is round inside it.
TEST_F(Button, RadioMarkIsARingWithARoundDot) {
    HWND radio = UiMakeChild(Parent, WC_BUTTONW, u"Round", BS_AUTORADIOBUTTON, 10, 40, 120, 24, 13);
    const int box = UiCheckBoxSize, top = (24 - box) / 2;
    auto mark = [&](int x, int y) {
        HDC dc = GetDC(radio);
        COLORREF c = GetPixel(dc, x, top + y);
        ReleaseDC(radio, dc);
        return c;
    };
    for (WPARAM check : {BST_UNCHECKED, BST_CHECKED}) {
        SendMessageW(radio, BM_SETCHECK, check, 0);
        UpdateWindow(radio);
        SCOPED_TRACE(check);
        EXPECT_EQ(mark(0, 0), UiWindowColour);
        EXPECT_EQ(mark(box - 1, box - 1), UiWindowColour);
        EXPECT_EQ(mark(0, box / 2), UiArrowColour); // the ring, at its widest
        for (int y = 0; y < box; ++y)
            for (int x = 0; x < box; ++x) {
                ASSERT_EQ(mark(x, y), mark(box - 1 - x, y)) << x << "," << y;
                ASSERT_EQ(mark(x, y), mark(x, box - 1 - y)) << x << "," << y;
            }
        EXPECT_EQ(mark(box / 2, box / 2), check ? UiAccentColour : UiWindowColour);
    }
    // The dot's bounding box has background corners: a disc, not a square.
    const int inset = box / UiRadioDotDivisor;
    EXPECT_EQ(mark(inset, inset), UiWindowColour);
    EXPECT_EQ(mark(inset, box / 2), UiAccentColour);
    DestroyWindow(radio);
}

TEST_F(ScrollBar, ClampsAndSendsEveryCode) {
    HWND bar = UiMakeChild(Parent, WC_SCROLLBARW, nullptr, SBS_VERT, 250, 0, 20, 200, BarId);
    SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 200, 150);
    EXPECT_EQ(SendMessageW(bar, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si)), 0);
    SCROLLINFO got = Info(SIF_ALL, -1, -1, 0, -1);
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &got));
    EXPECT_EQ(got.nPage, 100u); // the page is at most the range
    si = Info(SIF_PAGE | SIF_POS, 0, 0, 10, 95);
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 90); // a page short of the end
    si = Info(SIF_POS, 0, 0, 0, -5);
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 0);

    // Arrows and page areas: codes 0-3 with the control as lParam, each followed by SB_ENDSCROLL.
    LPARAM control = 0;
    UiTap(bar, 10, 5);
    UiTap(bar, 10, 195);
    UiTap(bar, 10, 150);
    EXPECT_EQ(ScrollCodes(&control), (Codes{{SB_LINEUP, 0},
                                            {SB_ENDSCROLL, 0},
                                            {SB_LINEDOWN, 0},
                                            {SB_ENDSCROLL, 0},
                                            {SB_PAGEDOWN, 0},
                                            {SB_ENDSCROLL, 0}}));
    EXPECT_EQ(control, reinterpret_cast<LPARAM>(bar));
    si = Info(SIF_POS, 0, 0, 0, 90);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    UiLog().clear();
    UiTap(bar, 10, 30);
    EXPECT_EQ(ScrollCodes().front().first, SB_PAGEUP);

    // The thumb (at the end of the track) dragged to the top: tracks, then its position, then the end.
    UiLog().clear();
    UiQueuePointer(bar, BackendEventKind::PointerDown, 10, 175);
    UiQueuePointer(bar, BackendEventKind::PointerMove, 10, 100);
    UiQueuePointer(bar, BackendEventKind::PointerMove, 10, -300);
    UiQueuePointer(bar, BackendEventKind::PointerUp, 10, -300);
    UiPump();
    Codes codes = ScrollCodes();
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(codes[0].first, SB_THUMBTRACK);
    EXPECT_GT(codes[0].second, 20);
    EXPECT_LT(codes[0].second, 70);
    EXPECT_EQ(codes[1], std::make_pair(SB_THUMBTRACK, WORD(0)));
    EXPECT_EQ(codes[2], std::make_pair(SB_THUMBPOSITION, WORD(0)));
    EXPECT_EQ(codes[3].first, SB_ENDSCROLL);
    EXPECT_EQ(SendMessageW(bar, SBM_GETPOS, 0, 0), 90); // the parent moves the position, not the bar
}

// A bar asks to be repainted only when what it shows changes, so a parent that sets every bar after
// each scroll repaints only the bar that moved.
TEST_F(ScrollBar, RepaintsOnlyWhenWhatItShowsChanges) {
    HWND bar = UiMakeChild(Parent, WC_SCROLLBARW, nullptr, SBS_VERT, 250, 0, 20, 200, BarId);
    SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 5);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    UpdateWindow(Parent);
    RECT update;
    ASSERT_FALSE(GetUpdateRect(bar, &update, FALSE));
    SetScrollInfo(bar, SB_CTL, &si, TRUE); // the same range, page and position
    SetScrollPos(bar, SB_CTL, 5, TRUE);
    SendMessageW(bar, SBM_SETRANGEREDRAW, 0, 99);
    si = Info(SIF_POS, 0, 0, 0, 500); // clamped to 90, then to 90 again
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    UpdateWindow(Parent);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    EXPECT_FALSE(GetUpdateRect(bar, &update, FALSE));
    // Each change does: the position, the page, the range.
    si = Info(SIF_POS, 0, 0, 0, 6);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    EXPECT_TRUE(GetUpdateRect(bar, &update, FALSE));
    UpdateWindow(Parent);
    si = Info(SIF_PAGE, 0, 0, 20, 0);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    EXPECT_TRUE(GetUpdateRect(bar, &update, FALSE));
    UpdateWindow(Parent);
    SetScrollPos(bar, SB_CTL, 7, TRUE);
    EXPECT_TRUE(GetUpdateRect(bar, &update, FALSE));
    UpdateWindow(Parent);
    SendMessageW(bar, SBM_SETRANGEREDRAW, 0, 50);
    EXPECT_TRUE(GetUpdateRect(bar, &update, FALSE));
}

TEST_F(ScrollBar, HeldArrowRepeatsOnTheTimerAndThumbPositionsAreSixteenBits) {
    HWND bar = UiMakeChild(Parent, WC_SCROLLBARW, nullptr, SBS_VERT, 250, 0, 20, 200, BarId);
    SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 60000, 1000, 0);
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    UiQueuePointer(bar, BackendEventKind::PointerDown, 10, 195);
    UiPump();
    EXPECT_EQ(ScrollCodes().size(), 1u);
    UiAdvance(UiScrollRepeatDelay - 20);
    EXPECT_EQ(ScrollCodes().size(), 1u); // not yet
    UiAdvance(20 + 5 * UiScrollRepeatRate);
    size_t repeats = ScrollCodes().size();
    EXPECT_GE(repeats, 5u);
    EXPECT_LE(repeats, 7u);
    UiQueuePointer(bar, BackendEventKind::PointerUp, 10, 195);
    UiPump();
    UiAdvance(10 * UiScrollRepeatRate);
    Codes codes = ScrollCodes();
    EXPECT_EQ(codes.size(), repeats + 1); // the timer stopped with the release
    EXPECT_EQ(codes.back().first, SB_ENDSCROLL);

    UiLog().clear();
    UiQueuePointer(bar, BackendEventKind::PointerDown, 10, 25);
    UiQueuePointer(bar, BackendEventKind::PointerMove, 10, 400);
    UiQueuePointer(bar, BackendEventKind::PointerUp, 10, 400);
    UiPump();
    codes = ScrollCodes();
    ASSERT_EQ(codes.size(), 3u);
    EXPECT_EQ(codes[1], std::make_pair(SB_THUMBPOSITION, WORD(59001))); // the low 16 bits of the position
    SCROLLINFO track = Info(SIF_TRACKPOS, 0, 0, 0, 0);
    GetScrollInfo(bar, SB_CTL, &track);
    EXPECT_EQ(track.nTrackPos, 0); // the drag is over
}

TEST_F(ScrollBar, WindowsOwnBarSendsNullControl) {
    SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 49, 10, 5);
    EXPECT_EQ(SetScrollInfo(Parent, SB_VERT, &si, TRUE), 5);
    SCROLLINFO got = Info(SIF_ALL, 0, 0, 0, 0);
    ASSERT_TRUE(GetScrollInfo(Parent, SB_VERT, &got));
    EXPECT_EQ(got.nMax, 49);
    EXPECT_EQ(got.nPos, 5);
    RECT client;
    GetClientRect(Parent, &client);
    LPARAM control = 1;
    UiLog().clear();
    UiTap(Parent, client.right - 3, client.bottom - 3); // the bar's lower arrow, in the bottom-right corner
    EXPECT_EQ(ScrollCodes(&control), (Codes{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}));
    EXPECT_EQ(control, 0);
    // The bar follows the window's size.
    SetWindowPos(Parent, nullptr, 0, 0, 200, 300, SWP_NOMOVE | SWP_NOZORDER);
    SetScrollPos(Parent, SB_VERT, 7, TRUE);
    GetClientRect(Parent, &client);
    UiLog().clear();
    UiTap(Parent, client.right - 3, client.bottom - 3);
    EXPECT_EQ(ScrollCodes(&control), (Codes{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}));
}
