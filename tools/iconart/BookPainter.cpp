// BookPainter.cpp: the book's layout at each size and its painting. Shapes are filled with
// their exact coverage (sampled 8 x 8 within each pixel) so edges on whole pixels stay sharp
// and only rounded corners are smoothed. The SVG repeats the same layout at its own size.
#include "IconArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr Rgba CoverColour{0x80, 0x30, 0x10, 0xFF};
constexpr Rgba SpineColour{0x40, 0x20, 0x10, 0xFF};
constexpr Rgba PageColour{0xFF, 0xFF, 0xFF, 0xFF};
constexpr Rgba LineColour{0x90, 0x90, 0x90, 0xFF};
constexpr Rgba ShadowColour{0x00, 0x00, 0x00, 0x38};
constexpr Rgba ShadeColour{0x60, 0x40, 0x30, 0x30}; // pages darken towards the spine
constexpr int MostLines = 5;
constexpr int DetailSize = 48;      // from this size on, there is room for details
constexpr int Samples = 8;          // per pixel side, for coverage
constexpr double LeastRadius = 1.5; // smaller roundings only blur a corner or a line end

// The book is drawn on a 32-pixel design; each size rounds the design's numbers to its pixels.
int Scaled(double design, double k, int least) {
    return std::max(least, int(std::floor(design * k + 0.5)));
}

// Whether (x, y) lies in the rectangle with corners rounded by radius.
bool Inside(double x, double y, double x0, double y0, double x1, double y1, double radius) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    double cx = std::clamp(x, x0 + radius, x1 - radius), cy = std::clamp(y, y0 + radius, y1 - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// Source-over of colour with the given extra opacity.
void Blend(Canvas* canvas, int x, int y, Rgba colour, double opacity) {
    uint8_t* p = &canvas->Pixels[(size_t(y) * canvas->Width + x) * 4];
    double a = colour.A / 255.0 * opacity, below = p[3] / 255.0;
    double out = a + below * (1 - a);
    if (out <= 0) return;
    const uint8_t source[3] = {colour.R, colour.G, colour.B};
    for (int c = 0; c < 3; ++c)
        p[c] = uint8_t(std::lround((source[c] * a + p[c] * below * (1 - a)) / out));
    p[3] = uint8_t(std::lround(out * 255));
}

void FillShape(Canvas* canvas, double x0, double y0, double x1, double y1, double radius, Rgba colour) {
    for (int y = std::max(0, int(y0)); y < std::min(canvas->Height, int(std::ceil(y1))); ++y)
        for (int x = std::max(0, int(x0)); x < std::min(canvas->Width, int(std::ceil(x1))); ++x) {
            int hits = 0;
            for (int sy = 0; sy < Samples; ++sy)
                for (int sx = 0; sx < Samples; ++sx)
                    hits +=
                        Inside(x + (sx + 0.5) / Samples, y + (sy + 0.5) / Samples, x0, y0, x1, y1, radius);
            if (hits > 0) Blend(canvas, x, y, colour, double(hits) / (Samples * Samples));
        }
}

// The horizontal extent of line i on a page from pageLeft to pageRight; at sizes with details the
// last line of each page is a paragraph's end: shorter, and flush with the right, as Hebrew runs.
void LineExtent(const BookLayout& b, int i, int pageLeft, int pageRight, int* x0, int* x1) {
    *x0 = pageLeft + b.LineInset;
    *x1 = pageRight - b.LineInset;
    if (b.Details && i == b.LineCount - 1) *x0 += (*x1 - *x0) * 2 / 5;
}

double PageRadius(const BookLayout& b) {
    return b.CoverRadius / 3 >= LeastRadius ? b.CoverRadius / 3 : 0;
}
double LineRadius(const BookLayout& b) {
    return b.Details && b.LineThickness / 2.0 >= LeastRadius ? b.LineThickness / 2.0 : 0;
}

} // namespace

BookLayout LayoutBook(int size) {
    double k = size / 32.0;
    BookLayout b{};
    b.Size = size;
    b.Left = Scaled(2, k, 1);
    b.Right = size - b.Left;
    b.Top = Scaled(6, k, 1);
    b.Bottom = Scaled(27, k, b.Top + 4);
    b.Border = Scaled(1, k, 1);
    int spine = 2 * Scaled(1, k, 1);
    b.SpineLeft = size / 2 - spine / 2;
    b.SpineRight = b.SpineLeft + spine;
    b.LineThickness = Scaled(1, k, 1);
    b.LineGap = Scaled(2, k, 1);
    b.LineInset = Scaled(2, k, 1);
    // As many lines as fit (at most five) with a margin above and below, the spare rows centred.
    int interior = b.Bottom - b.Top - 2 * b.Border, margin = Scaled(1.5, k, 1);
    b.LineCount = MostLines;
    while (b.LineCount > 1 &&
           b.LineCount * b.LineThickness + (b.LineCount - 1) * b.LineGap > interior - 2 * margin)
        --b.LineCount;
    int used = b.LineCount * b.LineThickness + (b.LineCount - 1) * b.LineGap;
    b.LineTop = b.Top + b.Border + (interior - used) / 2;
    b.Details = size >= DetailSize;
    b.CoverRadius = b.Details ? 1.5 * k : 0;
    return b;
}

Canvas DrawBook(const BookLayout& b) {
    Canvas canvas{b.Size, b.Size, std::vector<uint8_t>(size_t(b.Size) * b.Size * 4, 0)};
    double pageRadius = PageRadius(b);
    if (b.Details) {
        double drop = b.Size / 64.0;
        FillShape(&canvas, b.Left + drop, b.Top + 2 * drop, b.Right + drop, b.Bottom + 2 * drop,
                  b.CoverRadius, ShadowColour);
    }
    FillShape(&canvas, b.Left, b.Top, b.Right, b.Bottom, b.CoverRadius, CoverColour);
    int pageTop = b.Top + b.Border, pageBottom = b.Bottom - b.Border;
    const int pages[2][2] = {{b.Left + b.Border, b.SpineLeft}, {b.SpineRight, b.Right - b.Border}};
    for (const auto& page : pages) {
        FillShape(&canvas, page[0], pageTop, page[1], pageBottom, pageRadius, PageColour);
        if (b.Details) { // a soft shade in the gutter, strongest at the spine
            int width = std::max(2, b.Size / 24);
            for (int s = 0; s < width; ++s) {
                Rgba shade = ShadeColour;
                shade.A = uint8_t(ShadeColour.A * (width - s) / width);
                int x = page[0] == b.SpineRight ? page[0] + s : page[1] - 1 - s;
                FillShape(&canvas, x, pageTop, x + 1, pageBottom, 0, shade);
            }
        }
        for (int i = 0; i < b.LineCount; ++i) {
            int x0, x1, y = b.LineTop + i * (b.LineThickness + b.LineGap);
            LineExtent(b, i, page[0], page[1], &x0, &x1);
            FillShape(&canvas, x0, y, x1, y + b.LineThickness, LineRadius(b), LineColour);
        }
    }
    FillShape(&canvas, b.SpineLeft, b.Top, b.SpineRight, b.Bottom, 0, SpineColour);
    return canvas;
}

namespace {

std::string Hex(Rgba c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.R, c.G, c.B);
    return text;
}

// One rectangle element; extra holds further attributes (opacity), or is empty.
std::string SvgRect(double x0, double y0, double x1, double y1, double radius, const std::string& fill,
                    const std::string& extra) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"%s\"%s/>\n", x0, y0,
                  x1 - x0, y1 - y0, radius, fill.c_str(), extra.c_str());
    return text;
}

// The gutter shade of one page: strongest at the spine, fading outwards.
std::string SvgGutter(const char* id, bool spineOnRight) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "    <linearGradient id=\"%s\" x1=\"%d\" x2=\"%d\" y1=\"0\" y2=\"0\">"
                  "<stop offset=\"0\" stop-color=\"%s\" stop-opacity=\"%.3f\"/>"
                  "<stop offset=\"1\" stop-color=\"%s\" stop-opacity=\"0\"/></linearGradient>\n",
                  id, spineOnRight ? 1 : 0, spineOnRight ? 0 : 1, Hex(ShadeColour).c_str(),
                  ShadeColour.A / 255.0, Hex(ShadeColour).c_str());
    return text;
}

} // namespace

std::string BookSvg(const BookLayout& b) {
    char header[160];
    std::snprintf(
        header, sizeof header,
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n",
        b.Size, b.Size, b.Size, b.Size);
    std::string svg = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + header;
    svg += "  <defs>\n" + SvgGutter("gutter-left", true) + SvgGutter("gutter-right", false) + "  </defs>\n";
    char shadow[48];
    std::snprintf(shadow, sizeof shadow, " fill-opacity=\"%.3f\"", ShadowColour.A / 255.0);
    double drop = b.Size / 64.0, pageRadius = PageRadius(b);
    svg += SvgRect(b.Left + drop, b.Top + 2 * drop, b.Right + drop, b.Bottom + 2 * drop, b.CoverRadius,
                   Hex(ShadowColour), shadow);
    svg += SvgRect(b.Left, b.Top, b.Right, b.Bottom, b.CoverRadius, Hex(CoverColour), "");
    int pageTop = b.Top + b.Border, pageBottom = b.Bottom - b.Border, gutter = std::max(2, b.Size / 24);
    const int pages[2][2] = {{b.Left + b.Border, b.SpineLeft}, {b.SpineRight, b.Right - b.Border}};
    for (int side = 0; side < 2; ++side) {
        const int* page = pages[side];
        svg += SvgRect(page[0], pageTop, page[1], pageBottom, pageRadius, Hex(PageColour), "");
        int x0 = side == 0 ? page[1] - gutter : page[0];
        svg += SvgRect(x0, pageTop, x0 + gutter, pageBottom, 0,
                       side == 0 ? "url(#gutter-left)" : "url(#gutter-right)", "");
        for (int i = 0; i < b.LineCount; ++i) {
            int lx0, lx1, y = b.LineTop + i * (b.LineThickness + b.LineGap);
            LineExtent(b, i, page[0], page[1], &lx0, &lx1);
            svg += SvgRect(lx0, y, lx1, y + b.LineThickness, LineRadius(b), Hex(LineColour), "");
        }
    }
    svg += SvgRect(b.SpineLeft, b.Top, b.SpineRight, b.Bottom, 0, Hex(SpineColour), "");
    return svg + "</svg>\n";
}
