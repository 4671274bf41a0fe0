// ResourceTemplates.h: bounded readers of the resource formats the window layer builds from:
// dialog templates (DIALOG and DIALOGEX), menu templates (standard and extended), the handheld
// shell's menu-bar resource and string tables. Internal to platform/.
// Parse, then create: each reader fills plain structs from the bytes (never reading outside them,
// refusing anything damaged), and the dialog manager, menus and shell create windows from those
// structs afterwards. The structs own copies of every string and byte they hold, so they outlive
// the template; the caller owns the struct and nothing else needs freeing.
#pragma once

#include "platform/Win32Types.h"

#include <string>
#include <vector>

// A name that is either an ordinal (IsOrdinal, Ordinal) or a string (Text): a dialog's menu and
// class, a control's class and title.
struct ResNameOrOrdinal {
    bool IsOrdinal;
    WORD Ordinal;
    std::u16string Text;
};

// The predefined control classes, as ordinals in templates.
constexpr WORD ResClassButton = 0x0080;
constexpr WORD ResClassEdit = 0x0081;
constexpr WORD ResClassStatic = 0x0082;
constexpr WORD ResClassListBox = 0x0083;
constexpr WORD ResClassScrollBar = 0x0084;
constexpr WORD ResClassComboBox = 0x0085;

struct ResDialogItem {
    DWORD HelpId; // DIALOGEX only; 0 otherwise
    DWORD ExStyle;
    DWORD Style;
    SHORT X, Y, Cx, Cy; // dialog units
    DWORD Id;           // a DIALOG item's 16-bit id is widened without sign: -1 reads 0xFFFF
    ResNameOrOrdinal Class;
    ResNameOrOrdinal Title; // an ordinal title names a resource (an SS_BITMAP's bitmap)
    std::vector<BYTE> CreationData;
};

struct ResDialog {
    bool Extended; // DIALOGEX
    DWORD HelpId;
    DWORD Style;
    DWORD ExStyle;
    SHORT X, Y, Cx, Cy;
    ResNameOrOrdinal Menu;  // empty text: none
    ResNameOrOrdinal Class; // empty text: the standard dialog class
    std::u16string Caption;
    bool HasFont; // DS_SETFONT (or DS_SHELLFONT) in Style
    WORD PointSize;
    WORD Weight; // DIALOGEX only (FW_DONTCARE 0 otherwise)
    BYTE Italic;
    BYTE Charset;
    std::u16string FontFace;
    std::vector<ResDialogItem> Items;
};

// Items at most in one dialog; a template asking for more is refused.
constexpr size_t ResDialogMaxItems = 1024;
// Reads a DIALOG or DIALOGEX template. False (and *out unspecified) on anything damaged: a field,
// string or item past the end, an item count above ResDialogMaxItems.
bool ResParseDialog(const void* bytes, size_t size, ResDialog* out);
// The predefined class a control's class names: its ordinal, or the ordinal of a class name
// compared without case ("BUTTON", "Edit", "static", "ListBox", "ScrollBar", "ComboBox"); 0 for
// any other class.
WORD ResControlClassOrdinal(const ResNameOrOrdinal& cls);

// One menu item. Popups hold their items; a separator has Flags MF_SEPARATOR set (extended menus)
// or, in a standard menu, no popup, id 0 and empty text.
struct ResMenuItem {
    bool Popup;
    WORD Flags;  // standard: the item's MF_ flags (MF_END cleared); extended: its MFT_ type
    DWORD State; // extended: MFS_ state; standard: the state bits of Flags (grayed, checked, ...)
    DWORD Id;    // popups of a standard menu: 0
    DWORD HelpId;
    std::u16string Text; // as stored: "&" mnemonics and 0x08 before a shortcut text kept
    std::vector<ResMenuItem> Items;
};

struct ResMenu {
    bool Extended;
    std::vector<ResMenuItem> Items;
};

// How deep popups may nest; deeper templates are refused rather than read recursively.
constexpr int ResMenuMaxDepth = 16;
// Reads a standard (version 0) or extended (version 1) menu template. False on anything damaged:
// a string or item past the end, a level without its last item, nesting beyond ResMenuMaxDepth.
bool ResParseMenu(const void* bytes, size_t size, ResMenu* out);

// The handheld shell's menu-bar resource (RCDATA): the menu whose popups the buttons open, then
// per button its image, command, state, style, text (a string id) and popup index.
struct ResMenuBarButton {
    SHORT Image; // -2: no image
    WORD Command;
    WORD State;
    WORD Style;
    WORD StringId;
    WORD Reserved;
    WORD Popup; // the index of the button's popup in the menu; 0xFFFF: none
};

struct ResMenuBar {
    WORD MenuId;
    std::vector<ResMenuBarButton> Buttons;
};

// False when the resource is shorter than its button count says; bytes after the last button are
// ignored.
bool ResParseMenuBar(const void* bytes, size_t size, ResMenuBar* out);

// The string at index (0 to 15) of a string-table block: its UTF-16 units (not terminated) and
// length. False when the block is damaged before that string ends; a missing string is length 0.
bool ResFindStringInBlock(const void* block, size_t size, unsigned index, const WCHAR** text, int* length);
