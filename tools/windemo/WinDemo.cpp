// WinDemo.cpp: kestrova-windemo. A main window with two child windows: the tile panel counts taps
// and changes colour with each, the note panel shows what is typed (Backspace takes a character
// back) and takes the focus when tapped. M asks a question in a message box and shows the answer;
// T starts a timer that ticks five times; command 100 clears everything. The `state` script
// command shows the demo's record under "Demo". Everything here is plain Win32.
#include "platform/Win32.h"

#include <cstdio>
#include <string>

namespace {

constexpr const WCHAR* MainClass = u"WinDemo";
constexpr const WCHAR* PanelClass = u"WinDemoPanel";
constexpr int TilePanelId = 1;
constexpr int NotePanelId = 2;
constexpr WORD ClearCommand = 100;
constexpr UINT_PTR TickTimer = 1;
constexpr UINT TickPeriodMs = 100;
constexpr int TicksWanted = 5;
constexpr int Gutter = 8;
constexpr COLORREF TileColours[] = {RGB(200, 60, 60), RGB(60, 160, 80), RGB(60, 90, 200), RGB(230, 170, 30)};
constexpr COLORREF FocusColour = RGB(0, 90, 220);

struct DemoState {
    HWND Main;
    HWND Tiles;
    HWND Notes;
    int Taps;
    std::u16string Typed;
    int Answer;
    int Ticks;
};

DemoState Demo;

void WriteState(std::string* json) {
    std::string typed;
    for (char16_t c : Demo.Typed)
        typed += c < 0x80 && c != '"' && c != '\\' ? char(c) : '?';
    char buffer[160];
    std::snprintf(buffer, sizeof(buffer), "{\"Taps\":%d,\"Answer\":%d,\"Ticks\":%d,\"Typed\":\"", Demo.Taps,
                  Demo.Answer, Demo.Ticks);
    *json += buffer + typed + "\"}";
}

void FillColour(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void PaintTiles(HDC dc, const RECT& all) {
    FillColour(dc, all, TileColours[Demo.Taps % 4]);
    std::u16string line = u"Taps: " + std::u16string(1, char16_t(u'0' + Demo.Taps % 10));
    RECT text = all;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, line.c_str(), int(line.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintNotes(HWND panel, HDC dc, const RECT& all) {
    bool focused = GetFocus() == panel;
    FillColour(dc, all, focused ? FocusColour : RGB(120, 120, 120));
    RECT inside{all.left + 3, all.top + 3, all.right - 3, all.bottom - 3};
    FillColour(dc, inside, RGB(255, 255, 240));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text{inside.left + 6, inside.top + 6, inside.right - 6, inside.bottom - 6};
    std::u16string shown = Demo.Typed.empty() ? u"(type here)" : Demo.Typed;
    DrawTextW(dc, shown.c_str(), int(shown.size()), &text, DT_LEFT | DT_WORDBREAK);
    std::u16string status = u"Answer " + std::u16string(1, char16_t(u'0' + Demo.Answer)) + u", ticks " +
                            std::u16string(1, char16_t(u'0' + Demo.Ticks));
    RECT bottom{text.left, text.bottom - 20, text.right, text.bottom};
    DrawTextW(dc, status.c_str(), int(status.size()), &bottom, DT_LEFT | DT_SINGLELINE);
}

void Refresh() {
    InvalidateRect(Demo.Tiles, nullptr, TRUE);
    InvalidateRect(Demo.Notes, nullptr, TRUE);
}

void OnChar(WCHAR c) {
    if (c == 8) {
        if (!Demo.Typed.empty()) Demo.Typed.pop_back();
    } else if (c >= 0x20) {
        Demo.Typed.push_back(c);
    }
    InvalidateRect(Demo.Notes, nullptr, TRUE);
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(panel, &ps);
        RECT all;
        GetClientRect(panel, &all);
        if (GetDlgCtrlID(panel) == TilePanelId)
            PaintTiles(dc, all);
        else
            PaintNotes(panel, dc, all);
        EndPaint(panel, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (GetDlgCtrlID(panel) == TilePanelId) {
            ++Demo.Taps;
            InvalidateRect(panel, nullptr, TRUE);
        } else {
            SetFocus(panel);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(panel, nullptr, TRUE);
        return 0;
    case WM_CHAR:
        OnChar(WCHAR(wParam));
        return 0;
    case WM_KEYDOWN:
        // Keys the panel does not use go to the main window.
        return SendMessageW(GetParent(panel), message, wParam, lParam);
    default:
        return DefWindowProcW(panel, message, wParam, lParam);
    }
}

void Layout(int width, int height) {
    int half = height / 2;
    MoveWindow(Demo.Tiles, Gutter, Gutter, width - 2 * Gutter, half - Gutter - Gutter / 2, TRUE);
    MoveWindow(Demo.Notes, Gutter, half + Gutter / 2, width - 2 * Gutter, height - half - Gutter - Gutter / 2,
               TRUE);
}

void OnKey(HWND window, WPARAM key) {
    if (key == 'M') {
        Demo.Answer =
            MessageBoxW(window, u"Keep the notes you typed?", u"Demo", MB_YESNOCANCEL | MB_ICONQUESTION);
        Refresh();
    } else if (key == 'T') {
        Demo.Ticks = 0;
        SetTimer(window, TickTimer, TickPeriodMs, nullptr);
    }
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        Demo.Main = window;
        Demo.Tiles = CreateWindowExW(0, PanelClass, u"Tiles", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                     reinterpret_cast<HMENU>(TilePanelId), nullptr, nullptr);
        Demo.Notes = CreateWindowExW(0, PanelClass, u"Notes", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                     reinterpret_cast<HMENU>(NotePanelId), nullptr, nullptr);
        return Demo.Tiles && Demo.Notes ? 0 : -1;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KEYDOWN:
        OnKey(window, wParam);
        return 0;
    case WM_CHAR:
        OnChar(WCHAR(wParam));
        return 0;
    case WM_TIMER:
        if (++Demo.Ticks >= TicksWanted) KillTimer(window, TickTimer);
        InvalidateRect(Demo.Notes, nullptr, TRUE);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ClearCommand) {
            Demo.Taps = Demo.Answer = Demo.Ticks = 0;
            Demo.Typed.clear();
            Refresh();
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int DemoMain(HINSTANCE instance, LPWSTR, int show) {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = MainClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = PanelClass;
    RegisterClassW(&wc);
    PlatformRegisterStateWriter("Demo", WriteState);
    HWND main = CreateWindowExW(0, MainClass, u"Windows demo", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (main == nullptr) return 1;
    ShowWindow(main, show);
    UpdateWindow(main);
    HACCEL none = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(3));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(main, none, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return int(msg.wParam);
}

} // namespace

int main(int argc, char** argv) {
    return PlatformRunProgram(argc, argv, DemoMain);
}
