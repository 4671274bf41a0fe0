// ReaderFontTest.cpp: "F&ont" in the whole reader, headless with a script: a Choose Font dialog
// ended with Cancel after its selections changed leaves FontSpec, both panes and the screen exactly
// as they were; one ended with OK gives both panes the new face, which the settings file keeps for
// the next start.
#include "AppTestSupport.h"

#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* RegistryHead = "Windows Registry Editor Version 5.00\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n";

std::string Settings(const std::string& folder) {
    WriteWholeFile(folder + "/settings.reg", std::string(RegistryHead) +
                                                 "\"FontName\"=\"DejaVu Sans\"\r\n"
                                                 "\"FontSize\"=dword:00000014\r\n\r\n");
    return folder + "/settings.reg";
}

bool SameJson(const Json& a, const Json& b) {
    if (a.Type != b.Type || a.Value != b.Value || a.Text != b.Text || a.Items.size() != b.Items.size() ||
        a.Fields.size() != b.Fields.size())
        return false;
    for (size_t i = 0; i < a.Items.size(); ++i)
        if (!SameJson(a.Items[i], b.Items[i])) return false;
    for (const auto& [name, value] : a.Fields)
        if (!SameJson(value, b[name])) return false;
    return true;
}

bool FontDialogShown(const Json& state) {
    for (const Json& w : state["Windows"].Items)
        if (w["Text"].Text == "Choose Font" && w["Visible"].Value) return true;
    return false;
}

// The middle of the dialog's control id on the screen, from a state taken while the dialog is open.
std::string TapOn(const Json& state, long id) {
    for (const Json& w : state["Windows"].Items)
        if (w["Id"].Int() == id && w["Visible"].Value) {
            const Json& r = w["Rect"];
            return "tap " + std::to_string((r[0].Int() + r[2].Int()) / 2) + " " +
                   std::to_string((r[1].Int() + r[3].Int()) / 2) + "\nwait\n";
        }
    return "";
}

TEST(ReaderFont, CancelLeavesFontSpecPanesAndScreenAsTheyWere) {
    const std::string folder = TempFolder();
    AppRun look = RunReader(Settings(folder), "size 240 320\nwait\n" + Cmd(IDM_FONT) + "state\nkey Escape\n");
    ASSERT_EQ(look.States.size(), 1u);
    const std::string tapBase224 = TapOn(look.States[0], IDC_FONT_BASE_224);
    ASSERT_FALSE(tapBase224.empty());
    // Another face, another size (the face list has the focus, Tab goes on to the sizes) and the
    // other base: then Cancel.
    const std::string changes = "key Down\nwait\nkey Tab\nwait\nkey Down\nwait\n" + tapBase224;
    AppRun run =
        RunReader(Settings(folder),
                  "size 240 320\nwait\nstate\nscreenshot " + folder + "/before.png\n" + Cmd(IDM_FONT) +
                      changes + "state\nkey Escape\nwait\nstate\nscreenshot " + folder + "/after.png\n");
    ASSERT_EQ(run.States.size(), 3u) << run.Lines.size();
    const Json &before = run.States[0], &during = run.States[1], &after = run.States[2];
    EXPECT_TRUE(FontDialogShown(during));
    EXPECT_FALSE(FontDialogShown(after));
    EXPECT_TRUE(SameJson(before["ReaderState"]["FontSpec"], after["ReaderState"]["FontSpec"]));
    EXPECT_EQ(after["ReaderState"]["FontSpec"]["FontFace"].Text, "DejaVu Sans");
    EXPECT_EQ(after["ReaderState"]["FontSpec"]["FontSize"].Int(), 20);
    EXPECT_TRUE(SameJson(before["TopPane"], after["TopPane"])) << "the top pane changed";
    EXPECT_TRUE(SameJson(before["BottomPane"], after["BottomPane"])) << "the bottom pane changed";
    const std::string shot = ReadWholeFile(folder + "/before.png");
    EXPECT_FALSE(shot.empty());
    EXPECT_EQ(shot, ReadWholeFile(folder + "/after.png")) << "the screen is not as it was";
    // The same changes ended with OK do change all three values: the Cancel above had something to undo.
    AppRun ok = RunReader(Settings(folder),
                          "size 240 320\nwait\n" + Cmd(IDM_FONT) + changes + "key Return\nwait\nstate\n");
    ASSERT_EQ(ok.States.size(), 1u);
    const Json& spec = ok.States[0]["ReaderState"]["FontSpec"];
    EXPECT_NE(spec["FontFace"].Text, "DejaVu Sans");
    EXPECT_EQ(spec["FontSize"].Int(), 22);
    EXPECT_EQ(spec["FontAsciiBase"].Int(), 224);
}

TEST(ReaderFont, OkGivesBothPanesTheFaceAndTheNextStartKeepsIt) {
    const std::string folder = TempFolder();
    const std::string registry = Settings(folder);
    // The face list has the focus: Down takes the face after "DejaVu Sans" in its sorted order.
    AppRun run = RunReader(registry, "size 240 320\nwait\nstate\n" + Cmd(IDM_FONT) +
                                         "key Down\nwait\nkey Return\nwait\nstate\nquit\n");
    ASSERT_EQ(run.States.size(), 2u);
    const Json& chosen = run.States[1]["ReaderState"]["FontSpec"];
    const std::string face = chosen["FontFace"].Text;
    EXPECT_NE(face, "DejaVu Sans");
    EXPECT_EQ(face.rfind("DejaVu", 0), 0u) << face;
    EXPECT_EQ(chosen["FontSize"].Int(), 20);
    // Both panes were laid out again in the new face: their lines are not those of the old one.
    EXPECT_FALSE(SameJson(run.States[0]["TopPane"]["Lines"], run.States[1]["TopPane"]["Lines"]));
    EXPECT_FALSE(SameJson(run.States[0]["BottomPane"]["Lines"], run.States[1]["BottomPane"]["Lines"]));
    const std::string settings = ReadWholeFile(registry);
    EXPECT_NE(settings.find("\"FontName\"=\"" + face + "\""), std::string::npos) << settings;

    AppRun next = RunReader(registry, "size 240 320\nwait\nstate\nquit\n");
    ASSERT_EQ(next.States.size(), 1u);
    EXPECT_FALSE(FontDialogShown(next.States[0]));
    EXPECT_TRUE(SameJson(next.States[0]["ReaderState"]["FontSpec"], chosen));
    EXPECT_TRUE(SameJson(next.States[0]["TopPane"]["Lines"], run.States[1]["TopPane"]["Lines"]))
        << "the next start lays the article out in the chosen face";
}

} // namespace
