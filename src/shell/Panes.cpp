// Panes.cpp: creating and placing the panes and scroll bars, painting them, and loading articles.
// Both panes draw with one device context of the main window, taken here at creation and released
// on the window's destroy message. Texts from the store are handed to the panes with ownership.
#include "shell/Panes.h"

#include "shell/MainWindow.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <cstdlib>

namespace {

constexpr WCHAR ResourceNotFound[] = u"Resource not found";
constexpr WCHAR ErrorCaption[] = u"Error";
constexpr DWORD ScrollBarStyle = WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_LEFTALIGN; // 0x50000003

int Gutter() {
    return ReaderState.SurroundingGutter;
}

HWND CreateScrollBar(HWND window, const WCHAR* name) {
    const RECT& r = PaneState.BottomRect;
    return CreateWindowExW(0, u"SCROLLBAR", name, ScrollBarStyle, r.right, r.top, CW_USEDEFAULT,
                           CW_USEDEFAULT, window, nullptr, ReaderState.Instance, nullptr);
}

// Lays a fresh text out in a pane at its first line. The pane always takes the text, so that one it
// refuses is freed rather than lost (at creation it holds no earlier text to release).
void ShowText(TextPane* pane, uint8_t* text, uint16_t topLine) {
    LayoutText(pane, text, 1);
    pane->TopLine = topLine;
}

} // namespace

int CreatePanes(HWND window) {
    HDC dc = GetDC(window);
    RECT r;
    GetClientRect(window, &r);
    if (ReaderState.MenuBarOnBottom == 1)
        r.bottom -= ReaderState.MenuBarHeight;
    else
        r.top += ReaderState.MenuBarHeight;
    int g = Gutter();
    if (r.bottom - r.top > 2 * g) {
        r.bottom -= 2 * g;
        r.top += g;
    }
    if (r.right - r.left > 2 * g) {
        r.left += g;
        r.right -= 2 * g;
    }
    CreateBottomPane(window, dc, &r);
    ReaderState.TopPane = CreatePane(dc, &r, &ReaderState.FontSpec, PaneCreateCapacity);
    if (ReaderState.TopPane == nullptr) return 1;
    uint8_t* text = LoadArticleText(ReaderState.Lesson);
    if (text == nullptr) return MessageBoxW(window, ResourceNotFound, ErrorCaption, MB_ICONEXCLAMATION);
    ShowText(ReaderState.TopPane, text, ReaderState.LastPosition);
    LoadCommentary(window);
    if (PaneState.BottomPane) PaneState.BottomPane->TopLine = PaneState.BottomSectionLastPosition;
    UpdateScrollBars(window);
    return 0;
}

void CreateBottomPane(HWND window, HDC dc, const RECT* rect) {
    PaneState.BottomRect.left = rect->left;
    PaneState.BottomRect.right = rect->right;
    CheckSplitItem(window);
    PaneState.BottomPane = CreatePane(dc, &PaneState.BottomRect, &ReaderState.FontSpec, PaneCreateCapacity);
    if (PaneState.BottomPane == nullptr) return;
    PaneState.BottomPaneScrollBar = CreateScrollBar(window, BottomPaneScrollBarName);
    PaneState.TopPaneScrollBar = CreateScrollBar(window, TopPaneScrollBarName);
    PaneState.CurrentScrollBar = PaneState.TopPaneScrollBar;
}

void LayoutPanes(HWND window, LPARAM size) {
    int w, h;
    if (size == RememberedClientSize) {
        w = LastClientWidth;
        h = LastClientHeight;
    } else {
        w = LOWORD(size);
        h = HIWORD(size);
        LastClientWidth = w;
        LastClientHeight = h;
    }
    int g = Gutter();
    if (w > 2 * g) w -= 2 * g;
    if (h > 2 * g) h -= 2 * g;
    TextPane* top = ReaderState.TopPane;
    if (top == nullptr || (top->Width == w && top->Height == h)) return;
    h -= ReaderState.MenuBarHeight;
    PlaceBottomArea(&w, &h);
    ResizePane(top, w, h);
    UpdateScrollBars(window);
}

// A split code whose units digit is 0 would divide by zero: such a stored value is read as the
// default half split rather than trusted.
int SplitHeights(int height) {
    int32_t code = PaneState.BottomSection;
    int numerator = code / 10, denominator = code % 10;
    if (denominator <= 0 || numerator < 0 || numerator > denominator) {
        numerator = DefaultBottomSection / 10;
        denominator = DefaultBottomSection % 10;
    }
    return int(int64_t(height) * numerator / denominator);
}

void PlaceBottomArea(int* width, int* height) {
    TextPane* top = ReaderState.TopPane;
    TextPane* bottomPane = PaneState.BottomPane;
    RECT& area = PaneState.BottomRect;
    int g = Gutter(), s = GetSystemMetrics(SM_CXVSCROLL);
    int t = top->Top, a = *height;
    int bottom = SplitHeights(a);
    int topShare = a - bottom;
    *height = topShare - 2;
    *width -= s;
    area.right = area.left + *width;
    area.bottom = t + a - g;
    area.top = t + topShare + 1;
    if (bottomPane == nullptr) return;
    bottomPane->Top = area.top + g / 2;
    ResizePane(bottomPane, *width, bottom - 1);
    MoveWindow(PaneState.TopPaneScrollBar, area.right + g, t - g - 2, s, topShare + g, TRUE);
    MoveWindow(PaneState.BottomPaneScrollBar, area.right + g, area.top - 2, s, bottomPane->Height + g + 2,
               TRUE);
}

void PaintPanes(HDC dc, HWND window, int bits) {
    PAINTSTRUCT ps;
    bool began = dc == nullptr;
    if (began) dc = BeginPaint(window, &ps);
    if ((bits & RedrawTopPane) && ReaderState.TopPane) PaintPane(ReaderState.TopPane, bits & RedrawEraseTop);
    if (bits & RedrawBottomArea) PaintBottomArea(dc);
    if (began) EndPaint(window, &ps);
}

void PaintBottomArea(HDC dc) {
    const RECT& r = PaneState.BottomRect;
    int g = Gutter(), s = GetSystemMetrics(SM_CXVSCROLL);
    HPEN light = CreatePen(PS_SOLID, 0, ColourBottomArea);
    HBRUSH brush = CreateSolidBrush(ColourBottomArea);
    HGDIOBJ oldPen = SelectObject(dc, light);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, r.left - g, r.top - 2, r.right + g, r.bottom + 2 * g);
    SelectObject(dc, oldPen);
    DeleteObject(light);
    HPEN red = CreatePen(PS_SOLID, 0, ColourBottomRule);
    oldPen = SelectObject(dc, red);
    Rectangle(dc, r.left - g, r.top - 3, r.right + g + s, r.top - 2);
    SelectObject(dc, oldPen);
    DeleteObject(red);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    TextPane* bottom = PaneState.BottomPane;
    if (bottom == nullptr) return;
    int oldMode = SetBkMode(bottom->DC, TRANSPARENT);
    PaintPane(bottom, 0);
    SetBkMode(bottom->DC, oldMode);
}

void RedrawPanes(HWND window, int bits) {
    if (window == nullptr) window = ReaderState.MainWindow;
    HDC dc = GetDC(window);
    PaintPanes(dc, window, bits);
    ReleaseDC(window, dc);
    UpdateScrollBars(window);
}

void UpdateScrollBar(HWND bar) {
    if ((ReaderState.Flags & FlagScrollBarsFollow) == 0 || bar == ReaderState.MainWindow) return;
    TextPane* pane = ActingPane();
    if (pane == nullptr) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = pane->MaxTopLine;
    info.nPage = 0;
    info.nPos = pane->TopLine;
    SendMessageW(bar, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
}

void UpdateScrollBars(HWND) {
    TextPane* remembered = PaneState.ActivePane;
    PaneState.ActivePane = ReaderState.TopPane;
    UpdateScrollBar(PaneState.TopPaneScrollBar);
    PaneState.ActivePane = PaneState.BottomPane;
    UpdateScrollBar(PaneState.BottomPaneScrollBar);
    PaneState.ActivePane = remembered;
}

void SetArticle(uint32_t number, int) {
    if (number == 0) {
        if (ReaderState.Lesson == 0) {
            ReaderState.Lesson = 1;
            ReaderState.LastPosition = 0;
        }
        return;
    }
    if (ReaderState.Lesson == uint16_t(number)) return;
    ReaderState.Lesson = uint16_t(number);
    ReaderState.LastPosition = 0;
}

int GoToArticle(HWND window, uint32_t number) {
    uint16_t lesson = ReaderState.Lesson;
    uint32_t flags = ReaderState.Flags;
    if (number != ReloadTopOnly) SetArticle(number, 0);
    uint8_t* text = LoadArticleText(ReaderState.Lesson);
    if (text == nullptr || ReaderState.TopPane == nullptr) {
        free(text);
        ReaderState.Lesson = lesson;
        ReaderState.Flags = flags;
        return 1;
    }
    ShowText(ReaderState.TopPane, text, 0);
    if (number != ReloadTopOnly) LoadCommentary(window);
    RedrawPanes(window, RedrawAll);
    UpdateBookmarkCheck(window, MenuCheckSet);
    return 0;
}

int StepArticle(HWND window, int step) {
    int m = ReaderState.Lesson + step;
    if (m > LastArticleNumber)
        m = FirstArticleNumber;
    else if (m < FirstArticleNumber)
        m = LastArticleNumber - 1;
    return GoToArticle(window, uint32_t(m));
}

int LoadCommentary(HWND window) {
    uint8_t* text = LoadArticleText(ReaderState.Lesson + 1);
    if (text == nullptr) return MessageBoxW(window, ResourceNotFound, ErrorCaption, MB_ICONEXCLAMATION);
    if (PaneState.BottomPane == nullptr) {
        free(text);
        return 0;
    }
    ShowText(PaneState.BottomPane, text, 0);
    return 0;
}
