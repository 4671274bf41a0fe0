// ReaderRunTest.cpp: the reader end to end, as a user drives it: the program runs headless as a
// child process with a script and its own settings file, and the checks read the records the
// script's `state` commands print and the settings file it leaves. A child process rather than
// ReaderMain in this process because the reader's records, classes and windows live for the
// process; each test is one start of the program with several checks along one script.
#include "AppTestSupport.h"

#include "resources/ResourceIds.h"
#include "shell/ReaderState.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr const char* CommandBarMode = "KESTROVA_PLATFORM_VERSION=4.20";

// The window of "Windows" that a PaneState handle index names.
const Json& Window(const Json& state, const char* field) {
    return state["Windows"][size_t(state["PaneState"][field].Int())];
}

void ExpectRect(const Json& rect, long left, long top, long right, long bottom) {
    EXPECT_EQ(rect[0].Int(), left);
    EXPECT_EQ(rect[1].Int(), top);
    EXPECT_EQ(rect[2].Int(), right);
    EXPECT_EQ(rect[3].Int(), bottom);
}

// The client origin on the screen: the main window's rectangle.
long MainTop(const Json& state) {
    return state["Windows"][size_t(state["ReaderState"]["MainWindow"].Int())]["Rect"][1].Int();
}

} // namespace

// The command-bar layout at 240 x 268 with the split at one half, then the other splits: 3/4,
// None and back to 1/2, which brings the bottom pane back where it was without reloading it.
TEST(ReaderRun, CommandBarLayoutAndSplits) {
    std::string reg = Settings();
    AppRun run =
        RunReader(reg,
                  "size 240 268; wait\nstate\nkey Down; key Down; wait\n" + Cmd(IDM_SPLIT_THREE_QUARTERS) +
                      "state\n" + Cmd(IDM_SPLIT_NONE) + "state\n" + Cmd(IDM_SPLIT_HALF) + "state\nquit\n",
                  CommandBarMode);
    ASSERT_EQ(run.States.size(), 4u);
    const Json& s = run.States[0];
    EXPECT_EQ(s["LastClientWidth"].Int(), 240);
    EXPECT_EQ(s["LastClientHeight"].Int(), 268);
    EXPECT_EQ(s["ReaderState"]["MenuBarHeight"].Int(), 26);
    const Json& top = s["TopPane"];
    EXPECT_EQ(top["Top"].Int(), 26);
    EXPECT_EQ(top["Width"].Int(), 227);
    EXPECT_EQ(top["Height"].Int(), 119);
    const Json& bottom = s["BottomPane"];
    EXPECT_EQ(bottom["Top"].Int(), 148);
    EXPECT_EQ(bottom["Width"].Int(), 227);
    EXPECT_EQ(bottom["Height"].Int(), 120);
    ExpectRect(s["PaneState"]["BottomRect"], 0, 148, 227, 268);
    long y0 = MainTop(s);
    // The scroll bars' names are crossed: "Bottom" scrolls the top pane.
    EXPECT_EQ(Window(s, "TopPaneScrollBar")["Text"].Text, "Bottom");
    ExpectRect(Window(s, "TopPaneScrollBar")["Rect"], 227, y0 + 24, 240, y0 + 24 + 121);
    ExpectRect(Window(s, "BottomPaneScrollBar")["Rect"], 227, y0 + 146, 240, y0 + 146 + 122);

    // 3/4 of h = 242: bottom 181, top 61.
    const Json& q = run.States[1];
    EXPECT_EQ(q["PaneState"]["BottomSection"].Int(), SplitThreeQuarters);
    EXPECT_EQ(q["TopPane"]["Height"].Int(), 61 - 2);
    EXPECT_EQ(q["BottomPane"]["Height"].Int(), 181 - 1);

    // None: the top pane takes the whole height; the bottom pane keeps its last size.
    const Json& none = run.States[2];
    EXPECT_EQ(none["TopPane"]["Height"].Int(), 242 - 2);
    EXPECT_EQ(none["BottomPane"]["Height"].Int(), q["BottomPane"]["Height"].Int());
    EXPECT_EQ(none["TopPane"]["TopLine"].Int(), 2); // the keys scrolled the top pane

    const Json& back = run.States[3];
    EXPECT_EQ(back["BottomPane"]["Top"].Int(), 148);
    EXPECT_EQ(back["BottomPane"]["Height"].Int(), 120);
    EXPECT_EQ(back["TopPane"]["TopLine"].Int(), 2); // nothing reloaded
    EXPECT_EQ(back["BottomPane"]["LineCount"].Int(), bottom["LineCount"].Int());
    EXPECT_EQ(run.ExitCode, 0);
}

// Taps at the middle of the top pane and one pixel above it, between the panes, and Home on the
// first line (in the same 240 x 268 layout).
TEST(ReaderRun, TapsAndHome) {
    std::string reg = Settings();
    AppRun run = RunReader(reg, "size 240 268; wait\nstate\nkey Home; wait\nstate\n", CommandBarMode);
    ASSERT_EQ(run.States.size(), 2u);
    long y0 = MainTop(run.States[0]);
    EXPECT_EQ(run.States[1]["TopPane"]["TopLine"].Int(), 0); // Home on line 0 stays there
    long mid = y0 + 26 + 119 / 2;
    std::string script = "size 240 268; wait\n"
                         "tap 100 " +
                         std::to_string(mid) +
                         "; wait\nstate\n"
                         "tap 100 " +
                         std::to_string(mid - 1) +
                         "; wait\nstate\n"
                         "tap 100 " +
                         std::to_string(y0 + 146) + "; tap 100 " + std::to_string(y0 + 147) +
                         "; wait\nstate\nquit\n";
    run = RunReader(reg, script, CommandBarMode);
    ASSERT_EQ(run.States.size(), 3u);
    long forward = run.States[0]["TopPane"]["TopLine"].Int();
    EXPECT_GT(forward, 0);
    EXPECT_EQ(run.States[1]["TopPane"]["TopLine"].Int(), 0);
    // Between the panes: neither scrolls.
    EXPECT_EQ(run.States[2]["TopPane"]["TopLine"].Int(), 0);
    EXPECT_EQ(run.States[2]["BottomPane"]["TopLine"].Int(), 0);
}

// In a window so low that the top pane shows one line, Page Down still moves a line forward and
// Page Up a line back (a page of the visible lines less one would be no move at all).
TEST(ReaderRun, PageKeysMoveInAPaneOfOneLine) {
    std::string reg = Settings();
    AppRun run =
        RunReader(reg, "size 240 90; wait\nstate\nkey Next; wait\nstate\nkey Prior; wait\nstate\nquit\n",
                  CommandBarMode);
    ASSERT_EQ(run.States.size(), 3u);
    ASSERT_EQ(run.States[0]["TopPane"]["PaintedLines"].Int(), 1);
    EXPECT_EQ(run.States[0]["TopPane"]["TopLine"].Int(), 0);
    EXPECT_EQ(run.States[1]["TopPane"]["TopLine"].Int(), 1);
    EXPECT_EQ(run.States[2]["TopPane"]["TopLine"].Int(), 0);
}

// Next Article from the last article wraps to the first.
TEST(ReaderRun, NextFromTheLastArticle) {
    std::string reg = Settings("\"Lesson\"=dword:000000f9\r\n");
    AppRun run = RunReader(reg, "wait\nstate\n" + Cmd(IDM_NEXT_ARTICLE) + "state\nquit\n");
    ASSERT_EQ(run.States.size(), 2u);
    EXPECT_EQ(run.States[0]["ReaderState"]["Lesson"].Int(), 249);
    EXPECT_EQ(run.States[1]["ReaderState"]["Lesson"].Int(), 1);
    EXPECT_EQ(run.States[1]["TopPane"]["TopLine"].Int(), 0);
}

// Stored values read back: "Lesson" as text, a search text longer than the field.
TEST(ReaderRun, StoredValuesAsTheyAreRead) {
    std::string forty = "hex:";
    for (int i = 0; i < 40; ++i)
        forty += std::string(i ? "," : "") + "61";
    AppRun run =
        RunReader(Settings("\"Lesson\"=\"17\"\r\n\"SearchString\"=" + forty + "\r\n"), "wait\nstate\nquit\n");
    ASSERT_EQ(run.States.size(), 1u);
    EXPECT_EQ(run.States[0]["ReaderState"]["Lesson"].Int(), 17);
    EXPECT_EQ(run.States[0]["ReaderState"]["SearchString"].Text, std::string(SearchStringCapacity - 1, 'a'));
    run = RunReader(Settings("\"Lesson\"=\"1a\"\r\n"), "wait\nstate\nquit\n");
    ASSERT_EQ(run.States.size(), 1u);
    EXPECT_EQ(run.States[0]["ReaderState"]["Lesson"].Int(), 59); // 1 x 10 + ('a' - '0')
}

// No settings at all: the first-run font dialog, the defaults, and the values written at exit.
TEST(ReaderRun, FirstRunDefaultsWrittenAtExit) {
    std::string reg = TempFolder() + "/settings.reg";
    AppRun run = RunReader(reg, "wait\nstate\nkey Escape; wait\nstate\nquit\n");
    ASSERT_EQ(run.States.size(), 2u);
    bool fontDialog = false;
    for (const Json& w : run.States[0]["Windows"].Items)
        fontDialog = fontDialog || (w["Text"].Text == "Choose Font" && w["Visible"].Value);
    EXPECT_TRUE(fontDialog);
    const Json& s = run.States[1]["ReaderState"];
    EXPECT_EQ(s["Lesson"].Int(), 1);
    EXPECT_EQ(s["Flags"].Int(), long(DefaultFlags));
    EXPECT_EQ(s["FontSpec"]["FontAsciiBase"].Int(), 0x5D0);
    EXPECT_EQ(run.States[1]["PaneState"]["BottomSection"].Int(), SplitHalf);
    std::string file = ReadWholeFile(reg);
    for (const char* value :
         {"\"Flags\"=dword:d1140040", "\"BottomSection\"=dword:0000000c", "\"Lesson\"=dword:00000001",
          "\"FontAsciiBase\"=dword:000005d0", "\"LastPosition\"=dword:00000000",
          "\"BottomSectionLastPosition\"=dword:00000000", "\"Program Path\"="})
        EXPECT_NE(file.find(value), std::string::npos) << value << " in\n" << file;
}

namespace {

// A tap on key k (1 to 27) of the search dialog's keyboard picture, whose top left lies at (x, y)
// on the screen: nine keys a row, numbered from the top right.
std::string KeyTap(const Json& picture, int k) {
    long x = picture["Rect"][0].Int(), y = picture["Rect"][1].Int();
    int row = (k - 1) / KEYBOARD_KEYS_PER_ROW,
        column = KEYBOARD_KEYS_PER_ROW - 1 - (k - 1) % KEYBOARD_KEYS_PER_ROW;
    return "tap " + std::to_string(x + column * KEYBOARD_KEY_WIDTH + KEYBOARD_KEY_WIDTH / 2) + " " +
           std::to_string(y + row * KEYBOARD_KEY_HEIGHT + KEYBOARD_KEY_HEIGHT / 2) + "\n";
}

} // namespace

// The search dialog: three tets are nowhere: "Not Found!" over the dialog, which stays open with
// its text selected, so that three keys of the picture (he, vav, alef) replace it; OK finds and
// highlights the word in the top pane; F3 finds the next one.
TEST(ReaderRun, SearchByTheKeyboardPicture) {
    std::string reg = Settings();
    AppRun probe = RunReader(reg, "size 240 320; wait\n" + Cmd(IDM_SEARCH) + "state\nquit\n");
    ASSERT_EQ(probe.States.size(), 1u);
    const Json* picture = FindWindow(probe.States[0], "STATIC", std::string("\xEF\xBF\xBFw")); // ordinal 119
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ((*picture)["Rect"][2].Int() - (*picture)["Rect"][0].Int(), KEYBOARD_WIDTH);
    std::string nowhere = KeyTap(*picture, 9) + KeyTap(*picture, 9) + KeyTap(*picture, 9);
    std::string word = KeyTap(*picture, 5) + KeyTap(*picture, 6) + KeyTap(*picture, 1);
    AppRun run = RunReader(reg, "size 240 320; wait\n" + Cmd(IDM_SEARCH) + nowhere +
                                    "answer OK; key Return; wait\nstate\n" + word +
                                    "wait\nstate\nkey Return; wait\nstate\nkey F3; wait\nstate\nquit\n");
    ASSERT_EQ(run.States.size(), 4u);
    const Json& none = run.States[0];
    ASSERT_EQ(none["MessageBoxes"].Items.size(), 1u);
    EXPECT_EQ(none["MessageBoxes"][0]["Text"].Text, "Not Found!");
    EXPECT_EQ(none["ReaderState"]["SearchString"].Text, "iii");
    EXPECT_NE(FindWindow(none, "#32770", "Kestrova"), nullptr); // still open
    const Json* edit = FindWindow(run.States[1], "EDIT", "");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ((*edit)["Text"].Text, "\xD7\x90\xD7\x95\xD7\x94"); // alef vav he, in stored order
    const Json& hit = run.States[2];
    EXPECT_EQ(hit["ReaderState"]["SearchString"].Text, "afe");
    EXPECT_EQ(hit["TopPane"]["HitEnd"].Int() - hit["TopPane"]["HitStart"].Int(), 3);
    EXPECT_EQ(FindWindow(hit, "#32770", ""), nullptr); // closed on the hit
    const Json& next = run.States[3];
    bool moved = next["TopPane"]["HitStart"].Int() != hit["TopPane"]["HitStart"].Int() ||
                 next["BottomPane"]["HitEnd"].Int() != 0 || next["ReaderState"]["Lesson"].Int() != 1;
    EXPECT_TRUE(moved);
}

// Two bookmarks, the index, a tap on the first of the bookmark group (below the dialog's 24-pixel
// caption): the reader goes there. Then
// Copy and Append twice make one document: one header, two separators, one final brace.
TEST(ReaderRun, BookmarksIndexAndClipboard) {
    std::string reg = Settings();
    AppRun run = RunReader(reg, "size 240 320; wait\n" + Cmd(IDM_BOOKMARK) + Cmd(IDM_NEXT_ARTICLE) +
                                    Cmd(IDM_BOOKMARK) + Cmd(IDM_INDEX) + "state\ntap 150 46; wait\nstate\n" +
                                    Cmd(IDM_COPY) + Cmd(IDM_NEXT_ARTICLE) + Cmd(IDM_APPEND) +
                                    Cmd(IDM_NEXT_ARTICLE) + Cmd(IDM_APPEND) + "clipboard\nquit\n");
    ASSERT_EQ(run.States.size(), 2u);
    const Json& index = run.States[0];
    EXPECT_EQ(index["ReaderState"]["Bookmarks"].Items.size(), 2u);
    EXPECT_EQ(index["ReaderState"]["Bookmarks"][0].Int(), 1);
    EXPECT_EQ(index["ReaderState"]["Bookmarks"][1].Int(), 3);
    EXPECT_NE(FindWindow(index, "#32770", "Choose Section"), nullptr);
    EXPECT_EQ(run.States[1]["ReaderState"]["Lesson"].Int(), 1);
    EXPECT_EQ(FindWindow(run.States[1], "#32770", "Choose Section"), nullptr);
    int headers = 0, separators = 0, braces = 0;
    for (const std::string& line : run.Lines) {
        headers += line.find("{\\rtf1") != std::string::npos;
        separators += line.find("*  *  *  *  *") != std::string::npos;
        braces += line == "}";
    }
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(separators, 2);
    EXPECT_EQ(braces, 1);
    while (!run.Lines.empty() && run.Lines.back().empty())
        run.Lines.pop_back();
    ASSERT_FALSE(run.Lines.empty());
    EXPECT_EQ(run.Lines.back(), "}"); // nothing after the document's end
    EXPECT_NE(ReadWholeFile(reg).find("\"Bookmarks\"=hex:01,00,03,00,00,00"), std::string::npos);
}

// The About box's link opens the home page through ShellExecuteExW: headless, the call is recorded
// for `state` and nothing is started; it asks for no message box, and the dialog stays open.
TEST(ReaderRun, AboutLinkIsRecordedForState) {
    AppRun run = RunReader(Settings(),
                           "size 240 320; wait\n" + Cmd(IDM_ABOUT) + "state\nkey Space; wait\nstate\nquit\n");
    ASSERT_EQ(run.States.size(), 2u);
    EXPECT_EQ(run.States[0]["ShellExecute"].Items.size(), 0u);
    const Json& opened = run.States[1]["ShellExecute"];
    ASSERT_EQ(opened.Items.size(), 1u);
    EXPECT_EQ(opened[0].Text, "shell-execute Open \"" KESTROVA_HOME_PAGE "\" recorded ok");
    EXPECT_EQ(run.States[1]["MessageBoxes"].Items.size(), 0u);
    EXPECT_NE(FindWindow(run.States[1], "#32770", "Kestrova"), nullptr);
}

// The scroll bars' names are crossed ("Bottom" scrolls the top pane): each bar's down arrow moves
// its own pane one line, the page area by the painted lines less one; a wheel notch over the bottom
// pane moves it three lines and makes it the acting pane.
TEST(ReaderRun, ScrollBarsAndWheel) {
    AppRun run = RunReader(Settings(),
                           "size 240 268; wait\ntap 233 139; wait\nstate\ntap 233 262; wait\nstate\n"
                           "wheel 100 200 -120; wait\nstate\ntap 233 200; wait\nstate\nquit\n",
                           CommandBarMode);
    ASSERT_EQ(run.States.size(), 4u);
    EXPECT_EQ(run.States[0]["TopPane"]["TopLine"].Int(), 1);
    EXPECT_EQ(run.States[0]["BottomPane"]["TopLine"].Int(), 0);
    EXPECT_EQ(run.States[1]["TopPane"]["TopLine"].Int(), 1);
    EXPECT_EQ(run.States[1]["BottomPane"]["TopLine"].Int(), 1);
    EXPECT_EQ(run.States[2]["BottomPane"]["TopLine"].Int(), 4);
    EXPECT_EQ(run.States[2]["PaneState"]["ActivePane"].Text, "BottomPane");
    EXPECT_EQ(run.States[3]["BottomPane"]["TopLine"].Int(),
              4 + run.States[2]["BottomPane"]["PaintedLines"].Int() - 1);
    EXPECT_EQ(run.States[3]["TopPane"]["TopLine"].Int(), 1);
}

// A reader run headless under a script that gets SIGTERM (a test harness's timeout, the end of a
// session) stops its script where it is and closes in order: the place it had reached is saved.
// The script prints its state before a long sleep; the signal comes once that line is read.
TEST(ReaderRun, SigtermStopsTheScriptAndThePlaceIsSaved) {
    std::string reg = Settings();
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        setenv("KESTROVA_REGISTRY", reg.c_str(), 1);
        execl(KESTROVA_PROGRAM, KESTROVA_PROGRAM, "--headless", "-e",
              "key Next; wait; state; sleep 60000; key Next; wait", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string printed;
    char c = 0;
    while (printed.find('\n') == std::string::npos && read(out[0], &c, 1) == 1)
        printed += c;
    close(out[0]);
    ASSERT_EQ(printed.compare(0, 2, "{\""), 0) << printed;
    long reached = JsonReader(printed).Read()["TopPane"]["TopLine"].Int();
    EXPECT_GT(reached, 0);
    kill(child, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(child, &status, WNOHANG) == 0; ++i)
        usleep(50000);
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the reader went on sleeping after SIGTERM";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string saved = ReadWholeFile(reg);
    EXPECT_EQ(saved.find("\"LastPosition\"=dword:00000000"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"LastPosition\"="), std::string::npos) << saved;
}
