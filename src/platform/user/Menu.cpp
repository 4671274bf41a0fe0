// Menu.cpp: menus as data: the records behind HMENU handles (from the platform's one handle
// table), their items, loading from templates and the item calls. A menu owns its popups: a popup
// is destroyed with the menu that holds it. Drawing and running a popup is MenuPopup.cpp.
#include "platform/user/Menu.h"

#include "platform/Win32Resources.h"
#include "platform/base/HandleTable.h"
#include "platform/resources/ResourceTemplates.h"

#include <new>

namespace {

// Finds an item by command (searching popups depth first) or by position; null when missing.
MenuItem* FindItem(MenuRecord* menu, UINT item, UINT flags, MenuRecord** holder) {
    if (menu == nullptr) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= menu->Items.size()) return nullptr;
        if (holder) *holder = menu;
        return &menu->Items[item];
    }
    for (MenuItem& entry : menu->Items) {
        if (!entry.Popup && entry.Id == item) {
            if (holder) *holder = menu;
            return &entry;
        }
        if (MenuItem* found = FindItem(MenuFind(entry.Popup), item, flags, holder)) return found;
    }
    return nullptr;
}

HMENU AddMenu() {
    auto* record = new (std::nothrow) MenuRecord{};
    HMENU menu = static_cast<HMENU>(HandleAdd(HandleKind::Menu, record));
    if (menu == nullptr) delete record;
    return menu;
}

bool Fill(HMENU menu, const std::vector<ResMenuItem>& items) {
    MenuRecord* record = MenuFind(menu);
    for (const ResMenuItem& source : items) {
        MenuItem item{};
        item.Id = source.Id;
        item.Text = source.Text;
        item.Separator = !source.Popup && source.Id == 0 && source.Text.empty();
        item.State = source.State & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
        if (source.Flags & MFT_SEPARATOR) item.Separator = true;
        if (source.Popup) {
            item.Popup = CreatePopupMenu();
            if (item.Popup == nullptr || !Fill(item.Popup, source.Items)) return false;
        }
        record->Items.push_back(std::move(item));
    }
    return true;
}

UINT StateFlags(const MenuItem& item) {
    UINT flags = item.State;
    if (item.Separator) flags |= MF_SEPARATOR;
    if (item.Popup)
        flags |= MF_POPUP | (UINT(MenuFind(item.Popup) ? MenuFind(item.Popup)->Items.size() : 0) << 8);
    return flags;
}

} // namespace

MenuRecord* MenuFind(HMENU menu) {
    return static_cast<MenuRecord*>(HandleLookup(HandleKind::Menu, menu));
}

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    HRSRC found = FindResourceW(instance, name, RT_MENU);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    ResMenu parsed;
    if (loaded == nullptr || !ResParseMenu(LockResource(loaded), SizeofResource(instance, found), &parsed))
        return nullptr;
    HMENU menu = CreateMenu();
    if (menu && !Fill(menu, parsed.Items)) {
        DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}

HMENU CreateMenu() {
    return AddMenu();
}

HMENU CreatePopupMenu() {
    return AddMenu();
}

BOOL DestroyMenu(HMENU menu) {
    MenuRecord* record = MenuFind(menu);
    if (record == nullptr) return FALSE;
    HandleRemove(HandleKind::Menu, menu);
    for (MenuItem& item : record->Items)
        if (item.Popup) DestroyMenu(item.Popup);
    delete record;
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    return MenuFind(menu) != nullptr;
}

HMENU GetSubMenu(HMENU menu, int position) {
    MenuRecord* record = MenuFind(menu);
    if (record == nullptr || position < 0 || size_t(position) >= record->Items.size()) return nullptr;
    return record->Items[size_t(position)].Popup;
}

int GetMenuItemCount(HMENU menu) {
    MenuRecord* record = MenuFind(menu);
    return record ? int(record->Items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    MenuRecord* record = MenuFind(menu);
    if (record == nullptr || position < 0 || size_t(position) >= record->Items.size()) return UINT(-1);
    const MenuItem& item = record->Items[size_t(position)];
    return item.Popup ? UINT(-1) : item.Id;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    MenuItem* entry = FindItem(MenuFind(menu), item, flags, nullptr);
    if (entry == nullptr) return DWORD(-1);
    DWORD previous = entry->State & MF_CHECKED;
    entry->State = (entry->State & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    MenuRecord* holder = nullptr;
    MenuItem* target = FindItem(MenuFind(menu), check, flags, &holder);
    if (target == nullptr) return FALSE;
    for (size_t i = 0; i < holder->Items.size(); ++i) {
        MenuItem& item = holder->Items[i];
        UINT key = (flags & MF_BYPOSITION) ? UINT(i) : item.Id;
        if (item.Popup || item.Separator || key < first || key > last) continue;
        bool on = &item == target;
        item.State = on ? (item.State | MF_CHECKED) : (item.State & ~MF_CHECKED);
        if (on) item.Radio = true; // Win32 leaves the radio type on the items it unchecks
    }
    return TRUE;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    MenuItem* entry = FindItem(MenuFind(menu), item, flags, nullptr);
    return entry ? StateFlags(*entry) : UINT(-1);
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    MenuItem* entry = FindItem(MenuFind(menu), item, enable, nullptr);
    if (entry == nullptr) return BOOL(-1);
    UINT previous = entry->State & (MF_GRAYED | MF_DISABLED);
    entry->State = (entry->State & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return BOOL(previous);
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info) {
    MenuItem* entry = FindItem(MenuFind(menu), item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, nullptr);
    if (entry == nullptr || info == nullptr) return FALSE;
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE))
        info->fType = (entry->Separator ? MFT_SEPARATOR : MFT_STRING) | (entry->Radio ? MFT_RADIOCHECK : 0);
    if (info->fMask & MIIM_STATE) info->fState = entry->State;
    if (info->fMask & MIIM_ID) info->wID = entry->Id;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = entry->Popup;
    if (info->fMask & MIIM_DATA) info->dwItemData = entry->Data;
    if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
        UINT length = UINT(entry->Text.size());
        if (info->dwTypeData && info->cch > 0) {
            UINT n = length < info->cch - 1 ? length : info->cch - 1;
            entry->Text.copy(info->dwTypeData, n);
            info->dwTypeData[n] = 0;
        }
        info->cch = length;
    }
    return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    MenuItem* entry = FindItem(MenuFind(menu), item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, nullptr);
    if (entry == nullptr || info == nullptr) return FALSE;
    return MenuApplyInfo(entry, *info) ? TRUE : FALSE;
}

bool MenuApplyInfo(MenuItem* entry, const MENUITEMINFOW& info) {
    if (info.fMask & (MIIM_TYPE | MIIM_FTYPE)) {
        entry->Separator = (info.fType & MFT_SEPARATOR) != 0;
        entry->Radio = (info.fType & MFT_RADIOCHECK) != 0;
    }
    if (info.fMask & MIIM_STATE)
        entry->State = info.fState & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    if (info.fMask & MIIM_ID) entry->Id = info.wID;
    if (info.fMask & MIIM_SUBMENU) entry->Popup = info.hSubMenu;
    if (info.fMask & MIIM_DATA) entry->Data = info.dwItemData;
    if ((info.fMask & (MIIM_STRING | MIIM_TYPE)) && !entry->Separator)
        entry->Text = info.dwTypeData ? std::u16string(info.dwTypeData) : std::u16string();
    return true;
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    MenuRecord* record = MenuFind(menu);
    if (record == nullptr || info == nullptr) return FALSE;
    size_t at = record->Items.size();
    if (byPosition) {
        if (item < at) at = item;
    } else {
        for (size_t i = 0; i < record->Items.size(); ++i)
            if (record->Items[i].Id == item) at = i;
    }
    MenuItem entry{};
    MenuApplyInfo(&entry, *info);
    record->Items.insert(record->Items.begin() + ptrdiff_t(at), std::move(entry));
    return TRUE;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) {
    MenuRecord* record = MenuFind(menu);
    if (record == nullptr) return FALSE;
    MenuItem entry{};
    entry.Separator = (flags & MF_SEPARATOR) != 0;
    entry.State = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    if (flags & MF_POPUP)
        entry.Popup = reinterpret_cast<HMENU>(id);
    else
        entry.Id = UINT(id);
    if (text && !entry.Separator) entry.Text = text;
    record->Items.push_back(std::move(entry));
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
    MenuRecord* holder = nullptr;
    MenuItem* entry = FindItem(MenuFind(menu), item, flags, &holder);
    if (entry == nullptr) return FALSE;
    holder->Items.erase(holder->Items.begin() + (entry - holder->Items.data()));
    return TRUE;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int max, UINT flags) {
    MenuItem* entry = FindItem(MenuFind(menu), item, flags, nullptr);
    if (entry == nullptr) return 0;
    int length = int(entry->Text.size());
    if (text == nullptr || max <= 0) return length;
    int n = length < max - 1 ? length : max - 1;
    entry->Text.copy(text, size_t(n));
    text[n] = 0;
    return n;
}
