// AboutDialog.h: the About box (resource 103) with the link to the maker's site, and the update
// check that opens the maker's update page with the product and version in the address.
#pragma once

#include "platform/Win32.h"
#include "resources/ResourceIds.h"

// The maker's site (configured in resources/ResourceIds.h): the link's text and address.
inline constexpr const WCHAR* HomePage = u"" KESTROVA_HOME_PAGE;
inline constexpr const WCHAR* UpdatePath = u"/cgi-bin/upgrade?p=arm/";
inline constexpr const WCHAR* ProductIdentifier = u"Tellgrove/Kestrova";
inline constexpr const WCHAR* VersionSuffix = u"&v=1.84a";
constexpr int UpdateAddressCapacity = 200;

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void OpenWebAddress(HWND owner, LPCWSTR address);
void OpenHomePage(HWND owner);
void CheckForUpdates(HWND owner);
// The update address for a product identifier into out (capacity units, zero-filled first); false
// when it does not fit with its terminator.
bool BuildUpdateAddress(LPCWSTR identifier, WCHAR* out, int capacity);
void MakeLinkFont(HWND dialog);
void DrawLinkButton(const DRAWITEMSTRUCT* item);
