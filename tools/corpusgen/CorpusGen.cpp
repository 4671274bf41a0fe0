// CorpusGen.cpp: kestrova-corpusgen, the deterministic generator of the demo text.
//     kestrova-corpusgen CONTENT_FOLDER
// Reads CONTENT_FOLDER/words-he.txt and the hand-written guide (texts 001 to 016), and writes the
// generated articles (texts 017 to 250, except those someone has replaced by hand) and index.txt. The same
// inputs always give the same files: one fixed seed, no clock, no locale. Its output is committed; the build
// never runs it. The texts look like a study text: parts and sections in a three-level index, each article
// with a heading and sub-heading, numbered paragraphs whose Hebrew numeral hangs in its own column,
// commentary paragraphs led by bold words, and every construct of the text model somewhere.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int GuideArticles = 8; // articles 1, 3, ..., 15 are written by hand
constexpr int LastArticle = 249;
constexpr uint64_t CorpusSeed = 0x4B657374726F7661ULL;
constexpr size_t MaxTextBytes = 65535;
constexpr size_t SafetyMargin = 400; // a generated text stops this far below its target

// splitmix64: small, fast and the same on every machine.
struct Random {
    uint64_t State;
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return unsigned(Next() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }
};

size_t CodePoints(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

// Hebrew numerals (gematria), 1 to 999: 15 and 16 are written tet-vav and tet-zayin.
std::string HebrewNumeral(unsigned n) {
    static const char* hundreds[] = {"", "ק", "ר", "ש", "ת", "תק", "תר", "תש", "תת", "תתק"};
    static const char* tens[] = {"", "י", "כ", "ל", "מ", "נ", "ס", "ע", "פ", "צ"};
    static const char* units[] = {"", "א", "ב", "ג", "ד", "ה", "ו", "ז", "ח", "ט"};
    std::string s = hundreds[n / 100 % 10];
    unsigned rest = n % 100;
    if (rest == 15) return s + "טו";
    if (rest == 16) return s + "טז";
    return s + tens[rest / 10] + units[rest % 10];
}

const char* OrdinalWords[] = {"ראשון", "שני", "שלישי", "רביעי", "חמישי", "שישי", "שביעי", "שמיני"};

// One article text being written: its source lines and the plain bytes they will make.
struct TextWriter {
    std::string Source;
    size_t Bytes = 1; // the ending Style byte
    void Record(const std::string& directive, const std::string& body, bool continues = false) {
        if (!Source.empty()) Source += "\n";
        Source += directive + "\n";
        if (!body.empty()) Source += body + "\n";
        Bytes += 3 + CodePoints(body) + (continues ? 1 : 0);
    }
    void Line(const std::string& directive, const std::string& text) {
        if (!Source.empty()) Source += "\n";
        Source += directive + (text.empty() ? "" : " " + text) + "\n";
        Bytes += 3 + CodePoints(text);
    }
    void Rule(const std::string& directive) {
        if (!Source.empty()) Source += "\n";
        Source += directive + "\n";
        Bytes += 3;
    }
};

struct Generator {
    Random Rng;
    std::vector<std::string> Words;

    const std::string& Word() { return Words[Rng.Below(unsigned(Words.size()))]; }
    std::string Phrase(unsigned count) {
        std::string s;
        for (unsigned i = 0; i < count; ++i)
            s += (i ? " " : "") + Word();
        return s;
    }
    // A sentence: words, now and then a maqaf pair, a comma, a bracketed or quoted phrase.
    std::string Sentence() {
        unsigned count = 5 + Rng.Below(10);
        std::string s;
        for (unsigned i = 0; i < count; ++i) {
            if (i) s += ' ';
            unsigned pick = Rng.Below(100);
            // One draw per statement: the order of the words must not depend on the compiler.
            if (pick < 3) {
                s += Word();
                s += '-';
                s += Word();
            } else if (pick < 9 && i + 2 < count) {
                Enclose(&s, "(", Phrase(2 + Rng.Below(2)), ")");
            } else if (pick < 11 && i + 2 < count) {
                Enclose(&s, "\"", Phrase(2), "\"");
            } else if (pick < 12 && i + 2 < count) {
                Enclose(&s, "{", Phrase(2), "}");
            } else {
                s += Word();
            }
            if (i + 1 < count && Rng.Chance(8)) s += ',';
        }
        s += Rng.Chance(30) ? ':' : '.';
        return s;
    }
    static void Enclose(std::string* s, const char* open, const std::string& inner, const char* close) {
        s->append(open);
        s->append(inner);
        s->append(close);
    }
    std::string Paragraph(unsigned sentences) {
        std::string s;
        for (unsigned i = 0; i < sentences; ++i) {
            if (i) s += ' ';
            s += Sentence();
        }
        return s;
    }
    // Body lines of about 90 characters, as a person would wrap them.
    static std::string Wrap(const std::string& text) {
        std::string out;
        size_t column = 0, start = 0;
        while (start < text.size()) {
            size_t space = text.find(' ', start);
            if (space == std::string::npos) space = text.size();
            std::string word = text.substr(start, space - start);
            if (column > 0 && column + CodePoints(word) > 90) {
                out += "\n";
                column = 0;
            } else if (column > 0) {
                out += " ";
                ++column;
            }
            out += word;
            column += CodePoints(word);
            start = space + 1;
        }
        return out;
    }
};

// Target plain size of text n: most from 1 to 12 KB, a few large, three above 50 KB, one near
// the limit.
size_t TargetSize(Generator* g, int n) {
    switch (n) {
    case 101:
        return 52000;
    case 152:
        return 57500;
    case 201:
        return 61000;
    case 249:
        return MaxTextBytes - 700;
    default:
        break;
    }
    unsigned pick = g->Rng.Below(100);
    if (pick < 8) return 20000 + g->Rng.Below(20000);
    if (pick < 20) return 1400 + g->Rng.Below(1500);
    return 2500 + g->Rng.Below(9500);
}

struct Section {
    std::string Part, Title;
    int Level2Index;
};

void MainText(Generator* g, int n, const Section& s, unsigned place, TextWriter* w) {
    w->Line("@heading", s.Title);
    w->Line("@subheading", "מאמר " + HebrewNumeral(place) + ": " + g->Phrase(2 + g->Rng.Below(3)));
    size_t target = TargetSize(g, n);
    if (g->Rng.Chance(40)) w->Record("@p centre large", g->Phrase(4 + g->Rng.Below(4)) + ":");
    for (unsigned number = 1; w->Bytes + SafetyMargin < target; ++number) {
        std::string numeral = HebrewNumeral(number);
        unsigned hang = CodePoints(numeral) >= 2 ? 3 : 2;
        std::string h = " hang=" + std::to_string(hang);
        bool continued = g->Rng.Chance(15);
        std::string text = numeral + " " + g->Paragraph(1 + g->Rng.Below(4));
        if (w->Bytes + CodePoints(text) + SafetyMargin > target && number > 1) break;
        w->Record("@p" + h + (continued ? " join" : ""), Generator::Wrap(text));
        if (continued)
            w->Record("@p" + h + " continue", Generator::Wrap(g->Paragraph(1 + g->Rng.Below(2))), true);
        unsigned extra = g->Rng.Below(100);
        if (extra < 5) {
            w->Record("@p small indent=12", Generator::Wrap(g->Paragraph(1)));
        } else if (extra < 8) {
            std::string line = g->Phrase(5);
            line += ", ";
            line += g->Phrase(4);
            w->Record("@p centre", Generator::Wrap(line + ":"));
        } else if (extra < 10) {
            w->Record("@p left ltr small", std::to_string(n) + ":" + std::to_string(number));
        } else if (extra < 12) {
            w->Rule("@rule 30%");
        } else if (extra < 13) {
            w->Rule("@rule 120 right join");
        } else if (extra < 14) {
            w->Record("@p bold centre", g->Phrase(3));
        }
    }
    if (n % 10 == 7) w->Rule("@rule 180%"); // wider than any pane: drawn at the pane's width
    if (n % 10 == 9) w->Rule("@rule 0");    // no line at all
    w->Record("@p centre small join", "סליק מאמר " + HebrewNumeral(place));
}

void Commentary(Generator* g, int n, const Section& s, unsigned place, TextWriter* w) {
    w->Line("@heading", "פירוש על " + s.Title);
    w->Line("@subheading", "למאמר " + HebrewNumeral(place));
    size_t target = TargetSize(g, n);
    while (w->Bytes + SafetyMargin < target) {
        std::string lead = g->Phrase(1 + g->Rng.Below(3)) + ".";
        std::string text = g->Paragraph(1 + g->Rng.Below(3));
        if (w->Bytes + CodePoints(lead) + CodePoints(text) + SafetyMargin > target && w->Bytes > 200) break;
        w->Record("@p bold join", lead);
        w->Record("@p indent=6", Generator::Wrap(text));
        unsigned extra = g->Rng.Below(100);
        if (extra < 6) {
            for (unsigned i = 0, items = 2 + g->Rng.Below(3); i < items; ++i)
                w->Record(i + 1 < items ? "@p hang=1 indent=10 join" : "@p hang=1 indent=10",
                          "· " + g->Phrase(3 + g->Rng.Below(6)));
        } else if (extra < 10) {
            w->Record("@p small", Generator::Wrap(g->Paragraph(1)));
        } else if (extra < 12) {
            w->Record("@p large centre", g->Phrase(3));
        } else if (extra < 14) {
            w->Rule("@rule 80 left");
        }
    }
    w->Rule("@rule 50%");
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines->push_back(line);
    return true;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return bool(out);
}

std::string TextPath(const std::string& folder, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/texts/%03d.txt", n);
    return folder + name;
}

// The entry of a hand-written article is its sub-heading.
std::string GuideEntry(const std::string& folder, int n) {
    std::vector<std::string> lines;
    ReadLines(TextPath(folder, n), &lines);
    for (const std::string& line : lines)
        if (line.rfind("@subheading ", 0) == 0) return line.substr(12);
    return "מאמר " + HebrewNumeral(unsigned(n + 1) / 2);
}

constexpr const char* GeneratedMark = "generated by kestrova-corpusgen";

// A text the generator may write: missing, or written by the generator before. A text someone
// wrote by hand in a generated slot is kept, and its sub-heading names it in the index.
bool IsGeneratedText(const std::string& path) {
    std::ifstream in(path);
    std::string first;
    return !in || (std::getline(in, first) && first.find(GeneratedMark) != std::string::npos);
}

bool WriteGeneratedText(const std::string& path, int article, const std::string& source) {
    if (!IsGeneratedText(path)) return true;
    std::string note = "# Article " + std::to_string(article) + ": " + GeneratedMark +
                       "; edit the generator, not this file.\n";
    return WriteText(path, note + source);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrova-corpusgen CONTENT_FOLDER\n");
        return 3;
    }
    std::string folder = argv[1];
    Generator g{Random{CorpusSeed}, {}};
    if (!ReadLines(folder + "/words-he.txt", &g.Words) || g.Words.size() < 100) {
        std::fprintf(stderr, "%s/words-he.txt: missing or too short\n", folder.c_str());
        return 1;
    }
    std::string index =
        "# The section index. Written by kestrova-corpusgen; edit the generator, not this file.\n"
        "heading open bold large : מדריך לקורא\n";
    for (int n = 1; n < 2 * GuideArticles; n += 2)
        index += "  lesson " + std::to_string(n) + " : " + GuideEntry(folder, n) + "\n";
    const unsigned parts = 5;
    int article = 2 * GuideArticles + 1;
    for (unsigned part = 0; part < parts && article <= LastArticle; ++part) {
        std::string partTitle = std::string("חלק ") + OrdinalWords[part] + ": " + g.Phrase(2);
        index += std::string("heading ") + (part == 0 ? "open " : "") + "bold large : " + partTitle + "\n";
        unsigned sections = part + 1 == parts ? 100 : 5 + g.Rng.Below(3);
        for (unsigned sec = 0; sec < sections && article <= LastArticle; ++sec) {
            Section s{partTitle, "שער " + HebrewNumeral(sec + 1) + ": " + g.Phrase(2), int(sec)};
            bool open = (part == 0 && sec == 0) || (part == 1 && sec == 2);
            index += std::string("  heading ") + (open ? "open " : "") + "bold : " + s.Title + "\n";
            unsigned count = 3 + g.Rng.Below(4);
            for (unsigned place = 1; place <= count && article <= LastArticle; ++place, article += 2) {
                TextWriter main, commentary;
                MainText(&g, article, s, place, &main);
                Commentary(&g, article + 1, s, place, &commentary);
                if (!WriteGeneratedText(TextPath(folder, article), article, main.Source) ||
                    !WriteGeneratedText(TextPath(folder, article + 1), article, commentary.Source)) {
                    std::fprintf(stderr, "cannot write the texts of article %d\n", article);
                    return 1;
                }
                std::string entry = HebrewNumeral(place) + ". " + g.Phrase(2 + g.Rng.Below(3));
                if (!IsGeneratedText(TextPath(folder, article)))
                    entry = HebrewNumeral(place) + ". " + GuideEntry(folder, article);
                index += "    lesson " + std::to_string(article) +
                         (place == count && sec % 3 == 1 ? " small" : "") + " : " + entry + "\n";
            }
        }
    }
    if (!WriteText(folder + "/index.txt", index)) {
        std::fprintf(stderr, "cannot write %s/index.txt\n", folder.c_str());
        return 1;
    }
    return 0;
}
