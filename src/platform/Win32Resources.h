// Win32Resources.h: the module's resources (FindResourceW, SizeofResource, LoadResource, LockResource).
// The executable embeds one compiled resource file (.res); GetModuleHandleW(nullptr) names it.
// Loaded bytes are read-only and stay valid for the whole run; nothing here is ever freed by callers.
#pragma once

#include "platform/Win32Types.h"

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

// The module of the running program (its embedded resources) for a null name; null otherwise.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
// Finds a resource by name and type, each an integer (MAKEINTRESOURCEW) or a case-insensitive string.
// The first language found wins. Returns null when the module has no such resource.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The resource's bytes; the pointer stays valid as long as the module.
LPVOID LockResource(HGLOBAL resourceData);
BOOL FreeResource(HGLOBAL resourceData);
// String id of the module's string tables (null instance: the program's) copied into buffer: at
// most bufferMax - 1 units and a terminator; returns the units copied, 0 when there is no such
// string. With bufferMax 0, buffer is taken as an LPCWSTR* and receives a read-only pointer to the
// string in the resource, which is not terminated; the result is then its full length.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);

// Not Win32: a module made from the bytes of a compiled resource file, for tools and tests.
// The module keeps a pointer to the bytes (the caller keeps them alive); returns null when the
// bytes are not a well-formed resource file. PlatformCloseResourceModule releases it.
HMODULE PlatformOpenResourceModule(const void* resBytes, size_t size);
void PlatformCloseResourceModule(HMODULE module);
// Not Win32: calls visit for every resource of the module in file order; stops when visit returns FALSE.
typedef BOOL (*PlatformResourceVisitor)(LPCWSTR type, LPCWSTR name, WORD language, const void* data,
                                        DWORD size, void* context);
void PlatformEnumResources(HMODULE module, PlatformResourceVisitor visit, void* context);

// Icons: the largest image of the module's RT_GROUP_ICON `name`, or null. Not Win32: the handle is a
// bitmap of the image's colours (PlatformGetBitmapPixels reads it); DestroyIcon frees it.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
BOOL DestroyIcon(HICON icon);
