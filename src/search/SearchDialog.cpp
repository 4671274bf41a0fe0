// SearchDialog.cpp: the search dialog (resource 115): an edit field in the top pane's face and
// size, and the picture of a Hebrew keyboard whose keys put letters in front of the caret. OK
// stores the text as the search string and searches; the dialog closes on a hit and stays open,
// its text selected, on "Not Found!". The dialog's font is made on opening and deleted on
// destruction; the base units are read once on opening.
#include "search/SearchDialog.h"

#include "search/SearchEngine.h"
#include "shell/MainWindow.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

namespace {

// The keys' letters, nine to a row from the top right, right to left; key k is entry k - 1. The
// picture's geometry is shared with its generator (resources/ResourceIds.h).
constexpr char KeyboardLetters[] = KEYBOARD_LETTERS;
constexpr int KeyboardKeys = sizeof KeyboardLetters - 1;
// Where the picture lies in the dialog (dialog units), and its size and keys (pixels).
constexpr int PictureX = 7, PictureY = 71;
constexpr int PictureWidth = KEYBOARD_WIDTH, PictureHeight = KEYBOARD_HEIGHT;
constexpr int KeyWidth = KEYBOARD_KEY_WIDTH, KeyHeight = KEYBOARD_KEY_HEIGHT,
              KeysPerRow = KEYBOARD_KEYS_PER_ROW;
constexpr int SpaceRow = 3, SpaceFirstColumn = KEYBOARD_SPACE_FIRST_COLUMN,
              SpaceLastColumn = KEYBOARD_SPACE_LAST_COLUMN;
constexpr int EditCapacity = SearchStringCapacity; // 33 characters and the terminator
constexpr WPARAM EditLimit = SearchStringCapacity - 1;
constexpr WCHAR SpaceCharacter = 0x20;

struct SearchDialogState {
    HFONT Font;
    int BaseX, BaseY;
};
SearchDialogState DialogState;

BOOL OnInit(HWND dialog) {
    const char* search = ReaderState.SearchString;
    WCHAR* shown =
        ToDisplayText(reinterpret_cast<const uint8_t*>(search), nullptr, nullptr, int(std::strlen(search)));
    LONG units = GetDialogBaseUnits();
    DialogState.BaseX = LOWORD(units);
    DialogState.BaseY = HIWORD(units);
    LOGFONTW lf{};
    if (ReaderState.TopPane) {
        lf.lfHeight = ReaderState.TopPane->PaneFont.FontSize;
        std::memcpy(lf.lfFaceName, ReaderState.TopPane->PaneFont.FontFace,
                    sizeof ReaderState.TopPane->PaneFont.FontFace);
    }
    DialogState.Font = CreateFontIndirectW(&lf);
    SendDlgItemMessageW(dialog, IDC_SEARCH_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(DialogState.Font), 1);
    SendDlgItemMessageW(dialog, IDC_SEARCH_TEXT, EM_LIMITTEXT, EditLimit, 0);
    SetDlgItemTextW(dialog, IDC_SEARCH_TEXT, shown ? shown : u"");
    free(shown);
    return TRUE;
}

BOOL Close(HWND dialog, INT_PTR result) {
    EndDialog(dialog, result);
    SHSipPreference(ReaderState.MainWindow, SIP_FORCEDOWN);
    SipShowIM(SIPF_OFF);
    SHFullScreen(ReaderState.MainWindow, SHFS_HIDESIPBUTTON);
    return TRUE;
}

BOOL OnOk(HWND dialog) {
    WCHAR text[EditCapacity] = {};
    GetDlgItemTextW(dialog, IDC_SEARCH_TEXT, text, EditCapacity);
    EncodeSearchString(text);
    if (ReaderState.SearchString[0] == 0 || SearchNext(dialog)) return Close(dialog, IDOK);
    SendDlgItemMessageW(dialog, IDC_SEARCH_TEXT, EM_SETSEL, 0, -1);
    return TRUE;
}

BOOL OnActivate(WPARAM wParam) {
    WORD state = LOWORD(wParam);
    if (state != WA_INACTIVE && AllowSipInHebrewSearch)
        SHFullScreen(ReaderState.MainWindow, SHFS_SHOWSIPBUTTON);
    if (state == WA_ACTIVE && TaskBarWindow) ShowWindow(TaskBarWindow, SW_HIDE);
    return FALSE;
}

} // namespace

int KeyboardHitTest(int x, int y) {
    int dx = x - DialogState.BaseX * PictureX / 4, dy = y - DialogState.BaseY * PictureY / 8;
    if (dx < 0 || dy < 0 || dx >= PictureWidth || dy >= PictureHeight) return KeyboardNoKey;
    int row = dy / KeyHeight, column = dx / KeyWidth;
    if (row < SpaceRow) return (row + 1) * KeysPerRow - column;
    return column >= SpaceFirstColumn && column <= SpaceLastColumn ? 0 : KeyboardNoKey;
}

void InsertKeyboardLetter(HWND dialog, int key) {
    HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
    if (edit == nullptr || key < 0 || key > KeyboardKeys) return;
    WCHAR letter[2] = {key == 0 ? SpaceCharacter
                                : WCHAR(ReaderState.FontSpec.FontAsciiBase + KeyboardLetters[key - 1] - 'a'),
                       0};
    SendMessageW(edit, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(letter));
    DWORD start = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    SendMessageW(edit, EM_SETSEL, start - 1, start - 1);
}

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog);
    case WM_LBUTTONDOWN: {
        int key = KeyboardHitTest(LOWORD(lParam), HIWORD(lParam));
        if (key == KeyboardNoKey) return TRUE;
        InsertKeyboardLetter(dialog, key);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) return OnOk(dialog);
        if (LOWORD(wParam) == IDCANCEL) return Close(dialog, IDCANCEL);
        return FALSE;
    case WM_ACTIVATE:
        return OnActivate(wParam);
    case WM_DESTROY:
        DeleteObject(DialogState.Font);
        DialogState.Font = nullptr;
        return TRUE;
    default:
        return FALSE;
    }
}
