// EditControl.cpp: the EDIT control's window: drawing the model (characters in stored order, no
// reordering; a right-aligned field keeps its text against the right edge; a multi-line edit
// without ES_AUTOHSCROLL wraps its lines at its width), the caret and the
// selection, the keys and the pointer, the clipboard commands and the notifications. The window's
// own text is kept equal to the model's so that GetWindowTextW and WM_GETTEXT agree. The state
// record is freed on WM_NCDESTROY.
#include "platform/Win32.h"
#include "platform/controls/Controls.h"
#include "platform/controls/EditClipboard.h"
#include "platform/controls/EditModel.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

constexpr int Margin = 3; // pixels between the border and the text

struct EditState {
    EditModel Model;
    HFONT Font;
    bool Focused;
    bool Selecting; // the pointer is down and drags the selection
    int ScrollX;    // single-line: pixels of text scrolled out at the left
    size_t TopLine; // multi-line: first line shown
};

EditState* State(HWND window) {
    return static_cast<EditState*>(ControlState(window));
}

DWORD Style(HWND window) {
    return DWORD(GetWindowLongW(window, GWL_STYLE));
}

void Notify(HWND window, WORD code) {
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID(window)), code),
                 reinterpret_cast<LPARAM>(window));
}

// The text area inside the border.
RECT TextArea(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    int inset = (Style(window) & WS_BORDER) ? 1 + Margin : Margin;
    return RECT{r.left + inset, r.top + ((Style(window) & WS_BORDER) ? 1 : 0), r.right - inset,
                r.bottom - ((Style(window) & WS_BORDER) ? 1 : 0)};
}

// A DC with the edit's font selected, for measuring; put back with EndMeasure.
struct Measure {
    HDC Dc;
    HGDIOBJ OldFont;
    int LineHeight;
};

Measure BeginMeasure(HWND window, const EditState& s) {
    Measure m{GetDC(window), nullptr, 0};
    if (s.Font) m.OldFont = SelectObject(m.Dc, s.Font);
    TEXTMETRICW tm{};
    GetTextMetricsW(m.Dc, &tm);
    m.LineHeight = std::max<int>(1, tm.tmHeight);
    return m;
}

void EndMeasure(HWND window, const Measure& m) {
    if (m.OldFont) SelectObject(m.Dc, m.OldFont);
    ReleaseDC(window, m.Dc);
}

// Pixel offsets of every position of [start, end) from start: offsets[i] is the width of i units.
std::vector<int> Offsets(HDC dc, const std::u16string& text, size_t start, size_t end) {
    std::vector<int> offsets(end - start + 1, 0);
    if (end > start) {
        std::vector<INT> dx(end - start);
        SIZE size{};
        GetTextExtentExPointW(dc, text.data() + start, int(end - start), 0x7FFFFFFF, nullptr, dx.data(),
                              &size);
        for (size_t i = 0; i < dx.size(); ++i)
            offsets[i + 1] = dx[i];
    }
    return offsets;
}

// The drawn lines: a multi-line edit without ES_AUTOHSCROLL wraps its lines at the text area's
// width, as Win32's does; otherwise each hard line is one row (a single-line edit has one).
std::vector<EditRow> Rows(HWND window, HDC dc, const EditModel& model) {
    if (!model.Multiline) return {EditRow{0, model.Text.size(), model.Text.size()}};
    RECT area = TextArea(window);
    int width = (Style(window) & ES_AUTOHSCROLL) ? 0 : std::max<int>(1, area.right - area.left);
    return EditRows(model, width,
                    [&](size_t start, size_t end) { return Offsets(dc, model.Text, start, end); });
}

// Where a line's text starts, given its width: right-aligned fields sit against the right edge.
int LineOrigin(HWND window, const RECT& area, int width, int scrollX) {
    DWORD style = Style(window);
    if ((style & ES_RIGHT) && width <= area.right - area.left) return area.right - width;
    if ((style & ES_CENTER) && width <= area.right - area.left)
        return area.left + (area.right - area.left - width) / 2;
    return area.left - scrollX;
}

// Scrolls so the caret is in view.
void ScrollToCaret(HWND window, EditState& s) {
    Measure m = BeginMeasure(window, s);
    RECT area = TextArea(window);
    const EditModel& model = s.Model;
    if (model.Multiline) {
        size_t line = EditRowOf(Rows(window, m.Dc, model), model.Caret);
        size_t visible = std::max<size_t>(1, size_t((area.bottom - area.top) / m.LineHeight));
        if (line < s.TopLine) s.TopLine = line;
        if (line >= s.TopLine + visible) s.TopLine = line - visible + 1;
    } else {
        std::vector<int> offsets = Offsets(m.Dc, model.Text, 0, model.Text.size());
        int width = offsets.back(), caret = offsets[model.Caret], room = area.right - area.left;
        if (width <= room)
            s.ScrollX = 0;
        else if (caret - s.ScrollX > room)
            s.ScrollX = caret - room;
        else if (caret < s.ScrollX)
            s.ScrollX = caret;
        s.ScrollX = std::clamp(s.ScrollX, 0, std::max(0, width - room));
    }
    EndMeasure(window, m);
}

void Changed(HWND window, EditState& s, bool notify) {
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.Model.Text.c_str()));
    ScrollToCaret(window, s);
    InvalidateRect(window, nullptr, FALSE);
    if (notify) Notify(window, EN_CHANGE);
}

void Moved(HWND window, EditState& s) {
    ScrollToCaret(window, s);
    InvalidateRect(window, nullptr, FALSE);
}

// One line of text with its part of the selection highlighted, and the caret when it is here.
void PaintLine(HWND window, const EditState& s, HDC dc, const RECT& area, const EditRow& row, bool caretHere,
               int y, int lineHeight) {
    const size_t start = row.Start, end = row.End;
    const EditModel& model = s.Model;
    std::vector<int> offsets = Offsets(dc, model.Text, start, end);
    int x = LineOrigin(window, area, offsets.back(), model.Multiline ? 0 : s.ScrollX);
    size_t selStart = std::clamp(EditSelStart(model), start, end),
           selEnd = std::clamp(EditSelEnd(model), start, end);
    bool showSelection = s.Focused || (Style(window) & ES_NOHIDESEL);
    if (showSelection && selEnd > selStart) {
        RECT band{x + offsets[selStart - start], y, x + offsets[selEnd - start], y + lineHeight};
        RECT visible;
        if (IntersectRect(&visible, &band, &area)) UiFill(dc, visible, UiAccentColour);
    }
    SetBkMode(dc, TRANSPARENT);
    for (int part = 0; part < 3; ++part) {
        size_t from = part == 0 ? start : part == 1 ? selStart : selEnd;
        size_t to = part == 0 ? selStart : part == 1 ? selEnd : end;
        if (to <= from) continue;
        bool selected = part == 1 && showSelection;
        SetTextColor(dc, selected ? UiAccentTextColour
                                  : (IsWindowEnabled(window) ? UiTextColour : UiGrayTextColour));
        ExtTextOutW(dc, x + offsets[from - start], y, ETO_CLIPPED, &area, model.Text.data() + from,
                    UINT(to - from), nullptr);
    }
    int caretX = x + offsets[std::clamp(model.Caret, start, end) - start];
    if (s.Focused && caretHere && caretX >= area.left - 1 && caretX <= area.right)
        UiFill(dc, RECT{caretX, y, caretX + 1, y + lineHeight}, UiTextColour);
}

void Paint(HWND window, const EditState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ oldFont = s.Font ? SelectObject(dc, s.Font) : nullptr;
    LRESULT brush = SendMessageW(GetParent(window), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(window));
    if (brush)
        FillRect(dc, &client, reinterpret_cast<HBRUSH>(brush));
    else
        UiFill(dc, client, UiWindowColour);
    if (Style(window) & WS_BORDER) {
        COLORREF frame = s.Focused ? UiAccentColour : UiBorderColour;
        UiFill(dc, RECT{client.left, client.top, client.right, client.top + 1}, frame);
        UiFill(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, frame);
        UiFill(dc, RECT{client.left, client.top, client.left + 1, client.bottom}, frame);
        UiFill(dc, RECT{client.right - 1, client.top, client.right, client.bottom}, frame);
    }
    RECT area = TextArea(window);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int lineHeight = std::max<int>(1, tm.tmHeight);
    const EditModel& model = s.Model;
    std::vector<EditRow> rows = Rows(window, dc, model);
    size_t caretRow = EditRowOf(rows, model.Caret);
    if (!model.Multiline) {
        int y = area.top + (area.bottom - area.top - lineHeight) / 2;
        PaintLine(window, s, dc, area, rows[0], true, y, lineHeight);
    } else {
        for (size_t line = s.TopLine; line < rows.size(); ++line) {
            int y = area.top + int(line - s.TopLine) * lineHeight;
            if (y >= area.bottom) break;
            PaintLine(window, s, dc, area, rows[line], line == caretRow, y, lineHeight);
        }
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

// The position on a row nearest the window's x coordinate, and the x of a position on its row.
size_t PositionInRow(HWND window, const EditState& s, HDC dc, const EditRow& row, int x) {
    std::vector<int> offsets = Offsets(dc, s.Model.Text, row.Start, row.End);
    x -= LineOrigin(window, TextArea(window), offsets.back(), s.Model.Multiline ? 0 : s.ScrollX);
    size_t best = 0;
    while (best + 1 < offsets.size() && x > (offsets[best] + offsets[best + 1]) / 2)
        ++best;
    return row.Start + best;
}

int XInRow(HWND window, const EditState& s, HDC dc, const EditRow& row, size_t pos) {
    std::vector<int> offsets = Offsets(dc, s.Model.Text, row.Start, row.End);
    int origin = LineOrigin(window, TextArea(window), offsets.back(), s.Model.Multiline ? 0 : s.ScrollX);
    return origin + offsets[std::clamp(pos, row.Start, row.End) - row.Start];
}

// The text position nearest a point.
size_t PositionAt(HWND window, const EditState& s, POINT p) {
    Measure m = BeginMeasure(window, s);
    std::vector<EditRow> rows = Rows(window, m.Dc, s.Model);
    size_t line = 0;
    if (s.Model.Multiline)
        line = std::min(rows.size() - 1,
                        size_t(std::max(0, int((p.y - TextArea(window).top) / m.LineHeight))) + s.TopLine);
    size_t pos = PositionInRow(window, s, m.Dc, rows[line], p.x);
    EndMeasure(window, m);
    return pos;
}

// Where Home, End, Up and Down take the caret of a multi-line edit: along its drawn lines, Up
// and Down keeping the caret's x as near as the other line allows. SIZE_MAX: nowhere to go.
size_t RowKeyTarget(HWND window, const EditState& s, WPARAM key) {
    Measure m = BeginMeasure(window, s);
    std::vector<EditRow> rows = Rows(window, m.Dc, s.Model);
    size_t line = EditRowOf(rows, s.Model.Caret), to = SIZE_MAX;
    if (key == VK_HOME) to = rows[line].Start;
    // The end of a line cut inside a word is also the next line's start: End stops a character
    // short of it, so that the caret stays on the line it was on.
    if (key == VK_END)
        to = rows[line].End == rows[line].Next && line + 1 < rows.size()
                 ? std::max(rows[line].Start, EditPrevious(s.Model, rows[line].End))
                 : rows[line].End;
    if ((key == VK_UP && line > 0) || (key == VK_DOWN && line + 1 < rows.size())) {
        int x = XInRow(window, s, m.Dc, rows[line], s.Model.Caret);
        to = PositionInRow(window, s, m.Dc, rows[key == VK_UP ? line - 1 : line + 1], x);
    }
    EndMeasure(window, m);
    return to;
}

// Inserts typed, pasted or EM_REPLACESEL text; a full field says so with EN_MAXTEXT, and a
// refused insertion changes nothing, so it sends no EN_CHANGE. EM_REPLACESEL changes a read-only
// edit too, as in Win32, so the callers that type or paste check ReadOnly.
void Insert(HWND window, EditState& s, const std::u16string& text, bool canUndo = true) {
    size_t before = s.Model.Text.size(), start = EditSelStart(s.Model), end = EditSelEnd(s.Model);
    bool fitted = EditReplaceSel(&s.Model, text, canUndo);
    size_t inserted = s.Model.Text.size() + (end - start) - before;
    if (inserted > 0 || start != end) Changed(window, s, true);
    if (!fitted) Notify(window, EN_MAXTEXT);
}

void OnChar(HWND window, EditState& s, WPARAM unit) {
    switch (unit) {
    case 1:
        EditSetSel(&s.Model, 0, -1);
        Moved(window, s);
        return; // Ctrl+A
    case 3:
        EditCopySelection(window, s.Model);
        return; // Ctrl+C
    case 22:
        if (!s.Model.ReadOnly) Insert(window, s, EditClipboardText(window));
        return; // Ctrl+V
    case 24:
        SendMessageW(window, WM_CUT, 0, 0);
        return; // Ctrl+X
    case 26:
        SendMessageW(window, EM_UNDO, 0, 0);
        return; // Ctrl+Z
    case 8:
        if (!s.Model.ReadOnly && EditDelete(&s.Model, true)) Changed(window, s, true);
        return;
    case u'\r':
        if (s.Model.Multiline && !s.Model.ReadOnly && (Style(window) & ES_WANTRETURN))
            Insert(window, s, u"\r\n");
        return;
    default:
        break;
    }
    if (unit < 0x20 || unit == 0x7F || s.Model.ReadOnly) return;
    Insert(window, s, std::u16string(1, char16_t(unit)));
}

void OnKeyDown(HWND window, EditState& s, WPARAM key) {
    EditModel& m = s.Model;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    size_t to = m.Caret;
    switch (key) {
    case VK_LEFT:
        to = (!shift && m.Anchor != m.Caret) ? EditSelStart(m) : EditPrevious(m, m.Caret);
        break;
    case VK_RIGHT:
        to = (!shift && m.Anchor != m.Caret) ? EditSelEnd(m) : EditNext(m, m.Caret);
        break;
    case VK_HOME:
    case VK_END:
        to = m.Multiline ? RowKeyTarget(window, s, key) : key == VK_HOME ? 0 : m.Text.size();
        break;
    case VK_UP:
    case VK_DOWN:
        if (!m.Multiline || (to = RowKeyTarget(window, s, key)) == SIZE_MAX) return;
        break;
    case VK_DELETE:
        if (!m.ReadOnly && EditDelete(&m, false)) Changed(window, s, true);
        return;
    default:
        return;
    }
    EditMoveCaret(&m, to, shift);
    Moved(window, s);
}

LRESULT OnGetSel(const EditModel& m, WPARAM startOut, LPARAM endOut) {
    auto start = DWORD(EditSelStart(m)), end = DWORD(EditSelEnd(m));
    if (startOut) *reinterpret_cast<DWORD*>(startOut) = start;
    if (endOut) *reinterpret_cast<DWORD*>(endOut) = end;
    return LRESULT(MAKELONG(WORD(std::min<DWORD>(start, 0xFFFF)), WORD(std::min<DWORD>(end, 0xFFFF))));
}

void OnFocus(HWND window, EditState& s, bool focused) {
    s.Focused = focused;
    InvalidateRect(window, nullptr, FALSE);
    Notify(window, focused ? EN_SETFOCUS : EN_KILLFOCUS);
}

void OnPointer(HWND window, EditState& s, UINT message, POINT p) {
    if (message == WM_LBUTTONDOWN) {
        if (GetFocus() != window) SetFocus(window);
        EditMoveCaret(&s.Model, PositionAt(window, s, p), GetKeyState(VK_SHIFT) < 0);
        s.Selecting = true;
        SetCapture(window);
    } else if (message == WM_MOUSEMOVE && s.Selecting) {
        EditMoveCaret(&s.Model, PositionAt(window, s, p), true);
    } else if (message == WM_LBUTTONUP && s.Selecting) {
        s.Selecting = false;
        ReleaseCapture();
    } else {
        return;
    }
    Moved(window, s);
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW* create) {
    auto* s = new (std::nothrow) EditState{};
    if (!ControlAttach(window, s)) return FALSE;
    s->Model.Multiline = (create->style & ES_MULTILINE) != 0;
    s->Model.ReadOnly = (create->style & ES_READONLY) != 0;
    if (create->lpszName) EditSetText(&s->Model, create->lpszName);
    return DefWindowProcW(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(create));
}

LRESULT EditMessage(HWND window, EditState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    EditModel& m = s.Model;
    switch (message) {
    case EM_GETSEL:
        return OnGetSel(m, wParam, lParam);
    case EM_SETSEL:
        EditSetSel(&m, int64_t(int32_t(wParam)), int64_t(int32_t(lParam)));
        Moved(window, s);
        return 0;
    case EM_REPLACESEL: {
        const auto* text = reinterpret_cast<const WCHAR*>(lParam);
        Insert(window, s, text ? std::u16string(text) : std::u16string(), wParam != 0);
        return 0;
    }
    case EM_LIMITTEXT:
        m.Limit = wParam ? size_t(wParam) : 0x7FFFFFFE;
        return 0;
    case EM_GETLIMITTEXT:
        return LRESULT(EditLimit(m));
    case EM_CANUNDO:
        return m.CanUndo;
    case EM_UNDO:
    case WM_UNDO: {
        bool undone = EditUndo(&m);
        if (undone) Changed(window, s, true);
        return undone;
    }
    case EM_EMPTYUNDOBUFFER:
        m.CanUndo = false;
        return 0;
    case EM_GETMODIFY:
        return m.Modified;
    case EM_SETMODIFY:
        m.Modified = wParam != 0;
        return 0;
    case EM_GETLINECOUNT: {
        Measure measure = BeginMeasure(window, s);
        size_t rows = Rows(window, measure.Dc, m).size();
        EndMeasure(window, measure);
        return LRESULT(rows);
    }
    case EM_SETREADONLY:
        m.ReadOnly = wParam != 0;
        return TRUE;
    case EM_SCROLLCARET:
        Moved(window, s);
        return TRUE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    EditState* s = State(window);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_NCDESTROY:
        delete static_cast<EditState*>(ControlDetach(window));
        return 0;
    case WM_PAINT:
        Paint(window, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Moved(window, *s);
        return 0;
    case WM_SETFOCUS:
        OnFocus(window, *s, true);
        return 0;
    case WM_KILLFOCUS:
        OnFocus(window, *s, false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnPointer(window, *s, message, p);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, *s, wParam);
        return 0;
    case WM_CHAR:
        OnChar(window, *s, wParam);
        return 0;
    case WM_SETTEXT:
        EditSetText(&s->Model, lParam ? reinterpret_cast<const WCHAR*>(lParam) : u"");
        Changed(window, *s, true);
        return TRUE;
    case WM_SETFONT:
        s->Font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Moved(window, *s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->Font);
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_COPY:
        EditCopySelection(window, s->Model);
        return 0;
    case WM_CUT:
        EditCopySelection(window, s->Model);
        if (!s->Model.ReadOnly && EditSelStart(s->Model) != EditSelEnd(s->Model) &&
            EditDelete(&s->Model, true))
            Changed(window, *s, true);
        return 0;
    case WM_PASTE:
        if (!s->Model.ReadOnly) Insert(window, *s, EditClipboardText(window));
        return 0;
    case WM_CLEAR:
        if (!s->Model.ReadOnly && EditSelStart(s->Model) != EditSelEnd(s->Model) &&
            EditDelete(&s->Model, true))
            Changed(window, *s, true);
        return 0;
    default:
        return EditMessage(window, *s, message, wParam, lParam);
    }
}

} // namespace

void RegisterEditClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = EditProc;
    wc.lpszClassName = WC_EDITW;
    RegisterClassW(&wc);
}
