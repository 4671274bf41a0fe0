// ClipboardState.h: the process-wide clipboard record shared by the clipboard's files: the API
// (Clipboard.cpp), the system clipboard through the backend (ClipboardSystem.cpp) and the script
// commands (ClipboardScript.cpp). The record owns every block in Held (each marked HeldByClipboard)
// and the copy last published; it frees a block only through MemoryRelease.
#pragma once

#include "platform/Win32Types.h"

#include "platform/base/MemoryBlocks.h"

#include <cstdint>
#include <string>
#include <vector>

struct ClipboardHeld {
    UINT Format;
    MemoryBlock* Block;
};

struct ClipboardState {
    bool Open = false;
    HWND OpenedBy = nullptr;
    HWND Owner = nullptr;              // who emptied it last
    bool Changed = false;              // emptied or set since it was opened: published when it is closed
    bool Foreign = false;              // another program held the system clipboard when it was opened;
                                       // Held then caches what was read of it
    bool ForeignListed = false;        // every known format of that clipboard has been read into Held
    std::vector<ClipboardHeld> Held;   // in the order set
    std::vector<std::u16string> Names; // registered names: Names[i] is format 0xC000 + i

    // The copy last offered to other programs: the backend reads it until the next publish.
    std::vector<UINT> PublishedFormats;
    std::vector<std::u16string> PublishedNames;
    std::vector<std::vector<uint8_t>> PublishedBytes;
};

ClipboardState& Clipboard();

// The registered name of format, or null for a number that is not registered.
const std::u16string* ClipboardFormatName(UINT format);
// The entry for format in Held, or null.
ClipboardHeld* ClipboardFindHeld(UINT format);
// Takes block into Held as format (replacing and freeing the block held for it).
void ClipboardHold(UINT format, MemoryBlock* block);
// Frees every block held.
void ClipboardDropHeld();

// True when the backend keeps the system clipboard and another program holds it now.
bool ClipboardSystemIsForeign();
// Offers every format held to the backend, when it can take them.
void ClipboardSystemPublish();
// A new movable block with the system clipboard's data in format (ending in a zero unit), or null.
MemoryBlock* ClipboardSystemRead(UINT format);
// CF_UNICODETEXT and every registered format: what another program's clipboard may be asked for.
std::vector<UINT> ClipboardKnownFormats();
