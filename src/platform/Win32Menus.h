// Win32Menus.h: menus: loading menu templates, popups, items with "&" mnemonics and a shortcut text
// after the character 0x08 (shown right-aligned), separators, check and radio marks, enabling; and
// TrackPopupMenuEx to run a popup by pointer and keyboard. A menu handle belongs to its creator
// until DestroyMenu, which also destroys its popups; a menu attached to a menu bar belongs to the bar.
#pragma once

#include "platform/Win32Types.h"

// Item flags (MF_) and the MENUITEMINFOW masks, types (MFT_) and states (MFS_).
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;

constexpr UINT MFT_STRING = MF_STRING;
constexpr UINT MFT_SEPARATOR = MF_SEPARATOR;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFS_ENABLED = 0x0000;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = MF_CHECKED;
constexpr UINT MFS_UNCHECKED = 0x0000;
constexpr UINT MFS_DEFAULT = MF_DEFAULT;

constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_FTYPE = 0x0100;

struct MENUITEMINFOW {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPWSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
typedef MENUITEMINFOW* LPMENUITEMINFOW;
typedef const MENUITEMINFOW* LPCMENUITEMINFOW;

// TrackPopupMenuEx flags.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

// The character that separates an item's text from its right-aligned shortcut text.
constexpr WCHAR MenuShortcutSeparator = 0x08;

// The menu template RT_MENU `name` of the module (standard or extended); null when missing or damaged.
HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);
HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
HMENU GetSubMenu(HMENU menu, int position);   // null when the item is not a popup
int GetMenuItemCount(HMENU menu);             // -1 for a bad menu
UINT GetMenuItemID(HMENU menu, int position); // -1 (as UINT) for a popup or a bad position
// The previous check state (MF_CHECKED or MF_UNCHECKED), or -1 (as DWORD) when the item is missing.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
// Checks `check` with a radio mark and clears the others of first..last (by command or position).
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
// The item's MF_ flags (for a popup, its item count in the high byte), or -1 (as UINT) when missing.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
// The previous state (MF_ENABLED, MF_GRAYED or MF_DISABLED), or -1 (as BOOL) when missing.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info);
BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info);
BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text); // MF_POPUP: id is the popup
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
int GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int max, UINT flags);
// Runs the popup at (x, y) in screen coordinates until an item is chosen or the popup is closed
// (a tap outside, Escape). The chosen command goes to owner as WM_COMMAND (or is returned with
// TPM_RETURNCMD); 0 when nothing was chosen.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void* params);
