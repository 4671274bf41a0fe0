// DumpMain.cpp: kestrova-dump, which prints the reader's embedded texts (or a raw resource file)
// in the authoring format, so that a dump compiles back to the same bytes.
//     kestrova-dump [--verbose] [N | index]     text N (1-250, default 1) or the section index
//     kestrova-dump --file PATH [--index]       one resource read from a file
//     kestrova-dump --raw ...                   the decoded plain bytes, unchanged, to stdout
//     kestrova-dump --stats [N | index]         sizes, ratios and construct totals (all by default)
// A damaged resource gets the reader's own buffer-error message on stderr and exit status 1.
// Every decoded buffer is the caller's (free) and is released before the next is read.
#include "content/ArticleSource.h"
#include "content/ContentStats.h"
#include "content/IndexSource.h"
#include "platform/Win32.h"
#include "store/ArticleStore.h"
#include "store/SectionIndexFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum DumpExit { DumpOk = 0, DumpDamaged = 1, DumpUsage = 2 };

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

bool ParseArguments(int argc, char** argv, DumpOptions* o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h")
            return false;
        else if (a == "--raw")
            o->Raw = true;
        else if (a == "--stats")
            o->Stats = true;
        else if (a == "--verbose")
            o->Verbose = true;
        else if (a == "--index")
            o->Index = true;
        else if (a == "--file" && i + 1 < argc)
            o->File = argv[++i];
        else if (a == "index")
            o->Number = SectionIndexNumber, o->Index = true, o->AllTexts = false;
        else {
            char* end = nullptr;
            long n = std::strtol(a.c_str(), &end, 10);
            if (end == a.c_str() || *end != 0) return false;
            if (n > ArticleResourceBase && n <= ArticleResourceBase + LastArticleNumber)
                n -= ArticleResourceBase;
            if (n == SectionIndexNumber + ArticleResourceBase) n = SectionIndexNumber, o->Index = true;
            if (n != SectionIndexNumber && (n < FirstArticleNumber || n > LastArticleNumber)) return false;
            o->Number = int(n);
            o->AllTexts = false;
        }
    }
    return true;
}

// A resource's bytes and what they decode to; Plain is null when the block is damaged.
struct DecodedResource {
    size_t ResourceSize = 0;
    unsigned PlainLength = 0;
    uint8_t* Plain = nullptr;
};

// Decodes resource bytes the way the reader's store does (header, then the sized block).
DecodedResource DecodeResource(const uint8_t* bytes, size_t size) {
    DecodedResource d;
    d.ResourceSize = size;
    if (bytes == nullptr || size < CompressedBlockOffset + CompressedBlockHeaderSize) return d;
    unsigned headerLength = unsigned(bytes[0]) << 8 | bytes[1];
    const uint8_t* block = bytes + CompressedBlockOffset;
    d.PlainLength = unsigned(block[2]) << 8 | block[3];
    d.Plain = ReadCompressedBlockSized(block, size - CompressedBlockOffset, headerLength);
    return d;
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

bool LoadFile(const char* path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    std::string s = all.str();
    bytes->assign(s.begin(), s.end());
    return true;
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

void PrintSource(const DumpOptions& o, int number, const DecodedResource& d, bool index) {
    unsigned flags = o.Verbose ? WriteRecordComments : 0;
    std::string out = "# " + Describe(o, number) + ": " + std::to_string(d.PlainLength) + " bytes, " +
                      std::to_string(d.ResourceSize) + " in the resource.\n";
    if (index) {
        IndexWriteNotes notes;
        WriteIndexSource(d.Plain, d.PlainLength, flags, &out, &notes);
        if (notes.InexactEnd)
            std::fputs("note: the stream does not end in exactly five zero bytes\n", stderr);
    } else {
        ArticleWriteNotes notes;
        WriteArticleSource(d.Plain, d.PlainLength, flags, &out, &notes);
        if (notes.MissingEnd) std::fputs("note: the text has no ending Style byte\n", stderr);
        if (notes.TrailingBytes)
            std::fprintf(stderr, "note: %zu bytes after the ending Style byte are not shown\n",
                         notes.TrailingBytes);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

int DumpOne(const DumpOptions& o, int number, ContentStats* stats) {
    std::vector<uint8_t> bytes;
    bool found = o.File ? LoadFile(o.File, &bytes) : LoadEmbedded(number, &bytes);
    if (!found) {
        std::fprintf(stderr, "%s: %s\n", Describe(o, number).c_str(),
                     o.File ? "cannot read" : "Resource not found");
        return DumpDamaged;
    }
    DecodedResource d = DecodeResource(bytes.data(), bytes.size());
    if (d.Plain == nullptr) {
        std::fprintf(stderr, "%s: damaged: cannot be decoded\n", Describe(o, number).c_str());
        return DumpDamaged;
    }
    bool index = o.Index || number == SectionIndexNumber;
    if (o.Stats) {
        AddContentStats(stats, StatsName(o, number), d.Plain, d.PlainLength, d.ResourceSize, index);
    } else if (o.Raw) {
        std::fwrite(d.Plain, 1, d.PlainLength, stdout);
    } else {
        PrintSource(o, number, d, index);
    }
    std::free(d.Plain);
    return DumpOk;
}

} // namespace

int main(int argc, char** argv) {
    DumpOptions o;
    if (!ParseArguments(argc, argv, &o)) {
        bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
        Usage(help ? stdout : stderr);
        return help ? DumpOk : DumpUsage;
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
        std::fputs(report.c_str(), stdout);
    }
    return result;
}
