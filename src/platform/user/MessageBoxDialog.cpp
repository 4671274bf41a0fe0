// MessageBoxDialog.cpp: the message box as an ordinary dialog built in code: a template is written
// in memory (caption, the text as a static, the icon's room, the buttons) in dialog units of the
// dialog font, and run modally through the dialog manager, so the box has the dialogs' frame, keys
// (Enter for the first button, Escape where the box has a way out, Tab, arrows, mnemonics) and look.
// The template lives on this function's stack; the dialog's windows are gone before it returns.
#include "platform/user/Window.h"

#include "platform/Win32.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

#include <algorithm>
#include <vector>

namespace {

constexpr UINT IconMask = 0xF0;
constexpr UINT ButtonsMask = 0x0F;
// Layout in dialog units.
constexpr int Margin = 7;
constexpr int IconRoom = 24; // the icon's square and the gap after it
constexpr int IconSide = 20;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int ButtonGap = 4;
constexpr int TextMaxPixels = 300;
constexpr int TextMinPixels = 120;
constexpr WORD StaticOrdinal = 0x0082, ButtonOrdinal = 0x0080;
constexpr WORD NoId = 0xFFFF;

struct BoxButton {
    WORD Id;
    const WCHAR* Label; // '&' marks the key that presses it
};

std::vector<BoxButton> Buttons(UINT type) {
    switch (type & ButtonsMask) {
    case MB_OKCANCEL:
        return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNOCANCEL:
        return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO:
        return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    default:
        return {{IDOK, u"OK"}};
    }
}

// A DIALOG template written word by word, items DWORD-aligned, as the resource compiler writes it.
struct TemplateWriter {
    std::vector<WORD> Words;
    void Word(WORD w) { Words.push_back(w); }
    void Dword(DWORD d) { Word(WORD(d & 0xFFFF)), Word(WORD(d >> 16)); }
    void Text(const std::u16string& s) {
        for (char16_t c : s)
            Word(c);
        Word(0);
    }
    void Align() {
        if (Words.size() % 2) Word(0);
    }
    void Item(DWORD style, int x, int y, int cx, int cy, WORD id, WORD cls, const std::u16string& title) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(WORD(x)), Word(WORD(y)), Word(WORD(cx)), Word(WORD(cy)), Word(id);
        Word(0xFFFF), Word(cls);
        Text(title);
        Word(0); // no creation data
    }
};

// The text's size in dialog units, wrapped to at most TextMaxPixels.
SIZE TextUnits(const std::u16string& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, PlatformDialogFont());
    int width = std::min(TextMaxPixels, GetSystemMetrics(SM_CXSCREEN) * 3 / 4);
    RECT r{0, 0, std::max(width, TextMinPixels), 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteDC(dc);
    LONG units = GetDialogBaseUnits();
    int bx = LOWORD(units), by = HIWORD(units);
    return SIZE{(r.right * 4 + bx - 1) / bx, (r.bottom * 8 + by - 1) / by};
}

std::vector<WORD> BuildTemplate(const std::u16string& text, const std::u16string& caption, UINT type) {
    std::vector<BoxButton> buttons = Buttons(type);
    SIZE textSize = TextUnits(text);
    bool icon = (type & IconMask) != 0;
    int left = Margin + (icon ? IconRoom : 0);
    int textHeight = std::max(int(textSize.cy), icon ? IconSide : 0);
    int row = int(buttons.size()) * ButtonWidth + (int(buttons.size()) - 1) * ButtonGap;
    int width = std::max(left + int(textSize.cx) + Margin, row + 2 * Margin);
    int buttonTop = Margin + textHeight + Margin;
    TemplateWriter t;
    t.Dword(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    t.Dword(0);
    t.Word(WORD(1 + buttons.size()));
    t.Word(0), t.Word(0), t.Word(WORD(width)), t.Word(WORD(buttonTop + ButtonHeight + Margin));
    t.Word(0), t.Word(0); // no menu, the dialog class
    t.Text(caption);
    t.Word(PlatformDialogPoints);
    t.Text(u"System");
    t.Item(SS_LEFT | SS_NOPREFIX, left, Margin, textSize.cx, textHeight, NoId, StaticOrdinal, text);
    int x = (width - row) / 2;
    for (size_t i = 0; i < buttons.size(); ++i, x += ButtonWidth + ButtonGap) {
        DWORD style = (i == 0 ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON) | WS_TABSTOP;
        t.Item(style, x, buttonTop, ButtonWidth, ButtonHeight, buttons[i].Id, ButtonOrdinal,
               buttons[i].Label);
    }
    return t.Words;
}

// The icon's mark font: the dialog face in bold, its em this share of the icon's side.
constexpr int IconMarkPercent = 60;

// The icon: a coloured disc with its mark in bold, in the room left of the text.
void PaintIcon(HWND dialog, UINT type) {
    if ((type & IconMask) == 0) return;
    COLORREF colour = RGB(40, 90, 200);
    const WCHAR* mark = u"i";
    if ((type & IconMask) == MB_ICONSTOP) colour = RGB(200, 30, 30), mark = u"X";
    if ((type & IconMask) == MB_ICONEXCLAMATION) colour = RGB(230, 170, 0), mark = u"!";
    if ((type & IconMask) == MB_ICONQUESTION) mark = u"?";
    RECT r{Margin, Margin, Margin + IconSide, Margin + IconSide};
    MapDialogRect(dialog, &r);
    r.right = r.left + (r.bottom - r.top); // round, whatever the base units' proportions
    LOGFONTW lf{};
    GetObjectW(PlatformDialogFont(), sizeof lf, &lf);
    lf.lfHeight = -MulDiv(r.bottom - r.top, IconMarkPercent, 100);
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&lf);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    UiFillDisc(dc, r, colour);
    HGDIOBJ old = SelectObject(dc, bold ? bold : PlatformDialogFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, UiAccentTextColour);
    DrawTextW(dc, mark, 1, &r, DT_RUN_FORMAT);
    SelectObject(dc, old);
    EndPaint(dialog, &ps);
    if (bold) DeleteObject(bold);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    UINT type = UINT(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetFocus(GetDlgItem(dialog, Buttons(UINT(lParam))[0].Id));
        return FALSE;
    case WM_PAINT:
        PaintIcon(dialog, type);
        return (type & IconMask) != 0;
    case WM_CLOSE: // asked to close (by the shell, or a script's end): the answer closing gives
        EndDialog(dialog, MessageBoxEscapeAnswer(type));
        return TRUE;
    case WM_COMMAND: {
        WORD id = LOWORD(wParam);
        // Escape arrives as IDCANCEL: a box without Cancel answers as Win32's do.
        if (id == IDCANCEL && GetDlgItem(dialog, IDCANCEL) == nullptr) {
            if ((type & ButtonsMask) == MB_YESNO) return TRUE; // no way out but the buttons
            id = WORD(MessageBoxEscapeAnswer(type));
        }
        EndDialog(dialog, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

int MessageBoxEscapeAnswer(UINT type) {
    switch (type & ButtonsMask) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

int MessageBoxShow(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) {
    std::vector<WORD> words = BuildTemplate(text, caption, type);
    WindowRecord* ownerRecord = WindowRoot(WindowFind(owner));
    HWND root = ownerRecord ? ownerRecord->Handle : nullptr;
    INT_PTR answer = DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                             root, BoxProc, LPARAM(type));
    return answer > 0 ? int(answer) : MessageBoxEscapeAnswer(type);
}
