// TextTestSupport.h: what the text tests share: article texts built from records and padded as
// UnCompress pads them, and a pane on a memory DC with the tests' pinned fonts.
#pragma once

#include "../platform/GdiTestSupport.h"
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct TestRecord {
    uint8_t Style;
    uint8_t Param;
    std::string String; // letter code
};

// The records back to back, then the padding zeros: a malloc block the pane may take and free.
inline uint8_t* MakeText(const std::vector<TestRecord>& records) {
    std::vector<uint8_t> bytes;
    for (const TestRecord& r : records) {
        bytes.push_back(r.Style);
        bytes.push_back(r.Param);
        for (char c : r.String)
            bytes.push_back(uint8_t(c));
        bytes.push_back(0);
    }
    uint8_t* text = static_cast<uint8_t*>(std::calloc(bytes.size() + ArticleTextPadding, 1));
    if (!bytes.empty()) std::memcpy(text, bytes.data(), bytes.size());
    return text;
}

constexpr const char16_t* TestFace = u"DejaVu Sans";
constexpr const char16_t* TestHebrewFace = u"Frank Ruehl CLM";

// The pane tests draw on the platform tests' canvas: a memory DC with a white bitmap selected,
// with the tests' pinned fonts.
using TestSurface = TestCanvas;

inline FontSpec MakeFontSpec(const char16_t* face, int size, int base) {
    FontSpec spec;
    std::memset(&spec, 0, sizeof spec);
    for (int i = 0; face[i] && i < FontFaceCapacity - 1; ++i)
        spec.FontFace[i] = face[i];
    spec.FontSize = size;
    spec.FontAsciiBase = base;
    return spec;
}

// A pane of the given rectangle on a 480 x 800 (or given) surface, in the test face at size 16 with
// the Unicode letter base; the state records are reset around each test.
class PaneTest : public ::testing::Test {
protected:
    PaneTest(RECT rect, int surfaceWidth = 480, int surfaceHeight = 800)
        : Surface(surfaceWidth, surfaceHeight), PaneRect(rect) {}
    TestSurface Surface;
    RECT PaneRect;
    TextPane* Pane = nullptr;

    void SetUp() override {
        ResetReaderState();
        ReaderState.FontSpec = MakeFontSpec(TestFace, 16, AsciiBaseUnicode);
        Pane = CreatePane(Surface.Dc, &PaneRect, &ReaderState.FontSpec, PaneInitialCapacity);
        ASSERT_NE(Pane, nullptr);
    }
    void TearDown() override {
        DestroyPane(Pane, 1);
        ResetReaderState();
    }
};

// The display lines of a pane as (entry, blank) pairs are awkward to read in tests; this gives the
// bytes of each entry's run as a string.
inline std::string RunText(const TextPane* pane, int i) {
    const LineEntry& e = pane->Lines[i];
    return std::string(reinterpret_cast<const char*>(pane->Text) + e.Offset, e.Count);
}
