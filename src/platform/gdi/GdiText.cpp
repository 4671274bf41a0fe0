// GdiText.cpp: text measuring and drawing: GetTextMetricsW, GetTextExtentExPointW,
// GetTextExtentPoint32W, ExtTextOutW, DrawTextW and GetTextFaceW. One glyph per UTF-16 unit, strictly left to
// right in the order given: no bidi reordering, no shaping. Advances are whole pixels, so an
// extent is the plain sum of the advances and measuring agrees with drawing to the pixel.
// Glyphs come from the font's cache (FontGlyphs.cpp). The reader's runs (single line, no prefix)
// are drawn from the caller's units and allocate nothing once the cache is warm.
#include "platform/gdi/Gdi.h"

#include "platform/base/Clamp.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

LONG Clamp(int64_t v) {
    return ClampCoord(v);
}

// What a text drawing needs besides the characters.
struct TextJob {
    GdiDC* Dc;
    FontInstance* Font;
    bool Underline;
    bool StrikeOut;
    RECT Clip;          // surface coordinates, inside the DC's bounds
    int PrefixIndex;    // unit drawn with an underline (DrawTextW's '&' prefix), or -1
    const INT* Spacing; // ExtTextOutW's advances, or null for the font's own
};

int64_t Extent(FontInstance* font, LPCWSTR text, int count) {
    int64_t x = 0;
    for (int i = 0; i < count; i++)
        x += FontGlyphFor(font, text[i]).Advance;
    return x;
}

void FillSurfaceRect(GdiDC* dc, const RECT& logical, const RECT& clip, COLORREF colour) {
    RECT r{Clamp(int64_t(logical.left) + dc->Origin.x), Clamp(int64_t(logical.top) + dc->Origin.y),
           Clamp(int64_t(logical.right) + dc->Origin.x), Clamp(int64_t(logical.bottom) + dc->Origin.y)};
    RECT area;
    if (RectIntersect(r, clip, &area)) SurfaceFill(dc->Target, area, PixelFromColorRef(colour));
}

// Draws units at logical (x, y), y the top of the cell; returns the pen's end position.
int64_t DrawUnits(const TextJob& job, int64_t x, int64_t y, LPCWSTR text, int count) {
    GdiDC* dc = job.Dc;
    const TEXTMETRICW& tm = FontMetrics(job.Font);
    int64_t originX = x + dc->Origin.x;
    int64_t baseline = y + dc->Origin.y + tm.tmAscent;
    uint32_t ink = PixelFromColorRef(dc->TextColour);
    // The blend table is made for the background the text most likely lies on: the DC's
    // background colour when it is filled first, else the pixel at the start of the text.
    uint32_t under = PixelFromColorRef(dc->BkColour);
    int64_t probeX = std::max<int64_t>(originX, job.Clip.left),
            probeY = std::max<int64_t>(baseline, job.Clip.top);
    if (dc->BkMode == TRANSPARENT && probeX < job.Clip.right && probeY < job.Clip.bottom)
        under = dc->Target->Pixels[size_t(probeY) * dc->Target->Stride + size_t(probeX)];
    BlendTablePrepare(&dc->Blend, ink, under);
    int64_t pen = originX, prefixStart = 0, prefixEnd = 0;
    for (int i = 0; i < count; i++) {
        const FontGlyph& g = FontGlyphFor(job.Font, text[i]);
        int64_t gx = pen + g.Left, gy = baseline - g.Top;
        bool visible = g.Coverage != nullptr && gx < job.Clip.right && gx + g.Width > job.Clip.left &&
                       gy < job.Clip.bottom && gy + g.Height > job.Clip.top;
        if (visible)
            SurfaceBlendCoverage(dc->Target, job.Clip, int(gx), int(gy), g.Coverage, g.Width, g.Height,
                                 g.Width, ink, &dc->Blend);
        int64_t advance = job.Spacing ? job.Spacing[i] : g.Advance;
        if (i == job.PrefixIndex) prefixStart = pen, prefixEnd = pen + advance;
        pen += advance;
        // Past the clip by more than any glyph reaches back: the rest cannot show (with the font's
        // own advances, which never go backwards).
        if (!job.Spacing && pen > job.Clip.right + tm.tmMaxCharWidth) break;
    }
    int offset = 0, thickness = 0;
    auto band = [&](int64_t left, int64_t right) {
        RECT r{Clamp(left), Clamp(baseline + offset), Clamp(right), Clamp(baseline + offset + thickness)};
        RECT area;
        if (RectIntersect(r, job.Clip, &area)) SurfaceFill(dc->Target, area, ink);
    };
    FontUnderline(job.Font, &offset, &thickness);
    if (job.Underline) band(originX, pen);
    if (job.PrefixIndex >= 0 && prefixEnd > prefixStart) band(prefixStart, prefixEnd);
    FontStrikeOut(job.Font, &offset, &thickness);
    if (job.StrikeOut) band(originX, pen);
    return pen - dc->Origin.x;
}

bool PrepareJob(HDC handle, TextJob* job) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr || dc->Target == nullptr) return false;
    FontInstance* font = GdiDCFontInstance(dc);
    if (font == nullptr) return false;
    GdiFont* record = GdiLookupFont(dc->Font);
    *job =
        TextJob{dc, font,   record && record->Log.lfUnderline, record && record->Log.lfStrikeOut, dc->Bounds,
                -1, nullptr};
    return true;
}

// Clips the job to a logical rectangle of the DC.
void ClipTo(TextJob* job, const RECT& logical) {
    GdiDC* dc = job->Dc;
    RECT r{Clamp(int64_t(logical.left) + dc->Origin.x), Clamp(int64_t(logical.top) + dc->Origin.y),
           Clamp(int64_t(logical.right) + dc->Origin.x), Clamp(int64_t(logical.bottom) + dc->Origin.y)};
    RectIntersect(job->Clip, r, &job->Clip);
}

// One line of DrawTextW's text: its units after prefix processing, and the underlined unit.
struct TextLine {
    std::u16string Units;
    int Prefix;
    int64_t Width;
};

TextLine MakeLine(FontInstance* font, LPCWSTR text, int count, bool prefixes) {
    TextLine line{std::u16string(), -1, 0};
    for (int i = 0; i < count; i++) {
        if (prefixes && text[i] == u'&') {
            if (i + 1 < count && text[i + 1] == u'&') {
                line.Units.push_back(u'&');
                i++;
            } else if (i + 1 < count) {
                line.Prefix = int(line.Units.size());
            }
            continue;
        }
        line.Units.push_back(text[i]);
    }
    line.Width = Extent(font, line.Units.data(), int(line.Units.size()));
    return line;
}

// Splits DrawTextW's text into lines: at line ends unless single-line, and at spaces when a word
// would pass the rectangle's width with DT_WORDBREAK (a longer word stays whole, as in Win32).
std::vector<TextLine> SplitLines(FontInstance* font, LPCWSTR text, int count, UINT format, int64_t width) {
    std::vector<TextLine> lines;
    bool prefixes = !(format & DT_NOPREFIX);
    if (format & DT_SINGLELINE) {
        lines.push_back(MakeLine(font, text, count, prefixes));
        return lines;
    }
    int start = 0;
    while (start <= count) {
        int end = start;
        while (end < count && text[end] != u'\r' && text[end] != u'\n')
            end++;
        int lineStart = start;
        while (true) {
            int cut = end;
            if (format & DT_WORDBREAK) {
                int64_t x = 0;
                int lastSpace = -1;
                for (int i = lineStart; i < end; i++) {
                    if (text[i] == u' ') lastSpace = i;
                    x += FontGlyphFor(font, text[i]).Advance;
                    if (x > width && lastSpace > lineStart) {
                        cut = lastSpace;
                        break;
                    }
                }
            }
            int trimmed = cut;
            while (trimmed > lineStart && cut < end && text[trimmed - 1] == u' ')
                trimmed--;
            lines.push_back(MakeLine(font, text + lineStart, trimmed - lineStart, prefixes));
            if (cut >= end) break;
            lineStart = cut;
            while (lineStart < end && text[lineStart] == u' ')
                lineStart++;
        }
        if (end >= count) break;
        start = end + ((text[end] == u'\r' && end + 1 < count && text[end + 1] == u'\n') ? 2 : 1);
        if (start >= count) break;
    }
    return lines;
}

// The reader's runs (single line, no prefixes): drawn straight from the caller's units, with no
// copy and no allocation.
int DrawSingleLine(TextJob& job, LPCWSTR text, int count, const RECT* rect, UINT format) {
    GdiDC* dc = job.Dc;
    const LONG lineHeight = FontMetrics(job.Font).tmHeight;
    int64_t lineWidth = Extent(job.Font, text, count);
    int64_t x = rect->left, y = rect->top;
    if (format & DT_CENTER)
        x = rect->left + (int64_t(rect->right) - rect->left - lineWidth) / 2;
    else if (format & DT_RIGHT)
        x = int64_t(rect->right) - lineWidth;
    if (format & DT_VCENTER)
        y = rect->top + (int64_t(rect->bottom) - rect->top - lineHeight) / 2;
    else if (format & DT_BOTTOM)
        y = int64_t(rect->bottom) - lineHeight;
    if (!(format & DT_NOCLIP)) ClipTo(&job, *rect);
    if (dc->BkMode == OPAQUE) {
        RECT cell{Clamp(x), Clamp(y), Clamp(x + lineWidth), Clamp(y + lineHeight)};
        FillSurfaceRect(dc, cell, job.Clip, dc->BkColour);
    }
    DrawUnits(job, x, y, text, count);
    if (format & (DT_VCENTER | DT_BOTTOM)) return int(Clamp(y + lineHeight - rect->top));
    return lineHeight;
}

} // namespace

BOOL GetTextMetricsW(HDC handle, TEXTMETRICW* metrics) {
    TextJob job;
    if (metrics == nullptr || !PrepareJob(handle, &job)) return FALSE;
    *metrics = FontMetrics(job.Font);
    GdiFont* record = GdiLookupFont(job.Dc->Font);
    if (record) {
        metrics->tmItalic = record->Log.lfItalic ? 1 : 0;
        metrics->tmUnderlined = record->Log.lfUnderline ? 1 : 0;
        metrics->tmStruckOut = record->Log.lfStrikeOut ? 1 : 0;
    }
    return TRUE;
}

// Win32's rules: size is the extent of all count units; fit counts the units from the start whose
// extent is within maxExtent (0 when the limit is 0 or narrower than the first unit); dx receives
// the running extent after each unit, for every unit asked.
BOOL GetTextExtentExPointW(HDC handle, LPCWSTR text, int count, int maxExtent, INT* fit, INT* dx,
                           SIZE* size) {
    TextJob job;
    if (size == nullptr || count < 0 || (text == nullptr && count > 0) || !PrepareJob(handle, &job))
        return FALSE;
    int64_t x = 0;
    int fits = 0;
    for (int i = 0; i < count; i++) {
        x += FontGlyphFor(job.Font, text[i]).Advance;
        if (dx) dx[i] = INT(Clamp(x));
        if (x <= maxExtent && fits == i) fits = i + 1;
    }
    if (fit) *fit = fits;
    *size = SIZE{Clamp(x), FontMetrics(job.Font).tmHeight};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
    return GetTextExtentExPointW(dc, text, count, 0, nullptr, nullptr, size);
}

BOOL ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx) {
    TextJob job;
    if ((text == nullptr && count > 0) || count > UINT(CoordLimit) || !PrepareJob(handle, &job)) return FALSE;
    GdiDC* dc = job.Dc;
    if ((options & ETO_OPAQUE) && rect) FillSurfaceRect(dc, *rect, job.Clip, dc->BkColour);
    if ((options & ETO_CLIPPED) && rect) ClipTo(&job, *rect);
    job.Spacing = dx;
    if (dc->BkMode == OPAQUE && count > 0) {
        int64_t width = 0;
        for (UINT i = 0; i < count; i++)
            width += dx ? dx[i] : FontGlyphFor(job.Font, text[i]).Advance;
        RECT cell{Clamp(x), Clamp(y), Clamp(int64_t(x) + width),
                  Clamp(int64_t(y) + FontMetrics(job.Font).tmHeight)};
        FillSurfaceRect(dc, cell, job.Clip, dc->BkColour);
    }
    DrawUnits(job, x, y, text, int(count));
    return TRUE;
}

int DrawTextW(HDC handle, LPCWSTR text, int count, RECT* rect, UINT format) {
    TextJob job;
    if (text == nullptr || rect == nullptr || !PrepareJob(handle, &job)) return 0;
    if (count < 0) {
        count = 0;
        while (text[count] != 0 && count < CoordLimit)
            count++;
    }
    if ((format & DT_SINGLELINE) && (format & DT_NOPREFIX) && !(format & DT_CALCRECT) && count > 0)
        return DrawSingleLine(job, text, count, rect, format);
    GdiDC* dc = job.Dc;
    const LONG lineHeight = FontMetrics(job.Font).tmHeight;
    int64_t width = int64_t(rect->right) - rect->left;
    std::vector<TextLine> lines = SplitLines(job.Font, text, count, format, width);
    int64_t total = int64_t(lineHeight) * int64_t(lines.size());
    if (count == 0) total = (format & DT_SINGLELINE) ? lineHeight : 0;
    if (format & DT_CALCRECT) {
        int64_t widest = 0;
        for (const TextLine& line : lines)
            widest = std::max(widest, line.Width);
        rect->right = Clamp(int64_t(rect->left) + (count == 0 ? 0 : widest));
        rect->bottom = Clamp(int64_t(rect->top) + total);
        return int(Clamp(total));
    }
    int64_t y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (int64_t(rect->bottom) - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = int64_t(rect->bottom) - lineHeight;
    }
    if (!(format & DT_NOCLIP)) ClipTo(&job, *rect);
    for (const TextLine& line : lines) {
        int64_t x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (width - line.Width) / 2;
        else if (format & DT_RIGHT)
            x = int64_t(rect->right) - line.Width;
        if (dc->BkMode == OPAQUE && !line.Units.empty()) {
            RECT cell{Clamp(x), Clamp(y), Clamp(x + line.Width), Clamp(y + lineHeight)};
            FillSurfaceRect(dc, cell, job.Clip, dc->BkColour);
        }
        job.PrefixIndex = line.Prefix;
        DrawUnits(job, x, y, line.Units.data(), int(line.Units.size()));
        y += lineHeight;
    }
    // With DT_VCENTER or DT_BOTTOM Win32 returns the offset from the top to the text's bottom.
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return int(Clamp(y - rect->top));
    return int(Clamp(total));
}

int GetTextFaceW(HDC handle, int count, LPWSTR name) {
    TextJob job;
    if (!PrepareJob(handle, &job)) return 0;
    const WCHAR* family = FontFamilyName(job.Font);
    int length = 0;
    while (family[length] != 0)
        length++;
    if (name == nullptr) return length + 1;
    if (count <= 0) return 0;
    int n = std::min(length, count - 1);
    for (int i = 0; i < n; i++)
        name[i] = family[i];
    name[n] = 0;
    return n + 1;
}
