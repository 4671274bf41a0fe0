// DialogBox.cpp: modal dialogs from templates. Parse, then create: the bounded reader fills a
// ResDialog, then the dialog window and its controls are made from it in dialog units of the
// template's font, the dialog procedure gets WM_INITDIALOG, and a modal loop runs with the owner
// disabled until EndDialog. The dialog's windows are destroyed before the call returns.
#include "platform/user/Dialog.h"

#include "platform/Win32Controls.h"
#include "platform/resources/ResourceTemplates.h"
#include "platform/user/Window.h"

#include <string>

namespace {

constexpr int PointsPerInch = 72;

// "System" (and the shell's dialog faces) name the handheld's dialog font: the platform's dialog
// face (see PlatformDialogFace).
bool IsHandheldSystemFace(const std::u16string& face) {
    return face.empty() || wcsicmp16(face.c_str(), u"System") == 0 ||
           wcsicmp16(face.c_str(), u"MS Shell Dlg") == 0 || wcsicmp16(face.c_str(), u"MS Shell Dlg 2") == 0 ||
           wcsicmp16(face.c_str(), u"Tahoma") == 0;
}

HFONT CreateTemplateFont(const ResDialog& t) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(t.PointSize, PlatformPixelsPerInch, PointsPerInch);
    lf.lfWeight = t.Weight ? t.Weight : FW_NORMAL;
    lf.lfItalic = t.Italic;
    lf.lfCharSet = t.Charset;
    std::u16string face = IsHandheldSystemFace(t.FontFace) ? std::u16string(PlatformDialogFace) : t.FontFace;
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    return CreateFontIndirectW(&lf);
}

RECT DialogUnitsToPixels(const DialogRecord& r, int x, int y, int cx, int cy) {
    int left = MulDiv(x, r.BaseX, 4), top = MulDiv(y, r.BaseY, 8);
    return RECT{left, top, left + MulDiv(cx, r.BaseX, 4), top + MulDiv(cy, r.BaseY, 8)};
}

const WCHAR* ClassNameOf(const ResNameOrOrdinal& cls) {
    switch (cls.IsOrdinal ? cls.Ordinal : 0) {
    case ResClassButton:
        return WC_BUTTONW;
    case ResClassEdit:
        return WC_EDITW;
    case ResClassStatic:
        return WC_STATICW;
    case ResClassListBox:
        return WC_LISTBOXW;
    case ResClassScrollBar:
        return WC_SCROLLBARW;
    case ResClassComboBox:
        return u"COMBOBOX";
    default:
        return cls.Text.c_str();
    }
}

// An ordinal title is handed to the control as 0xFFFF and the number, as Win32 hands it.
std::u16string TitleOf(const ResNameOrOrdinal& title) {
    if (!title.IsOrdinal) return title.Text;
    return std::u16string{char16_t(0xFFFF), char16_t(title.Ordinal)};
}

// Where the dialog goes on the screen: centred on its owner (or the screen) with DS_CENTER,
// otherwise at its template position from the owner's client corner.
// The template's size is the client area's; the window adds its caption and border around it.
RECT PlaceDialog(const ResDialog& t, const DialogRecord& r, HWND owner) {
    RECT size = DialogUnitsToPixels(r, 0, 0, t.Cx, t.Cy);
    AdjustWindowRectEx(&size, t.Style, FALSE, t.ExStyle);
    int width = size.right - size.left, height = size.bottom - size.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &area);
    int x, y;
    if (t.Style & DS_CENTER) {
        x = area.left + (area.right - area.left - width) / 2;
        y = area.top + (area.bottom - area.top - height) / 2;
    } else {
        RECT at = DialogUnitsToPixels(r, t.X, t.Y, 0, 0);
        POINT corner{at.left, at.top};
        if (owner && !(t.Style & DS_ABSALIGN)) ClientToScreen(owner, &corner);
        x = corner.x, y = corner.y;
    }
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    x = std::max(0, std::min(x, screenWidth - width));
    y = std::max(0, std::min(y, screenHeight - height));
    return RECT{x, y, x + width, y + height};
}

bool CreateControls(HWND dialog, const ResDialog& t, DialogRecord& r, HINSTANCE instance) {
    for (const ResDialogItem& item : t.Items) {
        RECT rect = DialogUnitsToPixels(r, item.X, item.Y, item.Cx, item.Cy);
        std::u16string title = TitleOf(item.Title);
        void* data = item.CreationData.empty() ? nullptr : const_cast<BYTE*>(item.CreationData.data());
        HWND control =
            CreateWindowExW(item.ExStyle, ClassNameOf(item.Class), title.c_str(), item.Style | WS_CHILD,
                            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog,
                            reinterpret_cast<HMENU>(UINT_PTR(WORD(item.Id))), instance, data);
        if (control == nullptr) return false;
        if (r.Font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(r.Font), FALSE);
    }
    return true;
}

// Makes the dialog window and its controls; null when the template cannot be built.
HWND CreateDialogFromTemplate(HINSTANCE instance, const ResDialog& t, HWND owner, DLGPROC proc,
                              LPARAM param) {
    PlatformRegisterControlClasses();
    DialogRegisterClass();
    DialogRecord scratch{};
    HFONT font = t.HasFont ? CreateTemplateFont(t) : nullptr;
    DialogFontBaseUnits(font, &scratch.BaseX, &scratch.BaseY);
    RECT place = PlaceDialog(t, scratch, owner);
    const WCHAR* cls = t.Class.Text.empty() && !t.Class.IsOrdinal ? DialogClassName : ClassNameOf(t.Class);
    HWND dialog = CreateWindowExW(t.ExStyle, cls, t.Caption.c_str(), t.Style & ~WS_VISIBLE, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top, owner,
                                  nullptr, instance, nullptr);
    DialogRecord* r = dialog ? DialogFind(dialog) : nullptr;
    if (r == nullptr) {
        if (dialog) DestroyWindow(dialog);
        if (font) DeleteObject(font);
        return nullptr;
    }
    r->Font = font;
    r->OwnsFont = font != nullptr;
    r->BaseX = scratch.BaseX;
    r->BaseY = scratch.BaseY;
    r->Proc = proc;
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (font) SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!CreateControls(dialog, t, *r, instance)) {
        DestroyWindow(dialog);
        return nullptr;
    }
    if (t.HasFont && IsHandheldSystemFace(t.FontFace)) DialogFitStaticTexts(dialog, font);
    HWND focus = DialogFirstTabItem(dialog);
    if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && focus &&
        IsWindow(dialog))
        DialogSetFocus(dialog, focus);
    if (IsWindow(dialog) && (t.Style & WS_VISIBLE) && !DialogFind(dialog)->Ended) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    return IsWindow(dialog) ? dialog : nullptr;
}

// The modal loop: the owner is disabled while it runs; it ends after the message in which
// EndDialog was called, or when the dialog is gone, or on WM_QUIT (which is posted again for the
// loop outside).
INT_PTR RunModal(HWND dialog, HWND owner) {
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    DialogRecord* r = DialogFind(dialog);
    // A modal dialog is shown whether or not its template says WS_VISIBLE, as in Win32: a hidden
    // one would leave the user facing a disabled owner.
    if (!r->Ended && !IsWindowVisible(dialog)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    MSG msg;
    while (IsWindow(dialog) && !r->Ended) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    INT_PTR result = IsWindow(dialog) && r->Ended ? r->Result : -1;
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    if (owner && IsWindow(owner)) SetActiveWindow(owner);
    return result;
}

INT_PTR RunTemplate(HINSTANCE instance, const void* bytes, size_t size, HWND owner, DLGPROC proc,
                    LPARAM param) {
    ResDialog t;
    if (bytes == nullptr || !ResParseDialog(bytes, size, &t)) return -1;
    HWND dialog = CreateDialogFromTemplate(instance, t, owner, proc, param);
    if (dialog == nullptr) return -1;
    return RunModal(dialog, owner);
}

} // namespace

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    HRSRC found = FindResourceW(instance, name, RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    if (loaded == nullptr) return -1;
    return RunTemplate(instance, LockResource(loaded), SizeofResource(instance, found), owner, proc, param);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param) {
    return RunTemplate(instance, dialogTemplate, DialogTemplateMaxBytes, owner, proc, param);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    DialogRecord* r = DialogFind(dialog);
    if (r == nullptr) return FALSE;
    r->Ended = true;
    r->Result = result;
    return TRUE;
}
