// ScrollBarControl.cpp: the SCROLLBAR control. It keeps a range, a page and a position, draws two
// arrows, a track and a thumb, and tells its parent what the pointer asks for with WM_VSCROLL (or
// WM_HSCROLL) and the codes 0-8; it never moves its own position for them: the parent does, with
// SBM_SETSCROLLINFO. A held arrow or page click repeats on a timer. The state record belongs to the
// window and is freed on WM_NCDESTROY.
#include "platform/Win32.h"
#include "platform/controls/Controls.h"
#include "platform/user/UiTheme.h"

#include <algorithm>
#include <new>

namespace {

constexpr UINT_PTR RepeatTimer = 1;

enum class Zone : uint8_t { None, ArrowBack, ArrowForward, PageBack, PageForward, Thumb };

struct ScrollBarState {
    int Min, Max;
    UINT Page;
    int Pos;
    Zone Pressed;   // what the pointer went down on
    bool Repeating; // the timer runs at the repeat rate
    int TrackPos;   // the thumb's position while it is dragged
    int GrabOffset; // pointer offset into the thumb when the drag began
    POINT Pointer;  // the last pointer position, for repeats of page clicks
};

// The bar's axis: along is the length direction (y for vertical bars).
struct Geometry {
    bool Vertical;
    int Length, Thickness;
    int Arrow;                // each arrow's length
    int TrackStart, TrackEnd; // along
    int ThumbStart, ThumbEnd; // along; equal when no thumb fits
};

ScrollBarState* State(HWND window) {
    return static_cast<ScrollBarState*>(ControlState(window));
}

bool IsVertical(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & SBS_VERT) != 0;
}

// The largest position the thumb can reach: a page short of the end when there is a page.
int TopPosition(const ScrollBarState& s) {
    if (s.Page == 0) return s.Max;
    return std::max(s.Min, int(int64_t(s.Max) - s.Page + 1));
}

int ClampPos(const ScrollBarState& s, int pos) {
    return std::clamp(pos, s.Min, std::max(s.Min, TopPosition(s)));
}

Geometry Measure(HWND window, const ScrollBarState& s, int pos) {
    RECT r;
    GetClientRect(window, &r);
    Geometry g{};
    g.Vertical = IsVertical(window);
    g.Length = g.Vertical ? r.bottom : r.right;
    g.Thickness = g.Vertical ? r.right : r.bottom;
    g.Arrow = std::min(g.Thickness, g.Length / 2);
    g.TrackStart = g.Arrow;
    g.TrackEnd = g.Length - g.Arrow;
    int track = g.TrackEnd - g.TrackStart;
    int64_t range = int64_t(s.Max) - s.Min + 1;
    int thumb = g.Thickness; // no page: a square thumb that shows the position
    if (s.Page > 0 && range > 0) thumb = int(std::min<int64_t>(track, track * int64_t(s.Page) / range));
    thumb = std::max(thumb, std::min(UiScrollThumbMin, track));
    if (thumb > track || range <= 1) { // nothing to scroll, or no room for a thumb
        g.ThumbStart = g.ThumbEnd = g.TrackStart;
        return g;
    }
    int span = TopPosition(s) - s.Min;
    int offset = span > 0 ? int(int64_t(track - thumb) * (ClampPos(s, pos) - s.Min) / span) : 0;
    g.ThumbStart = g.TrackStart + offset;
    g.ThumbEnd = g.ThumbStart + thumb;
    return g;
}

Zone HitZone(const Geometry& g, int along) {
    if (along < 0 || along >= g.Length) return Zone::None;
    if (along < g.TrackStart) return Zone::ArrowBack;
    if (along >= g.TrackEnd) return Zone::ArrowForward;
    if (g.ThumbEnd > g.ThumbStart && along >= g.ThumbStart && along < g.ThumbEnd) return Zone::Thumb;
    return along < g.ThumbStart ? Zone::PageBack : Zone::PageForward;
}

void Notify(HWND window, WORD code, int pos) {
    UINT message = IsVertical(window) ? WM_VSCROLL : WM_HSCROLL;
    LPARAM control = GetDlgCtrlID(window) == WindowBarId ? 0 : reinterpret_cast<LPARAM>(window);
    SendMessageW(GetParent(window), message, MAKEWPARAM(code, WORD(pos)), control);
}

WORD CodeOf(Zone zone) {
    switch (zone) {
    case Zone::ArrowBack:
        return SB_LINEUP;
    case Zone::ArrowForward:
        return SB_LINEDOWN;
    case Zone::PageBack:
        return SB_PAGEUP;
    default:
        return SB_PAGEDOWN;
    }
}

int Along(const Geometry& g, POINT p) {
    return g.Vertical ? p.y : p.x;
}

// Fills rect (in the bar's axis) with a colour.
void FillAlong(HDC dc, const Geometry& g, int start, int end, COLORREF colour) {
    RECT r = g.Vertical ? RECT{0, start, g.Thickness, end} : RECT{start, 0, end, g.Thickness};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A solid triangle pointing back (up or left) or forward, centred in an arrow box.
void DrawArrow(HDC dc, const Geometry& g, int boxStart, bool back, COLORREF colour) {
    int half = std::max(1, g.Arrow / 4 + 1);
    int centreAcross = g.Thickness / 2, centreAlong = boxStart + g.Arrow / 2;
    HBRUSH brush = CreateSolidBrush(colour);
    for (int i = 0; i < half; ++i) {
        int along = back ? centreAlong - half / 2 + i : centreAlong + half / 2 - i;
        RECT row = g.Vertical ? RECT{centreAcross - i, along, centreAcross + i + 1, along + 1}
                              : RECT{along, centreAcross - i, along + 1, centreAcross + i + 1};
        FillRect(dc, &row, brush);
    }
    DeleteObject(brush);
}

void Paint(HWND window, ScrollBarState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    int pos = s.Pressed == Zone::Thumb ? s.TrackPos : s.Pos;
    Geometry g = Measure(window, s, pos);
    bool enabled = IsWindowEnabled(window);
    FillAlong(dc, g, 0, g.TrackStart, s.Pressed == Zone::ArrowBack ? UiPressedColour : UiFaceColour);
    FillAlong(dc, g, g.TrackEnd, g.Length, s.Pressed == Zone::ArrowForward ? UiPressedColour : UiFaceColour);
    FillAlong(dc, g, g.TrackStart, g.TrackEnd, UiTrackColour);
    if (g.ThumbEnd > g.ThumbStart)
        FillAlong(dc, g, g.ThumbStart + 1, g.ThumbEnd - 1,
                  s.Pressed == Zone::Thumb ? UiThumbActiveColour : UiThumbColour);
    COLORREF arrow = enabled ? UiArrowColour : UiGrayTextColour;
    DrawArrow(dc, g, 0, true, arrow);
    DrawArrow(dc, g, g.TrackEnd, false, arrow);
    EndPaint(window, &ps);
}

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

void OnPointerDown(HWND window, ScrollBarState& s, POINT p) {
    Geometry g = Measure(window, s, s.Pos);
    Zone zone = HitZone(g, Along(g, p));
    if (zone == Zone::None) return;
    s.Pressed = zone;
    s.Pointer = p;
    SetCapture(window);
    if (zone == Zone::Thumb) {
        s.TrackPos = s.Pos;
        s.GrabOffset = Along(g, p) - g.ThumbStart;
    } else {
        Notify(window, CodeOf(zone), s.Pos);
        s.Repeating = false;
        SetTimer(window, RepeatTimer, UiScrollRepeatDelay, nullptr);
    }
    Repaint(window);
}

// The position whose thumb starts at `start` along the track.
int PositionAt(const ScrollBarState& s, const Geometry& g, int start) {
    int travel = (g.TrackEnd - g.TrackStart) - (g.ThumbEnd - g.ThumbStart);
    int span = TopPosition(s) - s.Min;
    if (travel <= 0 || span <= 0) return s.Min;
    int64_t offset = std::clamp(start - g.TrackStart, 0, travel);
    return ClampPos(s, s.Min + int((offset * span + travel / 2) / travel));
}

void OnPointerMove(HWND window, ScrollBarState& s, POINT p) {
    s.Pointer = p;
    if (s.Pressed != Zone::Thumb) return;
    Geometry g = Measure(window, s, s.TrackPos);
    int pos = PositionAt(s, g, Along(g, p) - s.GrabOffset);
    if (pos == s.TrackPos) return;
    s.TrackPos = pos;
    Notify(window, SB_THUMBTRACK, pos);
    Repaint(window);
}

void EndPress(HWND window, ScrollBarState& s, bool notify) {
    if (s.Pressed == Zone::None) return;
    Zone was = s.Pressed;
    s.Pressed = Zone::None;
    KillTimer(window, RepeatTimer);
    if (GetCapture() == window) ReleaseCapture();
    if (notify) {
        if (was == Zone::Thumb) Notify(window, SB_THUMBPOSITION, s.TrackPos);
        Notify(window, SB_ENDSCROLL, 0);
    }
    Repaint(window);
}

// A held arrow repeats anywhere; a held page click only while the thumb has not reached the pointer.
void OnRepeat(HWND window, ScrollBarState& s) {
    if (s.Pressed == Zone::None || s.Pressed == Zone::Thumb) return;
    if (!s.Repeating) {
        s.Repeating = true;
        SetTimer(window, RepeatTimer, UiScrollRepeatRate, nullptr);
    }
    Geometry g = Measure(window, s, s.Pos);
    if (HitZone(g, Along(g, s.Pointer)) != s.Pressed) return;
    Notify(window, CodeOf(s.Pressed), s.Pos);
}

// A redraw is asked for only when what the bar shows has changed, as Win32 does: a parent that sets
// every bar after each scroll then repaints only the bar that moved.
bool SameScroll(const ScrollBarState& a, const ScrollBarState& b) {
    return a.Min == b.Min && a.Max == b.Max && a.Page == b.Page && a.Pos == b.Pos;
}

LRESULT SetInfo(HWND window, ScrollBarState& s, const SCROLLINFO* info, BOOL redraw) {
    if (info == nullptr) return s.Pos;
    const ScrollBarState before = s;
    if (info->fMask & SIF_RANGE) {
        s.Min = info->nMin;
        s.Max = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE) s.Page = std::min<UINT>(info->nPage, UINT(int64_t(s.Max) - s.Min + 1));
    if (info->fMask & SIF_POS) s.Pos = info->nPos;
    s.Pos = ClampPos(s, s.Pos);
    if (redraw && !SameScroll(before, s)) Repaint(window);
    return s.Pos;
}

LRESULT GetInfo(const ScrollBarState& s, SCROLLINFO* info) {
    if (info == nullptr) return FALSE;
    if (info->fMask & SIF_RANGE) info->nMin = s.Min, info->nMax = s.Max;
    if (info->fMask & SIF_PAGE) info->nPage = s.Page;
    if (info->fMask & SIF_POS) info->nPos = s.Pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s.Pressed == Zone::Thumb ? s.TrackPos : s.Pos;
    return TRUE;
}

LRESULT SetPos(HWND window, ScrollBarState& s, int pos, BOOL redraw) {
    int previous = s.Pos;
    s.Pos = ClampPos(s, pos);
    if (redraw && s.Pos != previous) Repaint(window);
    return previous;
}

LRESULT SetRange(HWND window, ScrollBarState& s, int min, int max, BOOL redraw) {
    const ScrollBarState before = s;
    s.Min = min;
    s.Max = std::max(min, max);
    s.Pos = ClampPos(s, s.Pos);
    if (redraw && !SameScroll(before, s)) Repaint(window);
    return TRUE;
}

LRESULT CALLBACK ScrollBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        if (!ControlAttach(window, new (std::nothrow) ScrollBarState{})) return FALSE;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    ScrollBarState* s = State(window);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_NCDESTROY:
        delete static_cast<ScrollBarState*>(ControlDetach(window));
        return 0;
    case WM_PAINT:
        Paint(window, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        OnPointerDown(window, *s, p);
        return 0;
    case WM_MOUSEMOVE:
        OnPointerMove(window, *s, p);
        return 0;
    case WM_LBUTTONUP:
        EndPress(window, *s, true);
        return 0;
    case WM_CAPTURECHANGED:
        if (HWND(lParam) != window) EndPress(window, *s, true);
        return 0;
    case WM_TIMER:
        if (wParam == RepeatTimer) OnRepeat(window, *s);
        return 0;
    case WM_ENABLE:
        Repaint(window);
        return 0;
    case SBM_SETSCROLLINFO:
        return SetInfo(window, *s, reinterpret_cast<const SCROLLINFO*>(lParam), BOOL(wParam));
    case SBM_GETSCROLLINFO:
        return GetInfo(*s, reinterpret_cast<SCROLLINFO*>(lParam));
    case SBM_SETPOS:
        return SetPos(window, *s, int(wParam), BOOL(lParam));
    case SBM_GETPOS:
        return s->Pos;
    case SBM_SETRANGE:
        return SetRange(window, *s, int(wParam), int(lParam), FALSE);
    case SBM_SETRANGEREDRAW:
        return SetRange(window, *s, int(wParam), int(lParam), TRUE);
    case SBM_GETRANGE:
        if (wParam) *reinterpret_cast<int*>(wParam) = s->Min;
        if (lParam) *reinterpret_cast<int*>(lParam) = s->Max;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

void RegisterScrollBarClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ScrollBarProc;
    wc.lpszClassName = WC_SCROLLBARW;
    RegisterClassW(&wc);
}
