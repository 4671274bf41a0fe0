// RenderTool.cpp: kestrova-render, a picture of one text as the reader's pane draws it, until the
// reader's window exists, and the line table behind it. The text comes from the resources built
// into this program (or from a file of plain article bytes); the pane, its DC and the text are
// freed before exit.
#include "store/ArticleStore.h"
#include "store/ArticleText.h"
#include "text/TextPane.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct RenderOptions {
    int Number = 1;
    bool Commentary = false;
    const char* PlainFile = nullptr;
    int Width = 480;
    int Height = 800;
    std::u16string Face = u"Frank Ruehl CLM";
    int Size = 18;
    int Base = AsciiBaseUnicode;
    uint32_t Flags = DefaultFlags;
    int TopLine = 0;
    int HitStart = 0, HitEnd = 0;
    bool Banner = false;
    std::string Out;
};

const char Usage[] =
    "usage: kestrova-render [--article N] [--commentary] [--plain FILE] [--width W] [--height H]\n"
    "                       [--face NAME] [--size S] [--base 224|1488|97] [--flags HEX] [--reverse]\n"
    "                       [--top LINE] [--hit START:END] [--banner] [--out FILE.png]\n"
    "Lays out text N (1-250; --commentary adds 1 to an odd N) as the reader's pane does, writes the\n"
    "pane as a PNG and prints the line table, DisplayLines and MaxTopLine as JSON.\n";

bool ParseInt(const char* s, int* value, int base = 10) {
    char* end = nullptr;
    long v = std::strtol(s, &end, base);
    if (!*s || *end || v < INT32_MIN || v > INT32_MAX) return false;
    *value = int(v);
    return true;
}

// Returns false (after a message) on a bad command line.
bool ParseOptions(int argc, char** argv, RenderOptions* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        int flags = 0;
        if (a == "--commentary")
            o->Commentary = true;
        else if (a == "--banner")
            o->Banner = true;
        else if (a == "--reverse")
            o->Flags |= FlagReverse;
        else if (!v)
            ok = false;
        else if (a == "--article")
            ok = ParseInt(v, &o->Number) && o->Number >= FirstArticleNumber && o->Number <= LastArticleNumber,
            ++i;
        else if (a == "--plain")
            o->PlainFile = v, ++i;
        else if (a == "--width")
            ok = ParseInt(v, &o->Width) && o->Width > 0 && o->Width <= 4096, ++i;
        else if (a == "--height")
            ok = ParseInt(v, &o->Height) && o->Height > 0 && o->Height <= 4096, ++i;
        else if (a == "--size")
            ok = ParseInt(v, &o->Size) && o->Size >= 0 && o->Size <= 200, ++i;
        else if (a == "--base")
            ok = ParseInt(v, &o->Base) &&
                 (o->Base == AsciiBaseUnicode || o->Base == AsciiBaseCodePage || o->Base == AsciiBaseLatin),
            ++i;
        else if (a == "--flags")
            ok = ParseInt(v, &flags, 16), o->Flags = uint32_t(flags), ++i;
        else if (a == "--top")
            ok = ParseInt(v, &o->TopLine) && o->TopLine >= 0 && o->TopLine <= 0xFFFF, ++i;
        else if (a == "--out")
            o->Out = v, ++i;
        else if (a == "--face") {
            o->Face.clear();
            for (const char* p = v; *p; ++p)
                o->Face += char16_t(uint8_t(*p)); // faces are named in ASCII
            ok = !o->Face.empty() && o->Face.size() < size_t(FontFaceCapacity);
            ++i;
        } else if (a == "--hit") {
            ok = std::sscanf(v, "%d:%d", &o->HitStart, &o->HitEnd) == 2 && o->HitStart >= 0 &&
                 o->HitEnd >= o->HitStart && o->HitEnd <= 0xFFFF;
            ++i;
        } else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "kestrova-render: bad option %s\n%s", a.c_str(), Usage);
            return false;
        }
    }
    if (o->Commentary && o->Number % 2 == 1) ++o->Number;
    if (o->Out.empty()) o->Out = "kestrova-text-" + std::to_string(o->Number) + ".png";
    return true;
}

// A plain ArticleText file, padded as UnCompress pads its output; null (after saying what is wrong
// with it) when it is not a readable regular file, is empty, too long, or not article text.
uint8_t* ReadPlainFile(const char* path) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    const char* wrong = nullptr;
    if (fd < 0 || fstat(fd, &st) != 0)
        wrong = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        wrong = "a folder, not a file of article text";
    else if (!S_ISREG(st.st_mode))
        wrong = "not a regular file";
    else if (st.st_size == 0)
        wrong = "empty: article text has at least one record";
    const size_t limit = size_t(MaxTextOffset) + 1;
    uint8_t* text = wrong ? nullptr : static_cast<uint8_t*>(std::calloc(limit + 1 + ArticleTextPadding, 1));
    size_t length = 0;
    while (text && length <= limit) {
        ssize_t n = read(fd, text + length, limit + 1 - length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) wrong = std::strerror(errno);
        if (n <= 0) break;
        length += size_t(n);
    }
    if (fd >= 0) close(fd);
    if (text && !wrong && length > limit) wrong = "longer than an article text can be (65,536 bytes)";
    if (text && !wrong && !IsValidArticleText(text, length))
        wrong = "not article text: its first record has no text and is not a rule";
    if (wrong) {
        std::fprintf(stderr, "kestrova-render: %s: %s\n", path, wrong);
        std::free(text);
        return nullptr;
    }
    return text;
}

// Says so when the face asked for is not installed and another was drawn with.
void NameSubstitutedFace(const RenderOptions& o, TextPane* pane) {
    const FontCacheEntry* entry = pane->FontCache;
    while (entry && !entry->Font)
        entry = entry->Next;
    if (!entry) return;
    HGDIOBJ previous = SelectObject(pane->DC, entry->Font);
    WCHAR used[LF_FACESIZE] = {};
    int got = GetTextFaceW(pane->DC, LF_FACESIZE, used);
    SelectObject(pane->DC, previous);
    std::u16string asked = o.Face, realised(used);
    auto fold = [](std::u16string s) {
        for (char16_t& c : s)
            if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
        return s;
    };
    if (got <= 0 || fold(asked) == fold(realised)) return;
    std::string askedText(asked.begin(), asked.end()), usedText;
    for (char16_t c : realised)
        usedText += c < 0x80 ? char(c) : '?'; // family names are ASCII; anything else is shown as '?'
    std::fprintf(stderr, "kestrova-render: no face \"%s\" here; drawn with \"%s\"\n", askedText.c_str(),
                 usedText.c_str());
}

void PrintTable(const RenderOptions& o, const TextPane* pane) {
    std::printf(
        "{\n  \"text\": %d, \"width\": %d, \"height\": %d, \"TopLine\": %u, \"DisplayLines\": %u, "
        "\"MaxTopLine\": %u, \"LineCount\": %u, \"PaintedLines\": %d, \"png\": \"%s\",\n  \"lines\": [",
        o.Number, pane->Width, pane->Height, pane->TopLine, pane->DisplayLines, pane->MaxTopLine,
        pane->LineCount, pane->PaintedLines, o.Out.c_str());
    for (int i = 0; i < pane->LineCount; ++i) {
        const LineEntry& e = pane->Lines[i];
        std::printf("%s\n    {\"Offset\": %u, \"Count\": %u, \"X\": %d, \"HangWidth\": %u, \"Width\": %u, "
                    "\"Height\": %u, \"Style\": %u}",
                    i ? "," : "", e.Offset, e.Count, e.X, e.HangWidth, e.Width, e.Height, e.Style);
    }
    std::printf("\n  ]\n}\n");
}

int Render(const RenderOptions& o, uint8_t* text) {
    ReaderState.FontSpec.FontSize = o.Size;
    ReaderState.FontSpec.FontAsciiBase = o.Base;
    std::memcpy(ReaderState.FontSpec.FontFace, o.Face.c_str(), (o.Face.size() + 1) * sizeof(char16_t));
    ReaderState.Flags = o.Flags;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = dc ? CreateCompatibleBitmap(dc, o.Width, o.Height) : nullptr;
    HGDIOBJ previous = bitmap ? SelectObject(dc, bitmap) : nullptr;
    RECT rect = {0, 0, o.Width, o.Height};
    TextPane* pane = previous ? CreatePane(dc, &rect, &ReaderState.FontSpec, PaneInitialCapacity) : nullptr;
    int status = 1;
    if (!pane) {
        std::fprintf(stderr, "kestrova-render: cannot make a %dx%d surface\n", o.Width, o.Height);
        std::free(text);
    } else if (int result = LayoutText(pane, text, 1); result != LayoutOk) {
        std::fprintf(stderr, "kestrova-render: the layout failed with 0x%X\n", unsigned(result));
    } else {
        pane->TopLine = uint16_t(o.TopLine);
        pane->HitStart = uint16_t(o.HitStart);
        pane->HitEnd = uint16_t(o.HitEnd);
        PaintPane(pane, 1);
        if (o.Banner) DrawLocationBanner(pane);
        NameSubstitutedFace(o, pane);
        errno = 0;
        if (PlatformWritePng(dc, o.Out.c_str())) {
            PrintTable(o, pane);
            status = 0;
        } else {
            std::fprintf(stderr, "kestrova-render: cannot write %s (%s)\n", o.Out.c_str(),
                         errno ? std::strerror(errno) : "the picture could not be encoded");
        }
    }
    DestroyPane(pane, 1);
    if (previous) SelectObject(dc, previous);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    ResetReaderState();
    uint8_t* text = options.PlainFile ? ReadPlainFile(options.PlainFile) : LoadArticleText(options.Number);
    if (!text) {
        // ReadPlainFile has said what is wrong with the file.
        if (!options.PlainFile)
            std::fprintf(stderr, "kestrova-render: text %d is not in this build\n", options.Number);
        return 1;
    }
    int status = Render(options, text);
    // The line table redirected to a full disk is cut short: that is no success.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kestrova-render: cannot write the line table (%s)\n",
                     errno ? std::strerror(errno) : "a write failed");
        return 1;
    }
    return status;
}
