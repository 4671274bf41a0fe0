// IconArt.h: the program's icon, an open book (brown covers, white pages with grey lines, a dark
// spine), drawn at any size into an RGBA canvas, and the files made from it. Every size has its
// own pixel-snapped layout so the small ones stay crisp; rounded corners, a shadow and page
// shading appear only where there are pixels enough for them. Canvases own their pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Straight (not premultiplied) RGBA, rows top to bottom.
struct Canvas {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels; // 4 bytes a pixel: red, green, blue, alpha
};

struct Rgba {
    uint8_t R, G, B, A;
};

// Where the parts of the book lie at one size, in whole pixels (right and bottom exclusive).
struct BookLayout {
    int Size;
    int Left, Top, Right, Bottom; // the cover
    int Border;                   // cover visible around the pages
    int SpineLeft, SpineRight;
    int LineCount, LineTop, LineThickness, LineGap;
    int LineInset;      // from the page's outer edge and from the spine
    double CoverRadius; // 0 at small sizes: square corners stay crisp
    bool Details;       // shadow, page shading, rounded line ends, a short last line
};

BookLayout LayoutBook(int size);
Canvas DrawBook(const BookLayout& layout);
// The scalable picture of the same layout, as SVG text.
std::string BookSvg(const BookLayout& layout);

// Files; each returns false when it cannot be written.
bool WritePng(const Canvas& canvas, const std::string& path);
// A Windows icon file with one 32-bit entry (with its AND mask) per canvas, in the order given.
bool WriteIco(const std::vector<Canvas>& images, const std::string& path);
// Every canvas magnified by scale on a chequered ground, side by side: for looking at the icon.
Canvas ContactSheet(const std::vector<Canvas>& images, int scale);
