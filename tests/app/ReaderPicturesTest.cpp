// ReaderPicturesTest.cpp: golden pictures of the whole reader screen at 240 x 320 and 480 x 800,
// with the menu bar at the bottom and with the command bar at the top, as it opens on article 1,
// then with the Go and the Varni popup open. Compared pixel for pixel; KESTROVA_UPDATE_GOLDEN=1
// rewrites them, and a mismatch leaves <name>.actual.png in the working folder.
#include "AppTestSupport.h"

#include "platform/Win32.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace {

struct PictureCase {
    const char* Name;
    int Width, Height;
    bool CommandBar;
};

const PictureCase Cases[] = {
    {"bar_240x320", 240, 320, false},
    {"bar_480x800", 480, 800, false},
    {"commandbar_240x320", 240, 320, true},
    {"commandbar_480x800", 480, 800, true},
};

// -1 when the sizes differ or a picture cannot be read.
int DifferingPixels(const std::string& expectedPath, const std::string& actualPath) {
    HBITMAP expected = PlatformLoadPng(expectedPath.c_str()), actual = PlatformLoadPng(actualPath.c_str());
    PlatformPixels want{}, got{};
    int differing = -1;
    if (expected && actual && PlatformGetBitmapPixels(expected, &want) &&
        PlatformGetBitmapPixels(actual, &got) && want.Width == got.Width && want.Height == got.Height) {
        differing = 0;
        for (int row = 0; row < got.Height; ++row)
            for (int col = 0; col < got.Width; ++col)
                differing += want.Pixels[row * want.Stride + col] != got.Pixels[row * got.Stride + col];
    }
    if (expected) DeleteObject(expected);
    if (actual) DeleteObject(actual);
    return differing;
}

// Compares the picture the run left in folder with its golden, or rewrites the golden.
void ExpectGolden(const std::string& folder, const std::string& name) {
    std::string golden = std::string(KESTROVA_GOLDEN) + "/" + name;
    const char* update = std::getenv("KESTROVA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteWholeFile(golden, ReadWholeFile(folder + "/" + name));
        return;
    }
    int differing = DifferingPixels(golden, folder + "/" + name);
    if (differing != 0)
        WriteWholeFile(name.substr(0, name.size() - 4) + ".actual.png", ReadWholeFile(folder + "/" + name));
    EXPECT_EQ(differing, 0) << name << " (-1: missing or another size; KESTROVA_UPDATE_GOLDEN=1 writes it)";
}

class ReaderScreens : public ::testing::TestWithParam<PictureCase> {};

} // namespace

TEST_P(ReaderScreens, MatchTheirGoldens) {
    const PictureCase& c = GetParam();
    std::string folder = TempFolder();
    std::string reg = folder + "/settings.reg";
    WriteWholeFile(
        reg,
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n"
        "\"FontName\"=\"DejaVu Sans\"\r\n\r\n");
    // The bar's buttons: Go first, Varni second, in the bar's middle row.
    int barY = c.CommandBar ? 13 : c.Height - 16;
    const std::string shot = folder + "/" + c.Name;
    std::string script = "size " + std::to_string(c.Width) + " " + std::to_string(c.Height) + "; wait\n" +
                         "screenshot " + shot + ".png\n" + "tap 10 " + std::to_string(barY) + "; wait\n" +
                         "screenshot " + shot + "_go.png\nkey Escape; wait\n" + "tap 50 " +
                         std::to_string(barY) + "; wait\nscreenshot " + shot +
                         "_varni.png\nkey Escape; wait\nquit\n";
    AppRun run = RunReader(reg, script, c.CommandBar ? "KESTROVA_PLATFORM_VERSION=4.20" : "");
    ASSERT_EQ(run.ExitCode, 0);
    for (const char* suffix : {"", "_go", "_varni"})
        ExpectGolden(folder, std::string(c.Name) + suffix + ".png");
}

// The search dialog at 240 x 320 with its keyboard picture, then the hit it finds (he, vav, alef)
// highlighted with the banner that names the article.
TEST(ReaderPictures, SearchDialogAndHit) {
    std::string folder = TempFolder();
    std::string reg = folder + "/settings.reg";
    WriteWholeFile(
        reg,
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n"
        "\"FontName\"=\"DejaVu Sans\"\r\n\r\n");
    // The picture's top left lies at (21, 180) on this screen; keys 5, 6 and 1 of its first row.
    AppRun run =
        RunReader(reg, "size 240 320; wait\ncommand 116; wait\ntap 97 192; tap 80 192; tap 165 192; wait\n"
                       "screenshot " +
                           folder +
                           "/search_240x320.png\nkey Return; wait\n"
                           "screenshot " +
                           folder + "/search_240x320_hit.png\nquit\n");
    ASSERT_EQ(run.ExitCode, 0);
    ExpectGolden(folder, "search_240x320.png");
    ExpectGolden(folder, "search_240x320_hit.png");
}

INSTANTIATE_TEST_SUITE_P(Screens, ReaderScreens, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<PictureCase>& info) {
                             return std::string(info.param.Name);
                         });

// The other three dialogs over the reader, at both sizes: Choose Font (the screen's size, its lists
// filled), About (with the logo and the link), Choose Section (the tree with the current article).
TEST(ReaderPictures, FontAboutAndIndexDialogs) {
    for (const char* size : {"240 320", "480 800"}) {
        std::string folder = TempFolder();
        std::string reg = folder + "/settings.reg";
        WriteWholeFile(reg,
                       "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tellgrove\\"
                       "Kestrova]\r\n\"FontName\"=\"DejaVu Sans\"\r\n\r\n");
        std::string tag = std::string(size) == "240 320" ? "240x320" : "480x800";
        AppRun run =
            RunReader(reg, std::string("size ") + size + "; wait\n" + Cmd(IDM_FONT) + "screenshot " + folder +
                               "/font_" + tag + ".png\nkey Escape; wait\n" + Cmd(IDM_ABOUT) + "screenshot " +
                               folder + "/about_" + tag + ".png\nkey Escape; wait\n" + Cmd(IDM_INDEX) +
                               "screenshot " + folder + "/index_" + tag + ".png\nkey Escape; wait\nquit\n");
        ASSERT_EQ(run.ExitCode, 0);
        for (const char* name : {"font_", "about_", "index_"})
            ExpectGolden(folder, name + tag + ".png");
    }
}
