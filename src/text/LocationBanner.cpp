// LocationBanner.cpp: the framed box with the article's heading and sub-heading that the search
// draws over a pane after a hit. It stays until the pane is next painted. The brush it fills with
// is deleted here; the small font's text colour is left set.
#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <algorithm>
#include <cstring>

PaneHeadings FindHeadings(const uint8_t* text) {
    PaneHeadings found = {0, nullptr, 0, nullptr};
    if (!text) return found;
    const uint8_t* next = text;
    if (text[0] == StyleHeading) {
        found.Heading = text + 2;
        found.HeadingLength = int(std::strlen(reinterpret_cast<const char*>(found.Heading)));
        next = found.Heading + found.HeadingLength + 1;
    }
    if (next[0] == StyleSubHeading) {
        found.SubHeading = next + 2;
        found.SubHeadingLength = int(std::strlen(reinterpret_cast<const char*>(found.SubHeading)));
    }
    return found;
}

namespace {

// The part of a heading that fits the pane. Headings are stored last character first, so the
// reading start is the stored end: a heading too wide keeps its end and loses bytes at the front.
struct FittedLine {
    const uint8_t* Start;
    int Count;
    int Width;
};

FittedLine FitHeading(HDC dc, const uint8_t* bytes, int length, int limit) {
    FittedLine fitted = {bytes, 0, 0};
    for (int skip = 0; skip < length; ++skip) {
        int n = length - skip;
        int w = limit;
        MeasureFit(dc, bytes + skip, &w, &n);
        if (n == length - skip) return FittedLine{bytes + skip, n, w};
    }
    return fitted;
}

void DrawBannerLine(HDC dc, const FittedLine& line, const RECT& inner, int g) {
    const int iw = inner.right - inner.left;
    DrawRunColored(dc, line.Start, line.Count, inner.left + (iw - line.Width) / 2, inner.top, line.Width, g,
                   ColourBannerText, ColourBannerBack);
}

} // namespace

void DrawLocationBanner(TextPane* pane) {
    if (!pane || !pane->Text) return;
    const PaneHeadings headings = FindHeadings(pane->Text);
    if (!headings.Heading && !headings.SubHeading) return;
    HDC dc = pane->DC;
    HFONT previousFont = SelectPaneFont(pane, BannerStyleKey | SelectWithColour);
    const int rows = (headings.Heading && headings.SubHeading) ? 2 : 1;
    TEXTMETRICW metrics;
    std::memset(&metrics, 0, sizeof metrics);
    GetTextMetricsW(dc, &metrics);
    const int g = metrics.tmHeight;
    const int previousMode = SetBkMode(dc, OPAQUE);
    FittedLine heading = {nullptr, 0, 0}, subHeading = {nullptr, 0, 0};
    // A heading fits inside the frame of a banner as wide as the pane, so it never runs over it.
    const int limit = pane->Width - 2 * (FrameOuterCount + FrameMiddleCount + FrameInnerCount);
    if (headings.Heading) heading = FitHeading(dc, headings.Heading, headings.HeadingLength, limit);
    if (headings.SubHeading)
        subHeading = FitHeading(dc, headings.SubHeading, headings.SubHeadingLength, limit);
    int b = std::max(heading.Width, subHeading.Width) + 2 * (g + BannerSidePadding);
    if (b >= pane->Width) b = pane->Width;
    RECT rect;
    rect.left = pane->Left + (pane->Width - b) / 2;
    rect.right = rect.left + b;
    rect.top = pane->Top + pane->Height - rows * g - BannerVerticalFrame;
    rect.bottom = pane->Top + pane->Height - BannerBottomGap;
    DrawFrame(dc, &rect, ColourFrameOuter, FrameOuterCount);
    DrawFrame(dc, &rect, ColourFrameMiddle, FrameMiddleCount);
    DrawFrame(dc, &rect, ColourFrameInner, FrameInnerCount);
    HBRUSH yellow = CreateSolidBrush(ColourBannerBack);
    if (yellow) {
        FillRect(dc, &rect, yellow);
        DeleteObject(yellow);
    }
    if (headings.Heading) {
        DrawBannerLine(dc, heading, rect, g);
        rect.top += g;
    }
    if (headings.SubHeading) DrawBannerLine(dc, subHeading, rect, g);
    SelectObject(dc, previousFont);
    SetBkMode(dc, previousMode);
}
