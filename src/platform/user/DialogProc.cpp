// DialogProc.cpp: the dialog class and its default procedure. DefDlgProcW asks the dialog's own
// procedure first; what it leaves is handled as Win32's dialogs do (close as Cancel, the focus kept
// across activation, the default button, a plain background). The dialog's record lives in the
// window's extra bytes from WM_NCCREATE to WM_NCDESTROY, which frees it and the font it made.
#include "platform/user/Dialog.h"

#include "platform/Win32Controls.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/UiTheme.h"

#include <new>

namespace {

// Past the three public dialog longs: the record's pointer.
constexpr int DialogRecordOffset = DWLP_USER + int(sizeof(LONG_PTR));

bool IsDialogWindow(HWND window) {
    WCHAR name[16];
    return GetClassNameW(window, name, 16) > 0 && wcsicmp16(name, DialogClassName) == 0;
}

// Messages whose answer is the dialog procedure's return value itself, not DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_CTLCOLORDLG;
}

LRESULT OnNcCreate(HWND dialog, WPARAM wParam, LPARAM lParam) {
    auto* record = new (std::nothrow) DialogRecord{};
    if (record == nullptr) return FALSE;
    SetWindowLongPtrW(dialog, DialogRecordOffset, reinterpret_cast<LONG_PTR>(record));
    return DefWindowProcW(dialog, WM_NCCREATE, wParam, lParam);
}

void OnNcDestroy(HWND dialog) {
    DialogRecord* record = DialogFind(dialog);
    SetWindowLongPtrW(dialog, DialogRecordOffset, 0);
    if (record && record->OwnsFont) DeleteObject(record->Font);
    delete record;
}

// The default push button: DM_SETDEFID's, else the first BS_DEFPUSHBUTTON, else IDOK.
WORD DefaultId(HWND dialog, const DialogRecord& r) {
    if (r.DefaultId) return r.DefaultId;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return WORD(GetDlgCtrlID(child));
    return WORD(IDOK);
}

void OnActivate(HWND dialog, DialogRecord& r, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(dialog, focus)) r.LastFocus = focus;
        return;
    }
    HWND focus = r.LastFocus && IsWindow(r.LastFocus) ? r.LastFocus : DialogFirstTabItem(dialog);
    if (focus) SetFocus(focus);
}

LRESULT DefaultHandling(HWND dialog, DialogRecord* r, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCDESTROY:
        OnNcDestroy(dialog);
        return DefWindowProcW(dialog, message, wParam, lParam);
    case WM_CLOSE:
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return 0;
    case WM_ERASEBKGND: {
        RECT rect;
        GetClientRect(dialog, &rect);
        HBRUSH brush = CreateSolidBrush(UiWindowColour);
        FillRect(reinterpret_cast<HDC>(wParam), &rect, brush);
        DeleteObject(brush);
        return 1;
    }
    case WM_SETFONT:
        if (r) r->Font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return r ? reinterpret_cast<LRESULT>(r->Font) : 0;
    case WM_ACTIVATE:
        if (r) OnActivate(dialog, *r, wParam);
        return 0;
    case WM_SETFOCUS: {
        HWND focus = r && r->LastFocus && IsWindow(r->LastFocus) ? r->LastFocus : DialogFirstTabItem(dialog);
        if (focus) SetFocus(focus);
        return 0;
    }
    case DM_GETDEFID:
        return r ? MAKELONG(DefaultId(dialog, *r), DC_HASDEFID) : 0;
    case DM_SETDEFID:
        if (r) r->DefaultId = WORD(wParam);
        return TRUE;
    default:
        return DefWindowProcW(dialog, message, wParam, lParam);
    }
}

} // namespace

DialogRecord* DialogFind(HWND dialog) {
    if (!IsWindow(dialog) || !IsDialogWindow(dialog)) return nullptr;
    return reinterpret_cast<DialogRecord*>(GetWindowLongPtrW(dialog, DialogRecordOffset));
}

LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return OnNcCreate(dialog, wParam, lParam);
    DialogRecord* r = DialogFind(dialog);
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
    if (proc && message != WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = proc(dialog, message, wParam, lParam);
        if (AnswersDirectly(message)) return handled;
        if (handled && IsWindow(dialog)) return GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
        if (handled) return 0;
        r = DialogFind(dialog);
    } else if (proc && message == WM_NCDESTROY) {
        proc(dialog, message, wParam, lParam);
    }
    return DefaultHandling(dialog, r, message, wParam, lParam);
}

void DialogRegisterClass() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.lpszClassName = DialogClassName;
    RegisterClassW(&wc);
}

void DialogFontBaseUnits(HFONT font, int* baseX, int* baseY) {
    LONG units = font ? GdiFontBaseUnits(font) : GetDialogBaseUnits();
    *baseX = LOWORD(units);
    *baseY = HIWORD(units);
}

void DialogSetFocus(HWND, HWND control) {
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

HWND DialogFirstTabItem(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) return child;
    }
    return nullptr;
}
