// Win32CeShell.h: the handheld shell's calls the reader makes.
#pragma once

#include "platform/Win32Types.h"

#include <string>
#include <vector>

// --- Opening documents and addresses ---
//
// ShellExecuteExW with the verb "Open" (any case; a null verb means it too) hands lpFile, an address
// or a path, to the desktop's handler: the display backend's OpenAddress when it has one, else
// `xdg-open` started directly (no shell), in its own process group, without waiting for it. The
// headless backend, and the process before a backend is chosen, open nothing and only record the call. Every
// call is recorded (PlatformShellExecuteLog).

constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

// hInstApp after a call: above 32 on success, one of these on failure.
constexpr INT_PTR SE_ERR_FNF = 2;
constexpr INT_PTR SE_ERR_NOASSOC = 31;
constexpr INT_PTR ShellExecuteSucceeded = 33; // Not Win32: the value given on success

struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;

// TRUE when the handler was started (its own result is not awaited). FALSE with GetLastError:
// ERROR_INVALID_PARAMETER for a null record, a cbSize other than the record's size, or a file starting
// with "-" (it would reach the handler as an option); ERROR_NO_ASSOCIATION for another verb or when no
// handler could be started; ERROR_FILE_NOT_FOUND for a null or empty file. hInstApp tells the same.
// Without SEE_MASK_FLAG_NO_UI a failure is also shown in a message box owned by hwnd. hProcess is
// always null: the handler's process is not given out.
BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info);

// Not Win32: the record of ShellExecuteExW calls, oldest first, for tests and the script driver.
struct PlatformShellExecuteCall {
    HWND Owner;
    std::u16string Verb; // as given (empty for a null verb)
    std::u16string File;
    ULONG Mask;
    BOOL Result;
    DWORD Error;     // GetLastError after a failure, ERROR_SUCCESS after success
    const char* How; // "recorded" (headless), "backend", "xdg-open", or "refused"
};
const std::vector<PlatformShellExecuteCall>& PlatformShellExecuteLog();
void PlatformClearShellExecuteLog();
// --- Menu bar, command bar and tool buttons ---
//
// SHCreateMenuBar puts a bar at the bottom of its parent's client area, built from a menu-bar
// resource: its buttons open the popups of the menu it names. CommandBar_Create puts a command bar
// at the top of its parent's client area; CommandBar_InsertMenubar adds a button per popup of a
// menu. Both bars take bitmap strips, tool buttons and tooltips through the toolbar messages, send
// their commands to the parent as WM_COMMAND, and follow the parent's size. A bar belongs to its
// parent (destroyed with it); the menu it loaded belongs to the bar.

struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    BYTE bReserved[6];
    ULONG_PTR dwData;
    INT_PTR iString;
};
typedef TBBUTTON* LPTBBUTTON;
typedef const TBBUTTON* LPCTBBUTTON;

struct TBADDBITMAP {
    HINSTANCE hInst;
    UINT_PTR nID;
};

constexpr BYTE TBSTATE_CHECKED = 0x01;
constexpr BYTE TBSTATE_PRESSED = 0x02;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTATE_HIDDEN = 0x08;
constexpr BYTE TBSTYLE_BUTTON = 0x00;
constexpr BYTE TBSTYLE_SEP = 0x01;
constexpr BYTE TBSTYLE_CHECK = 0x02;
constexpr BYTE TBSTYLE_DROPDOWN = 0x08;
constexpr BYTE TBSTYLE_AUTOSIZE = 0x10;

constexpr UINT TB_ENABLEBUTTON = 0x0401;
constexpr UINT TB_CHECKBUTTON = 0x0402;
constexpr UINT TB_ADDBITMAP = 0x0413; // wParam: images; lParam: TBADDBITMAP*; returns the first index
constexpr UINT TB_BUTTONCOUNT = 0x0418;
constexpr UINT TB_SETBITMAPSIZE = 0x0420; // lParam: MAKELONG(width, height)
constexpr UINT TB_ADDBUTTONS = 0x0444;    // wParam: count; lParam: TBBUTTON array
constexpr UINT TB_SETTOOLTIPS = 0x0451;   // the handheld's meaning: wParam count, lParam an array of strings

// SHCreateMenuBar.
struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB; // the bar, on success
    COLORREF clrBk;
};
typedef SHMENUBARINFO* PSHMENUBARINFO;
constexpr DWORD SHCMBF_EMPTYBAR = 0x0001;
constexpr DWORD SHCMBF_HIDDEN = 0x0002;
constexpr DWORD SHCMBF_HIDESIPBUTTON = 0x0004;
constexpr DWORD SHCMBF_COLORBK = 0x0008;
constexpr DWORD SHCMBF_HMENU = 0x0010;
constexpr UINT SHCMBM_GETSUBMENU = 0x0591; // lParam: a button's command; returns its popup
constexpr UINT SHCMBM_GETMENU = 0x0593;
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// The command bar.
constexpr WORD CMDBAR_HELP = 0x0001;
constexpr WORD CMDBAR_OK = 0x0002;
HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id);
BOOL CommandBar_InsertMenubar(HWND bar, HINSTANCE instance, WORD menuId, WORD button);
HMENU CommandBar_GetMenu(HWND bar, WORD button);
int CommandBar_AddBitmap(HWND bar, HINSTANCE instance, int bitmapId, int images, int width, int height);
BOOL CommandBar_AddButtons(HWND bar, UINT count, LPCTBBUTTON buttons);
BOOL CommandBar_AddToolTips(HWND bar, UINT count, LPCWSTR const* tips);
BOOL CommandBar_AddAdornments(HWND bar, DWORD flags, DWORD reserved); // a close button at the right
int CommandBar_Height(HWND bar);
BOOL CommandBar_Show(HWND bar, BOOL show);
void CommandBar_Destroy(HWND bar);
// Registers the standard control classes (they are also registered before the first window).
void InitCommonControls();

// Heights: the command bar is the device's 26 pixels (the panes' layout is computed around it);
// the bottom menu bar is 32 pixels, a row a finger hits easily, with 16 x 16 tool images.
constexpr int ShellCommandBarHeight = 26;
constexpr int ShellMenuBarHeight = 32;

// --- Full screen, the input panel and dialog set-up ---

constexpr DWORD SHFS_SHOWTASKBAR = 0x0001;
constexpr DWORD SHFS_HIDETASKBAR = 0x0002;
constexpr DWORD SHFS_SHOWSIPBUTTON = 0x0004;
constexpr DWORD SHFS_HIDESIPBUTTON = 0x0008;
constexpr DWORD SHFS_SHOWSTARTICON = 0x0010;
constexpr DWORD SHFS_HIDESTARTICON = 0x0020;
// Hiding the task bar makes the window fill the screen; showing it puts it back.
BOOL SHFullScreen(HWND window, DWORD state);

// SHSipPreference's requests and SipShowIM's switch: the input panel is the system's text input
// (the on-screen keyboard where the desktop has one).
enum SIPSTATE { SIP_UP = 0, SIP_DOWN, SIP_FORCEDOWN, SIP_UNCHANGED, SIP_INPUTDIALOG };
constexpr DWORD SIPF_OFF = 0x0000;
constexpr DWORD SIPF_ON = 0x0001;
BOOL SHSipPreference(HWND window, SIPSTATE state);
BOOL SipShowIM(DWORD flags);

struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
typedef SHINITDLGINFO* PSHINITDLGINFO;
constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;          // the caption's OK button
constexpr DWORD SHIDIF_SIZEDLG = 0x0002;             // sized to the space above the input panel
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;   // sized to the whole screen
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;             // the input panel goes down
constexpr DWORD SHIDIF_FULLSCREENNOMENUBAR = 0x0010; // no menu bar below it
// Sizes the dialog over its owner's window (the desktop's stand-in for the handheld's screen) and
// gives it the caption's OK button; the dialog gets WM_SIZE.
BOOL SHInitDialog(PSHINITDLGINFO info);

struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};
// The standard setting-change handling: on the handheld it resizes the window for the input panel;
// here the panel never covers the window, so nothing changes. Returns TRUE.
BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

// The shell's task bar stand-in: a hidden top-level window of class "HHTaskBar" with an empty name,
// made at the first call, that FindWindowW then finds, so that code which hides and shows the task
// bar runs as on the device.
inline constexpr const WCHAR* TaskBarClassName = u"HHTaskBar";
HWND PlatformTaskBarWindow();

// Not Win32: what the shell was last asked, for tests and the script driver's state.
struct PlatformShellState {
    DWORD FullScreenFlags; // the last SHFullScreen state
    bool FullScreen;       // the task bar is hidden
    int SipPreference;     // the last SHSipPreference request (-1: none)
    bool SipOn;            // the text input is switched on
};
const PlatformShellState& PlatformShellStateNow();
