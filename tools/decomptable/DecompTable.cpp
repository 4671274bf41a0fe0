// DecompTable.cpp: kestrova-decomptable, which writes the export's table of Hebrew presentation
// forms and their full canonical decompositions as C++ source, from the Unicode character data.
//     kestrova-decomptable UnicodeData.txt > src/export/HebrewDecompositions.cpp
// Debian's unicode-data package installs the file as /usr/share/unicode/UnicodeData.txt. Run it
// when the data changes and commit the result; the export tests check the table against the data.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Codes = std::vector<unsigned>;

constexpr unsigned FirstForm = 0xFB2A;
constexpr unsigned LastForm = 0xFB4B;
// Alef with patah and with qamats have decompositions too; the export decomposes the other 27 forms
// of the range and writes these two as their own escapes.
constexpr unsigned LeftOut[] = {0xFB2E, 0xFB2F};
constexpr size_t ExpectedForms = 27;
constexpr size_t MaxParts = 3;

// Code -> canonical decomposition (fields 0 and 5; a decomposition with a <tag> is not canonical).
bool ReadCanonical(const char* path, std::map<unsigned, Codes>* canonical) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string f; std::getline(split, f, ';');)
            fields.push_back(f);
        if (fields.size() < 6 || fields[5].empty() || fields[5][0] == '<') continue;
        Codes parts;
        std::stringstream codes(fields[5]);
        for (std::string c; codes >> c;)
            parts.push_back(unsigned(std::stoul(c, nullptr, 16)));
        (*canonical)[unsigned(std::stoul(fields[0], nullptr, 16))] = parts;
    }
    return true;
}

void Decompose(const std::map<unsigned, Codes>& canonical, unsigned code, Codes* out) {
    auto it = canonical.find(code);
    if (it == canonical.end()) {
        out->push_back(code);
        return;
    }
    for (unsigned part : it->second)
        Decompose(canonical, part, out);
}

bool IsLeftOut(unsigned code) {
    for (unsigned c : LeftOut)
        if (c == code) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::map<unsigned, Codes> canonical;
    if (argc != 2 || !ReadCanonical(argv[1], &canonical)) {
        std::fprintf(stderr, "usage: kestrova-decomptable UnicodeData.txt > HebrewDecompositions.cpp\n");
        return 2;
    }
    std::vector<std::pair<unsigned, Codes>> table;
    for (unsigned code = FirstForm; code <= LastForm; ++code) {
        if (!canonical.count(code) || IsLeftOut(code)) continue;
        Codes parts;
        Decompose(canonical, code, &parts);
        if (parts.size() > MaxParts) {
            std::fprintf(stderr, "U+%04X decomposes into more than %zu codes\n", code, MaxParts);
            return 1;
        }
        table.emplace_back(code, parts);
    }
    if (table.size() != ExpectedForms) {
        std::fprintf(stderr, "found %zu forms, expected %zu\n", table.size(), ExpectedForms);
        return 1;
    }
    std::printf("// HebrewDecompositions.cpp: the Hebrew presentation forms U+FB2A-U+FB4B with their full\n"
                "// canonical decompositions, in ascending order and ended by an all-zero entry. Written by\n"
                "// kestrova-decomptable (tools/decomptable) from the Unicode character data: do not edit.\n"
                "#include \"export/ClipboardExport.h\"\n\n"
                "// clang-format off\n"
                "const Decomposition HebrewDecompositions[] = {\n");
    for (const auto& [code, parts] : table) {
        std::printf("    {0x%04X, {", code);
        for (size_t k = 0; k < MaxParts; ++k)
            std::printf(k ? ", 0x%04X" : "0x%04X", k < parts.size() ? parts[k] : 0);
        std::printf("}},\n");
    }
    std::printf("    {0x0000, {0x0000, 0x0000, 0x0000}},\n};\n// clang-format on\n");
    return 0;
}
