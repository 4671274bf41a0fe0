// ShellBarDock.cpp: the parent's subclass. The parent's own procedure runs first for every message;
// then a size change re-docks the bar. Menu keys are taken before the parent sees them.
#include "platform/ceshell/ShellBarDock.h"

#include "platform/ceshell/ShellBar.h"

#include <unordered_map>

namespace {

struct Docking {
    HWND Bar;
    WNDPROC Original;
    bool AltAlone; // Alt went down and nothing else since
};

std::unordered_map<HWND, Docking>& Docked() {
    static auto* docked = new std::unordered_map<HWND, Docking>();
    return *docked;
}

WCHAR Fold(WCHAR c) {
    return (c >= u'a' && c <= u'z') ? WCHAR(c - 32) : c;
}

// The menu button whose mnemonic is c: the letter after "&", or the first letter when the text has
// no "&" (the menu bar's button texts come from strings without one). -1 when none.
int MenuByMnemonic(const ShellBarRecord& r, WCHAR c) {
    for (size_t i = 0; i < r.Buttons.size(); ++i) {
        const std::u16string& text = r.Buttons[i].Text;
        if (!r.Buttons[i].Popup || text.empty()) continue;
        size_t at = text.find(u'&');
        WCHAR key = at != std::u16string::npos && at + 1 < text.size() ? text[at + 1] : text[0];
        if (Fold(key) == Fold(c)) return int(i);
    }
    return -1;
}

// True when the key opened a menu (the parent does not see it).
bool TakeMenuKey(Docking& d, UINT message, WPARAM wParam) {
    ShellBarRecord* r = ShellBarFind(d.Bar);
    if (r == nullptr) return false;
    if (message == WM_SYSKEYDOWN && wParam == VK_MENU) {
        d.AltAlone = true;
        return false;
    }
    if (message == WM_SYSKEYUP && wParam == VK_MENU && d.AltAlone) {
        d.AltAlone = false;
        ShellBarOpenMenu(d.Bar, 0, true);
        return true;
    }
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) d.AltAlone = false;
    if (message == WM_SYSKEYDOWN && wParam == VK_F10) {
        ShellBarOpenMenu(d.Bar, 0, true);
        return true;
    }
    if (message == WM_SYSCHAR) {
        int index = MenuByMnemonic(*r, WCHAR(wParam));
        if (index < 0) return false;
        ShellBarOpenMenu(d.Bar, index, true);
        return true;
    }
    return false;
}

LRESULT CALLBACK DockedParentProc(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = Docked().find(parent);
    if (found == Docked().end()) return DefWindowProcW(parent, message, wParam, lParam);
    Docking d = found->second;
    if (TakeMenuKey(found->second, message, wParam)) return 0;
    LRESULT result = CallWindowProcW(d.Original, parent, message, wParam, lParam);
    if (message == WM_SIZE && IsWindow(d.Bar)) ShellBarPlace(d.Bar);
    if (message == WM_NCDESTROY) Docked().erase(parent);
    return result;
}

} // namespace

void ShellBarPlace(HWND bar) {
    ShellBarRecord* r = ShellBarFind(bar);
    HWND parent = GetParent(bar);
    if (r == nullptr || parent == nullptr) return;
    RECT client;
    GetClientRect(parent, &client);
    int y = r->AtBottom ? client.bottom - r->Height : 0;
    MoveWindow(bar, 0, y, client.right, r->Height, TRUE);
}

void ShellBarDock(HWND bar) {
    HWND parent = GetParent(bar);
    if (parent == nullptr || Docked().count(parent)) return;
    auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(parent, GWLP_WNDPROC));
    Docked()[parent] = Docking{bar, original, false};
    SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DockedParentProc));
    ShellBarPlace(bar);
}

void ShellBarUndock(HWND bar) {
    HWND parent = GetParent(bar);
    auto found = Docked().find(parent);
    if (found == Docked().end() || found->second.Bar != bar) return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(parent, GWLP_WNDPROC)) == DockedParentProc)
        SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.Original));
    Docked().erase(found);
}
