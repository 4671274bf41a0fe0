// MemoryBlocks.cpp: LocalAlloc / GlobalAlloc blocks. Each block is a MemoryBlock record owned by
// this file, found by the address of its malloc'd bytes (its handle). LocalFree frees the record and
// the bytes; a block the clipboard holds is freed only by the clipboard (MemoryRelease).
#include "platform/base/MemoryBlocks.h"

#include "platform/Win32Clipboard.h"
#include "platform/Win32System.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

namespace {

// No block may be larger than this: sizes and offsets stay within ptrdiff_t and DWORD callers.
constexpr size_t LargestBlock = size_t(1) << 31;

// Live blocks by address. Never destroyed: blocks may be freed from static destructors.
std::unordered_map<const void*, MemoryBlock*>& Blocks() {
    static auto* blocks = new std::unordered_map<const void*, MemoryBlock*>();
    return *blocks;
}

// A malloc'd area of max(bytes, 1), zero-filled when asked.
uint8_t* NewBytes(size_t bytes, bool zero) {
    size_t n = bytes == 0 ? 1 : bytes;
    return static_cast<uint8_t*>(zero ? std::calloc(n, 1) : std::malloc(n));
}

MemoryBlock* NewBlock(size_t bytes, bool movable, bool zero) {
    if (bytes > LargestBlock) return nullptr;
    auto* block = new (std::nothrow) MemoryBlock{};
    if (block == nullptr) return nullptr;
    block->Data = NewBytes(bytes, zero);
    if (block->Data == nullptr) {
        delete block;
        return nullptr;
    }
    block->Size = bytes;
    block->Movable = movable;
    Blocks()[block->Data] = block;
    return block;
}

MemoryBlock* FindOrFail(HANDLE handle) {
    MemoryBlock* block = MemoryFind(handle);
    if (block == nullptr) SetLastError(DWORD(ERROR_INVALID_HANDLE));
    return block;
}

HLOCAL AllocWithFlags(UINT flags, SIZE_T bytes, UINT validFlags) {
    if ((flags & ~validFlags) != 0) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    MemoryBlock* block = NewBlock(bytes, (flags & LMEM_MOVEABLE) != 0, (flags & LMEM_ZEROINIT) != 0);
    if (block == nullptr) {
        SetLastError(DWORD(ERROR_NOT_ENOUGH_MEMORY));
        return nullptr;
    }
    return block->Data;
}

// Moves block's bytes to a new area of `bytes`; false (block unchanged) when memory runs out.
bool MoveBytes(MemoryBlock* block, size_t bytes) {
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(block->Data, bytes == 0 ? 1 : bytes));
    if (grown == nullptr) return false;
    if (grown != block->Data) {
        Blocks().erase(block->Data);
        Blocks()[grown] = block;
    }
    block->Data = grown;
    return true;
}

} // namespace

MemoryBlock* MemoryFind(HANDLE handle) {
    auto found = Blocks().find(handle);
    return found == Blocks().end() ? nullptr : found->second;
}

MemoryBlock* MemoryNewMovableCopy(const void* bytes, size_t size, size_t zeros) {
    if (size > LargestBlock || zeros > LargestBlock - size) return nullptr;
    MemoryBlock* block = NewBlock(size + zeros, true, false);
    if (block == nullptr) return nullptr;
    if (size > 0) std::memcpy(block->Data, bytes, size);
    std::memset(block->Data + size, 0, zeros);
    return block;
}

void MemoryRelease(MemoryBlock* block) {
    if (block == nullptr) return;
    Blocks().erase(block->Data);
    std::free(block->Data);
    delete block;
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
    return AllocWithFlags(flags, bytes, LMEM_VALID_FLAGS);
}

LPVOID LocalLock(HLOCAL mem) {
    MemoryBlock* block = FindOrFail(mem);
    if (block == nullptr) return nullptr;
    if (!block->Movable) return block->Data;
    if (block->Size == 0) {
        SetLastError(DWORD(ERROR_DISCARDED));
        return nullptr;
    }
    if (block->Locks < UINT32_MAX) ++block->Locks;
    return block->Data;
}

BOOL LocalUnlock(HLOCAL mem) {
    MemoryBlock* block = FindOrFail(mem);
    if (block == nullptr) return FALSE;
    if (block->Locks == 0) {
        SetLastError(DWORD(ERROR_NOT_LOCKED));
        return FALSE;
    }
    if (--block->Locks > 0) return TRUE;
    SetLastError(DWORD(ERROR_SUCCESS));
    return FALSE;
}

HLOCAL LocalFree(HLOCAL mem) {
    MemoryBlock* block = FindOrFail(mem);
    if (block == nullptr) return mem;
    if (block->HeldByClipboard) {
        SetLastError(DWORD(ERROR_ACCESS_DENIED));
        return mem;
    }
    MemoryRelease(block);
    return nullptr;
}

SIZE_T LocalSize(HLOCAL mem) {
    MemoryBlock* block = FindOrFail(mem);
    return block ? block->Size : 0;
}

HLOCAL LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags) {
    MemoryBlock* block = FindOrFail(mem);
    if (block == nullptr) return nullptr;
    if ((flags & LMEM_MODIFY) != 0 || (flags & ~LMEM_VALID_FLAGS) != 0) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    if (block->HeldByClipboard) {
        SetLastError(DWORD(ERROR_ACCESS_DENIED));
        return nullptr;
    }
    bool mayMove = (block->Movable && block->Locks == 0) || (flags & LMEM_MOVEABLE) != 0;
    if (bytes > LargestBlock || (bytes > block->Size && !mayMove) || (mayMove && !MoveBytes(block, bytes))) {
        SetLastError(DWORD(ERROR_NOT_ENOUGH_MEMORY));
        return nullptr;
    }
    if (bytes > block->Size && (flags & LMEM_ZEROINIT) != 0)
        std::memset(block->Data + block->Size, 0, bytes - block->Size);
    block->Size = bytes;
    return block->Data;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    // GMEM_ bits that mean something (moveable, zero-fill) have the LMEM_ values.
    return AllocWithFlags(flags, bytes, GMEM_VALID_FLAGS);
}
LPVOID GlobalLock(HGLOBAL mem) {
    return LocalLock(mem);
}
BOOL GlobalUnlock(HGLOBAL mem) {
    return LocalUnlock(mem);
}
HGLOBAL GlobalFree(HGLOBAL mem) {
    return LocalFree(mem);
}
SIZE_T GlobalSize(HGLOBAL mem) {
    return LocalSize(mem);
}
HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
    // GMEM_MODIFY has LMEM_MODIFY's value; the other Global-only bits change nothing here.
    return LocalReAlloc(mem, bytes, flags & ~(GMEM_VALID_FLAGS & ~LMEM_VALID_FLAGS));
}
