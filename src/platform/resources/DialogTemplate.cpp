// DialogTemplate.cpp: the reader of dialog templates (DIALOG and DIALOGEX) into ResDialog, and the
// mapping of control class names to the predefined classes. The header, then DWORD-aligned items;
// every field is read through a bounded cursor, so a template that ends early is refused whole.
#include "platform/Win32Text.h"
#include "platform/resources/ResourceCursor.h"

namespace {

constexpr DWORD SetFontStyle = 0x40; // DS_SETFONT (DS_SHELLFONT includes it)
constexpr WORD ExtendedVersion = 1;  // DIALOGEX opens with version 1 and the signature 0xFFFF
constexpr WORD ExtendedSignature = 0xFFFF;
// The fewest bytes an item can take: DIALOG's fixed fields, an empty class and title and the
// creation-data count. Counts that cannot fit are refused before any item is read.
constexpr size_t MinItemBytes = 24;

bool ReadItem(ResCursor* c, bool extended, ResDialogItem* item) {
    ResAlign(c, 4);
    if (extended) {
        item->HelpId = ResReadU32(c);
        item->ExStyle = ResReadU32(c);
        item->Style = ResReadU32(c);
    } else {
        item->Style = ResReadU32(c);
        item->ExStyle = ResReadU32(c);
    }
    item->X = SHORT(ResReadU16(c));
    item->Y = SHORT(ResReadU16(c));
    item->Cx = SHORT(ResReadU16(c));
    item->Cy = SHORT(ResReadU16(c));
    item->Id = extended ? ResReadU32(c) : ResReadU16(c);
    item->Class = ResReadNameOrOrdinal(c);
    item->Title = ResReadNameOrOrdinal(c);
    // The creation data: a count of bytes, then the bytes.
    WORD extra = ResReadU16(c);
    if (c->Failed || !ResHas(c, extra)) return false;
    item->CreationData.assign(c->Data + c->Pos, c->Data + c->Pos + extra);
    c->Pos += extra;
    return true;
}

void ReadHeader(ResCursor* c, ResDialog* dialog, WORD* count) {
    if (ResHas(c, 4) && (c->Data[0] | c->Data[1] << 8) == ExtendedVersion &&
        (c->Data[2] | c->Data[3] << 8) == ExtendedSignature) {
        dialog->Extended = true;
        ResReadU16(c); // dlgVer
        ResReadU16(c); // signature
        dialog->HelpId = ResReadU32(c);
        dialog->ExStyle = ResReadU32(c);
        dialog->Style = ResReadU32(c);
    } else {
        dialog->Style = ResReadU32(c);
        dialog->ExStyle = ResReadU32(c);
    }
    *count = ResReadU16(c);
    dialog->X = SHORT(ResReadU16(c));
    dialog->Y = SHORT(ResReadU16(c));
    dialog->Cx = SHORT(ResReadU16(c));
    dialog->Cy = SHORT(ResReadU16(c));
    dialog->Menu = ResReadNameOrOrdinal(c);
    dialog->Class = ResReadNameOrOrdinal(c);
    dialog->Caption = ResReadString(c);
    dialog->HasFont = (dialog->Style & SetFontStyle) != 0;
    if (!dialog->HasFont) return;
    dialog->PointSize = ResReadU16(c);
    if (dialog->Extended) {
        dialog->Weight = ResReadU16(c);
        dialog->Italic = ResReadU8(c);
        dialog->Charset = ResReadU8(c);
    }
    dialog->FontFace = ResReadString(c);
}

} // namespace

bool ResParseDialog(const void* bytes, size_t size, ResDialog* out) {
    *out = ResDialog{};
    ResCursor c = MakeResCursor(bytes, size);
    WORD count = 0;
    ReadHeader(&c, out, &count);
    if (c.Failed || count > ResDialogMaxItems || count > (c.Size - c.Pos) / MinItemBytes + 1) return false;
    out->Items.resize(count);
    for (ResDialogItem& item : out->Items)
        if (!ReadItem(&c, out->Extended, &item)) return false;
    return true;
}

WORD ResControlClassOrdinal(const ResNameOrOrdinal& cls) {
    if (cls.IsOrdinal)
        return cls.Ordinal >= ResClassButton && cls.Ordinal <= ResClassComboBox ? cls.Ordinal : 0;
    static const struct {
        const WCHAR* Name;
        WORD Ordinal;
    } names[] = {{u"Button", ResClassButton},       {u"Edit", ResClassEdit},
                 {u"Static", ResClassStatic},       {u"ListBox", ResClassListBox},
                 {u"ScrollBar", ResClassScrollBar}, {u"ComboBox", ResClassComboBox}};
    for (const auto& entry : names)
        if (wcsicmp16(cls.Text.c_str(), entry.Name) == 0) return entry.Ordinal;
    return 0;
}
