// Menu.h: the record behind a menu handle, for the menu calls (Menu.cpp), the popup window that
// runs a menu (MenuPopup.cpp) and the handheld shell's menu and command bars. The menu layer owns
// every record from its creation to DestroyMenu.
#pragma once

#include "platform/Win32.h"

#include <string>
#include <vector>

struct MenuItem {
    UINT Id;
    UINT State; // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_DEFAULT
    bool Separator;
    bool Radio;  // checked with a radio mark (CheckMenuRadioItem)
    HMENU Popup; // owned by the menu that holds the item
    ULONG_PTR Data;
    std::u16string Text; // "&" mnemonics, and the shortcut text after 0x08
};

struct MenuRecord {
    std::vector<MenuItem> Items;
};

MenuRecord* MenuFind(HMENU menu); // null for a stale or made-up handle
bool MenuApplyInfo(MenuItem* entry, const MENUITEMINFOW& info);
