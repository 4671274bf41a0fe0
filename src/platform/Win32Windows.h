// Win32Windows.h: windows, classes, messages, painting, focus, input, timers and accelerators, with
// Win32's names, signatures, constants and results; system metrics. Implemented in platform/user/
// over a backend (platform/backend/): a desktop window per visible top-level window, or headless.
// Ownership: the window layer owns every window record and each top-level window's framebuffer;
// handles (HWND, HACCEL) are slot + generation, so a destroyed window's handle is refused, never
// followed. Differences from Win32 are noted on the line ("Not Win32:" for extensions).
#pragma once

#include "platform/Win32Gdi.h"
#include "platform/Win32Types.h"

#include <string>

typedef LRESULT(CALLBACK* WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef void(CALLBACK* TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND window, LPARAM lParam);
DECLARE_HANDLE(HCURSOR);

// Packing helpers.
constexpr LONG MAKELONG(WORD low, WORD high) {
    return LONG(DWORD(low) | (DWORD(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return WPARAM(DWORD(low) | (DWORD(high) << 16));
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return LPARAM(MAKELONG(low, high));
}
constexpr int GET_X_LPARAM(LPARAM l) {
    return int(SHORT(LOWORD(ULONG_PTR(l))));
}
constexpr int GET_Y_LPARAM(LPARAM l) {
    return int(SHORT(HIWORD(ULONG_PTR(l))));
}
constexpr SHORT GET_WHEEL_DELTA_WPARAM(WPARAM w) {
    return SHORT(HIWORD(w));
}
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM w) {
    return LOWORD(w);
}

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// Not Win32: no window has a non-client area: the client area is the whole window rectangle (no
// caption, frame or scroll bars are drawn by the window layer; WS_VSCROLL only records the style).
constexpr int CW_USEDEFAULT = int(0x80000000);

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_HELP = 0x0053;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
// The pointer's hit test, at every pointer event on the window under it: DefWindowProc gives
// HTCLIENT; HTTRANSPARENT passes the event to the window below (a sibling or the parent).
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTCLIENT = 1;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// WM_ACTIVATE's low word.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;
// WM_SIZE's wParam.
constexpr WPARAM SIZE_RESTORED = 0;
// Mouse messages' wParam key bits.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr int WHEEL_DELTA = 120;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_F1 = 0x70; // VK_F1 + n - 1 is Fn, up to VK_F12
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F3 = 0x72;
constexpr UINT VK_F4 = 0x73;
constexpr UINT VK_F10 = 0x79;
constexpr UINT VK_F12 = 0x7B;
// A key down that carries one UTF-16 unit of typed text (high word of lParam, Not Win32: where it
// is carried); TranslateMessage turns it into WM_CHAR.
constexpr UINT VK_PACKET = 0xE7;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;
constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos flags and insert-after values.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))

// GetWindow relations.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

// Window longs. Indexes >= 0 address the class's extra window bytes (cbWndExtra); dialogs keep
// their result there at DWL_MSGRESULT.
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
constexpr int GWLP_WNDPROC = GWL_WNDPROC;
constexpr int GWLP_USERDATA = GWL_USERDATA;
constexpr int GWLP_ID = GWL_ID;
constexpr int DWL_MSGRESULT = 0;
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = int(sizeof(LRESULT));
constexpr int DWLP_USER = DWLP_DLGPROC + int(sizeof(void*));
constexpr int DLGWINDOWEXTRA = 48; // the dialog's extra window bytes, as on 64-bit Win32

// PeekMessageW options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Accelerator flags (ACCEL.fVirt).
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

// System metrics (GetSystemMetrics).
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground; // a brush, or a system colour index + 1 (as a brush value)
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

struct CREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};

struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

// Classes. Names compare without case. Registering a name twice fails (0). The atom is never 0 on
// success. Not Win32: hCursor and lpszMenuName are kept but have no effect; cbClsExtra is ignored.
WORD RegisterClassW(const WNDCLASSW* windowClass);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* windowClass);
int GetClassNameW(HWND window, LPWSTR name, int count);

// Windows. CW_USEDEFAULT for a top-level window gives a portrait window that fits the screen,
// centred; for a child it gives 0. A child's menu argument is its id. WM_NCCREATE returning FALSE
// or WM_CREATE returning -1 fails the creation (null). The window belongs to the window layer
// until DestroyWindow (children and owned windows go with it; safe from inside its own procedure).
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HWND GetParent(HWND window); // a child's parent, or a pop-up window's owner (GetWindow GW_OWNER: any owner)
HWND GetWindow(HWND window, UINT relation);
BOOL IsChild(HWND parent, HWND window);
LONG GetWindowLongW(HWND window, int index);
// Returns the previous value. Not Win32: GWL_WNDPROC through the 32-bit calls is refused (0): a
// procedure is pointer-sized here, so use GetWindowLongPtrW / SetWindowLongPtrW as on 64-bit Win32.
LONG SetWindowLongW(HWND window, int index, LONG value);
LONG_PTR GetWindowLongPtrW(HWND window, int index); // pointer-sized GWLP_WNDPROC, GWLP_USERDATA
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
int GetDlgCtrlID(HWND window);
HWND GetDlgItem(HWND dialog, int id);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextW(HWND window, LPWSTR text, int count); // units copied, without the terminator
int GetWindowTextLengthW(HWND window);
// Top-level windows by class and name (either may be null: any). Not Win32 yet: windows of this
// process only; another copy's window is found once the single-instance link is wired in.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam); // descendants, depth first

// Messages: one queue for the process's one thread.
BOOL GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax); // 0 on WM_QUIT, -1 on a bad window
BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam); // a direct, reentrant call
void PostQuitMessage(int exitCode);
BOOL TranslateMessage(const MSG* msg); // WM_CHAR / WM_SYSCHAR for keys that make a character
LRESULT DispatchMessageW(const MSG* msg);
LRESULT CallWindowProcW(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WaitMessage();
DWORD GetMessagePos();
LONG GetMessageTime();

// Geometry. Not Win32: client and window rectangles are the same (no non-client area).
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect); // screen coordinates
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
// Sends WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, then WM_MOVE / WM_SIZE itself when the position
// / size changed (as Windows CE does, so a procedure that handles WM_WINDOWPOSCHANGED still gets them).
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL ShowWindow(HWND window, int command); // returns whether it was visible before
BOOL IsWindowVisible(HWND window);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ClientToScreen(HWND window, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);

// System colours (GetSysColor; a class background may be a colour index + 1).
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index); // a stock-like brush: never deleted

// Painting. A child window draws into its top-level window's framebuffer, clipped to its own
// rectangle (and its parents'); children paint after their parent, in z-order.
BOOL UpdateWindow(HWND window);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase); // a window null: every window
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint); // clipped to the update rectangle
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A DC on the window's client area; it follows the window when it moves or resizes, so a DC held
// for the whole run stays valid. ReleaseDC frees it; DestroyWindow frees those still held.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HWND WindowFromDC(HDC dc);

// Focus and activation. The active window is a top-level window; the focus window is it or one of
// its descendants.
HWND SetFocus(HWND window); // returns the window that had the focus
HWND GetFocus();
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);       // activates and raises it
BOOL EnableWindow(HWND window, BOOL enable); // returns TRUE when it was disabled before
BOOL IsWindowEnabled(HWND window);

// Input.
SHORT GetKeyState(int virtualKey); // high bit set while down
HWND SetCapture(HWND window);      // pointer messages go to window until ReleaseCapture
BOOL ReleaseCapture();
HWND GetCapture();

// Timers: WM_TIMER is generated when the queue is otherwise empty, on the backend's clock.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);
DWORD GetTickCount();

// Accelerators: RT_ACCELERATOR resources in their binary form. A missing table gives null, which
// TranslateAcceleratorW accepts and translates nothing with. A match sends WM_COMMAND with the
// command in the low word and 1 in the high word, and returns TRUE.
HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
int TranslateAcceleratorW(HWND window, HACCEL table, LPMSG msg);

// System metrics and the dialog base units.
int GetSystemMetrics(int index);
LONG GetDialogBaseUnits();

// Not Win32: the program's entry under this platform. Parses the platform's options
// (--headless, --script FILE, -e 'CMD; CMD'; docs/TESTING.md), chooses the backend (headless when
// asked, when a script is given, or when no display opens), then calls winMain with the module
// instance, the remaining arguments as one command line and SW_SHOWDEFAULT. Returns the exit code
// (a script error gives 2). Programs call it from main().
typedef int (*PlatformWinMain)(HINSTANCE instance, LPWSTR commandLine, int showCommand);
int PlatformRunProgram(int argc, char** argv, PlatformWinMain winMain);

// Not Win32: the window a script's `command ID` goes to: the first top-level window created,
// unless the program names another here (null: the next top-level window created).
void PlatformSetMainWindow(HWND window);
HWND PlatformMainWindow();

// Not Win32: what the `state` script command prints. Each writer appends one JSON value (an
// object, array, string or number) for its name; the window layer adds "Windows" and
// "MessageBoxes". Registering a name again replaces its writer.
typedef void (*PlatformStateWriter)(std::string* json);
void PlatformRegisterStateWriter(const char* name, PlatformStateWriter writer);

// Rectangles (right and bottom exclusive, as everywhere).
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL IsRectEmpty(const RECT* rect);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b); // FALSE (and *out empty) when they do not meet
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b);
// The window rectangle that gives a client rectangle: the caption and border of a top-level window
// with WS_CAPTION around it (the only frame this platform draws); menus have no bar here.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
