// MemoryBlocks.h: the records behind LocalAlloc / GlobalAlloc handles, for the layers that take
// blocks over (the clipboard). Every block's handle, fixed or movable, is the address of its bytes,
// as on the handheld, where code writes through what LocalAlloc gave and reads through what
// GetClipboardData gave without locking either; a movable block still counts its locks. Handles are
// found in an index of live addresses rather than through the handle table (whose handles are not
// addresses) or a header before the bytes (which can only be read after trusting the pointer): a
// made-up or freed handle is refused without reading anything behind it.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>

struct MemoryBlock {
    uint8_t* Data;  // malloc'd, never null (at least one byte even for size 0); also the handle
    size_t Size;    // the size asked for
    uint32_t Locks; // movable blocks only
    bool Movable;
    bool HeldByClipboard; // the clipboard owns it: LocalFree and LocalReAlloc refuse it
};

// The live block behind handle, or null.
MemoryBlock* MemoryFind(HANDLE handle);
// A new movable block holding a copy of bytes[0..size) followed by `zeros` zero bytes; null when
// memory runs out. For blocks read from another program's clipboard.
MemoryBlock* MemoryNewMovableCopy(const void* bytes, size_t size, size_t zeros);
// Frees block whoever holds it (the clipboard, when it lets a block go).
void MemoryRelease(MemoryBlock* block);
