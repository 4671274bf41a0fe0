// DecompositionTest.cpp: the committed table of Hebrew presentation forms against the Unicode
// character data (Debian's unicode-data, found by CMake; the data test is skipped with a message
// when the build found no file), and the lookup.
#include "ExportTestSupport.h"

#include <fstream>
#include <map>
#include <sstream>

namespace {

using Codes = std::vector<unsigned>;

// Field 5 of each line, when it is a canonical decomposition (no <tag>).
std::map<unsigned, Codes> CanonicalDecompositions(const std::string& path) {
    std::map<unsigned, Codes> map;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::string fields[6];
        std::stringstream split(line);
        for (std::string& f : fields)
            std::getline(split, f, ';');
        if (fields[5].empty() || fields[5][0] == '<') continue;
        std::stringstream parts(fields[5]);
        Codes codes;
        for (unsigned c; parts >> std::hex >> c;)
            codes.push_back(c);
        map[unsigned(std::stoul(fields[0], nullptr, 16))] = codes;
    }
    return map;
}

Codes FullyDecomposed(const std::map<unsigned, Codes>& map, unsigned code) {
    auto it = map.find(code);
    if (it == map.end()) return {code};
    Codes out;
    for (unsigned part : it->second)
        for (unsigned c : FullyDecomposed(map, part))
            out.push_back(c);
    return out;
}

TEST(HebrewDecompositions, MatchTheUnicodeCharacterData) {
    const std::string path = KESTROVA_UNICODE_DATA;
    if (path.empty() || !std::ifstream(path))
        GTEST_SKIP() << "UnicodeData.txt not found: install unicode-data";
    const std::map<unsigned, Codes> map = CanonicalDecompositions(path);
    ASSERT_GT(map.size(), 1000u);
    // Every form of the range with a canonical decomposition but alef with patah and with qamats.
    Codes expected;
    for (unsigned c = 0xFB2A; c <= 0xFB4B; ++c)
        if (map.count(c) && c != 0xFB2E && c != 0xFB2F) expected.push_back(c);
    ASSERT_EQ(expected.size(), size_t(HebrewDecompositionCount));
    for (int k = 0; k < HebrewDecompositionCount; ++k) {
        const Decomposition& d = HebrewDecompositions[k];
        ASSERT_EQ(d.Code, expected[size_t(k)]);
        Codes parts;
        for (WCHAR p : d.Parts)
            if (p) parts.push_back(p);
        EXPECT_EQ(parts, FullyDecomposed(map, d.Code)) << std::hex << unsigned(d.Code);
    }
    const Decomposition& end = HebrewDecompositions[HebrewDecompositionCount];
    EXPECT_EQ(end.Code | end.Parts[0] | end.Parts[1] | end.Parts[2], 0);
}

TEST(FindDecomposition, FindsTheFormsAndNothingElse) {
    const Decomposition* shin = FindDecomposition(0xFB2C);
    ASSERT_NE(shin, nullptr);
    EXPECT_EQ(shin->Parts[0] == 0x05E9 && shin->Parts[1] == 0x05BC && shin->Parts[2] == 0x05C1, true);
    for (WCHAR c : {WCHAR(0), WCHAR(0x05D0), WCHAR(0x05EA), WCHAR(0xFB2E), WCHAR(0xFB37), WCHAR(0xFB4C)})
        EXPECT_EQ(FindDecomposition(c), nullptr) << std::hex << unsigned(c);
}

} // namespace
