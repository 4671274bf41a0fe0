#include "platform/Win32.h"

#include "platform/user/ClipboardScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs one command line after "clipboard"; the output, or "error: ..." when it fails.
std::string Script(const std::string& line) {
    std::string output, error;
    if (!ClipboardScriptLine(line, &output, &error)) return "error: " + error;
    return output;
}

class ClipboardScript : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Script("empty"), ""); }
};

} // namespace

TEST_F(ClipboardScript, SetsAndPrintsEveryFormatInOrder) {
    EXPECT_EQ(Script(""), "(empty)\n");
    EXPECT_EQ(Script("set CF_UNICODETEXT \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D  world"), "");
    EXPECT_EQ(Script("add \"Rich Text Format\" {\\rtf1 \\u1488\\par}"), ""); // RTF as written
    EXPECT_EQ(Script(""), "CF_UNICODETEXT\n\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D  world\n"
                          "Rich Text Format\n{\\rtf1 \\u1488\\par}\n");

    // The blocks are what a program reading the clipboard sees.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE text = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(std::u16string(static_cast<const WCHAR*>(LocalLock(text))), u"\u05E9\u05DC\u05D5\u05DD  world");
    LocalUnlock(text);
    HANDLE rtf = GetClipboardData(RegisterClipboardFormatW(u"rich text format"));
    EXPECT_EQ(std::string(static_cast<const char*>(LocalLock(rtf))), "{\\rtf1 \\u1488\\par}");
    LocalUnlock(rtf);
    CloseClipboard();

    EXPECT_EQ(Script("set 13 AB"), ""); // set replaces everything
    EXPECT_EQ(Script("hex"), "CF_UNICODETEXT\n41 00 42 00 00 00\n");
    EXPECT_EQ(Script("set 0x1 \"\\x01\\u05D0\""), ""); // quoted text takes escapes
    EXPECT_EQ(Script("hex"), "CF_TEXT\n01 d7 90 00\n");
    EXPECT_EQ(Script("set 13 \"a\\r\\nb\""), "");
    EXPECT_EQ(Script(""), "CF_UNICODETEXT\na\nb\n"); // CR LF shown as LF
}

TEST_F(ClipboardScript, DriverWordsAreJoinedBack) {
    std::string output, error;
    // A quoted name split at its spaces, and a name the driver unquoted but kept whole.
    ASSERT_TRUE(ClipboardScriptCommand({"set", "\"Rich", "Text", "Format\"", "a", "b"}, &output, &error));
    ASSERT_TRUE(ClipboardScriptCommand({"add", "Rich Text Format Without Objects", "c"}, &output, &error));
    EXPECT_EQ(output, "");
    ASSERT_TRUE(ClipboardScriptCommand({}, &output, &error));
    EXPECT_EQ(output, "Rich Text Format\na b\nRich Text Format Without Objects\nc\n");
}

TEST_F(ClipboardScript, BadCommandsLeaveTheClipboardAlone) {
    ASSERT_EQ(Script("set CF_UNICODETEXT kept"), "");
    EXPECT_EQ(Script("set 0xC7FF text"), "error: clipboard: unknown format 0xC7FF");
    EXPECT_EQ(Script("set 0 text"), "error: clipboard: unknown format 0");
    EXPECT_EQ(Script("set CF_BITMAP text"), "error: clipboard: unknown format CF_BITMAP");
    EXPECT_EQ(Script("set 70000 text"), "error: clipboard: unknown format 70000");
    EXPECT_EQ(Script("set \"unclosed text"), "error: clipboard: set and add need FORMAT TEXT");
    EXPECT_EQ(Script("set CF_UNICODETEXT \"bad \\q escape\""),
              "error: clipboard: bad escape in the text at byte 4");
    EXPECT_EQ(Script("set CF_UNICODETEXT \"cut \\x4\""),
              "error: clipboard: bad escape in the text at byte 4");
    EXPECT_EQ(Script("paste"),
              "error: clipboard: expected nothing, hex, set FORMAT TEXT, add FORMAT TEXT or empty");
    EXPECT_EQ(Script("hex more"),
              "error: clipboard: expected nothing, hex, set FORMAT TEXT, add FORMAT TEXT or empty");
    EXPECT_EQ(Script(""), "CF_UNICODETEXT\nkept\n");

    // While a window holds the clipboard open the script cannot take it.
    HWND window = reinterpret_cast<HWND>(uintptr_t(0x20002));
    ASSERT_TRUE(OpenClipboard(window));
    EXPECT_EQ(Script("set 13 x"), "error: clipboard: it is open elsewhere");
    EXPECT_EQ(Script(""), "error: clipboard: it is open elsewhere");
    CloseClipboard();
}
