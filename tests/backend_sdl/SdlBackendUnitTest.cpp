// SdlBackendUnitTest.cpp: the desktop backend's parts that need no display: the clipboard's
// format <-> target conversions and opening an address through a stand-in xdg-open.
#include "platform/Win32.h"
#include "platform/backend/ServiceBackend.h"
#include "platform/backend/sdl/ClipboardFormats.h"
#include "platform/backend/sdl/SdlBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string OfferFor(const std::vector<ClipboardOffer>& offers, const char* target) {
    for (const ClipboardOffer& offer : offers)
        if (offer.Target == target) return offer.Bytes;
    return "<none>";
}

TEST(ClipboardFormats, TextIsOfferedAsUtf8AndLatin1UpToItsFirstZero) {
    const char16_t text[] = u"a\u05E9\U0001F600\u00E9\0tail";
    std::vector<ClipboardOffer> offers;
    ClipboardOffersFor(13, nullptr, text, sizeof(text), &offers);
    EXPECT_EQ(OfferFor(offers, "UTF8_STRING"), "a\xD7\xA9\xF0\x9F\x98\x80\xC3\xA9");
    EXPECT_EQ(OfferFor(offers, "text/plain;charset=utf-8"), "a\xD7\xA9\xF0\x9F\x98\x80\xC3\xA9");
    EXPECT_EQ(OfferFor(offers, "STRING"), "a??\xE9");
    // An odd byte count and a lone surrogate never read past the block or give bad UTF-8.
    const char16_t lone[] = {u'x', 0xD800, u'y'};
    offers.clear();
    ClipboardOffersFor(13, nullptr, lone, 5, &offers);
    EXPECT_EQ(OfferFor(offers, "UTF8_STRING"), "x\xEF\xBF\xBD");
    // A block at an odd address (a copy inside a byte buffer) reads the same.
    alignas(2) char shifted[8] = {0, 'o', 0, 'k', 0, 0, 0, 0};
    offers.clear();
    ClipboardOffersFor(13, nullptr, shifted + 1, 4, &offers);
    EXPECT_EQ(OfferFor(offers, "UTF8_STRING"), "ok");
    // Lines end as other programs end them: CR LF becomes LF under every text name; a lone CR stays.
    const char16_t lines[] = u"one\r\ntwo\rthree\r\n";
    offers.clear();
    ClipboardOffersFor(13, nullptr, lines, sizeof(lines), &offers);
    for (const char* name : {"UTF8_STRING", "text/plain;charset=utf-8", "TEXT", "STRING"})
        EXPECT_EQ(OfferFor(offers, name), "one\ntwo\rthree\n") << name;
}

TEST(ClipboardFormats, RtfUnderThreeNamesWithoutItsZeroAndOtherFormatsUnderTheirName) {
    const char rtf[] = "{\\rtf1 x}";
    std::vector<ClipboardOffer> offers;
    ClipboardOffersFor(0xC001, u"rich text format", rtf, sizeof(rtf), &offers);
    ASSERT_EQ(offers.size(), 3u);
    for (const char* name : {"text/rtf", "text/richtext", "Rich Text Format"})
        EXPECT_EQ(OfferFor(offers, name), "{\\rtf1 x}");
    // A block larger than its document: what lies past the zero is not offered.
    const char larger[] = "{\\rtf1 y}\r\n\0se\0";
    offers.clear();
    ClipboardOffersFor(0xC001, u"Rich Text Format", larger, sizeof(larger), &offers);
    EXPECT_EQ(OfferFor(offers, "text/rtf"), "{\\rtf1 y}\r\n");
    offers.clear();
    ClipboardOffersFor(0xC002, u"Kestrova Bookmark", "\x01\x00\x02", 3, &offers);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_EQ(offers[0].Target, "Kestrova Bookmark");
    EXPECT_EQ(offers[0].Bytes, std::string("\x01\x00\x02", 3));
    offers.clear();
    ClipboardOffersFor(0xC003, nullptr, "x", 1, &offers);
    EXPECT_TRUE(offers.empty());
    EXPECT_EQ(ClipboardTargetsToRead(0xC001, u"Rich Text Format").front(), "text/rtf");
    EXPECT_EQ(ClipboardTargetsToRead(13, nullptr).front(), "UTF8_STRING");
}

TEST(ClipboardFormats, ReceivedBytesBecomeOurBlocks) {
    size_t size = 0;
    auto* text = static_cast<char16_t*>(
        ClipboardBlockFromTarget(13, "UTF8_STRING", std::string("h\xD7\xA9\xFF\0rest", 8), &size));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text), u"h\u05E9\uFFFD");
    EXPECT_EQ(size, 6u);
    free(text);
    text = static_cast<char16_t*>(ClipboardBlockFromTarget(13, "STRING", "caf\xE9", &size));
    EXPECT_EQ(std::u16string(text), u"caf\u00E9");
    free(text);
    // Text of other programs ends its lines with LF; ours end with CR LF (one already there is kept).
    text = static_cast<char16_t*>(ClipboardBlockFromTarget(13, "UTF8_STRING", "\na\nb\r\nc\n\n", &size));
    EXPECT_EQ(std::u16string(text), u"\r\na\r\nb\r\nc\r\n\r\n");
    EXPECT_EQ(size, 26u);
    free(text);
    auto* rtf = static_cast<char*>(ClipboardBlockFromTarget(0xC001, "text/rtf", "{\\rtf1}", &size));
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(rtf[7], 0);
    free(rtf);
}

struct StandIn {
    std::string Folder, Log;
    std::string OldPath;
};

// A folder with an xdg-open that records its arguments, first on PATH.
StandIn MakeStandIn() {
    StandIn s;
    char pattern[] = "/tmp/kestrova-open-XXXXXX";
    s.Folder = mkdtemp(pattern);
    s.Log = s.Folder + "/log";
    std::string script = s.Folder + "/xdg-open";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << s.Log
                          << ".tmp\nmv " << s.Log << ".tmp " << s.Log << "\n";
    chmod(script.c_str(), 0755);
    s.OldPath = getenv("PATH");
    setenv("PATH", (s.Folder + ":" + s.OldPath).c_str(), 1);
    return s;
}

std::string WaitForLog(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(path);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "<none>";
}

TEST(OpenAddress, RunsTheHandlerDetachedWithTheAddressAsOneArgument) {
    StandIn s = MakeStandIn();
    const Backend* b = SdlBackend();
    const char* address = "https://example.org/a b;$(touch x)&c=\"d\"";
    EXPECT_TRUE(b->OpenAddress(address));
    EXPECT_EQ(WaitForLog(s.Log), std::string(address) + "\n");
    // An address that reads as an option is refused, as is an empty one.
    EXPECT_FALSE(b->OpenAddress("--help"));
    EXPECT_FALSE(b->OpenAddress(""));
    EXPECT_FALSE(b->OpenAddress(nullptr));
    // No handler on PATH: a quiet false.
    setenv("PATH", s.Folder.c_str(), 1);
    unlink((s.Folder + "/xdg-open").c_str());
    EXPECT_FALSE(b->OpenAddress("https://example.org/"));

    // The reader's call on the desktop backend, as the About box makes it: with SEE_MASK_FLAG_NO_UI
    // the failure is a result and an error code, with no message box and nothing on the terminal.
    ServiceUseBackend(b);
    PlatformSetMessageBoxEcho(FALSE);
    size_t boxes = PlatformMessageBoxLog().size();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = u"Open";
    info.lpFile = u"https://example.org/";
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_ASSOCIATION));
    std::string said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "");
    EXPECT_EQ(PlatformMessageBoxLog().size(), boxes);
    EXPECT_STREQ(PlatformShellExecuteLog().back().How, "backend");
    ServiceUseBackend(nullptr);
    PlatformSetMessageBoxEcho(TRUE);
    setenv("PATH", s.OldPath.c_str(), 1);
}

// With no X display (a pure Wayland session; here SDL's display-less driver stands in for it) text
// goes through SDL's clipboard and the other formats stay in the program.
TEST(NoXDisplay, TextThroughSdlsClipboardAndOwnershipByItsText) {
    std::string display = getenv("DISPLAY") != nullptr ? getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const Backend* b = SdlBackend();
    ASSERT_TRUE(b->Open());
    EXPECT_FALSE(b->ClipboardOwned());
    const char16_t text[] = u"\u05E9\u05DC\u05D5\u05DD";
    const char rtf[] = "{\\rtf1 x}";
    UINT formats[] = {13, 0xC001};
    const WCHAR* names[] = {nullptr, u"Rich Text Format"};
    const void* blocks[] = {text, rtf};
    size_t sizes[] = {sizeof(text), sizeof(rtf)};
    EXPECT_TRUE(b->ClipboardPublish(formats, names, blocks, sizes, 2));
    EXPECT_TRUE(b->ClipboardOwned());
    size_t size = 0;
    auto* read = static_cast<char16_t*>(b->ClipboardRead(13, nullptr, &size));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::u16string(read), text);
    free(read);
    EXPECT_EQ(b->ClipboardRead(0xC001, u"Rich Text Format", &size), nullptr);
    // RTF alone: other programs see an empty clipboard, and it is still ours.
    EXPECT_TRUE(b->ClipboardPublish(formats + 1, names + 1, blocks + 1, sizes + 1, 1));
    EXPECT_TRUE(b->ClipboardOwned());
    EXPECT_EQ(b->ClipboardRead(13, nullptr, &size), nullptr);
    // The windows work without a display too.
    HWND window = reinterpret_cast<HWND>(uintptr_t(7));
    EXPECT_TRUE(b->CreateTopLevel(window, RECT{0, 0, 40, 30}, u"dummy"));
    b->ShowTopLevel(window, true);
    b->DestroyTopLevel(window);
    b->Close();
    unsetenv("SDL_VIDEODRIVER");
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
}

// With no desktop, SDL falls back to its off-screen driver unless told otherwise; the backend must
// refuse to open then, so the program says it runs headless instead of running with a window no one
// sees. Run in a child process: SDL keeps its choice for the process's life.
TEST(NoDisplayAtAll, TheBackendDoesNotOpenOnADriverThatShowsNothing) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        bool opened = SdlBackend()->Open();
        _exit(opened ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the backend opened with no display";
}

} // namespace
