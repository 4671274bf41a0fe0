// Startup.cpp: the program entry. It reads the device flags, lets one copy of the reader run,
// creates and shows the main window, runs the message loop and puts the shell's task bar back as
// it found it.
#include "shell/MainWindow.h"

#include "fonts/ChooseFontDialog.h"
#include "resources/ResourceIds.h"
#include "shell/Panes.h"
#include "shell/ReaderState.h"
#include "shell/Settings.h"
#include "text/TextPane.h"

namespace {

constexpr UINT ReaderClassStyle = CS_HREDRAW | CS_VREDRAW;

// The foreground window's top-level ancestor.
HWND ForegroundTopLevel() {
    HWND window = GetForegroundWindow();
    for (HWND parent = window ? GetParent(window) : nullptr; parent; parent = GetParent(window))
        window = parent;
    return window;
}

// Another copy runs: bring it to the front, or make it open its index when it is in front already.
void ActivateRunningCopy(HWND running) {
    HWND foreground = GetForegroundWindow();
    HWND top = ForegroundTopLevel();
    if (foreground == running)
        SendMessageW(running, WM_COMMAND, CommandIndex, 0);
    else if (top != running)
        SetForegroundWindow(running);
}

void RegisterReaderClass() {
    WNDCLASSW wc{};
    wc.style = ReaderClassStyle;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = ReaderState.Instance;
    wc.hIcon = LoadIconW(ReaderState.Instance, MAKEINTRESOURCEW(IDI_KESTROVA));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = ReaderClassName;
    RegisterClassW(&wc);
}

// Places a full-screen window over the whole screen's height, from the top.
void GoFullScreen(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    SHFullScreen(window, ReaderFullScreenFlags);
    MoveWindow(window, r.left, 0, r.right, r.bottom, FALSE);
}

int RunMessageLoop(HWND window) {
    HACCEL accelerators = LoadAcceleratorsW(ReaderState.Instance, MAKEINTRESOURCEW(AcceleratorResource));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return int(msg.wParam);
}

} // namespace

HWND CreateMainWindow(int show) {
    HWND running = FindWindowW(ReaderClassName, ReaderWindowName);
    if (running) {
        ActivateRunningCopy(running);
        return nullptr;
    }
    InitCommonControls();
    if (TaskBarWindow) ShowWindow(TaskBarWindow, SW_HIDE);
    LoadSettings();
    SetArticle(0, ReaderState.TodayRequested);
    RegisterReaderClass();
    HWND window = CreateWindowExW(ReaderExStyle, ReaderClassName, ReaderWindowName, WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  ReaderState.Instance, nullptr);
    if (window == nullptr) return nullptr;
    if (FullScreen) GoFullScreen(window);
    ShowWindow(window, show);
    UpdateWindow(window);
    if (ReaderState.FontSpec.FontFace[0] == 0) {
        DialogBoxParamW(ReaderState.Instance, MAKEINTRESOURCEW(IDD_CHOOSE_FONT), window, ChooseFontProc,
                        reinterpret_cast<LPARAM>(&ReaderState.FontSpec));
        SetPaneFont(ReaderState.TopPane, &ReaderState.FontSpec);
        SetPaneFont(PaneState.BottomPane, &ReaderState.FontSpec);
    }
    return window;
}

int ReaderMain(HINSTANCE instance, LPWSTR commandLine, int show) {
    ResetReaderState();
    RegisterReaderStateWriters();
    ReaderState.Instance = instance;
    ReadDeviceFlags(0, DeviceFlagsBeforeTaskBar);
    if (FullScreen) TaskBarWindow = FindWindowW(TaskBarClassName, u"");
    bool taskBarWasVisible = TaskBarWindow && IsWindowVisible(TaskBarWindow);
    ReadDeviceFlags(DeviceFlagsBeforeTaskBar, DeviceFlagsTableCount - DeviceFlagsBeforeTaskBar);
    if (commandLine && commandLine[0] != 0 && wcsicmp16(commandLine, TodayArgument) == 0)
        ReaderState.TodayRequested = 1;
    HWND window = CreateMainWindow(show);
    if (window == nullptr) return 0;
    int code = RunMessageLoop(window);
    if (TaskBarWindow && taskBarWasVisible) ShowWindow(TaskBarWindow, SW_SHOW);
    return code;
}
