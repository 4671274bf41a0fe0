// AboutDialog.cpp: the About box and the update check. The link button is owner-drawn in an
// underlined extra-bold font made when the box opens and deleted when it ends. Addresses are
// handed to the shell's "Open"; its result is not awaited or shown.
#include "about/AboutDialog.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int LinkTextCapacity = 100;
constexpr LONG LinkWeight = 800;
constexpr int LinkPoints = 10;
constexpr int PointsPerInch = 72;
inline constexpr const WCHAR* LinkFallbackFace = u"Tahoma";
inline constexpr const WCHAR* OpenVerb = u"Open";
constexpr COLORREF LinkColour = 0xFF0000;
constexpr COLORREF LinkBackground = 0xFFFFFF;

HFONT LinkFont;

bool CopiedAsIs(WCHAR c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'.' ||
           c == u'/';
}

// Appends text at *at, keeping room for the terminator; false when it does not fit.
bool Append(WCHAR* out, int capacity, int* at, const WCHAR* text, int length) {
    if (*at + length >= capacity) return false;
    std::memcpy(out + *at, text, size_t(length) * sizeof(WCHAR));
    *at += length;
    return true;
}

// "%" and the character's code in upper-case hexadecimal, at least two digits.
int Escape(WCHAR c, WCHAR* out) {
    char text[8];
    int n = std::snprintf(text, sizeof text, "%%%.2X", unsigned(c));
    for (int i = 0; i < n; ++i)
        out[i] = WCHAR(text[i]);
    return n;
}

void EndAbout(HWND dialog, INT_PTR result) {
    EndDialog(dialog, result);
    if (LinkFont) DeleteObject(LinkFont);
    LinkFont = nullptr;
}

} // namespace

bool BuildUpdateAddress(LPCWSTR identifier, WCHAR* out, int capacity) {
    std::memset(out, 0, size_t(capacity) * sizeof(WCHAR));
    int at = 0;
    std::u16string prefix = std::u16string(HomePage) + UpdatePath;
    if (!Append(out, capacity, &at, prefix.c_str(), int(prefix.size()))) return false;
    for (const WCHAR* c = identifier; *c; ++c) {
        WCHAR piece[8];
        int n = 1;
        if (*c == u' ')
            piece[0] = u'+';
        else if (CopiedAsIs(*c))
            piece[0] = *c;
        else
            n = Escape(*c, piece);
        if (!Append(out, capacity, &at, piece, n)) return false;
    }
    std::u16string suffix(VersionSuffix);
    return Append(out, capacity, &at, suffix.c_str(), int(suffix.size()));
}

void OpenWebAddress(HWND owner, LPCWSTR address) {
    SHELLEXECUTEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = OpenVerb;
    info.lpFile = address;
    ShellExecuteExW(&info);
}

void OpenHomePage(HWND owner) {
    OpenWebAddress(owner, HomePage);
}

void CheckForUpdates(HWND owner) {
    WCHAR address[UpdateAddressCapacity];
    if (BuildUpdateAddress(ProductIdentifier, address, UpdateAddressCapacity)) OpenWebAddress(owner, address);
}

void MakeLinkFont(HWND dialog) {
    HWND button = GetDlgItem(dialog, IDC_HOME_LINK);
    if (button == nullptr) return;
    HDC dc = GetDC(button);
    LOGFONTW lf{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
    GetObjectW(current ? HGDIOBJ(current) : GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfUnderline = 1;
    if (lf.lfFaceName[0] == 0) std::memcpy(lf.lfFaceName, LinkFallbackFace, 7 * sizeof(WCHAR));
    if (lf.lfHeight == 0) lf.lfHeight = -(LinkPoints * GetDeviceCaps(dc, LOGPIXELSY)) / PointsPerInch;
    lf.lfWeight = LinkWeight;
    LinkFont = CreateFontIndirectW(&lf);
    if (LinkFont) {
        SelectObject(dc, LinkFont);
        WCHAR text[LinkTextCapacity + 1] = {};
        int n = GetWindowTextW(button, text, LinkTextCapacity);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont), 1);
        SIZE size{};
        GetTextExtentExPointW(dc, text, n, 0, nullptr, nullptr, &size);
        SetWindowPos(button, nullptr, 0, 0, size.cx + 2 * GetSystemMetrics(SM_CXEDGE),
                     size.cy + 2 * GetSystemMetrics(SM_CYEDGE), SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    ReleaseDC(button, dc);
}

void DrawLinkButton(const DRAWITEMSTRUCT* item) {
    WCHAR text[LinkTextCapacity + 1] = {};
    int n = GetWindowTextW(item->hwndItem, text, LinkTextCapacity);
    SetTextColor(item->hDC, LinkColour);
    SetBkMode(item->hDC, TRANSPARENT);
    SetBkColor(item->hDC, LinkBackground);
    ExtTextOutW(item->hDC, GetSystemMetrics(SM_CXEDGE) / 2, 0, ETO_OPAQUE, &item->rcItem, text, UINT(n),
                nullptr);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        MakeLinkFont(dialog);
        return TRUE;
    case WM_DRAWITEM:
        DrawLinkButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndAbout(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_HOME_LINK:
            OpenHomePage(GetDlgItem(dialog, IDC_HOME_LINK));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
