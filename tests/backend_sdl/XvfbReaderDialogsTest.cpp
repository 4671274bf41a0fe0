// XvfbReaderDialogsTest.cpp: every dialog of the reader driven on a real window with xdotool, in one
// start of the program: the search (the keyboard picture, "Not Found!" over the dialog, words typed
// on the keyboard, a hit with its banner, F3), the index (Ctrl+D, a heading closed and opened, the caption
// OK, a lesson chosen; a second start of the program opening it in the running copy), Choose Font and About.
// The same steps run first headless on a screen of the same size: its `state` says where to tap, and after
// each step the real screen must hold the pixels of the headless screenshot. The settings file after
// Ctrl+Q holds the search and the lesson chosen. Screenshots of the real display are written as PNG
// files in the run's folder.

// Before Xlib (through XvfbSupport.h), whose macros (Bool) would rename its identifiers.
#include "tests/support/JsonState.h"

#include "XvfbSupport.h"

#include "resources/ResourceIds.h"
#include "store/SectionIndexFormat.h"

#include <chrono>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

constexpr int CaptionHeight = 24;     // the frame's caption above a dialog's client area
constexpr int OkButtonFromRight = 24; // the middle of the caption's OK button, from the frame's right

struct Spot {
    int X = -1, Y = -1;
};

std::string Num(long v) {
    return std::to_string(v);
}

std::vector<Json> States(const std::string& out) {
    std::vector<Json> states;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("{\"", 0) == 0) states.push_back(JsonReader(line).Read());
    return states;
}

// The reader headless on a screen of the display's size, with a copy of the settings; the states.
std::vector<Json> RunHeadless(const std::string& settings, const std::string& name,
                              const std::string& script) {
    std::string copy = XvfbTempPath((name + ".reg").c_str());
    XvfbWriteFile(copy, settings);
    Display* display = XvfbDisplay();
    std::string size = "size " + Num(DisplayWidth(display, DefaultScreen(display))) + " " +
                       Num(DisplayHeight(display, DefaultScreen(display))) + "; wait; ";
    return States(XvfbOutput("KESTROVA_REGISTRY=" + copy + " " + KESTROVA_READER + " --headless -e '" + size +
                             script + "; quit' 2>&1"));
}

const Json* FindWindowIn(const Json& state, const std::string& className, const std::string& text) {
    for (const Json& w : state["Windows"].Items)
        if (w["Class"].Text == className && (text.empty() || w["Text"].Text == text)) return &w;
    return nullptr;
}

// The middle of key k (1 to 27) of the keyboard picture: nine keys a row from the top right.
Spot KeyboardKey(const Json& picture, int k) {
    int row = (k - 1) / KEYBOARD_KEYS_PER_ROW,
        column = KEYBOARD_KEYS_PER_ROW - 1 - (k - 1) % KEYBOARD_KEYS_PER_ROW;
    return {int(picture["Rect"][0].Int()) + column * KEYBOARD_KEY_WIDTH + KEYBOARD_KEY_WIDTH / 2,
            int(picture["Rect"][1].Int()) + row * KEYBOARD_KEY_HEIGHT + KEYBOARD_KEY_HEIGHT / 2};
}

// The box of the first shown row of record id in the open index (not scrolled), on the screen.
Spot RowBox(const Json& state, long id) {
    const Json* dialog = FindWindowIn(state, "#32770", "Choose Section");
    const Json& tree = state["ChooseSection"];
    if (dialog == nullptr || tree.IsNull()) return {};
    long y = tree["Top"].Int();
    for (const Json& row : tree["Rows"].Items) {
        if (!(row["Attributes"].Int() & SectionShown)) continue;
        if (row["Id"].Int() == id)
            return {int((*dialog)["Rect"][0].Int() + row["X"].Int() + row["TextWidth"].Int() + 8),
                    int((*dialog)["Rect"][1].Int() + y + row["Height"].Int() / 2)};
        y += row["Height"].Int();
    }
    return {};
}

std::string HeadlessTap(Spot s) {
    return "tap " + Num(s.X) + " " + Num(s.Y) + "; wait; ";
}

struct RealRun {
    Spot Pointer;

    // A tap. (Moving with --sync to where the pointer already is would wait for a move that never comes.)
    void Click(Spot s) {
        bool there = s.X == Pointer.X && s.Y == Pointer.Y;
        XvfbRun(there ? "xdotool click 1"
                      : "xdotool mousemove --sync " + Num(s.X) + " " + Num(s.Y) + " click 1");
        Pointer = s;
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
    }
    // Keys as a person types them (XTEST): to the window that has the keyboard, which is the one in
    // front. (Sent to a named window, a key that closes it loses its release, and the server then
    // repeats the key as if held.)
    void Keys(const std::string& keys) const {
        XvfbRun("xdotool key " + keys);
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
    }
};

// Pixels of the screen's area g that differ from the headless screenshot, waiting up to 4 s for the
// real window to catch up; the real pixels are written to real.png.
int DifferingFromHeadless(const XvfbGeometry& g, const std::string& headlessPng, const std::string& realPng) {
    int width = 0, height = 0;
    std::vector<uint32_t> shot = XvfbReadPng(headlessPng, &width, &height);
    if (shot.empty() || g.X + g.Width > width || g.Y + g.Height > height) return -1;
    int differing = -1;
    std::vector<uint32_t> real;
    for (int i = 0; i < 40 && differing != 0;
         ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        real = XvfbGrab(g.X, g.Y, g.Width, g.Height);
        differing = 0;
        for (int y = 0; y < g.Height; ++y)
            for (int x = 0; x < g.Width; ++x)
                differing += real[size_t(y) * g.Width + x] != shot[size_t(g.Y + y) * width + g.X + x];
    }
    XvfbWritePng(realPng, real, g.Width, g.Height);
    return differing;
}

// The one window shown now that was not shown before, waiting up to 3 s; 0 when none.
unsigned long NewWindow(const std::set<unsigned long>& before) {
    for (int i = 0; i < 30; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        for (unsigned long w : XvfbShownWindows())
            if (!before.count(w)) return w;
    return 0;
}

bool Gone(unsigned long window) {
    for (int i = 0; i < 30; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        if (!XvfbShownWindows().count(window)) return true;
    return false;
}

XvfbGeometry MainArea(const Json& state) {
    const Json& rect = state["Windows"][size_t(state["ReaderState"]["MainWindow"].Int())]["Rect"];
    return {int(rect[0].Int()), int(rect[1].Int()), int(rect[2].Int() - rect[0].Int()),
            int(rect[3].Int() - rect[1].Int())};
}

// What the headless runs say: where to tap, and the screenshots (in the run's folder) to match.
struct Plan {
    std::string Settings;
    XvfbGeometry Main{};
    Json Picture, SearchBox; // the keyboard picture and the search dialog (client rectangle)
    Spot HeadingBox, Entry, IndexOk;
    long Lesson = 0;
};

std::string KeyTaps(const Json& picture, std::initializer_list<int> keys) {
    std::string s;
    for (int k : keys)
        s += HeadlessTap(KeyboardKey(picture, k));
    return s;
}

// Typed, not tapped: the characters go in one after the other, the caret after each.
constexpr const char* TypedSearch = "\xD7\x90\xD7\x95\xD7\x94"; // alef, vav, he

// Three runs: where the keyboard picture lies; the search (three tets nowhere, then alef, vav, he
// typed),
// F3 and the index; then the index driven with the rows the second run showed.
void MakePlan(Plan* p) {
    std::vector<Json> probe = RunHeadless(p->Settings, "probe", "state; key F3 alt; wait; state");
    ASSERT_EQ(probe.size(), 2u);
    p->Main = MainArea(probe[0]);
    for (const Json& w : probe[1]["Windows"].Items)
        if (w["Class"].Text == "STATIC" && w["Rect"][2].Int() - w["Rect"][0].Int() == KEYBOARD_WIDTH)
            p->Picture = w;
    ASSERT_FALSE(p->Picture.IsNull()) << "Alt+F3 opens the search dialog with its keyboard picture";
    ASSERT_NE(FindWindowIn(probe[1], "#32770", "Kestrova"), nullptr);
    p->SearchBox = *FindWindowIn(probe[1], "#32770", "Kestrova");
    const std::string search = "key F3 alt; wait; " + KeyTaps(p->Picture, {9, 9, 9}) +
                               "answer OK; key Return; wait; type " + TypedSearch +
                               "; wait; key Return; wait; screenshot " + XvfbTempPath("hit.png") +
                               "; key F3; wait; screenshot " + XvfbTempPath("next.png") +
                               "; key D ctrl; wait; state; screenshot " + XvfbTempPath("index.png");
    std::vector<Json> found = RunHeadless(p->Settings, "found", search);
    ASSERT_EQ(found.size(), 1u);
    const Json& index = found[0];
    ASSERT_FALSE(index["ChooseSection"].IsNull());
    for (const Json& row : index["ChooseSection"]["Rows"].Items)
        if ((row["Id"].Int() & SectionIdSelectable) && (row["Attributes"].Int() & SectionShown) &&
            (row["Id"].Int() & SectionIdNumberMask) != index["ReaderState"]["Lesson"].Int()) {
            p->Lesson = row["Id"].Int() & SectionIdNumberMask;
            break;
        }
    ASSERT_NE(p->Lesson, 0);
    const Json& dialog = (*FindWindowIn(index, "#32770", "Choose Section"))["Rect"];
    p->IndexOk = {int(dialog[2].Int()) + 1 - OkButtonFromRight, int(dialog[1].Int()) - CaptionHeight / 2};
    p->HeadingBox = RowBox(index, index["ChooseSection"]["Rows"][0]["Id"].Int());
    p->Entry = RowBox(index, SectionIdSelectable | p->Lesson);
    std::vector<Json> moved = RunHeadless(
        p->Settings, "moved",
        search + "; " + HeadlessTap(p->HeadingBox) + "screenshot " + XvfbTempPath("closed.png") + "; " +
            HeadlessTap(p->HeadingBox) + "screenshot " + XvfbTempPath("reopened.png") + "; " +
            HeadlessTap(p->IndexOk) + "screenshot " + XvfbTempPath("back.png") + "; key D ctrl; wait; " +
            HeadlessTap(p->Entry) + "state; screenshot " + XvfbTempPath("moved.png"));
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1]["ReaderState"]["Lesson"].Int(), p->Lesson);
}

bool SameGeometry(const XvfbGeometry& a, const XvfbGeometry& b) {
    return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height;
}

bool Inside(int x, int y, const XvfbGeometry& g) {
    return x > g.X && x < g.X + g.Width && y > g.Y && y < g.Y + g.Height;
}

void WriteScreen(const char* name) {
    Display* display = XvfbDisplay();
    int width = DisplayWidth(display, DefaultScreen(display)),
        height = DisplayHeight(display, DefaultScreen(display));
    XvfbWritePng(XvfbTempPath(name), XvfbGrab(0, 0, width, height), width, height);
}

// Alt+F3; three tets tapped are nowhere: "Not Found!" over the dialog, which stays open when the box
// is answered, its text selected, so that alef, vav, he typed on the keyboard replace it; OK finds
// them; F3 the next.
void DriveSearch(RealRun& run, const Plan& p) {
    std::set<unsigned long> shown = XvfbShownWindows();
    run.Keys("alt+F3");
    unsigned long dialog = NewWindow(shown);
    ASSERT_NE(dialog, 0u) << "Alt+F3 opens the search dialog";
    XvfbGeometry d = XvfbWindowGeometry(dialog);
    EXPECT_EQ(d.X + 1, p.SearchBox["Rect"][0].Int());
    EXPECT_EQ(d.Y + d.Height - 1, p.SearchBox["Rect"][3].Int());
    for (int k : {9, 9, 9})
        run.Click(KeyboardKey(p.Picture, k));
    shown = XvfbShownWindows();
    run.Keys("Return");
    unsigned long notFound = NewWindow(shown);
    ASSERT_NE(notFound, 0u) << "\"Not Found!\" is shown";
    XvfbGeometry n = XvfbWindowGeometry(notFound);
    EXPECT_TRUE(Inside(n.X + n.Width / 2, n.Y + n.Height / 2, d)) << "the box stands over the dialog";
    WriteScreen("real_notfound.png");
    run.Keys("Return");
    EXPECT_TRUE(Gone(notFound));
    EXPECT_EQ(XvfbShownWindows().count(dialog), 1u) << "the dialog stays open";
    XvfbRun(std::string("xdotool type --delay 60 ") + TypedSearch);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    run.Keys("Return");
    EXPECT_TRUE(Gone(dialog)) << "a hit closes the dialog";
    EXPECT_EQ(DifferingFromHeadless(p.Main, XvfbTempPath("hit.png"), XvfbTempPath("real_hit.png")), 0)
        << "the hit, highlighted, and its banner";
    run.Keys("F3");
    EXPECT_EQ(DifferingFromHeadless(p.Main, XvfbTempPath("next.png"), XvfbTempPath("real_next.png")), 0)
        << "F3 goes on to the next hit";
}

// Ctrl+D over the whole reader; the first heading closed and opened again by taps on its box; the
// caption OK leaves the reader where it was; Ctrl+D again and a lesson's row moves it.
void DriveIndex(RealRun& run, const Plan& p) {
    std::set<unsigned long> shown = XvfbShownWindows();
    run.Keys("ctrl+d");
    unsigned long tree = NewWindow(shown);
    ASSERT_NE(tree, 0u) << "Ctrl+D opens the index";
    XvfbGeometry t = XvfbWindowGeometry(tree);
    EXPECT_TRUE(SameGeometry(t, p.Main))
        << "the index covers the reader: " << t.X << "," << t.Y << " " << t.Width << "x" << t.Height;
    const std::pair<const char*, const char*> steps[] = {
        {"closed.png", "a tap on the box closes the heading"},
        {"reopened.png", "a second tap opens it again"}};
    EXPECT_EQ(DifferingFromHeadless(p.Main, XvfbTempPath("index.png"), XvfbTempPath("real_index.png")), 0);
    for (const auto& [picture, what] : steps) {
        run.Click(p.HeadingBox);
        EXPECT_EQ(DifferingFromHeadless(p.Main, XvfbTempPath(picture),
                                        XvfbTempPath((std::string("real_") + picture).c_str())),
                  0)
            << what;
    }
    run.Click(p.IndexOk);
    EXPECT_TRUE(Gone(tree)) << "the caption OK closes the index";
    EXPECT_EQ(DifferingFromHeadless(p.Main, XvfbTempPath("back.png"), XvfbTempPath("real_back.png")), 0)
        << "the reader stays where it was";
    shown = XvfbShownWindows();
    run.Keys("ctrl+d");
    tree = NewWindow(shown);
    ASSERT_NE(tree, 0u);
    run.Click(p.Entry);
    EXPECT_TRUE(Gone(tree)) << "a lesson's row closes the index";
    EXPECT_EQ(DifferingFromHeadless(p.Main, XvfbTempPath("moved.png"), XvfbTempPath("real_moved.png")), 0)
        << "the reader moves to the lesson";
}

// A second start while the reader is in front opens the index in the running copy and ends only
// when that index closes (its SendMessage waits for the answer); Escape closes it, nothing moves.
void DriveSecondStart(RealRun& run, const std::string& registry) {
    std::set<unsigned long> shown = XvfbShownWindows();
    pid_t second = XvfbStartProgram(KESTROVA_READER, registry);
    unsigned long tree = NewWindow(shown);
    EXPECT_NE(tree, 0u) << "a second start opens the index of the running copy";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(waitpid(second, nullptr, WNOHANG), 0) << "the second start waits while the index is open";
    run.Keys("Escape");
    EXPECT_TRUE(tree == 0 || Gone(tree));
    EXPECT_TRUE(XvfbAwaitExit(second, 3000)) << "the second start ends once the index has closed";
}

// Choose Font by Ctrl+F: a key in its list, then Escape; About from the Go menu: its caption OK.
void DriveFontAndAbout(RealRun& run, const Plan& p) {
    std::set<unsigned long> shown = XvfbShownWindows();
    run.Keys("ctrl+f");
    unsigned long font = NewWindow(shown);
    ASSERT_NE(font, 0u) << "Ctrl+F opens Choose Font";
    run.Keys("Down");
    run.Keys("Escape");
    EXPECT_TRUE(Gone(font)) << "Escape closes Choose Font";
    shown = XvfbShownWindows();
    // The Go button of the bar at the bottom; its popup is drawn in the reader's window.
    std::vector<uint32_t> before = XvfbGrab(p.Main.X, p.Main.Y, p.Main.Width, p.Main.Height);
    run.Click({p.Main.X + 10, p.Main.Y + p.Main.Height - 16});
    bool opened = false;
    for (int i = 0; i < 30 && !opened; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        opened = XvfbGrab(p.Main.X, p.Main.Y, p.Main.Width, p.Main.Height) != before;
    ASSERT_TRUE(opened) << "Go opens its popup";
    run.Keys("Down Return"); // About, its first item
    unsigned long about = NewWindow(shown);
    ASSERT_NE(about, 0u) << "Go, About opens the About box";
    XvfbGeometry a = XvfbWindowGeometry(about);
    run.Click({a.X + a.Width - OkButtonFromRight, a.Y + CaptionHeight / 2});
    EXPECT_TRUE(Gone(about)) << "its caption OK closes the About box";
}

} // namespace

TEST(XvfbReader, EveryDialogByTapsAndKeysOnTheRealWindow) {
    XVFB_REQUIRE_BACKEND();
    Plan plan;
    plan.Settings = XvfbReaderSettings();
    MakePlan(&plan);
    ASSERT_FALSE(HasFatalFailure());
    std::string registry = XvfbTempPath("reader.reg");
    XvfbWriteFile(registry, plan.Settings);
    pid_t reader = XvfbStartProgram(KESTROVA_READER, registry);
    RealRun run;
    unsigned long main = XvfbWaitForShownWindow("Kestrova");
    if (main == 0) XvfbAwaitExit(reader, 0);
    ASSERT_NE(main, 0u) << "the reader's window did not appear";
    EXPECT_TRUE(SameGeometry(XvfbWindowGeometry(main), plan.Main))
        << "the window stands where the headless one does";
    DriveSearch(run, plan);
    if (!HasFatalFailure()) DriveIndex(run, plan);
    if (!HasFatalFailure()) DriveSecondStart(run, registry);
    if (!HasFatalFailure()) DriveFontAndAbout(run, plan);
    run.Keys("ctrl+q");
    EXPECT_TRUE(XvfbAwaitExit(reader, 5000)) << "Ctrl+Q ends the reader";
    std::string saved = XvfbReadFile(registry);
    char lessonValue[40];
    std::snprintf(lessonValue, sizeof lessonValue, "\"Lesson\"=dword:%08lx", plan.Lesson);
    EXPECT_NE(saved.find(lessonValue), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"SearchString\"=hex:61,66,65,00"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"FontName\"=\"DejaVu Sans\""), std::string::npos) << "Escape chose no font";
}
