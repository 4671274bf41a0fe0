// MainWindow.cpp: the main window procedure, a thin switch over one handler a message, and the
// command dispatcher. Dialogs run modally from the module's dialog resources and hand back what
// the command acts on.
#include "shell/MainWindow.h"

#include "about/AboutDialog.h"
#include "export/ClipboardCopy.h"
#include "fonts/ChooseFontDialog.h"
#include "navigation/ChooseSectionDialog.h"
#include "navigation/Navigation.h"
#include "search/SearchDialog.h"
#include "shell/Panes.h"
#include "shell/ReaderState.h"
#include "shell/Settings.h"
#include "text/TextPane.h"

namespace {

// The window-position flags' high word with the no-activate bit: the shell is closing the window.
constexpr UINT ShellCloseFlagsMask = 0xFFFF0000;

SHACTIVATEINFO ActivateInfo = {sizeof(SHACTIVATEINFO), nullptr, 0, 0, 0, 0};

LRESULT OnCreate(HWND window) {
    ReaderState.MainWindow = window;
    BuildMenuBar(window);
    CreatePanes(window);
    UpdateReverseCheck(window, MenuCheckSet);
    UpdateBookmarkCheck(window, MenuCheckSet);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    if (ReaderState.TopPane) ReleaseDC(window, ReaderState.TopPane->DC);
    if (ReaderState.MenuBar) DestroyWindow(ReaderState.MenuBar);
    ReaderState.MenuBar = nullptr;
    SaveSettings();
    return 0;
}

LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam) {
    if (IgnoreActivate) return DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
    if (LOWORD(wParam) == WA_INACTIVE) return 0;
    SHFullScreen(window, FullScreen ? ReaderFullScreenFlags : SHFS_HIDESIPBUTTON);
    return 0;
}

LRESULT OnWindowPosChanged(HWND window, LPARAM lParam) {
    const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (position && (position->flags & ShellCloseFlagsMask) && (position->flags & SWP_NOACTIVATE))
        DestroyWindow(window);
    return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (DispatchCommand(window, wParam) == 1) return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
    return 0;
}

void ChangeSplit(HWND window, int32_t code) {
    if (code == PaneState.BottomSection) return;
    PaneState.BottomSection = code;
    LayoutPanes(window, RememberedClientSize);
    RedrawPanes(window, RedrawEverything);
    CheckSplitItem(window);
}

void RunAbout(HWND window) {
    DialogBoxParamW(ReaderState.Instance, MAKEINTRESOURCEW(IDD_ABOUT), window, AboutDialogProc, 0);
}

void RunIndex() {
    uint16_t lesson = ChooseSection(ReaderState.Instance, ReaderState.MainWindow, ReaderState.Lesson,
                                    &ReaderState.FontSpec);
    if (lesson != 0 && lesson != ReaderState.Lesson) GoToArticle(ReaderState.MainWindow, lesson);
}

void RunFont(HWND window) {
    INT_PTR result = DialogBoxParamW(ReaderState.Instance, MAKEINTRESOURCEW(IDD_CHOOSE_FONT), window,
                                     ChooseFontProc, reinterpret_cast<LPARAM>(&ReaderState.FontSpec));
    if (result != IDOK) return;
    SetPaneFont(ReaderState.TopPane, &ReaderState.FontSpec);
    SetPaneFont(PaneState.BottomPane, &ReaderState.FontSpec);
}

bool IsSplitCommand(WORD command) {
    int32_t code = int32_t(command) - CommandSplitBase;
    return code == SplitNone || code == SplitHalf || code == SplitThird || code == SplitQuarter ||
           code == SplitTwoThirds || code == SplitThreeQuarters;
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_DESTROY:
        return OnDestroy(window);
    case WM_SIZE:
        LayoutPanes(window, lParam);
        return 0;
    case WM_ACTIVATE:
        return OnActivate(window, wParam, lParam);
    case WM_PAINT:
        PaintPanes(reinterpret_cast<HDC>(wParam), window, RedrawAll);
        return 0;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(window, wParam, lParam, &ActivateInfo);
        return 0;
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(window, lParam);
    case WM_HELP:
        RunAbout(window);
        return 0;
    case WM_KEYDOWN:
        return OnPaneKey(window, wParam);
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_VSCROLL:
        return OnPaneScroll(window, wParam, lParam);
    case WM_LBUTTONDOWN:
        OnTap(window, lParam);
        return 0;
    case WM_MOUSEWHEEL:
        OnPaneWheel(window, wParam, lParam);
        return 0;
    case ReaderCloseMessage:
        DestroyWindow(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int DispatchCommand(HWND window, WPARAM wParam) {
    WORD command = LOWORD(wParam);
    switch (command) {
    case CommandIndexAlternate:
    case CommandIndex:
        RunIndex();
        return 0;
    case CommandSearch:
        DialogBoxParamW(ReaderState.Instance, MAKEINTRESOURCEW(IDD_SEARCH), ReaderState.MainWindow,
                        SearchDialogProc, 0);
        return 0;
    case CommandSearchAgain:
        SearchNext(ReaderState.MainWindow);
        return 0;
    case CommandCheckForUpdates:
        CheckForUpdates(ReaderState.MainWindow);
        return 0;
    case CommandAbout:
        RunAbout(window);
        return 0;
    case CommandFont:
        RunFont(window);
        return 0;
    case CommandCopy:
        CopyArticle(ActingPane(), 0);
        return 0;
    case CommandAppend:
        CopyArticle(ActingPane(), 1);
        return 0;
    case CommandNextArticle:
        StepArticle(window, 2);
        return 0;
    case CommandPreviousArticle:
        StepArticle(window, -2);
        return 0;
    case CommandReverse:
        UpdateReverseCheck(window, MenuCheckToggle);
        RedrawPanes(window, RedrawAll);
        return 0;
    case CommandBookmark:
        ToggleBookmark(IsBookmarked() ? 1 : 0);
        UpdateBookmarkCheck(window, MenuCheckSet);
        return 0;
    case CommandExit:
        DestroyWindow(ReaderState.MainWindow);
        return 0;
    default:
        break;
    }
    if (IsSplitCommand(command)) {
        ChangeSplit(window, int32_t(command) - CommandSplitBase);
        return 0;
    }
    return 1;
}
