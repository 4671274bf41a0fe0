// MenuTemplate.cpp: the reader of menu templates, standard (version 0) and extended (version 1),
// into a tree of ResMenuItem. Each level of a template ends with an item flagged as its last; a
// level that runs past the end of the bytes, or popups nested deeper than ResMenuMaxDepth, make
// the whole template refused.
#include "platform/resources/ResourceCursor.h"

namespace {

constexpr WORD PopupFlag = 0x0010;   // MF_POPUP
constexpr WORD EndFlag = 0x0080;     // MF_END: the last item of its level
constexpr WORD ExPopupFlag = 0x0001; // the extended item's "has a popup" bit
constexpr WORD StateFlags = 0x000B;  // MF_GRAYED, MF_DISABLED, MF_CHECKED
constexpr WORD ExtendedVersion = 1;

bool ReadStandardLevel(ResCursor* c, int depth, std::vector<ResMenuItem>* items);
bool ReadExtendedLevel(ResCursor* c, int depth, std::vector<ResMenuItem>* items);

bool ReadStandardLevel(ResCursor* c, int depth, std::vector<ResMenuItem>* items) {
    if (depth > ResMenuMaxDepth) return false;
    for (;;) {
        ResMenuItem item{};
        WORD flags = ResReadU16(c);
        item.Popup = (flags & PopupFlag) != 0;
        item.Flags = WORD(flags & ~EndFlag);
        item.State = flags & StateFlags;
        if (!item.Popup) item.Id = ResReadU16(c);
        item.Text = ResReadString(c);
        if (c->Failed) return false;
        if (item.Popup && !ReadStandardLevel(c, depth + 1, &item.Items)) return false;
        items->push_back(std::move(item));
        if (flags & EndFlag) return true;
    }
}

bool ReadExtendedLevel(ResCursor* c, int depth, std::vector<ResMenuItem>* items) {
    if (depth > ResMenuMaxDepth) return false;
    for (;;) {
        ResMenuItem item{};
        ResAlign(c, 4);
        item.Flags = WORD(ResReadU32(c)); // MFT_ type bits all lie in the low word
        item.State = ResReadU32(c);
        item.Id = ResReadU32(c);
        WORD info = ResReadU16(c);
        item.Popup = (info & ExPopupFlag) != 0;
        item.Text = ResReadString(c);
        if (item.Popup) {
            ResAlign(c, 4);
            item.HelpId = ResReadU32(c);
        }
        if (c->Failed) return false;
        if (item.Popup && !ReadExtendedLevel(c, depth + 1, &item.Items)) return false;
        items->push_back(std::move(item));
        if (info & EndFlag) return true;
    }
}

} // namespace

bool ResParseMenu(const void* bytes, size_t size, ResMenu* out) {
    *out = ResMenu{};
    ResCursor c = MakeResCursor(bytes, size);
    WORD version = ResReadU16(&c);
    WORD offset = ResReadU16(&c); // standard: the header's extra bytes; extended: from here to the items
    if (c.Failed || (version != 0 && version != ExtendedVersion) || !ResHas(&c, offset)) return false;
    c.Pos += offset;
    out->Extended = version == ExtendedVersion;
    // A template without items (only its header) is an empty menu.
    if (c.Pos == c.Size) return true;
    return out->Extended ? ReadExtendedLevel(&c, 0, &out->Items) : ReadStandardLevel(&c, 0, &out->Items);
}
