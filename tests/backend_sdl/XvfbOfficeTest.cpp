// XvfbOfficeTest.cpp: an article copied from the reader's real window opens in a word processor as
// right-to-left Hebrew. xclip takes the RTF under text/rtf; LibreOffice converts it to text, whose
// words (Hebrew, Latin and numbers) come in the reading order of the article's source, and to PDF,
// whose first page, drawn by pdftoppm, has its lines flush right. Skipped where LibreOffice or
// pdftoppm is missing (scripts/setup.sh installs both).
#include "XvfbSupport.h"

#include "platform/Win32Text.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

bool HaveTool(const char* name) {
    return XvfbRun(std::string("command -v ") + name + " >/dev/null 2>&1") == 0;
}

// Letters and digits make words; everything else (blanks of any width, punctuation, a rule's dashes)
// only separates them, so the two sides may differ in spacing and still compare.
bool IsWordCharacter(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) || (c >= 0x05D0 && c <= 0x05EA);
}

std::vector<std::string> WordsOf(const std::string& utf8) {
    std::vector<std::string> words;
    std::u16string word;
    for (char16_t c : PlatformUtf8ToUtf16(utf8) + u' ') {
        if (IsWordCharacter(c)) {
            word.push_back(c);
        } else if (!word.empty()) {
            words.push_back(PlatformUtf16ToUtf8(word));
            word.clear();
        }
    }
    return words;
}

// The text of an article's source in reading order: headings and paragraph lines, without comments,
// paragraph options and rules.
std::string SourceText(const std::string& source) {
    std::istringstream lines(source);
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("@heading ", 0) == 0 || line.rfind("@subheading ", 0) == 0)
            text += line.substr(line.find(' ')) + "\n";
        else if (!line.empty() && line[0] != '#' && line[0] != '@')
            text += line + "\n";
    }
    return text;
}

// How many records (paragraphs, headings and rules) the source makes: each is one paragraph of the
// word processor's text.
size_t SourceParagraphs(const std::string& source) {
    std::istringstream lines(source);
    size_t count = 0;
    bool inParagraph = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            inParagraph = false;
        } else if (line[0] == '@') {
            ++count;
            inParagraph = line.rfind("@p", 0) == 0 && (line.size() == 2 || line[2] == ' ');
        } else if (line[0] != '#' && !inParagraph) {
            ++count;
            inParagraph = true;
        }
    }
    return count;
}

size_t TextParagraphs(const std::string& text) {
    std::istringstream lines(text);
    size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.find_first_not_of(" \r\t") != std::string::npos;
    return count;
}

struct InkLine {
    int Left, Right;
};

// The page's lines of text: bands of rows with dark pixels, each with its leftmost and rightmost ink.
std::vector<InkLine> InkLines(const std::vector<uint32_t>& pixels, int width, int height) {
    std::vector<InkLine> lines;
    bool inLine = false;
    for (int y = 0; y < height; ++y) {
        int left = width, right = -1;
        for (int x = 0; x < width; ++x)
            if ((pixels[size_t(y) * width + x] & 0xFF) < 128) left = std::min(left, x), right = x;
        if (right < 0) {
            inLine = false;
            continue;
        }
        if (!inLine) lines.push_back({left, right});
        inLine = true;
        lines.back().Left = std::min(lines.back().Left, left);
        lines.back().Right = std::max(lines.back().Right, right);
    }
    return lines;
}

// Copies the first article from the reader's window (Ctrl+C) and returns the RTF xclip reads.
std::string CopyFirstArticle() {
    std::string registry = XvfbTempPath("office.reg");
    XvfbWriteFile(registry, XvfbReaderSettings());
    pid_t reader = XvfbStartProgram(KESTROVA_READER, registry);
    std::string rtf, path = XvfbTempPath("article.rtf");
    // On a loaded machine the first window found may be gone when the key is sent (it can be replaced
    // while the program sets up its drawing): the window is found again and the copy repeated.
    for (int attempt = 0; attempt < 5 && rtf.empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        unsigned long window = XvfbWaitForShownWindow("Kestrova");
        if (window == 0) break;
        XvfbRun("xdotool key --window " + std::to_string(window) + " ctrl+c 2>/dev/null");
        // The reader serves the selection while it runs: read it before it ends.
        for (int i = 0; i < 20 && rtf.empty();
             ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
            XvfbRun("xclip -selection clipboard -t text/rtf -o > '" + path + "' 2>/dev/null");
            rtf = XvfbReadFile(path);
        }
    }
    kill(reader, SIGKILL);
    waitpid(reader, nullptr, 0);
    return rtf;
}

TEST(XvfbOffice, ACopiedArticleOpensAsRightToLeftHebrewParagraphs) {
    XVFB_REQUIRE_BACKEND();
    if (!HaveTool("soffice") || !HaveTool("pdftoppm"))
        GTEST_SKIP() << "LibreOffice (libreoffice-writer-nogui) or pdftoppm (poppler-utils) is missing";
    const std::string rtf = CopyFirstArticle();
    ASSERT_EQ(rtf.compare(0, 6, "{\\rtf1"), 0) << "no RTF under text/rtf: " << rtf.substr(0, 80);
    EXPECT_EQ(rtf.find('\0'), std::string::npos) << "a zero inside the document";
    EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");

    // A profile of its own, so that no running LibreOffice takes the conversion over.
    const std::string folder = XvfbTempPath("office");
    const std::string soffice = "soffice -env:UserInstallation=file://" + XvfbTempPath("office-profile") +
                                " --headless --convert-to ";
    const std::string input =
        " --outdir '" + folder + "' '" + XvfbTempPath("article.rtf") + "' >/dev/null 2>&1";
    ASSERT_EQ(XvfbRun(soffice + "'txt:Text (encoded):UTF8'" + input), 0);
    ASSERT_EQ(XvfbRun(soffice + "pdf" + input), 0);

    const std::string source = XvfbReadFile(std::string(KESTROVA_CONTENT_TEXTS) + "/001.txt");
    const std::string text = XvfbReadFile(folder + "/article.txt");
    const std::vector<std::string> expected = WordsOf(SourceText(source));
    ASSERT_GT(expected.size(), 100u);
    EXPECT_EQ(WordsOf(text), expected) << "the word processor's words are not the article's, in its order";
    EXPECT_EQ(TextParagraphs(text), SourceParagraphs(source)) << "paragraphs lost or joined";

    ASSERT_EQ(XvfbRun("pdftoppm -r 50 -gray -png -f 1 -l 1 -singlefile '" + folder + "/article.pdf' '" +
                      folder + "/page'"),
              0);
    int width = 0, height = 0;
    const std::vector<uint32_t> page = XvfbReadPng(folder + "/page.png", &width, &height);
    ASSERT_FALSE(page.empty());
    const std::vector<InkLine> lines = InkLines(page, width, height);
    ASSERT_GE(lines.size(), 10u);
    // Right-aligned right-to-left paragraphs: every line ends at the right margin, while the left
    // ends vary with each line's length.
    int right = 0, left = width;
    for (const InkLine& line : lines)
        right = std::max(right, line.Right), left = std::min(left, line.Left);
    size_t flushRight = 0, flushLeft = 0;
    for (const InkLine& line : lines)
        flushRight += line.Right >= right - 3, flushLeft += line.Left <= left + 3;
    EXPECT_GE(flushRight * 10, lines.size() * 9) << flushRight << " of " << lines.size() << " lines";
    EXPECT_LE(flushLeft * 3, lines.size()) << flushLeft << " of " << lines.size() << " lines";
}

} // namespace
