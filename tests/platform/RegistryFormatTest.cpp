// The .reg reader and writer on text in memory: every value form, continuation lines, encodings,
// what makes a file damaged, and that whatever is read is written back to read the same.
#include "platform/registry/RegistryFormat.h"
#include "platform/Win32Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(const std::string& text, RegKey* root, RegParseError* error) {
    return RegParseFile(reinterpret_cast<const BYTE*>(text.data()), text.size(), root, error);
}

const RegKey* Find(const RegKey& root, std::vector<std::u16string_view> path) {
    const RegKey* key = &root;
    for (std::u16string_view name : path)
        if (key == nullptr || (key = RegFindSubKey(key, name)) == nullptr) return nullptr;
    return key;
}

std::vector<BYTE> Bytes(const RegKey* key, std::u16string_view name, DWORD type) {
    if (key == nullptr) return {};
    auto it = key->Values.find(name);
    if (it == key->Values.end() || it->second.Type != type) return {};
    return it->second.Data;
}

void ExpectRoundTrip(const RegKey& root) {
    std::string written;
    ASSERT_TRUE(RegWriteFile(root, &written));
    RegKey again;
    RegParseError error;
    ASSERT_TRUE(Parse(written, &again, &error)) << error.Line << ": " << error.Reason << "\n" << written;
    EXPECT_TRUE(RegTreesEqual(root, again)) << written;
}

const std::string Header = "Windows Registry Editor Version 5.00\r\n\r\n";

} // namespace

TEST(RegistryFormat, ReadsEveryValueForm) {
    const std::string text = Header + "; a comment\n"
                                      "[HKEY_CURRENT_USER\\Software\\Tellgrove]\n"
                                      "@=\"default\"\n"
                                      "\"Quoted \\\"name\\\"\"=\"C:\\\\dir\\\\ and \\\"q\\\" and \\n\"\n"
                                      "\"Number\" = dword:D1140040  \n"
                                      "\"Small\"=dword:7\n"
                                      "\"Bytes\"=hex:01,02,\\\n"
                                      "  0a,ff,\\\r\n"
                                      "  7\n"
                                      "\"Expand\"=hex(2):25,00,00,00\n"
                                      "\"Empty\"=hex:\n"
                                      "\"Gone\"=dword:1\n"
                                      "\"gone\"=-\n"
                                      "[HKEY_CURRENT_USER\\Software\\Tellgrove\\Removed\\Child]\n"
                                      "[-HKEY_CURRENT_USER\\Software\\Tellgrove\\REMOVED]\n"
                                      "[hkey_current_user\\SOFTWARE\\tellgrove]\n"
                                      "\"Small\"=dword:8\n";
    RegKey root;
    RegParseError error;
    ASSERT_TRUE(Parse(text, &root, &error)) << error.Line << ": " << error.Reason;
    const RegKey* key = Find(root, {u"HKEY_CURRENT_USER", u"Software", u"Tellgrove"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(Bytes(key, u"", REG_SZ),
              (std::vector<BYTE>{'d', 0, 'e', 0, 'f', 0, 'a', 0, 'u', 0, 'l', 0, 't', 0, 0, 0}));
    // \\ and \" stand for themselves; any other backslash is kept as written.
    std::u16string expected = u"C:\\dir\\ and \"q\" and \\n";
    std::vector<BYTE> utf16;
    for (char16_t c : expected + u'\0')
        utf16.insert(utf16.end(), {BYTE(c), BYTE(c >> 8)});
    EXPECT_EQ(Bytes(key, u"quoted \"NAME\"", REG_SZ), utf16);
    EXPECT_EQ(Bytes(key, u"Number", REG_DWORD), (std::vector<BYTE>{0x40, 0x00, 0x14, 0xD1}));
    EXPECT_EQ(Bytes(key, u"Small", REG_DWORD), (std::vector<BYTE>{8, 0, 0, 0})); // a repeated section merges
    EXPECT_EQ(Bytes(key, u"Bytes", REG_BINARY), (std::vector<BYTE>{1, 2, 10, 255, 7}));
    EXPECT_EQ(Bytes(key, u"Expand", REG_EXPAND_SZ), (std::vector<BYTE>{0x25, 0, 0, 0}));
    EXPECT_EQ(key->Values.count(u"Empty"), 1u);
    EXPECT_EQ(key->Values.count(u"Gone"), 0u);
    EXPECT_TRUE(key->SubKeys.empty());
    ExpectRoundTrip(root);
}

TEST(RegistryFormat, ReadsUtf16WithItsMarkAndUtf8WithOrWithoutOne) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\\u05D0]\r\n"
                                u"\"\u05D1\"=\"\u05D2\U0001F600\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : text)
        utf16 += {char(c & 0xFF), char(c >> 8)};
    std::string utf8 = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\\xD7\x90]\r\n"
                       "\"\xD7\x91\"=\"\xD7\x92\xF0\x9F\x98\x80\"\r\n\r\n";
    RegKey fromUtf16, fromUtf8, fromMarked;
    RegParseError error;
    ASSERT_TRUE(Parse(utf16, &fromUtf16, &error)) << error.Reason;
    ASSERT_TRUE(Parse(utf8, &fromUtf8, &error)) << error.Reason;
    ASSERT_TRUE(Parse("\xEF\xBB\xBF" + utf8, &fromMarked, &error)) << error.Reason;
    EXPECT_EQ(Bytes(Find(fromUtf16, {u"HKEY_CURRENT_USER", u"\u05D0"}), u"\u05D1", REG_SZ),
              (std::vector<BYTE>{0xD2, 0x05, 0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
    EXPECT_TRUE(RegTreesEqual(fromUtf16, fromUtf8));
    EXPECT_TRUE(RegTreesEqual(fromUtf16, fromMarked));
    // The writer gives UTF-8 whatever was read.
    std::string written;
    ASSERT_TRUE(RegWriteFile(fromUtf16, &written));
    EXPECT_EQ(written, utf8);
}

TEST(RegistryFormat, DamagedFilesAreRefusedWithTheirLine) {
    struct Case {
        std::string Text;
        size_t Line;
    };
    const std::string h = "Windows Registry Editor Version 5.00\n";
    const Case cases[] = {
        {"[HKEY_CURRENT_USER]\n", 1}, // no first line
        {"\n\nWindows Registry Editor Version 4.00\n", 3},
        {h + "\"a\"=dword:1\n", 2}, // a value before any key
        {h + "[HKEY_CURRENT_USER\n", 2},
        {h + "[HKEY_CURRENT_USER] x\n", 2},
        {h + "[HKEY_CURRENT_USER\\\\a]\n", 2},
        {h + "[HKEY_NOWHERE\\a]\n", 2},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=\"open\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=\"x\"y\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=dword:123456789\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=dword:\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=hex:01,02 03\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=hex:123\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=hex(:01\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"=hex:01,\\", 3}, // continued past the end
        {h + "[HKEY_CURRENT_USER]\n\"a\"=string\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"a\"\n", 3},
        {h + "[-HKEY_CURRENT_USER\\a]\n\"a\"=dword:1\n", 3}, // values under a deleted key
        {h + "[HKEY_CURRENT_USER]\nstray text\n", 3},
        {h + "[HKEY_CURRENT_USER]\n\"\xC3\x28\"=dword:1\n", 0}, // not UTF-8
        {"\xFF\xFEW\0x", 0},                                    // UTF-16 with half a unit
    };
    std::string deep = h + "[HKEY_CURRENT_USER";
    for (int i = 0; i < 512; ++i)
        deep += "\\k";
    std::vector<Case> all(std::begin(cases), std::end(cases));
    all.push_back({deep + "]\n", 2}); // 513 keys deep
    for (const Case& c : all) {
        RegKey root;
        RegParseError error;
        EXPECT_FALSE(Parse(c.Text, &root, &error)) << c.Text;
        EXPECT_EQ(error.Line, c.Line) << c.Text;
        EXPECT_NE(std::string(error.Reason), "") << c.Text;
    }
    // Nothing at all, or only blank lines, is an empty registry rather than a damaged one.
    RegKey root;
    RegParseError error;
    EXPECT_TRUE(Parse("", &root, &error));
    EXPECT_TRUE(Parse("\r\n  \n", &root, &error));
    EXPECT_TRUE(root.SubKeys.empty());
}

TEST(RegistryFormat, WritesLongHexOnContinuedLinesThatReadBack) {
    RegKey root;
    bool created = false;
    RegKey* key =
        RegFindOrAddSubKey(RegFindOrAddSubKey(&root, u"HKEY_CURRENT_USER", &created), u"K", &created);
    std::vector<BYTE> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = BYTE(i);
    RegSetValue(key, u"Bookmarks", REG_BINARY, bytes.data(), bytes.size());
    RegSetValue(key, u"Odd type", 0x1234, bytes.data(), 3);
    std::string written;
    ASSERT_TRUE(RegWriteFile(root, &written));
    size_t lines = 0;
    for (size_t start = 0, end; (end = written.find("\r\n", start)) != std::string::npos;
         start = end + 2, ++lines)
        EXPECT_LE(end - start, 80u) << written.substr(start, end - start);
    EXPECT_GT(lines, 14u);
    EXPECT_NE(written.find("\"Odd type\"=hex(1234):00,01,02\r\n"), std::string::npos);
    EXPECT_NE(written.find("\"Bookmarks\"=hex:00,01,02,"), std::string::npos);
    ExpectRoundTrip(root);
}
