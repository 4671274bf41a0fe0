// Win32Clipboard.h: memory blocks (LocalAlloc, GlobalAlloc and friends) and the clipboard.
//
// Memory: every block's handle, fixed or movable, is the address of its bytes, as on the handheld:
// code may write through what LocalAlloc gave and read through what GetClipboardData gave without
// locking (desktop Win32 requires LocalLock for movable blocks; calling it here is harmless and still
// counts locks). Local and Global blocks are the same kind of block, so either family's functions
// accept either's handles. A freed or made-up handle is refused (ERROR_INVALID_HANDLE), never
// followed.
//
// Clipboard: one process-wide clipboard. A block given to SetClipboardData belongs to the clipboard
// from then on: the caller must not free it (LocalFree refuses it with ERROR_ACCESS_DENIED), and
// EmptyClipboard or a later block of the same format frees it. A block from GetClipboardData also
// belongs to the clipboard; read it while the clipboard is open. When a display backend keeps the
// system clipboard, CloseClipboard after a change offers every format to other programs, and while
// another program holds the system clipboard the calls below read its contents.
#pragma once

#include "platform/Win32Types.h"

// --- Memory blocks ---

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_MOVEABLE = 0x0002;
constexpr UINT LMEM_NOCOMPACT = 0x0010;
constexpr UINT LMEM_NODISCARD = 0x0020;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LMEM_MODIFY = 0x0080;
constexpr UINT LMEM_DISCARDABLE = 0x0F00;
constexpr UINT LMEM_VALID_FLAGS = 0x0F72;
constexpr UINT LHND = LMEM_MOVEABLE | LMEM_ZEROINIT;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_NOCOMPACT = 0x0010;
constexpr UINT GMEM_NODISCARD = 0x0020;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GMEM_DISCARDABLE = 0x0100;
constexpr UINT GMEM_NOT_BANKED = 0x1000;
constexpr UINT GMEM_SHARE = 0x2000;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GMEM_NOTIFY = 0x4000;
constexpr UINT GMEM_VALID_FLAGS = 0x7F72;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// A new block of `bytes` (0 allowed), zero-filled with LMEM_ZEROINIT; null on failure (flags outside
// LMEM_VALID_FLAGS: ERROR_INVALID_PARAMETER; no memory: ERROR_NOT_ENOUGH_MEMORY). Discardable blocks
// are never discarded.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// The block's address. A movable block's lock count goes up; a fixed block has none. A movable block
// of size 0 has no address: null with ERROR_DISCARDED.
LPVOID LocalLock(HLOCAL mem);
// Nonzero while the block stays locked; FALSE with ERROR_SUCCESS when the last lock went, FALSE with
// ERROR_NOT_LOCKED when it was not locked (a fixed block never is).
BOOL LocalUnlock(HLOCAL mem);
// Null on success (a locked block is freed too); else mem itself: ERROR_INVALID_HANDLE for an unknown
// handle, ERROR_ACCESS_DENIED for a block the clipboard holds (Win32 frees it and corrupts the
// clipboard; we refuse).
HLOCAL LocalFree(HLOCAL mem);
// The size asked for at allocation or reallocation; 0 with ERROR_INVALID_HANDLE for an unknown handle.
SIZE_T LocalSize(HLOCAL mem);
// Resizes; growth is zero-filled with LMEM_ZEROINIT. A block moves only when it is movable and
// unlocked, or when flags has LMEM_MOVEABLE; otherwise it can only shrink (growing fails with
// ERROR_NOT_ENOUGH_MEMORY). Returns the block's handle, which is new when the block moved (unlike
// Win32, also for a movable block: use the result), or null with the block unchanged. Not supported:
// LMEM_MODIFY (ERROR_INVALID_PARAMETER), and resizing a block the clipboard holds (ERROR_ACCESS_DENIED).
HLOCAL LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags);

// The Global family: the same blocks (flags outside GMEM_VALID_FLAGS are refused).
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);
SIZE_T GlobalSize(HGLOBAL mem);
HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);

// --- Clipboard ---

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;
// Not Win32: registered formats are numbered from here up to 0xFFFF.
constexpr UINT ClipboardRegisteredFirst = 0xC000;

// Opens the clipboard for this process, recording owner (null or any window). TRUE also when the same
// owner has it open already; FALSE with ERROR_ACCESS_DENIED while another owner has it open.
BOOL OpenClipboard(HWND owner);
// FALSE with ERROR_CLIPBOARD_NOT_OPEN when it is not open (also on a second close).
BOOL CloseClipboard();
// Frees every block held and makes the opener the clipboard's owner. FALSE with
// ERROR_CLIPBOARD_NOT_OPEN when not open. Unlike desktop Win32, a null owner may still set data
// afterwards (as on the handheld).
BOOL EmptyClipboard();
// Puts mem (from LocalAlloc or GlobalAlloc, fixed or movable) on the clipboard as format, replacing
// and freeing the block held for that format. Returns mem; the clipboard owns it from then on. Null
// (the caller keeps mem) with ERROR_CLIPBOARD_NOT_OPEN when not open, ERROR_INVALID_HANDLE for an
// unknown block, ERROR_INVALID_PARAMETER for format 0, an unregistered number from 0xC000, a block
// already held as another format, or null mem (rendering on request is not supported).
HANDLE SetClipboardData(UINT format, HANDLE mem);
// The block held as format, owned by the clipboard; null when there is none or the clipboard is not
// open (ERROR_CLIPBOARD_NOT_OPEN). Text read from another program always ends in a zero unit.
HANDLE GetClipboardData(UINT format);
// TRUE when the clipboard has format; the clipboard need not be open.
BOOL IsClipboardFormatAvailable(UINT format);
// The format after `format` (0: the first) in the order they were set; 0 at the end (GetLastError
// ERROR_SUCCESS) or when the clipboard is not open (ERROR_CLIPBOARD_NOT_OPEN).
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
// The number for name, the same for the same name in any case of its ASCII letters (0xC000 up). 0 with
// ERROR_INVALID_PARAMETER for a null or empty name or one longer than 255 units, ERROR_NOT_ENOUGH_MEMORY
// when every number is taken.
UINT RegisterClipboardFormatW(LPCWSTR name);
// Copies a registered format's name (at most maxCount - 1 units and a zero) and returns the units
// copied; 0 with ERROR_INVALID_PARAMETER for a format that is not registered or no room.
int GetClipboardFormatNameW(UINT format, LPWSTR name, int maxCount);
// The window that last emptied the clipboard (null for a null owner or before any).
HWND GetClipboardOwner();
