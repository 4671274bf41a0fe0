// clipboard_fuzz.cpp: the clipboard's conversions of another program's bytes (the desktop
// backend's ClipboardFormats) on any input. The first byte picks the reply type: UTF-8 text,
// Latin-1 text (STRING), RTF, or our own UTF-16 text offered out. Text must come back with no zero
// inside its size and one after it, and text converted back to UTF-8 must read back the same but
// for the carriage returns of line ends.
#include "platform/backend/sdl/ClipboardFormats.h"

#include <cstdlib>
#include <cstring>
#include <string>

static void CheckText(const char* type, const std::string& bytes) {
    size_t size = 0;
    auto* block = static_cast<char16_t*>(ClipboardBlockFromTarget(ClipboardUnicodeText, type, bytes, &size));
    if (block == nullptr) return;
    size_t units = size / 2;
    if (size % 2 != 0 || block[units] != 0) std::abort();
    for (size_t i = 0; i < units; ++i)
        if (block[i] == 0) std::abort();
    // Our text offered back out, then received again, is the same text.
    std::vector<ClipboardOffer> offers;
    ClipboardOffersFor(ClipboardUnicodeText, nullptr, block, size, &offers);
    if (offers.empty()) std::abort();
    size_t againSize = 0;
    auto* again = static_cast<char16_t*>(
        ClipboardBlockFromTarget(ClipboardUnicodeText, "UTF8_STRING", offers[0].Bytes, &againSize));
    if (again != nullptr) {
        // Lone surrogates become U+FFFD on the way out; everything else survives but carriage
        // returns, which line ends add (LF in, CR LF ours) and take away (a CR just before a line
        // end is one with it).
        auto withoutCr = [](const char16_t* text, size_t units) {
            std::u16string kept;
            for (size_t i = 0; i < units; ++i)
                if (text[i] != u'\r') kept.push_back(text[i]);
            return kept;
        };
        if (withoutCr(again, againSize / 2).size() != withoutCr(block, units).size()) std::abort();
        std::free(again);
    }
    std::free(block);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
    case 0:
        CheckText("UTF8_STRING", bytes);
        break;
    case 1:
        CheckText("STRING", bytes);
        break;
    case 2: {
        size_t got = 0;
        auto* rtf = static_cast<char*>(ClipboardBlockFromTarget(0xC001, "text/rtf", bytes, &got));
        if (rtf != nullptr && (got != bytes.size() || memcmp(rtf, bytes.data(), got) != 0 || rtf[got] != 0))
            std::abort();
        std::free(rtf);
        ClipboardTypeFits(0xC001, u"Rich Text Format", bytes);
        ClipboardTypeFits(ClipboardUnicodeText, nullptr, bytes);
        break;
    }
    default: {
        std::vector<ClipboardOffer> offers;
        ClipboardOffersFor(ClipboardUnicodeText, nullptr, bytes.data(), bytes.size(), &offers);
        ClipboardOffersFor(0xC001, u"Rich Text Format", bytes.data(), bytes.size(), &offers);
        break;
    }
    }
    return 0;
}
