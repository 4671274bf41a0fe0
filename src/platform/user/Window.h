// Window.h: the window layer's records and the internal calls between its files (classes, window
// records, the queue, painting, input, timers) and for the backends' script driver. Internal to
// platform/.
// Ownership: the layer owns every ClassRecord (for the run) and every WindowRecord (from
// CreateWindowExW until DestroyWindow has run and no call into its procedure is still active).
// A top-level window owns its Framebuffer; children draw into their top-level window's one.
#pragma once

#include "platform/Win32Windows.h"
#include "platform/gdi/Surface.h"

#include <string>
#include <vector>

struct ClassRecord {
    WNDCLASSW Info;
    std::u16string Name;
    WORD Atom;
};

struct WindowRecord {
    HWND Handle;
    ClassRecord* Class;
    WNDPROC Proc;
    DWORD Style;
    DWORD ExStyle;
    HWND Parent;                // children: the parent window; top-level: null
    HWND Owner;                 // top-level: the owner window (GetParent answers it), or null
    std::vector<HWND> Children; // z-order, topmost first (a new child goes to the bottom)
    RECT Rect;                  // children: in the parent's client coordinates; top-level: screen
    HINSTANCE Instance;
    LONG_PTR Id;
    LONG_PTR UserData;
    std::vector<BYTE> Extra; // the class's cbWndExtra bytes
    std::u16string Text;
    RECT Update;          // the part to repaint, client coordinates (empty: none)
    bool EraseNeeded;     // the next BeginPaint sends WM_ERASEBKGND
    bool Destroying;      // DestroyWindow has begun: no second destruction
    bool Dead;            // its handle is gone; freed when ActiveCalls drops to 0
    int ActiveCalls;      // calls into its procedure still on the stack
    bool SizeSent;        // WM_SIZE / WM_MOVE were sent once
    RECT Frame;           // top-level with a caption: the non-client band's width on each side
    Surface* Framebuffer; // top-level only: the whole window's pixels, frame included
    std::vector<HDC> Dcs; // DCs handed out by GetDC / BeginPaint, kept in their place
    // Not wired yet: a window of another running copy (single instance). FindWindowW would give a
    // proxy record whose messages travel over the instance link instead of calling Proc.
    bool Remote;
    std::u16string RemoteClass; // a remote window's class name
};

// Classes (WindowClasses.cpp).
ClassRecord* ClassFind(LPCWSTR name);
// Windows (Windows.cpp).
WindowRecord* WindowFind(HWND window);     // null for a stale or made-up handle
WindowRecord* WindowRoot(WindowRecord* w); // the top-level window above w (w itself when top-level)
// Top-level windows in z-order, topmost first.
const std::vector<HWND>& WindowTopLevels();
void WindowRaise(HWND window); // to the top of the top-level z-order
// Calls the window's procedure, keeping its record alive for the call (SendMessageW's core).
LRESULT WindowCall(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Geometry (WindowGeometry.cpp).
RECT WindowScreenRect(WindowRecord* w);
// Where w's client (0, 0) lies on its top-level framebuffer, and the part of the framebuffer it
// may draw in (its rectangle clipped by every parent; empty when it or a parent below the top is
// hidden).
POINT WindowSurfaceOrigin(WindowRecord* w);
RECT WindowSurfaceClip(WindowRecord* w);
// Puts every DC of w's tree back in place after a move, resize or show.
void WindowPlaceDcs(WindowRecord* w);
// Resizes a top-level window's framebuffer to its rectangle (kept content is not preserved).
bool WindowFitFramebuffer(WindowRecord* w);
void WindowDefaultRect(bool child, int* x, int* y, int* width, int* height);
// The deepest visible, enabled window under a screen point (null: none).
HWND WindowAtScreenPoint(POINT screen);
HWND WindowChildAtPoint(HWND window, POINT client);

// The non-client frame (NonClient.cpp): a top-level window with WS_CAPTION has a caption (with an
// OK button for WS_EX_CAPTIONOKBTN) and a one-pixel border; every other window has none.
RECT NonClientFrameFor(DWORD style, DWORD exStyle, bool child);
RECT WindowClientSize(WindowRecord* w); // {0, 0, client width, client height}
void NonClientPaint(WindowRecord* w);   // draws the frame into the top-level window's framebuffer
// A pointer message at a point of the top-level window (window coordinates) that lies in its frame:
// true when the frame took it (the caption's OK button sends WM_COMMAND IDOK on release).
bool NonClientPointer(WindowRecord* top, UINT message, POINT point);

// Painting (Paint.cpp).
void PaintInvalidateTree(WindowRecord* w, const RECT& rect, bool erase); // client coordinates
// The next window that needs WM_PAINT, parents before children, or null.
HWND PaintNextWindow(HWND filter);
// Hands changed framebuffers to the backend.
void PaintPresentAll();
// Frees the DCs a dying window still holds.
void PaintReleaseDcs(WindowRecord* w);
// Fills a rectangle of w with its class background brush (WM_ERASEBKGND's default).
void PaintEraseBackground(HWND window, HDC dc);

// The queue (MessageQueue.cpp).
void QueuePost(const MSG& msg);
void QueuePostFront(const MSG& msg); // TranslateMessage's WM_CHAR comes before what is queued
void QueueDropWindow(HWND window);   // a destroyed window's posted messages go
DWORD QueueTime();
// Runs pending backend events, paints and timers until msg is filled; wait: block for input.
bool QueueNext(MSG* msg, HWND filter, UINT min, UINT max, bool remove, bool wait);

// Input and focus (Input.cpp, Focus.cpp).
struct BackendEvent;
void InputHandleEvent(const BackendEvent& event); // a backend event becomes queued messages
void FocusForgetWindow(HWND window);              // a dying window loses focus, activation and capture
void FocusActivate(HWND window, WORD how);
void InputSetModifiers(uint8_t modifiers);

// Timers (Timers.cpp).
bool TimerNextDue(HWND filter, MSG* msg); // a due timer's WM_TIMER, its next time set
int TimerMsUntilNext(HWND filter);        // of the timers a loop with this filter sees; -1: none
void TimerDropWindow(HWND window);

// The message box as a dialog built in code (MessageBoxDialog.cpp): shows it modally; returns
// the button pressed.
int MessageBoxShow(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type);
// The answer a box of this type gives when it is closed without a button (Escape, WM_CLOSE).
int MessageBoxEscapeAnswer(UINT type);

// Windows of another running copy (RemoteWindows.cpp).
bool RemoteListen(WindowRecord* w); // false: another copy holds the window's class and name
void RemoteClose(HWND window);
int RemoteServe(int timeoutMs); // answers waiting requests; gives the wait's timeout to use
HWND RemoteFindWindow(LPCWSTR className, LPCWSTR windowName);
LRESULT RemoteSend(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam);
BOOL RemoteSetForeground(WindowRecord* w);
HWND RemoteForeground(); // the other copy's window in front, or null
