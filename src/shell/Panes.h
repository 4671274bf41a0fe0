// Panes.h: the two reading panes of the main window, their scroll bars, the bottom area between
// them, and what moves them: layout on every size, painting, keys, scroll bars, taps, the wheel,
// and loading articles. The panes and their texts belong to the shell from CreatePanes until
// SaveSettings destroys them; the scroll bars are child windows of the main window.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

struct TextPane;

// RedrawBits: which parts of the client area a repaint touches.
constexpr int RedrawTopPane = 0x001;
constexpr int RedrawBottomArea = 0x002;
constexpr int RedrawEraseTop = 0x100;
constexpr int RedrawAll = 0x1FF;
constexpr int RedrawEverything = 0x3FF;
constexpr int RedrawTop = RedrawEraseTop | RedrawTopPane;       // 0x101
constexpr int RedrawBottom = RedrawEraseTop | RedrawBottomArea; // 0x102

// LayoutPanes' argument for "the size remembered from the last call".
constexpr LPARAM RememberedClientSize = LPARAM(0xBAADF00D);
// GoToArticle's argument: reload the top pane for the Lesson the caller set, nothing else.
constexpr uint32_t ReloadTopOnly = 0xF4FFF500;
// The first line capacity of both panes.
constexpr uint16_t PaneCreateCapacity = 100;
// Mouse wheel: lines a notch scrolls.
constexpr int WheelLinesPerNotch = 3;

// The window names of the scroll bars: the one named "Top" stands beside the bottom pane.
inline constexpr const WCHAR* BottomPaneScrollBarName = u"Top";
inline constexpr const WCHAR* TopPaneScrollBarName = u"Bottom";

// The bottom area's fill and the rule above it.
constexpr COLORREF ColourBottomArea = 0x00FFFFEE;
constexpr COLORREF ColourBottomRule = 0x000000FF;

int CreatePanes(HWND window);
void CreateBottomPane(HWND window, HDC dc, const RECT* rect);
void LayoutPanes(HWND window, LPARAM size);
int SplitHeights(int height);
void PlaceBottomArea(int* width, int* height);
void PaintPanes(HDC dc, HWND window, int bits);
void PaintBottomArea(HDC dc);
void RedrawPanes(HWND window, int bits);
void UpdateScrollBar(HWND bar);
void UpdateScrollBars(HWND window);
int HitPane(const TextPane* pane, int x, int y);
int TapScroll(HWND window, TextPane* pane, int x, int y, int redraw);
void OnTap(HWND window, LPARAM point);
void SetArticle(uint32_t number, int unused);
int GoToArticle(HWND window, uint32_t number);
int StepArticle(HWND window, int step);
int LoadCommentary(HWND window);

// Message handlers of the main window for the panes. OnPaneKey gives 0 for the keys it handles
// and 1 for any other; OnPaneScroll gives 1.
LRESULT OnPaneKey(HWND window, WPARAM key);
LRESULT OnPaneScroll(HWND window, WPARAM code, LPARAM bar);
// Not in the original program: the wheel scrolls the pane under the pointer (screen coordinates in
// point) and makes it the acting pane.
void OnPaneWheel(HWND window, WPARAM wParam, LPARAM point);
