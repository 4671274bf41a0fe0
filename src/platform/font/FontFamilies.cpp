// FontFamilies.cpp: EnumFontFamiliesW over the families fontconfig knows. Each family is reported
// once (or, when a family is named, each of its styles), in name order, with the LOGFONTW and
// TEXTMETRICW of its regular face at the default height; tmCharSet is 177 when the face has every
// Hebrew letter U+05D0-U+05EA and 0 otherwise. The lists built here are freed before returning.
#include "platform/font/FontInternal.h"
#include "platform/Win32Text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct FamilyEntry {
    std::string Name;  // UTF-8, as fontconfig gives it
    std::string Style; // only when styles are enumerated
    LONG Weight;
    bool Italic;
};

void CopyFaceName(WCHAR* dest, const std::u16string& name) {
    size_t n = std::min(name.size(), size_t(LF_FACESIZE - 1));
    std::memcpy(dest, name.data(), n * sizeof(WCHAR));
    dest[n] = 0;
}

std::vector<FamilyEntry> ListFamilies(const std::string& only) {
    std::vector<FamilyEntry> entries;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_WEIGHT, FC_SLANT, FC_SCALABLE, nullptr);
    FcFontSet* set = (pattern && objects) ? FcFontList(nullptr, pattern, objects) : nullptr;
    for (int i = 0; set != nullptr && i < set->nfont; i++) {
        FcPattern* font = set->fonts[i];
        FcChar8* family = nullptr;
        FcBool scalable = FcFalse;
        if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch) continue;
        if (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable) continue;
        std::string name = reinterpret_cast<const char*>(family);
        if (!only.empty()) {
            bool match = false;
            FcChar8* n = nullptr;
            for (int k = 0; FcPatternGetString(font, FC_FAMILY, k, &n) == FcResultMatch; k++)
                if (FcStrCmpIgnoreCase(n, reinterpret_cast<const FcChar8*>(only.c_str())) == 0)
                    match = true, name = only;
            if (!match) continue;
        }
        FcChar8* style = nullptr;
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetString(font, FC_STYLE, 0, &style);
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        entries.push_back(
            FamilyEntry{name, only.empty() || style == nullptr ? "" : reinterpret_cast<const char*>(style),
                        LONG(FcWeightToOpenType(weight)), slant != FC_SLANT_ROMAN});
    }
    if (set) FcFontSetDestroy(set);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    std::sort(entries.begin(), entries.end(), [](const FamilyEntry& a, const FamilyEntry& b) {
        int c = FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.Name.c_str()),
                                   reinterpret_cast<const FcChar8*>(b.Name.c_str()));
        return c != 0 ? c < 0 : (a.Weight != b.Weight ? a.Weight < b.Weight : a.Italic < b.Italic);
    });
    // Families: one entry each (the first, lightest upright); styles: one per weight and slant.
    auto same = [&only](const FamilyEntry& a, const FamilyEntry& b) {
        bool name = FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.Name.c_str()),
                                       reinterpret_cast<const FcChar8*>(b.Name.c_str())) == 0;
        return only.empty() ? name : name && a.Weight == b.Weight && a.Italic == b.Italic;
    };
    entries.erase(std::unique(entries.begin(), entries.end(), same), entries.end());
    return entries;
}

} // namespace

int FontEnumFamilies(LPCWSTR family, FONTENUMPROCW proc, LPARAM lParam) {
    if (proc == nullptr || !Fonts().Ready) return 0;
    std::string only = family ? PlatformUtf16ToUtf8(family) : std::string();
    int last = 1;
    for (const FamilyEntry& entry : ListFamilies(only)) {
        LOGFONTW log{};
        std::u16string name = PlatformUtf8ToUtf16(entry.Name);
        CopyFaceName(log.lfFaceName, name);
        log.lfWeight = only.empty() ? FW_NORMAL : entry.Weight;
        log.lfItalic = only.empty() ? 0 : BYTE(entry.Italic);
        FontInstance* font = FontRealize(log);
        if (font == nullptr) continue;
        // A family whose name was not found falls back to another face: it is not listed.
        if (wcsicmp16(FontFamilyName(font), log.lfFaceName) != 0) continue;
        TEXTMETRICW tm = FontMetrics(font);
        tm.tmItalic = log.lfItalic;
        log.lfHeight = tm.tmHeight;
        log.lfWeight = tm.tmWeight;
        log.lfCharSet = tm.tmCharSet;
        log.lfPitchAndFamily = BYTE(tm.tmPitchAndFamily & 1 ? 2 : 1); // VARIABLE_PITCH or FIXED_PITCH
        DWORD type = (tm.tmPitchAndFamily & 0x04) ? TRUETYPE_FONTTYPE : 0;
        last = proc(&log, &tm, type, lParam);
        if (last == 0) break;
    }
    return last;
}
