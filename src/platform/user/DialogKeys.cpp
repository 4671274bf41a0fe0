// DialogKeys.cpp: the dialog's keyboard: Tab and Shift+Tab over WS_TABSTOP controls, the arrow
// keys inside a group (an automatic radio button is checked as the focus reaches it), Enter as the
// default button, Escape as Cancel, and "&" mnemonics with and without Alt. A control that asks for
// a key through WM_GETDLGCODE gets it instead.
#include "platform/user/Dialog.h"

#include "platform/Win32Controls.h"

#include <vector>

namespace {

bool Usable(HWND control) {
    LONG style = GetWindowLongW(control, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

int IndexOf(const std::vector<HWND>& list, HWND window) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == window) return int(i);
    return -1;
}

// The dialog's direct child that holds window (window itself, or its ancestor).
HWND DirectChild(HWND dialog, HWND window) {
    while (window && GetParent(window) != dialog)
        window = GetParent(window);
    return window;
}

void SendCommand(HWND dialog, WORD id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The character after the single "&" in a control's text, folded to upper case; 0 when none.
WCHAR Mnemonic(HWND control) {
    WCHAR text[256];
    int n = GetWindowTextW(control, text, 256);
    for (int i = 0; i + 1 < n; ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        WCHAR c = text[i + 1];
        return (c >= u'a' && c <= u'z') ? WCHAR(c - 32) : c;
    }
    return 0;
}

// A control whose mnemonic is c: a button is clicked (a push button after taking the focus), a
// static label passes the focus to the next control that takes Tab.
bool RunMnemonic(HWND dialog, WCHAR c) {
    if (c >= u'a' && c <= u'z') c = WCHAR(c - 32);
    for (HWND child : Children(dialog)) {
        if (!Usable(child) || Mnemonic(child) != c) continue;
        LRESULT code = SendMessageW(child, WM_GETDLGCODE, 0, 0);
        if (code & DLGC_STATIC) {
            HWND next = GetNextDlgTabItem(dialog, child, FALSE);
            if (next) DialogSetFocus(dialog, next);
        } else if (code & DLGC_BUTTON) {
            SetFocus(child);
            SendMessageW(child, BM_CLICK, 0, 0);
        } else {
            DialogSetFocus(dialog, child);
        }
        return true;
    }
    return false;
}

void OnArrow(HWND dialog, HWND focus, WPARAM key) {
    bool previous = key == VK_LEFT || key == VK_UP;
    HWND next = GetNextDlgGroupItem(dialog, focus, previous);
    if (next == nullptr || next == focus) return;
    SetFocus(next);
    LRESULT code = SendMessageW(next, WM_GETDLGCODE, 0, 0);
    if (code & DLGC_RADIOBUTTON) SendMessageW(next, BM_CLICK, 0, 0);
}

void OnReturn(HWND dialog, HWND focus) {
    LRESULT code = focus ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
    if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
        SendCommand(dialog, WORD(GetDlgCtrlID(focus)));
        return;
    }
    LRESULT defaultId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    WORD id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : WORD(IDOK);
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) return;
    SendCommand(dialog, id);
}

// A key down the dialog takes for itself; false when the control should get it.
bool OnKeyDown(HWND dialog, HWND focus, const MSG& msg, LRESULT code) {
    switch (msg.wParam) {
    case VK_TAB: {
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        HWND next = GetNextDlgTabItem(dialog, focus, GetKeyState(VK_SHIFT) < 0);
        if (next) DialogSetFocus(dialog, next);
        return true;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) return false;
        OnArrow(dialog, focus, msg.wParam);
        return true;
    case VK_ESCAPE:
        SendCommand(dialog, WORD(IDCANCEL));
        return true;
    case VK_RETURN:
        if (code & DLGC_WANTALLKEYS) return false;
        OnReturn(dialog, focus);
        return true;
    default:
        return false;
    }
}

} // namespace

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
    if (msg == nullptr || dialog == nullptr || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)))
        return FALSE;
    HWND focus = GetFocus();
    LRESULT code =
        msg->hwnd ? SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) : 0;
    bool taken = false;
    if (msg->message == WM_KEYDOWN) {
        taken = OnKeyDown(dialog, focus ? DirectChild(dialog, focus) : nullptr, *msg, code);
    } else if (msg->message == WM_SYSCHAR) {
        taken = RunMnemonic(dialog, WCHAR(msg->wParam));
    } else if (msg->message == WM_CHAR && !(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
        taken = msg->wParam > u' ' && RunMnemonic(dialog, WCHAR(msg->wParam));
    }
    if (!taken) {
        TranslateMessage(msg);
        DispatchMessageW(msg);
    }
    return TRUE;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> children = Children(dialog);
    int count = int(children.size());
    if (count == 0) return nullptr;
    int start = control ? IndexOf(children, DirectChild(dialog, control)) : -1;
    if (start < 0) start = previous ? 0 : count - 1;
    for (int step = 1; step <= count; ++step) {
        int i = ((start + (previous ? -step : step)) % count + count) % count;
        HWND child = children[size_t(i)];
        if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) && Usable(child)) return child;
    }
    return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> children = Children(dialog);
    int at = control ? IndexOf(children, DirectChild(dialog, control)) : -1;
    if (at < 0) return nullptr;
    // The group: from the last WS_GROUP at or before `at` to the control before the next WS_GROUP.
    int first = at;
    while (first > 0 && !(GetWindowLongW(children[size_t(first)], GWL_STYLE) & WS_GROUP))
        --first;
    int last = at;
    while (last + 1 < int(children.size()) &&
           !(GetWindowLongW(children[size_t(last + 1)], GWL_STYLE) & WS_GROUP))
        ++last;
    int size = last - first + 1;
    for (int step = 1; step < size; ++step) {
        int i = first + (((at - first) + (previous ? -step : step)) % size + size) % size;
        if (Usable(children[size_t(i)])) return children[size_t(i)];
    }
    return control;
}
