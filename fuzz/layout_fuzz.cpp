// layout_fuzz.cpp: LayoutText, PaintPane, the highlight, the banner and the scroll operations over
// arbitrary article bytes, padded as UnCompress pads its output. The first four input bytes choose
// the pane's width and height, the Reverse flag and a hit range; the rest is the text.
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

namespace {

struct FuzzSurface {
    HDC DC = nullptr;
    HBITMAP Bitmap = nullptr;
    FuzzSurface() {
        DC = CreateCompatibleDC(nullptr);
        Bitmap = CreateCompatibleBitmap(DC, 320, 400);
        SelectObject(DC, Bitmap);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSurface surface;
    if (size < 4 || size - 4 > size_t(MaxTextOffset)) return 0;
    ResetReaderState();
    const char16_t face[] = u"DejaVu Sans";
    std::memcpy(ReaderState.FontSpec.FontFace, face, sizeof face);
    ReaderState.FontSpec.FontSize = 8 + data[2] % 24;
    ReaderState.FontSpec.FontAsciiBase = (data[2] & 0x80) ? AsciiBaseCodePage : AsciiBaseUnicode;
    ReaderState.Flags = (data[3] & 1) ? FlagReverse : 0;
    const int width = 1 + data[0] % 320, height = 1 + data[1] % 400;
    RECT rect = {0, 0, width, height};
    TextPane* pane = CreatePane(surface.DC, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
    if (!pane) return 0;
    uint8_t* text = static_cast<uint8_t*>(std::calloc(size - 4 + ArticleTextPadding, 1));
    std::memcpy(text, data + 4, size - 4);
    if (LayoutText(pane, text, 1) == LayoutOk) {
        pane->TopLine = uint16_t(data[1]);
        pane->HitStart = uint16_t(data[3] >> 1);
        pane->HitEnd = uint16_t(pane->HitStart + data[0] % 64);
        PaintPane(pane, 1);
        DrawLocationBanner(pane);
        ScrollPane(pane, int(int8_t(data[2])), 2, data[3] & 2);
        ScrollToOffset(pane, data[0] * 4);
        ResizePane(pane, 1 + width / 2, height);
        PaintPane(pane, 0);
    }
    DestroyPane(pane, 1);
    return 0;
}
