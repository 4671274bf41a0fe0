// FontFaces.cpp: from a LOGFONTW to a realised FontInstance. fontconfig chooses the face file
// (honouring FONTCONFIG_FILE, which the tests use to pin their fonts), FreeType opens it, and the
// metrics are computed the way Windows computes them from the OS/2 table: tmAscent = usWinAscent
// scaled, tmDescent = usWinDescent scaled, tmHeight their sum; lfHeight > 0 is that cell height and
// lfHeight < 0 the em height. A face without an OS/2 table (Type 1) uses its own ascender and
// descender. Instances are cached by file, size and emboldening and never freed before exit.
#include "platform/Win32Text.h"
#include "platform/font/FontInternal.h"

#include <fontconfig/fontconfig.h>

#include FT_ADVANCES_H
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

// fontconfig keeps a few blocks from parsing the system's configuration until exit. A sanitizer
// build of any program that draws text carries this suppression itself, so that neither its tests
// nor a run by hand end with status 1 over leaks that are not ours (LSAN_OPTIONS may add more).
#if defined(__SANITIZE_ADDRESS__)
#define KESTROVA_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTROVA_LEAK_CHECKED 1
#endif
#endif
#ifdef KESTROVA_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace {

constexpr BYTE TMPF_FIXED_PITCH = 0x01; // set for proportional fonts, as in Win32
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;
// Synthetic bold widens strokes by one pixel per this many pixels of em (at least one).
constexpr int EmboldenEmPerPixel = 24;
constexpr int SyntheticBoldFrom = 600; // lfWeight from which a bold face is wanted

void SetStemDarkening(FT_Library library) {
    // Stem darkening keeps small text from looking thin once blended in linear light.
    FT_Bool off = 0;
    const char* modules[] = {"cff", "type1", "t1cid", "autofitter"};
    for (const char* module : modules)
        FT_Property_Set(library, module, "no-stem-darkening", &off);
}

bool FamilyMatches(FcPattern* font, const std::string& wanted) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; i++)
        if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0) return true;
    return false;
}

bool CharsetCoversHebrew(FcPattern* font) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) return false;
    for (FcChar32 c = FontHebrewFirst; c <= FontHebrewLast; c++)
        if (!FcCharSetHasChar(charset, c)) return false;
    return true;
}

// One fontconfig match; family empty asks for any face. Fails when the family is asked for and
// not found, or Hebrew is asked for and not covered.
bool MatchFace(const std::string& family, LONG weight, bool italic, bool needHebrew, FontFaceChoice* out) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (font == nullptr) return false;
    bool ok = false;
    FcChar8* file = nullptr;
    FcChar8* name = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetString(font, FC_FAMILY, 0, &name) == FcResultMatch &&
        (family.empty() || FamilyMatches(font, family)) && (!needHebrew || CharsetCoversHebrew(font))) {
        int index = 0, fcWeight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        FcPatternGetInteger(font, FC_WEIGHT, 0, &fcWeight);
        // Report the family under the name asked for when it matched (it may have several names).
        std::string shown = family.empty() ? reinterpret_cast<const char*>(name) : family;
        if (!family.empty()) {
            FcChar8* n = nullptr;
            for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &n) == FcResultMatch; i++)
                if (FcStrCmpIgnoreCase(n, reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
                    shown = reinterpret_cast<const char*>(n);
        }
        *out =
            FontFaceChoice{reinterpret_cast<const char*>(file), index, PlatformUtf8ToUtf16(shown), fcWeight};
        ok = true;
    }
    FcPatternDestroy(font);
    return ok;
}

std::string Lower(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

struct FaceUnits {
    double Ascent, Descent, Upem;
    double LineGapExtra; // hhea line gap beyond the win cell, for tmExternalLeading
    double AverageWidth;
    int Weight;
};

double AverageAdvance(FT_Face face) {
    // Faces without OS/2: the mean advance of the letters they have (Latin, else Hebrew).
    double sum = 0;
    int n = 0;
    for (FT_ULong c = 'a'; c <= 'z'; c++) {
        FT_Fixed adv = 0;
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (index && FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &adv) == 0) sum += double(adv), n++;
    }
    for (FT_ULong c = FontHebrewFirst; n == 0 && c <= FontHebrewLast; c++) {
        FT_Fixed adv = 0;
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (index && FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &adv) == 0) sum += double(adv), n++;
    }
    return n ? sum / n : face->max_advance_width / 2.0;
}

FaceUnits ReadFaceUnits(FT_Face face) {
    FaceUnits u{};
    u.Upem = face->units_per_EM ? face->units_per_EM : 1000;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        u.Ascent = os2->usWinAscent;
        u.Descent = os2->usWinDescent;
        u.AverageWidth = os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : AverageAdvance(face);
        u.Weight = os2->usWeightClass ? os2->usWeightClass : FW_NORMAL;
        if (hhea != nullptr) {
            double extra = hhea->Line_Gap - ((u.Ascent + u.Descent) - (hhea->Ascender - hhea->Descender));
            u.LineGapExtra = extra > 0 ? extra : 0;
        }
    } else {
        u.Ascent = face->ascender;
        u.Descent = -face->descender;
        if (u.Ascent + u.Descent <= 0) u.Ascent = u.Upem * 0.8, u.Descent = u.Upem * 0.2;
        u.AverageWidth = AverageAdvance(face);
        u.Weight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL;
    }
    return u;
}

void FirstAndLastChar(FT_Face face, WCHAR* first, WCHAR* last) {
    FT_UInt index = 0;
    FT_ULong c = FT_Get_First_Char(face, &index), lo = 0xFFFF, hi = 0;
    for (; index != 0 && c <= 0xFFFF; c = FT_Get_Next_Char(face, c, &index)) {
        if (c < lo) lo = c;
        if (c > hi) hi = c;
    }
    *first = WCHAR(lo <= hi ? lo : 0);
    *last = WCHAR(hi);
}

void FillLines(FontInstance* f, const FaceUnits& u) {
    FT_Face face = f->Face;
    double upos = face->underline_thickness > 0 ? face->underline_position : -u.Upem / 10;
    double uth = face->underline_thickness > 0 ? face->underline_thickness : u.Upem / 20;
    f->UnderlineThickness = std::max(1, int(std::lround(uth * f->Scale)));
    int offset = int(std::lround(-upos * f->Scale)) - f->UnderlineThickness / 2;
    int room = int(f->Metrics.tmDescent) - f->UnderlineThickness;
    f->UnderlineOffset = std::max(1, std::min(offset, std::max(1, room)));
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double spos =
        (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) ? os2->yStrikeoutPosition : u.Upem * 0.3;
    double sth = (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) ? os2->yStrikeoutSize : uth;
    f->StrikeThickness = std::max(1, int(std::lround(sth * f->Scale)));
    f->StrikeOffset = -int(std::lround(spos * f->Scale));
}

void FillMetrics(FontInstance* f, LONG height, LONG weight) {
    FT_Face face = f->Face;
    FaceUnits u = ReadFaceUnits(face);
    f->Scale = height > 0 ? height / (u.Ascent + u.Descent) : -double(height) / u.Upem;
    f->Em = std::max(1, int(std::lround(u.Upem * f->Scale)));
    TEXTMETRICW& tm = f->Metrics;
    tm = TEXTMETRICW{};
    tm.tmAscent = LONG(std::lround(u.Ascent * f->Scale));
    tm.tmDescent = height > 0 ? height - tm.tmAscent : LONG(std::lround(u.Descent * f->Scale));
    if (tm.tmDescent < 0) tm.tmDescent = 0;
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - f->Em);
    tm.tmExternalLeading = LONG(std::lround(u.LineGapExtra * f->Scale));
    tm.tmAveCharWidth = std::max<LONG>(1, LONG(std::lround(u.AverageWidth * f->Scale)));
    tm.tmMaxCharWidth = LONG(std::lround(face->max_advance_width * f->Scale)) + f->EmboldenPx;
    tm.tmWeight = f->EmboldenPx ? weight : u.Weight;
    tm.tmDigitizedAspectX = PlatformPixelsPerInch;
    tm.tmDigitizedAspectY = PlatformPixelsPerInch;
    FirstAndLastChar(face, &tm.tmFirstChar, &tm.tmLastChar);
    tm.tmDefaultChar = 0;
    tm.tmBreakChar = u' ';
    tm.tmPitchAndFamily = BYTE(TMPF_VECTOR | (FT_IS_SFNT(face) ? TMPF_TRUETYPE : 0) |
                               (FT_IS_FIXED_WIDTH(face) ? 0 : TMPF_FIXED_PITCH));
    tm.tmCharSet = FontCoversHebrew(face) ? HEBREW_CHARSET : ANSI_CHARSET;
    FillLines(f, u);
}

FT_Face OpenFace(const FontFaceChoice& choice) {
    FT_Face face = nullptr;
    if (FT_New_Face(Fonts().Library, choice.File.c_str(), choice.Index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return nullptr;
    }
    // A Type 1 face carries its real metrics in the .afm beside it.
    size_t dot = choice.File.rfind('.');
    if (!FT_IS_SFNT(face) && dot != std::string::npos) {
        std::string afm = choice.File.substr(0, dot) + ".afm";
        FT_Attach_File(face, afm.c_str());
    }
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 &&
        FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) != 0 && face->num_charmaps > 0)
        FT_Set_Charmap(face, face->charmaps[0]);
    return face;
}

FontInstance* NewInstance(FT_Face face, const FontFaceChoice& choice, LONG height, LONG weight,
                          bool embolden) {
    auto* f = static_cast<FontInstance*>(std::calloc(1, sizeof(FontInstance)));
    if (f == nullptr) return nullptr;
    f->Face = face;
    f->SymbolMap = face->charmap != nullptr && face->charmap->encoding == FT_ENCODING_MS_SYMBOL;
    FillMetrics(f, height, weight); // Em first, then emboldening, then the widths that depend on it
    if (embolden) {
        f->EmboldenPx = std::max(1, (f->Em + EmboldenEmPerPixel / 2) / EmboldenEmPerPixel);
        FillMetrics(f, height, weight);
    }
    size_t n = std::min(choice.Family.size(), size_t(LF_FACESIZE - 1));
    std::memcpy(f->Family, choice.Family.data(), n * sizeof(WCHAR));
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(f->Em));
    return f;
}

} // namespace

FontRegistry& Fonts() {
    static FontRegistry* registry = [] {
        auto* r = new FontRegistry();
        r->Ready = FcInit() && FT_Init_FreeType(&r->Library) == 0;
        if (r->Ready) SetStemDarkening(r->Library);
        return r;
    }();
    return *registry;
}

bool FontCoversHebrew(FT_Face face) {
    for (FT_ULong c = FontHebrewFirst; c <= FontHebrewLast; c++)
        if (FT_Get_Char_Index(face, c) == 0) return false;
    return true;
}

FT_UInt FontCharIndex(const FontInstance* font, WCHAR unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) return 0; // a lone half of a pair: one unit, one missing glyph
    FT_UInt index = FT_Get_Char_Index(font->Face, unit);
    if (index == 0 && font->SymbolMap && unit >= 0x20 && unit <= 0xFF)
        index = FT_Get_Char_Index(font->Face, 0xF000 | unit);
    return index;
}

bool FontChooseFace(const std::string& name, LONG weight, bool italic, FontFaceChoice* choice) {
    FontRegistry& fonts = Fonts();
    if (!fonts.Ready) return false;
    std::string key = Lower(name) + "\n" + std::to_string(weight) + (italic ? "i" : "r");
    auto found = fonts.Choices.find(key);
    if (found != fonts.Choices.end()) {
        *choice = found->second;
        return true;
    }
    bool ok = (!name.empty() && MatchFace(name, weight, italic, false, choice)) ||
              MatchFace(FontFallbackFamily, weight, italic, true, choice) ||
              MatchFace("", weight, italic, true, choice) || MatchFace("", weight, italic, false, choice);
    if (ok) fonts.Choices[key] = *choice;
    return ok;
}

FontInstance* FontRealize(const LOGFONTW& log) {
    FontRegistry& fonts = Fonts();
    LONG height = log.lfHeight == 0 ? FontDefaultCellHeight : log.lfHeight;
    height = std::max(-FontMaxHeight, std::min(FontMaxHeight, height));
    LONG weight = log.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(log.lfWeight, 1000);
    WCHAR nameUnits[LF_FACESIZE + 1] = {};
    for (int i = 0; i < LF_FACESIZE && log.lfFaceName[i]; i++)
        nameUnits[i] = log.lfFaceName[i];
    std::string name = PlatformUtf16ToUtf8(nameUnits);
    FontFaceChoice choice;
    if (!FontChooseFace(name, weight, log.lfItalic != 0, &choice)) return nullptr;
    bool embolden = weight >= SyntheticBoldFrom && choice.FcWeight < FC_WEIGHT_DEMIBOLD;
    std::string key = choice.File + "\n" + std::to_string(choice.Index) + "\n" + std::to_string(height) +
                      (embolden ? "\nb" + std::to_string(weight) : "");
    auto found = fonts.Instances.find(key);
    if (found != fonts.Instances.end()) return found->second;
    FT_Face face = OpenFace(choice);
    if (face == nullptr && name.empty()) return nullptr;
    if (face == nullptr) {
        // The file fontconfig named cannot be opened: fall back as for a missing face.
        LOGFONTW fallback = log;
        fallback.lfFaceName[0] = 0;
        return FontRealize(fallback);
    }
    FontInstance* f = NewInstance(face, choice, height, weight, embolden);
    if (f == nullptr) {
        FT_Done_Face(face);
        return nullptr;
    }
    fonts.Instances[key] = f;
    return f;
}

const TEXTMETRICW& FontMetrics(const FontInstance* font) {
    return font->Metrics;
}

void FontUnderline(const FontInstance* font, int* offset, int* thickness) {
    *offset = font->UnderlineOffset;
    *thickness = font->UnderlineThickness;
}

void FontStrikeOut(const FontInstance* font, int* offset, int* thickness) {
    *offset = font->StrikeOffset;
    *thickness = font->StrikeThickness;
}

const WCHAR* FontFamilyName(const FontInstance* font) {
    return font->Family;
}
