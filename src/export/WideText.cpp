// WideText.cpp: an article as wide-character text, one line per record, for the clipboard: its
// size estimate, the rules' dashes and the conversion. The conversion writes only into the
// caller's buffer (through the shared ConversionBuffer); ArticleWideText allocates that buffer and
// frees it again on every failure.
#include "export/ClipboardExport.h"

#include "platform/Win32.h"
#include "shell/ReaderState.h"
#include "store/ArticleText.h"
#include "store/DisplayOrder.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

namespace {

// One record of a text whose walk trusts the terminators (the text ends like UnCompress's output).
struct ExportRecord {
    uint8_t Style;
    uint8_t Param;
    const uint8_t* String;
    size_t Length;
};

// Reads the record at *pos and moves past its terminator; false at the ending Style.
bool NextRecord(const uint8_t* text, size_t* pos, ExportRecord* record) {
    const uint8_t* p = text + *pos;
    if (p[0] == StyleEnd) return false;
    record->Style = p[0];
    record->Param = p[1];
    record->String = p + 2;
    record->Length = std::strlen(reinterpret_cast<const char*>(p + 2));
    *pos += 2 + record->Length + 1;
    return true;
}

// The writer over the caller's buffer: every piece is checked against the room left, keeping one
// character for the zero.
struct WideWriter {
    WCHAR* Out;
    size_t Capacity;
    size_t Used;
    bool Full;
};

bool Reserve(WideWriter* w, size_t n) {
    if (w->Full || w->Used + n + 1 > w->Capacity) w->Full = true;
    return !w->Full;
}

void PutRepeated(WideWriter* w, WCHAR c, size_t n) {
    if (!Reserve(w, n)) return;
    for (size_t k = 0; k < n; ++k)
        w->Out[w->Used++] = c;
}

void PutLineEnds(WideWriter* w, uint8_t style) {
    const size_t ends = (style & StyleParagraphEnd) ? 2 : 1;
    if (!Reserve(w, 2 * ends)) return;
    for (size_t k = 0; k < ends; ++k) {
        w->Out[w->Used++] = WideCarriageReturn;
        w->Out[w->Used++] = WideLineFeed;
    }
}

// The record's string in reading order, into a malloc block the caller frees (null: no memory). A
// string stored last character first is turned back by the storage's own rule, which keeps numbers
// and Latin words left to right: reversing it character by character would spell them backwards.
uint8_t* ReadingOrder(const ExportRecord& r) {
    auto* bytes = static_cast<uint8_t*>(std::malloc(r.Length + 1));
    if (!bytes) return nullptr;
    if (r.Style & StyleReversed)
        ReverseForDisplay(r.String, r.Length, bytes);
    else
        std::memcpy(bytes, r.String, r.Length);
    bytes[r.Length] = 0;
    return bytes;
}

// A text record's string as the screen's conversion gives it (in reading order when asked), then
// its trailing spaces. False when the conversion buffer cannot be had.
bool PutString(WideWriter* w, const ExportRecord& r, bool readingOrder) {
    uint8_t* ordered = readingOrder ? ReadingOrder(r) : nullptr;
    if (readingOrder && !ordered) return false;
    int length = 0;
    const WCHAR* chars = ToDisplayTextCounted(ordered ? ordered : r.String, int(r.Length), &length);
    std::free(ordered);
    if (!chars) return false;
    if (Reserve(w, size_t(length))) {
        std::memcpy(w->Out + w->Used, chars, size_t(length) * sizeof(WCHAR));
        w->Used += size_t(length);
    }
    PutRepeated(w, u' ', IndentOf(r.Param));
    return true;
}

} // namespace

size_t EstimateWideText(const uint8_t* text) {
    if (!text) return 0;
    size_t pos = 0, records = 0, dashes = 0, spaces = 0;
    ExportRecord r;
    while (NextRecord(text, &pos, &r)) {
        records += (r.Style & StyleParagraphEnd) ? 2 : 1;
        if (IsSeparatorStyle(r.Style))
            dashes += size_t(WriteRuleDashes(nullptr, r.Param));
        else
            spaces += IndentOf(r.Param);
    }
    return pos + pos / 2 + 2 * records + dashes + spaces + 1;
}

int WriteRuleDashes(WCHAR* out, uint8_t param) {
    const int max = int(RuleMaxPixelParam);
    const int n = param <= max ? param : (param - max) * 2;
    for (int k = 0; out && k < n; ++k)
        out[k] = RuleDash;
    return n;
}

int ArticleToWideText(const uint8_t* text, WCHAR* out, size_t capacity) {
    if (!text || !out) return WideTextOverflow;
    WideWriter w = {out, capacity, 0, false};
    // With the Unicode letters a word processor orders the text itself, so the strings go out in
    // reading order exactly when the screen shows them unreversed (and as stored when it reverses
    // them): the conversion itself then reverses nothing.
    const uint32_t savedFlags = ReaderState.Flags;
    const bool unicode = ReaderState.FontSpec.FontAsciiBase > ExportUnicodeBaseAbove;
    const bool readingOrder = unicode && !(ReaderState.Flags & FlagReverse);
    if (unicode) ReaderState.Flags &= ~FlagReverse;
    bool converted = true;
    size_t pos = 0;
    ExportRecord r;
    while (converted && !w.Full && NextRecord(text, &pos, &r)) {
        if (IsSeparatorStyle(r.Style)) {
            const int n = WriteRuleDashes(nullptr, r.Param);
            if (Reserve(&w, size_t(n))) w.Used += size_t(WriteRuleDashes(w.Out + w.Used, r.Param));
        } else {
            converted = PutString(&w, r, readingOrder);
        }
        PutLineEnds(&w, r.Style);
    }
    ReaderState.Flags = savedFlags;
    if (!converted) return WideTextNoMemory;
    if (w.Full || capacity == 0) {
        MessageBoxW(ReaderState.MainWindow, WideTextOverflowMessage, nullptr, MB_OK);
        return WideTextOverflow;
    }
    out[w.Used] = 0;
    return int(w.Used);
}

WCHAR* ArticleWideText(const uint8_t* text, int* length) {
    if (!text) return nullptr;
    const size_t estimate = EstimateWideText(text);
    WCHAR* out = static_cast<WCHAR*>(std::malloc(estimate * sizeof(WCHAR)));
    if (!out) return nullptr;
    const int n = ArticleToWideText(text, out, estimate);
    if (n < 0) {
        std::free(out);
        return nullptr;
    }
    *length = n;
    return out;
}
