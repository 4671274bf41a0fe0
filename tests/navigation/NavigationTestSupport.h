// NavigationTestSupport.h: what the navigation tests share: a registry file of each test's own,
// section streams built from records, and a tree on a memory DC with the pinned test fonts.
#pragma once

#include "../platform/GdiTestSupport.h"
#include "navigation/Navigation.h"
#include "shell/Settings.h"
#include "text/TextPane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <stdlib.h>

// The records state lives in process-wide records: each test starts from a cleared one with its
// own registry file.
class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "kestrova-navigation-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        PlatformResetRegistry((Folder + "/registry.reg").c_str());
        ResetReaderState();
        ResetSettingsStage();
        PlatformClearMessageBoxLog();
        PlatformSetMessageBoxEcho(FALSE);
        PlatformSetMessageBoxAnswer(IDOK);
    }
    void TearDown() override {
        std::free(ReaderState.Bookmarks);
        ResetReaderState();
        PlatformSetMessageBoxAnswer(IDOK);
        PlatformResetRegistry(nullptr);
        std::filesystem::remove_all(Folder);
    }
    std::string Folder;
};

struct TestSection {
    uint16_t Id;
    uint8_t Attributes;
    uint8_t Level;
    std::string Text; // letter code, display order
};

inline std::vector<uint8_t> SectionBytes(const std::vector<TestSection>& records, bool endRecord = true) {
    std::vector<uint8_t> bytes;
    for (const TestSection& r : records) {
        bytes.push_back(uint8_t(r.Id & 0xFF));
        bytes.push_back(uint8_t(r.Id >> 8));
        bytes.push_back(r.Attributes);
        bytes.push_back(r.Level);
        bytes.insert(bytes.end(), r.Text.begin(), r.Text.end());
        bytes.push_back(0);
    }
    if (endRecord) bytes.insert(bytes.end(), SectionEndRecordSize, 0);
    return bytes;
}

// A sealed stream in a malloc block, as the tree takes it.
inline uint8_t* MakeStream(const std::vector<TestSection>& records) {
    std::vector<uint8_t> bytes = SectionBytes(records);
    uint8_t* stream = static_cast<uint8_t*>(std::malloc(bytes.size()));
    std::memcpy(stream, bytes.data(), bytes.size());
    return stream;
}

inline std::vector<uint8_t> StreamBytes(const uint8_t* stream) {
    return std::vector<uint8_t>(stream, stream + SectionStreamLength(stream));
}

inline void SetBookmarks(const std::vector<uint16_t>& lessons) {
    std::free(ReaderState.Bookmarks);
    ReaderState.Bookmarks = static_cast<uint16_t*>(std::malloc((lessons.size() + 1) * sizeof(uint16_t)));
    for (size_t i = 0; i < lessons.size(); ++i)
        ReaderState.Bookmarks[i] = lessons[i];
    ReaderState.Bookmarks[lessons.size()] = 0;
    ReaderState.BookmarkCount = uint16_t(lessons.size());
}

constexpr uint16_t Heading(uint16_t n) {
    return uint16_t(SectionIdHeading | n);
}
constexpr uint16_t Entry(uint16_t lesson) {
    return uint16_t(SectionIdSelectable | lesson);
}
// Attributes with style 1 (a record's Attributes is never 0: 0 ends the stream).
constexpr uint8_t Hidden = 0x01;
constexpr uint8_t Shown = SectionShown | 0x01;
constexpr uint8_t ShownOpen = SectionShown | SectionOpen | 0x01;
constexpr uint8_t HiddenOpen = SectionOpen | 0x01;

// A tree of the given view on a 240 x 320 canvas, in the test face at size 16, Unicode letters.
class TreeTest : public NavigationTest {
protected:
    TestCanvas Canvas{240, 320};
    SectionTree* Tree = nullptr;
    RECT View{0, 0, 227, 320};

    void SetUp() override {
        NavigationTest::SetUp();
        std::memset(&ReaderState.FontSpec, 0, sizeof ReaderState.FontSpec);
        const char16_t face[] = u"DejaVu Sans";
        std::memcpy(ReaderState.FontSpec.FontFace, face, sizeof face);
        ReaderState.FontSpec.FontSize = 16;
        ReaderState.FontSpec.FontAsciiBase = AsciiBaseUnicode;
    }
    void TearDown() override {
        ReleaseSectionTree(Tree, 1);
        NavigationTest::TearDown();
    }
    // Creates the tree and lays out the records; the layout's result.
    int Build(const std::vector<TestSection>& records) {
        Tree = CreateSectionTree(Canvas.Dc, &View, &ReaderState.FontSpec, SectionTreeCapacity);
        uint8_t* stream = MakeStream(records);
        const int result = LayoutSectionTree(Tree, stream, 0);
        if (result != TreeLayoutOk) std::free(stream);
        return result;
    }
    std::string RowText(int i) const {
        const SectionRow& r = Tree->Rows[i];
        return std::string(reinterpret_cast<const char*>(Tree->SectionIndex) + r.TextOffset, r.Length);
    }
    // The rows' shown bits as a string of 1 and 0, for whole-tree comparisons.
    std::string ShownRows() const {
        std::string s;
        for (int i = 0; i < Tree->RowCount; ++i)
            s += (Tree->Rows[i].Attributes & SectionShown) ? '1' : '0';
        return s;
    }
    // The width of a letter-code run in the tree's font of a style.
    int RunWidth(const std::string& run, uint8_t style = TreeStartStyle) {
        HFONT old = SelectStyleFont(Tree, style, 0);
        int width = 1 << 20, count = int(run.size());
        MeasureFit(Canvas.Dc, reinterpret_cast<const uint8_t*>(run.c_str()), &width, &count);
        SelectObject(Canvas.Dc, old);
        return width;
    }
};
