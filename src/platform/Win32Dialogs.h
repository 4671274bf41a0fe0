// Win32Dialogs.h: message boxes.
// MessageBoxW shows a real modal box (its own modal loop; the owner is disabled meanwhile) and also
// records each call (owner, text, caption, style, answer) where tests and scripts can read it, and
// prints it to stderr. A box can be answered in advance (PlatformSetMessageBoxAnswer, a script's
// `answer`) so tests never wait; with no backend running, a box answers IDOK at once.
#pragma once

#include "platform/Win32Types.h"
#include "platform/Win32Windows.h"

#include <string>
#include <vector>

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONSTOP;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The caption a box shows when its caller gives none.
inline constexpr const WCHAR* MessageBoxDefaultCaption = u"Error";

// Centred on its owner's top-level window (the screen without one). Enter presses the focused
// button (the first at first), Escape Cancel (or OK in an MB_OK box), a button's underlined letter
// presses it. Returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Not Win32: the record of message boxes shown, oldest first, for tests and scripts.
struct PlatformMessageBoxCall {
    HWND Owner;
    std::u16string Text;
    std::u16string Caption; // the caption shown: the default one when the caller gave none
    bool CaptionGiven;
    UINT Style;
    int Answer; // the button that ended it
};
const std::vector<PlatformMessageBoxCall>& PlatformMessageBoxLog();
void PlatformClearMessageBoxLog();
// Not Win32: the answer every following box gives without being shown, for tests of callers that
// ask; 0 (the default) shows the boxes again.
void PlatformSetMessageBoxAnswer(int answer);
// Not Win32: the answer the next box only gives without being shown (a script's `answer`).
void PlatformAnswerNextMessageBox(int answer);
// Not Win32: when FALSE, boxes are recorded but not printed to stderr (tests that expect them).
void PlatformSetMessageBoxEcho(BOOL echo);

// Dialogs from templates (DIALOG and DIALOGEX as GNU windres writes them). A dialog runs modally:
// its owner is disabled until EndDialog, and the loop ends after the message in which EndDialog
// was called. The dialog's windows belong to the dialog manager and are destroyed before
// DialogBoxParamW returns; a font the template named is created for the dialog and deleted with it.
typedef INT_PTR(CALLBACK* DLGPROC)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    SHORT x;
    SHORT y;
    SHORT cx;
    SHORT cy;
};
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;

constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
// Windows CE: an OK button in the dialog's caption; it sends WM_COMMAND with IDOK.
constexpr DWORD WS_EX_CAPTIONOKBTN = 0x80000000;

constexpr UINT DM_GETDEFID = 0x0400;
constexpr UINT DM_SETDEFID = 0x0401;
constexpr WORD DC_HASDEFID = 0x534B;

// The dialog class's name, as Win32 names it.
inline constexpr const WCHAR* DialogClassName = u"#32770";

// Not Win32: reads are bounded by the resource's size; a damaged template fails the call (-1).
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
// The template is read up to DialogTemplateMaxBytes (Not Win32: Win32 trusts it without a bound).
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param);
constexpr size_t DialogTemplateMaxBytes = 65536;
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int count);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL MapDialogRect(HWND dialog, RECT* rect);
