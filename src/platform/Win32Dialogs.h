// Win32Dialogs.h: message boxes.
// Until the window layer exists MessageBoxW records each call (owner, text, caption, style) where
// tests can read it, prints it to stderr and answers IDOK; the window layer later shows a real box
// behind the same function and still records it.
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

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Not Win32: the record of message boxes shown, oldest first, for tests and scripts.
struct PlatformMessageBoxCall {
    HWND Owner;
    std::u16string Text;
    std::u16string Caption; // the caption shown: the default one when the caller gave none
    bool CaptionGiven;
    UINT Style;
};
const std::vector<PlatformMessageBoxCall>& PlatformMessageBoxLog();
void PlatformClearMessageBoxLog();
// Not Win32: the answer the next boxes give (IDOK by default), for tests of callers that ask.
void PlatformSetMessageBoxAnswer(int answer);
// Not Win32: when FALSE, boxes are recorded but not printed to stderr (tests that expect them).
void PlatformSetMessageBoxEcho(BOOL echo);
