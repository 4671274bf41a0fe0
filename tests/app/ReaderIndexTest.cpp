// ReaderIndexTest.cpp: the "Choose Section" dialog end to end, as a user drives it: Ctrl+D, taps on
// heading boxes, a size change while it is open, and the caption OK. The `state` output carries the
// open dialog's tree ("ChooseSection": its rows with their Id and Attributes), from which the checks
// read what is shown and open and where a row lies. A first run only reads the layout, so that the
// second can tap the rows it names.
#include "AppTestSupport.h"

#include "resources/ResourceIds.h"
#include "store/SectionIndexFormat.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct ScreenPoint {
    long X = -1, Y = -1;
};

// Where to tap the box of the first shown row of record id, on the screen: the dialog's client
// origin plus the row's place (rows stacked from the tree's top; the tree not scrolled).
ScreenPoint RowBox(const Json& state, long id) {
    const Json* dialog = FindWindow(state, "#32770", "Choose Section");
    const Json& tree = state["ChooseSection"];
    ScreenPoint p;
    if (dialog == nullptr || tree.IsNull() || tree["TopRow"].Int() != 0) return p;
    long y = tree["Top"].Int();
    for (const Json& row : tree["Rows"].Items) {
        if (!(row["Attributes"].Int() & SectionShown)) continue;
        if (row["Id"].Int() == id) {
            p.X = (*dialog)["Rect"][0].Int() + row["X"].Int() + row["TextWidth"].Int() + 4 + 4;
            p.Y = (*dialog)["Rect"][1].Int() + y + row["Height"].Int() / 2;
            return p;
        }
        y += row["Height"].Int();
    }
    return p;
}

std::string Tap(ScreenPoint p) {
    return "tap " + std::to_string(p.X) + " " + std::to_string(p.Y) + "; wait\n";
}

// Each record's shown and open bits, from its first row: what a size change must keep.
std::map<long, long> OpenState(const Json& state) {
    std::map<long, long> bits;
    for (const Json& row : state["ChooseSection"]["Rows"].Items)
        bits.emplace(row["Id"].Int(), row["Attributes"].Int() & (SectionShown | SectionOpen));
    return bits;
}

const Json* Row(const Json& state, long id) {
    for (const Json& row : state["ChooseSection"]["Rows"].Items)
        if (row["Id"].Int() == id) return &row;
    return nullptr;
}

long Indent(const Json& tree, const Json& row) {
    return tree["Left"].Int() + tree["Width"].Int() - row["X"].Int() - row["TextWidth"].Int();
}

// The records under the first row of id (the rows after it, up to one no deeper than it).
std::vector<long> Subtree(const Json& state, long id) {
    const Json& tree = state["ChooseSection"];
    std::vector<long> ids;
    long top = -1;
    for (const Json& row : tree["Rows"].Items) {
        if (top < 0) {
            if (row["Id"].Int() == id) top = Indent(tree, row);
            continue;
        }
        if (Indent(tree, row) <= top) break;
        if (row["Id"].Int() != id) ids.push_back(row["Id"].Int());
    }
    return ids;
}

} // namespace

// From article 3, a page down (a tap on the lower half of the top pane): the index by Ctrl+D; the first
// heading (open) closed and opened again by taps on its box; a closed heading opened; a size change keeps
// every heading's and row's state; the caption OK leaves the reader at the same article and line.
TEST(ReaderIndex, HeadingsASizeChangeAndTheCaptionOk) {
    std::string reg = Settings();
    const std::string start = "size 240 320; wait\n" + Cmd(IDM_NEXT_ARTICLE) + "tap 120 120; wait\nstate\n" +
                              "key D ctrl; wait\nstate\n";
    AppRun probe = RunReader(Settings(), start + "quit\n"); // a file of its own: a run saves its place
    ASSERT_EQ(probe.States.size(), 2u);
    const Json& opened = probe.States[1];
    ASSERT_FALSE(opened["ChooseSection"].IsNull()) << "Ctrl+D opens the index";
    const Json& rows = opened["ChooseSection"]["Rows"];
    ASSERT_GT(rows.Items.size(), 2u);
    long first = rows[0]["Id"].Int(), closed = -1;
    ASSERT_EQ(rows[0]["Attributes"].Int() & (SectionShown | SectionOpen), SectionShown | SectionOpen);
    for (const Json& row : rows.Items)
        if ((row["Id"].Int() & SectionIdHeading) && (row["Attributes"].Int() & SectionShown) &&
            !(row["Attributes"].Int() & SectionOpen) && !Subtree(opened, row["Id"].Int()).empty()) {
            closed = row["Id"].Int();
            break;
        }
    ASSERT_GE(closed, 0) << "a closed heading with children";
    const Json* dialog = FindWindow(opened, "#32770", "Choose Section");
    ASSERT_NE(dialog, nullptr);
    // The middle of the caption's OK button (40 wide, 4 pixels from the frame's right edge) once the
    // dialog is 200 x 300; the caption is the 24 pixels above the client area.
    ScreenPoint ok{(*dialog)["Rect"][0].Int() - 1 + 200 - 4 - 20, (*dialog)["Rect"][1].Int() - 12};
    AppRun run = RunReader(reg, start + Tap(RowBox(opened, first)) + "state\n" + Tap(RowBox(opened, first)) +
                                    "state\n" + Tap(RowBox(opened, closed)) +
                                    "state\nresize 200 300; wait\n" + "state\n" + Tap(ok) + "state\nquit\n");
    ASSERT_EQ(run.States.size(), 7u);
    const Json& before = run.States[0];
    EXPECT_EQ(before["ReaderState"]["Lesson"].Int(), 3);
    EXPECT_GT(before["TopPane"]["TopLine"].Int(), 0);
    EXPECT_EQ(run.States[1]["ChooseSection"]["Result"].Int(), 3);

    const Json& shut = run.States[2];
    EXPECT_EQ((*Row(shut, first))["Attributes"].Int() & SectionOpen, 0) << "the tap closed the heading";
    for (long id : Subtree(shut, first))
        EXPECT_EQ((*Row(shut, id))["Attributes"].Int() & SectionShown, 0) << "row " << id << " hidden";
    EXPECT_EQ(OpenState(run.States[3]), OpenState(opened)) << "a second tap opens it as it was";

    const Json& widened = run.States[4];
    EXPECT_NE((*Row(widened, closed))["Attributes"].Int() & SectionOpen, 0);
    bool childShown = false;
    for (long id : Subtree(widened, closed))
        childShown = childShown || ((*Row(widened, id))["Attributes"].Int() & SectionShown) != 0;
    EXPECT_TRUE(childShown) << "opening the heading shows its children";
    const Json& resized = run.States[5];
    for (const Json* state : {&opened, &resized}) {
        const Json* bar = FindWindow(*state, "SCROLLBAR", "");
        const Json* box = FindWindow(*state, "#32770", "Choose Section");
        ASSERT_TRUE(bar && box);
        const Json& tree = (*state)["ChooseSection"];
        EXPECT_LE(tree["Left"].Int() + tree["Width"].Int(), (*bar)["Rect"][0].Int() - (*box)["Rect"][0].Int())
            << "the tree, heading boxes included, stops at the dialog's own bar";
    }
    EXPECT_EQ(resized["ChooseSection"]["Width"].Int(), widened["ChooseSection"]["Width"].Int() - 40);
    EXPECT_EQ(OpenState(resized), OpenState(widened)) << "a size change keeps what was open and shown";
    EXPECT_EQ(resized["ChooseSection"]["Result"].Int(), 3);

    const Json& after = run.States[6];
    EXPECT_TRUE(after["ChooseSection"].IsNull()) << "the caption OK closes the dialog";
    EXPECT_EQ(after["ReaderState"]["Lesson"].Int(), 3);
    EXPECT_EQ(after["TopPane"]["TopLine"].Int(), before["TopPane"]["TopLine"].Int());
    EXPECT_EQ(after["ReaderState"]["LastPosition"].Int(), before["ReaderState"]["LastPosition"].Int());
}
