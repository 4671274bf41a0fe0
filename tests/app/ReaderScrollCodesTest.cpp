// ReaderScrollCodesTest.cpp: the scroll-bar codes no pointer or key produces here (SB_TOP and
// SB_BOTTOM), sent to the reader running in this process: a script command of the test's own sends
// WM_VSCROLL to the main window as the top pane's bar would, and notes the pane's first line. The
// reader's records live for the process, so this is the one test here that runs it in-process.
#include "AppTestSupport.h"

#include "platform/Win32.h"
#include "platform/user/ScriptHooks.h"
#include "shell/MainWindow.h"
#include "shell/ReaderState.h"
#include "text/TextPane.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> TopLines;

// vscroll CODE: WM_VSCROLL with CODE from the top pane's bar, then the top pane's first line noted.
bool SendVerticalScroll(const std::vector<std::string>& args, std::string* error) {
    if (args.size() != 1 || ReaderState.TopPane == nullptr) {
        *error = "vscroll CODE, with the panes made";
        return false;
    }
    SendMessageW(ReaderState.MainWindow, WM_VSCROLL, WPARAM(std::atoi(args[0].c_str())),
                 reinterpret_cast<LPARAM>(PaneState.TopPaneScrollBar));
    TopLines.push_back(ReaderState.TopPane->TopLine);
    return true;
}

} // namespace

// SB_BOTTOM moves one line down, SB_TOP back to the first line.
TEST(ReaderInProcess, ScrollBarTopAndBottomCodes) {
    std::string reg = TempFolder() + "/settings.reg";
    WriteWholeFile(
        reg,
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n"
        "\"FontName\"=\"DejaVu Sans\"\r\n\r\n");
    setenv("KESTROVA_REGISTRY", reg.c_str(), 1);
    PlatformRegisterScriptCommand("vscroll", SendVerticalScroll);
    char script[] =
        "size 240 268; wait; key Down; key Down; wait; vscroll 7; vscroll 7; vscroll 6; vscroll 6; quit";
    char program[] = "kestrova", headless[] = "--headless", inline_[] = "-e";
    char* argv[] = {program, headless, inline_, script, nullptr};
    EXPECT_EQ(PlatformRunProgram(4, argv, ReaderMain), 0);
    EXPECT_EQ(TopLines, (std::vector<int>{3, 4, 0, 0}));
}
