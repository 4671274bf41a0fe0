// DialogItems.cpp: the helpers that address a dialog's controls by id, and MapDialogRect.
#include "platform/user/Dialog.h"

#include "platform/Win32Controls.h"

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int count) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        if (text && count > 0) text[0] = 0;
        return 0;
    }
    return UINT(GetWindowTextW(item, text, count));
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
    bool found = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        if (id < first || id > last) continue;
        SendMessageW(child, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
        found = found || id == check;
    }
    return found;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) return FALSE;
    SendMessageW(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return UINT(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

// Dialog units to pixels with the dialog's base units, rounded as Win32's MulDiv rounds.
BOOL MapDialogRect(HWND dialog, RECT* rect) {
    DialogRecord* r = DialogFind(dialog);
    if (r == nullptr || rect == nullptr) return FALSE;
    rect->left = MulDiv(rect->left, r->BaseX, 4);
    rect->right = MulDiv(rect->right, r->BaseX, 4);
    rect->top = MulDiv(rect->top, r->BaseY, 8);
    rect->bottom = MulDiv(rect->bottom, r->BaseY, 8);
    return TRUE;
}
