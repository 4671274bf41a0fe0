#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

DWORD ErrorAfter() {
    return GetLastError();
}

} // namespace

TEST(MemoryBlocks, FixedBlockIsItsOwnAddressAndIsNeverLocked) {
    HLOCAL block = LocalAlloc(LPTR, 10);
    ASSERT_NE(block, nullptr);
    auto* bytes = static_cast<uint8_t*>(block);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bytes[i], 0);
    EXPECT_EQ(LocalLock(block), block);
    EXPECT_EQ(LocalSize(block), 10u);
    EXPECT_FALSE(LocalUnlock(block));
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_NOT_LOCKED));
    EXPECT_EQ(LocalFree(block), nullptr);

    // Freed: every call refuses it rather than following it.
    SetLastError(0);
    EXPECT_EQ(LocalFree(block), block);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LocalSize(block), 0u);
    EXPECT_EQ(LocalLock(block), nullptr);
}

TEST(MemoryBlocks, MovableBlockCountsLocksAndGoesStaleWhenFreed) {
    HLOCAL block = LocalAlloc(LHND, 4);
    ASSERT_NE(block, nullptr);
    // Its handle is its address, so code that writes through it without locking works.
    EXPECT_EQ(std::memcmp(block, "\0\0\0\0", 4), 0);
    auto* p = static_cast<uint8_t*>(LocalLock(block));
    EXPECT_EQ(static_cast<void*>(p), block);
    EXPECT_EQ(LocalLock(block), p);
    EXPECT_TRUE(LocalUnlock(block)); // still locked once
    SetLastError(DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(LocalUnlock(block)); // the last lock went
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_SUCCESS));
    EXPECT_FALSE(LocalUnlock(block));
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_NOT_LOCKED));

    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(LocalLock(block), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LocalUnlock(block), FALSE);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(MemoryBlocks, MadeUpHandlesAndBadRequestsAreRefused) {
    int onStack = 0;
    for (HLOCAL madeUp : {reinterpret_cast<HLOCAL>(uintptr_t(0x12345)), static_cast<HLOCAL>(&onStack),
                          reinterpret_cast<HLOCAL>(~uintptr_t(0)), HLOCAL(nullptr)}) {
        EXPECT_EQ(LocalLock(madeUp), nullptr);
        EXPECT_EQ(LocalSize(madeUp), 0u);
        EXPECT_EQ(LocalFree(madeUp), madeUp);
        EXPECT_EQ(LocalReAlloc(madeUp, 8, LMEM_MOVEABLE), nullptr);
        EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(LocalAlloc(0x8000, 4), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, ~SIZE_T(0)), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_NOT_ENOUGH_MEMORY));

    // A movable block of size 0 exists but has no address.
    HLOCAL empty = LocalAlloc(LMEM_MOVEABLE, 0);
    ASSERT_NE(empty, nullptr);
    SetLastError(0);
    EXPECT_EQ(LocalSize(empty), 0u);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(LocalLock(empty), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_DISCARDED));
    EXPECT_EQ(LocalFree(empty), nullptr);
}

TEST(MemoryBlocks, ReAllocMovesOnlyWhatMayMove) {
    HLOCAL movable = LocalAlloc(LMEM_MOVEABLE, 3);
    std::memcpy(LocalLock(movable), "abc", 3);
    // Locked: it may shrink in place but not grow unless the caller lets it move.
    EXPECT_EQ(LocalReAlloc(movable, 100, LMEM_ZEROINIT), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(LocalSize(movable), 3u);
    EXPECT_EQ(LocalReAlloc(movable, 2, 0), movable);
    EXPECT_EQ(LocalSize(movable), 2u);
    LocalUnlock(movable);
    HLOCAL grown = LocalReAlloc(movable, 1 << 20, LMEM_ZEROINIT); // unlocked: it may move
    ASSERT_NE(grown, nullptr);
    if (grown != movable) {
        EXPECT_EQ(LocalSize(movable), 0u);
    }
    movable = grown;
    EXPECT_EQ(std::memcmp(movable, "ab\0\0\0\0", 6), 0);
    EXPECT_EQ(LocalSize(movable), SIZE_T(1) << 20);
    EXPECT_EQ(LocalReAlloc(movable, 8, LMEM_MODIFY | LMEM_MOVEABLE), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_PARAMETER));
    LocalFree(movable);

    HLOCAL fixed = LocalAlloc(LMEM_FIXED, 4);
    std::memcpy(fixed, "wxyz", 4);
    EXPECT_EQ(LocalReAlloc(fixed, 1 << 20, 0), nullptr); // a fixed block cannot move by itself
    HLOCAL moved = LocalReAlloc(fixed, 1 << 20, LMEM_MOVEABLE | LMEM_ZEROINIT);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(std::memcmp(moved, "wxyz\0", 5), 0);
    EXPECT_EQ(LocalSize(moved), SIZE_T(1) << 20);
    if (moved != fixed) {
        EXPECT_EQ(LocalSize(fixed), 0u);
    }
    EXPECT_EQ(LocalFree(moved), nullptr);
}

TEST(MemoryBlocks, GlobalAndLocalShareBlocks) {
    HGLOBAL block = GlobalAlloc(GHND | GMEM_SHARE, 5);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 5u);
    void* p = GlobalLock(block);
    EXPECT_EQ(LocalLock(block), p);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_FALSE(LocalUnlock(block));
    block = GlobalReAlloc(block, 9, GMEM_ZEROINIT | GMEM_SHARE);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 9u);
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GlobalAlloc(0x8000, 5), nullptr);
    EXPECT_EQ(ErrorAfter(), DWORD(ERROR_INVALID_PARAMETER));
}
