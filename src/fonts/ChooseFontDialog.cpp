// ChooseFontDialog.cpp: the "Choose Font" dialog. The families are enumerated afresh at every
// opening into a list taken from zeroed blocks of 25 entries, freed on OK or Cancel. The sample
// field shows the 27 letters in the chosen face, size and base; its font lives until the next
// choice or the dialog's end. FontSpec changes only on OK.
#include "fonts/ChooseFontDialog.h"

#include "shell/MainWindow.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct FontList FontList;

namespace {

constexpr int FontSizes[] = {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72};
constexpr int32_t BaseCodePage = 224;
constexpr int32_t BaseUnicode = 0x5D0;
constexpr int SampleLetters = 27;
constexpr DWORD FontDialogFlags = 30; // full screen, input panel down, no menu bar
constexpr int Margin = 7;
constexpr int SizeListTop = 59, Radio224Top = 24, Radio5D0Top = 41, RadioHeight = 10;
constexpr int SizeTextCapacity = 12;

LOGFONTW SampleDescription;
HFONT SampleFont;
WCHAR SampleText[SampleLetters + 1];
FontSpec* FontDialogDescription;

void SetDecimal(WCHAR* out, int value) {
    char text[SizeTextCapacity];
    std::snprintf(text, sizeof text, "%d", value);
    for (int i = 0;; ++i) {
        out[i] = WCHAR(text[i]);
        if (text[i] == 0) break;
    }
}

void CheckBase(HWND dialog, int32_t base) {
    CheckDlgButton(dialog, IDC_FONT_BASE_224, base == BaseCodePage ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_FONT_BASE_5D0, base == BaseUnicode ? BST_CHECKED : BST_UNCHECKED);
}

void FillFaces(HWND dialog) {
    SendDlgItemMessageW(dialog, IDC_FONT_FACES, LB_RESETCONTENT, 0, 0);
    for (FontListEntry* entry = FontList.Head; entry; entry = entry->Next)
        SendDlgItemMessageW(dialog, IDC_FONT_FACES, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(entry->FaceName));
    SendDlgItemMessageW(dialog, IDC_FONT_FACES, LB_SELECTSTRING, WPARAM(-1),
                        reinterpret_cast<LPARAM>(FontDialogDescription->FontFace));
}

void FillSizes(HWND dialog) {
    WCHAR text[SizeTextCapacity];
    int32_t size = FontDialogDescription->FontSize;
    SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_RESETCONTENT, 0, 0);
    if (size != 0 && size < FontSizes[0]) {
        SetDecimal(text, size);
        SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (int entry : FontSizes) {
        SetDecimal(text, entry);
        SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    if (size == 0) return;
    SetDecimal(text, size);
    SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(text));
}

INT_PTR OnInit(HWND dialog, LPARAM parameter) {
    HDC dc = GetDC(GetParent(dialog));
    InitDialogLayout(dialog, FontDialogFlags);
    ResetFontList();
    // Each opening starts from nothing read: a face or height left from an earlier dialog (one that
    // was cancelled, say) would otherwise be stored by an OK that selected nothing.
    std::memset(&SampleDescription, 0, sizeof SampleDescription);
    FontDialogDescription = reinterpret_cast<FontSpec*>(parameter);
    if (FontDialogDescription->FontAsciiBase == 0) FontDialogDescription->FontAsciiBase = BaseUnicode;
    FillSampleLetters(dialog, FontDialogDescription->FontAsciiBase);
    CheckBase(dialog, FontDialogDescription->FontAsciiBase);
    EnumFontFamiliesW(dc, nullptr, AddFontFamily, 0);
    ReleaseDC(GetParent(dialog), dc);
    FillFaces(dialog);
    FillSizes(dialog);
    SetFocus(GetDlgItem(dialog, IDC_FONT_FACES));
    return FALSE;
}

// The selected size's text read digit by digit (each character taken as a digit).
bool ReadSelectedSize(HWND dialog, LONG* height) {
    LRESULT selected = SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return false;
    WCHAR text[SizeTextCapacity] = {};
    LRESULT length = SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_GETTEXTLEN, WPARAM(selected), 0);
    if (length < 0 || length >= SizeTextCapacity) return false;
    SendDlgItemMessageW(dialog, IDC_FONT_SIZES, LB_GETTEXT, WPARAM(selected), reinterpret_cast<LPARAM>(text));
    LONG value = 0;
    for (int i = 0; text[i] != 0; ++i)
        value = value * 10 + (text[i] - u'0');
    *height = value;
    return true;
}

void ReadSelectedFace(HWND dialog) {
    LRESULT selected = SendDlgItemMessageW(dialog, IDC_FONT_FACES, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    LRESULT length = SendDlgItemMessageW(dialog, IDC_FONT_FACES, LB_GETTEXTLEN, WPARAM(selected), 0);
    if (length < 0) return;
    std::u16string face(size_t(length) + 1, u'\0');
    SendDlgItemMessageW(dialog, IDC_FONT_FACES, LB_GETTEXT, WPARAM(selected),
                        reinterpret_cast<LPARAM>(face.data()));
    size_t n = std::min<size_t>(size_t(length), LF_FACESIZE - 1);
    std::memset(SampleDescription.lfFaceName, 0, sizeof SampleDescription.lfFaceName);
    std::memcpy(SampleDescription.lfFaceName, face.data(), n * sizeof(WCHAR));
}

// A Hebrew family (character set 177) is drawn at the Unicode base: choosing one switches to it.
void FollowHebrewFamily(HWND dialog) {
    if (SampleDescription.lfFaceName[0] == 0 || FontList.Head == nullptr) return;
    for (FontListEntry* entry = FontList.Head; entry; entry = entry->Next) {
        if (std::memcmp(entry->FaceName, SampleDescription.lfFaceName, sizeof entry->FaceName) != 0) continue;
        if (entry->CharSet == HEBREW_CHARSET && !IsDlgButtonChecked(dialog, IDC_FONT_BASE_5D0)) {
            CheckBase(dialog, BaseUnicode);
            FillSampleLetters(dialog, BaseUnicode);
        }
        return;
    }
}

void StoreChoice(HWND dialog) {
    FontSpec* spec = FontDialogDescription;
    if (SampleDescription.lfHeight != 0) spec->FontSize = SampleDescription.lfHeight;
    if (IsDlgButtonChecked(dialog, IDC_FONT_BASE_224))
        spec->FontAsciiBase = BaseCodePage;
    else if (IsDlgButtonChecked(dialog, IDC_FONT_BASE_5D0))
        spec->FontAsciiBase = BaseUnicode;
    if (SampleDescription.lfFaceName[0] != 0) {
        std::memset(spec->FontFace, 0, sizeof spec->FontFace);
        std::memcpy(spec->FontFace, SampleDescription.lfFaceName, (FontFaceCapacity - 1) * sizeof(WCHAR));
    }
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK:
        UpdateFontChoice(dialog, FontChoiceOk);
        FreeFontList();
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        FreeFontList();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_FONT_FACES:
    case IDC_FONT_SIZES:
        UpdateFontChoice(dialog, FontChoiceList);
        return TRUE;
    case IDC_FONT_BASE_224:
        FillSampleLetters(dialog, BaseCodePage);
        UpdateFontChoice(dialog, FontChoiceRadio);
        return TRUE;
    case IDC_FONT_BASE_5D0:
        FillSampleLetters(dialog, BaseUnicode);
        UpdateFontChoice(dialog, FontChoiceRadio);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int CALLBACK AddFontFamily(const LOGFONTW* logFont, const TEXTMETRICW* metrics, DWORD, LPARAM) {
    if (FontList.FreeCount == 0) {
        auto* block = static_cast<FontListEntry*>(std::calloc(FontListBlock, sizeof(FontListEntry)));
        if (block == nullptr) return 0;
        block->BlockStart = 1;
        FontList.Free = block;
        FontList.FreeCount = FontListBlock;
    }
    FontListEntry* entry = FontList.Free++;
    --FontList.FreeCount;
    std::memcpy(entry->FaceName, logFont->lfFaceName, (FontFaceCapacity - 1) * sizeof(WCHAR));
    entry->FaceName[FontFaceCapacity - 1] = 0;
    entry->CharSet = metrics->tmCharSet;
    *FontList.Link = entry;
    FontList.Link = &entry->Next;
    return 1;
}

void ResetFontList() {
    std::memset(&FontList, 0, sizeof FontList);
    FontList.Link = &FontList.Head;
}

// Entries are linked in the order their blocks were allocated, so each block's entries follow its
// first up to the next block's first.
void FreeFontList() {
    FontListEntry* entry = FontList.Head;
    while (entry) {
        FontListEntry* block = entry;
        entry = entry->Next;
        while (entry && !entry->BlockStart)
            entry = entry->Next;
        if (block->BlockStart) std::free(block);
    }
    ResetFontList();
}

void FillSampleLetters(HWND dialog, int32_t base) {
    for (int i = 0; i < SampleLetters; ++i)
        SampleText[i] = WCHAR(base + SampleLetters - 1 - i);
    SampleText[SampleLetters] = 0;
    SetDlgItemTextW(dialog, IDC_FONT_SAMPLE, SampleText);
}

void UpdateFontChoice(HWND dialog, int mode) {
    ReadSelectedFace(dialog);
    ReadSelectedSize(dialog, &SampleDescription.lfHeight);
    if (SampleFont) DeleteObject(SampleFont);
    SampleFont = nullptr;
    if (mode == FontChoiceList) FollowHebrewFamily(dialog);
    if (mode == FontChoiceRadio || mode == FontChoiceList) {
        SampleFont = CreateFontIndirectW(&SampleDescription);
        SendDlgItemMessageW(dialog, IDC_FONT_SAMPLE, WM_SETFONT, reinterpret_cast<WPARAM>(SampleFont), 1);
    }
    if (mode == FontChoiceOk) StoreChoice(dialog);
}

void LayoutFontDialog(HWND dialog, int width, int height) {
    int w = width - 2 * Margin, h = height - 2 * Margin, d = 2 * w / 3, f = 2 * h / 3;
    MoveWindow(GetDlgItem(dialog, IDC_FONT_FACES), Margin, Margin, d - Margin, f - Margin, TRUE);
    MoveWindow(GetDlgItem(dialog, IDC_FONT_SIZES), d + Margin, SizeListTop, w - d, f - SizeListTop, TRUE);
    MoveWindow(GetDlgItem(dialog, IDC_FONT_SAMPLE), Margin, f, w, h - f, TRUE);
    MoveWindow(GetDlgItem(dialog, IDC_FONT_BASE_224), d + Margin, Radio224Top, w - d, RadioHeight, TRUE);
    MoveWindow(GetDlgItem(dialog, IDC_FONT_BASE_5D0), d + Margin, Radio5D0Top, w - d, RadioHeight, TRUE);
}

INT_PTR CALLBACK ChooseFontProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, lParam);
    case WM_SIZE:
        LayoutFontDialog(dialog, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_ACTIVE && TaskBarWindow) ShowWindow(TaskBarWindow, SW_HIDE);
        return FALSE;
    case WM_DESTROY:
        if (SampleFont) DeleteObject(SampleFont);
        SampleFont = nullptr;
        return TRUE;
    default:
        return FALSE;
    }
}
