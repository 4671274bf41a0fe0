// DumpMain.cpp: kestrova-dump, which prints the reader's embedded texts (or a raw resource file)
// in the authoring format, so that a dump compiles back to the same bytes.
//     kestrova-dump [--verbose] [N | index]     text N (1-250, default 1) or the section index
//     kestrova-dump --file PATH [--index]       one resource read from a file
//     kestrova-dump --raw ...                   the decoded plain bytes, unchanged, to stdout
//     kestrova-dump --stats [N | index]         sizes, ratios and construct totals (all by default)
// A damaged resource gets the reader's own buffer-error message (or the header field refused) on
// stderr and exit status 1; so does a dump that cannot compile back (a record cut short, a first
// record without text), which says why. Usage errors name the argument and exit with 2; output
// that could not be written (a full disk under "> FILE") says why and exits with 3.
// Every decoded buffer is the caller's (free) and is released before the next is read.
#include "content/ArticleSource.h"
#include "content/ContentStats.h"
#include "content/IndexSource.h"
#include "platform/Win32.h"
#include "store/ArticleStore.h"
#include "store/SectionIndexFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum DumpExit { DumpOk = 0, DumpDamaged = 1, DumpUsage = 2, DumpWriteFailed = 3 };

// A resource holds at most a 6-byte header, 4 bytes of block header and 65,535 of tokens; a file
// far larger is not one, and reading stops there.
constexpr size_t MaxResourceFileBytes = 1024 * 1024;

struct DumpOptions {
    bool Raw = false, Stats = false, Verbose = false, Index = false, AllTexts = true;
    int Number = 1; // text number, or SectionIndexNumber
    const char* File = nullptr;
};

void Usage(FILE* to) {
    std::fputs("usage: kestrova-dump [--verbose] [N | index]\n"
               "       kestrova-dump [--verbose] --file PATH [--index]\n"
               "       kestrova-dump --raw [N | index | --file PATH [--index]]\n"
               "       kestrova-dump --stats [N | index | --file PATH [--index]]\n"
               "Prints text N (1-250: odd numbers are main texts, even ones their commentary) or the\n"
               "section index in the authoring format (docs/CONTENT.md); dump > FILE compiles back to\n"
               "the same bytes. --raw writes the decoded bytes, --stats sizes and construct totals.\n",
               to);
}

// False for --help (*bad empty) or a bad command line (*bad says which argument and why).
bool ParseArguments(int argc, char** argv, DumpOptions* o, std::string* bad) {
    bool indexFlag = false; // --index says how to read --file; alone it would dump text 1 as an index
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h")
            return false;
        else if (a == "--file" && i + 1 == argc)
            return *bad = "--file needs a path", false;
        else if (a == "--raw")
            o->Raw = true;
        else if (a == "--stats")
            o->Stats = true;
        else if (a == "--verbose")
            o->Verbose = true;
        else if (a == "--index")
            o->Index = indexFlag = true;
        else if (a == "--file" && i + 1 < argc)
            o->File = argv[++i];
        else if (a == "index")
            o->Number = SectionIndexNumber, o->Index = true, o->AllTexts = false;
        else {
            char* end = nullptr;
            long n = std::strtol(a.c_str(), &end, 10);
            if (end == a.c_str() || *end != 0) return *bad = "unknown argument '" + a + "'", false;
            if (n > ArticleResourceBase && n <= ArticleResourceBase + LastArticleNumber)
                n -= ArticleResourceBase;
            if (n == SectionIndexNumber + ArticleResourceBase) n = SectionIndexNumber, o->Index = true;
            if (n != SectionIndexNumber && (n < FirstArticleNumber || n > LastArticleNumber))
                return *bad = "no text " + a + ": texts are 1 to 250 (or resources 1001 to 1250), or index",
                       false;
            o->Number = int(n);
            o->AllTexts = false;
        }
    }
    if (indexFlag && o->File == nullptr)
        return *bad = "--index says how to read --file PATH (the built-in section index is: index)", false;
    return true;
}

// A resource's bytes and what they decode to; Plain is null when the block is damaged, and Refused
// then names the header field that was refused before decoding (empty: the tokens were damaged).
struct DecodedResource {
    size_t ResourceSize = 0;
    unsigned PlainLength = 0;
    uint8_t* Plain = nullptr;
    std::string Refused;
};

// Decodes resource bytes the way the reader's store does (header, then the sized block).
DecodedResource DecodeResource(const uint8_t* bytes, size_t size) {
    DecodedResource d;
    d.ResourceSize = size;
    constexpr size_t headerBytes = CompressedBlockOffset + CompressedBlockHeaderSize;
    if (bytes == nullptr || size < headerBytes) {
        d.Refused = std::to_string(size) + " bytes, fewer than the " + std::to_string(headerBytes) +
                    " of a resource's header";
        return d;
    }
    unsigned headerLength = unsigned(bytes[0]) << 8 | bytes[1];
    const uint8_t* block = bytes + CompressedBlockOffset;
    unsigned compressedLength = unsigned(block[0]) << 8 | block[1];
    d.PlainLength = unsigned(block[2]) << 8 | block[3];
    if (headerLength < MinHeaderLength)
        d.Refused =
            "HeaderLength " + std::to_string(headerLength) + " is below " + std::to_string(MinHeaderLength);
    else if (compressedLength == 0)
        d.Refused = "CompressedLength is 0";
    else if (d.PlainLength == 0)
        d.Refused = "PlainLength is 0";
    if (!d.Refused.empty()) return d;
    d.Plain = ReadCompressedBlockSized(block, size - CompressedBlockOffset, headerLength);
    return d;
}

// The reason the first write to standard output failed (0: none has).
int OutputError = 0;

void PutOut(const void* bytes, size_t size) {
    if (std::fwrite(bytes, 1, size, stdout) != size && OutputError == 0) OutputError = errno ? errno : EIO;
}

bool LoadEmbedded(int number, std::vector<uint8_t>* bytes) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC r = FindResourceW(module, MAKEINTRESOURCEW(WORD(number + ArticleResourceBase)), RT_RCDATA);
    if (r == nullptr) return false;
    DWORD size = SizeofResource(module, r);
    HGLOBAL h = LoadResource(module, r);
    const auto* p = h ? static_cast<const uint8_t*>(LockResource(h)) : nullptr;
    if (p == nullptr) return false;
    bytes->assign(p, p + size);
    return true;
}

// Reads a resource file, at most MaxResourceFileBytes of it; false with *why saying what is wrong.
// A pipe is read as it comes (kestrova-dump --file <(...)); a FIFO no one writes to reads as empty
// instead of waiting for a writer.
bool LoadFile(const char* path, std::vector<uint8_t>* bytes, std::string* why) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return *why = std::string("cannot read (") + std::strerror(errno) + ")", false;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        return *why = "a folder, not a resource file", false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Reads on past the bound by one byte only, to tell a file that is too large.
    bytes->assign(MaxResourceFileBytes + 1, 0);
    size_t have = 0;
    while (have < bytes->size()) {
        ssize_t n = read(fd, bytes->data() + have, bytes->size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) *why = std::string("cannot read (") + std::strerror(errno) + ")";
        if (n <= 0) break;
        have += size_t(n);
    }
    close(fd);
    bytes->resize(have);
    if (why->empty() && have > MaxResourceFileBytes)
        *why = "more than " + std::to_string(MaxResourceFileBytes) + " bytes, larger than any resource";
    return why->empty();
}

std::string Describe(const DumpOptions& o, int number) {
    if (o.File) return o.File;
    if (number == SectionIndexNumber) return "the section index (resource 32767)";
    std::string what = number % 2 ? "main text of article " + std::to_string(number)
                                  : "commentary of article " + std::to_string(number - 1);
    return "text " + std::to_string(number) + " (resource " + std::to_string(number + ArticleResourceBase) +
           "), the " + what;
}

std::string StatsName(const DumpOptions& o, int number) {
    if (o.File) return o.File;
    std::string name = number == SectionIndexNumber ? "index" : "text " + std::to_string(number);
    return name + " (" + std::to_string(number + ArticleResourceBase) + ")";
}

// Prints the source for a decoded resource; false when the resource cannot be shown whole as a
// source that compiles back (a record cut short, a source the compiler refuses), said on stderr.
bool PrintSource(const DumpOptions& o, int number, const DecodedResource& d, bool index) {
    unsigned flags = o.Verbose ? WriteRecordComments : 0;
    std::string out = "# " + Describe(o, number) + ": " + std::to_string(d.PlainLength) + " bytes, " +
                      std::to_string(d.ResourceSize) + " in the resource.\n";
    bool whole = true;
    if (index) {
        IndexWriteNotes notes;
        WriteIndexSource(d.Plain, d.PlainLength, flags, &out, &notes);
        if (notes.CutShort) {
            std::fprintf(stderr, "%s: damaged: record %u (at byte %u) is cut short: no 0 byte ends it\n",
                         Describe(o, number).c_str(), notes.Records + 1, notes.CutOffset);
            whole = false;
        } else if (notes.InexactEnd) {
            std::fputs("note: the stream does not end in exactly five zero bytes\n", stderr);
        }
    } else {
        ArticleWriteNotes notes;
        WriteArticleSource(d.Plain, d.PlainLength, flags, &out, &notes);
        if (notes.MissingEnd) std::fputs("note: the text has no ending Style byte\n", stderr);
        if (notes.TrailingBytes)
            std::fprintf(stderr, "note: %zu bytes after the ending Style byte are not shown\n",
                         notes.TrailingBytes);
    }
    PutOut(out.data(), out.size());
    // The dump is meant to compile back; when the compiler would refuse it, say why here.
    std::vector<uint8_t> again;
    SourceError error;
    bool compiles = index ? CompileIndexSource(out, "dump", &again, &error)
                          : CompileArticleSource(out, "dump", &again, &error);
    if (whole && !compiles) {
        std::fprintf(stderr, "%s: this dump does not compile back: %s\n", Describe(o, number).c_str(),
                     FormatSourceError(error).c_str());
        whole = false;
    }
    return whole;
}

int DumpOne(const DumpOptions& o, int number, ContentStats* stats) {
    std::vector<uint8_t> bytes;
    std::string why;
    bool found = o.File ? LoadFile(o.File, &bytes, &why) : LoadEmbedded(number, &bytes);
    if (!found && why.empty()) why = "Resource not found";
    if (!found) {
        std::fprintf(stderr, "%s: %s\n", Describe(o, number).c_str(), why.c_str());
        return DumpDamaged;
    }
    DecodedResource d = DecodeResource(bytes.data(), bytes.size());
    if (!d.Refused.empty()) {
        std::fprintf(stderr, "%s: damaged: %s\n", Describe(o, number).c_str(), d.Refused.c_str());
        return DumpDamaged;
    }
    if (d.Plain == nullptr) {
        std::fprintf(stderr, "%s: damaged: cannot be decoded\n", Describe(o, number).c_str());
        return DumpDamaged;
    }
    bool index = o.Index || number == SectionIndexNumber;
    int result = DumpOk;
    if (o.Stats) {
        AddContentStats(stats, StatsName(o, number), d.Plain, d.PlainLength, d.ResourceSize, index);
    } else if (o.Raw) {
        PutOut(d.Plain, d.PlainLength);
    } else if (!PrintSource(o, number, d, index)) {
        result = DumpDamaged;
    }
    std::free(d.Plain);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    DumpOptions o;
    std::string bad;
    if (!ParseArguments(argc, argv, &o, &bad)) {
        if (!bad.empty()) std::fprintf(stderr, "kestrova-dump: %s\n", bad.c_str());
        Usage(bad.empty() ? stdout : stderr);
        return bad.empty() ? DumpOk : DumpUsage;
    }
    ContentStats stats{};
    int result = DumpOk;
    if (o.Stats && o.AllTexts && o.File == nullptr) {
        for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n)
            if (DumpOne(o, n, &stats) != DumpOk) result = DumpDamaged;
        if (DumpOne(o, SectionIndexNumber, &stats) != DumpOk) result = DumpDamaged;
    } else {
        result = DumpOne(o, o.Number, &stats);
    }
    if (o.Stats) {
        std::string report;
        WriteContentStats(stats, &report);
        PutOut(report.data(), report.size());
    }
    // A dump redirected to a full disk is cut short: that is no success.
    errno = 0;
    if (std::fflush(stdout) != 0 && OutputError == 0) OutputError = errno ? errno : EIO;
    if (OutputError != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kestrova-dump: cannot write the output (%s)\n",
                     std::strerror(OutputError ? OutputError : EIO));
        return DumpWriteFailed;
    }
    return result;
}
