// MemoryBlocks.h: the records behind LocalAlloc / GlobalAlloc handles, for the layers that take
// blocks over (the clipboard). A movable block's handle lives in the platform's handle table
// (HandleKind::MemoryBlock), so a freed or made-up handle is refused by generation. A fixed block's
// handle is its own address, as Win32 has it; those are found in an index of live addresses rather
// than through a header before the bytes, because a header can only be read after trusting the
// pointer, and a made-up pointer must be refused without reading anything behind it.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>

struct MemoryBlock {
    HANDLE Handle;  // what the caller holds: the table handle, or Data for a fixed block
    uint8_t* Data;  // malloc'd, never null (at least one byte even for size 0)
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
