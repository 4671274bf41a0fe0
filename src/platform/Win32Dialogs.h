// Win32Dialogs.h: message boxes.
// MessageBoxW shows a real modal box (its own modal loop; the owner is disabled meanwhile) and also
// records each call (owner, text, caption, style, answer) where tests and scripts can read it, and
// prints it to stderr. A box can be answered in advance (PlatformSetMessageBoxAnswer, a script's
// `answer`) so tests never wait; with no backend running, a box answers IDOK at once.
#pragma once

#include "platform/Win32Types.h"

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
