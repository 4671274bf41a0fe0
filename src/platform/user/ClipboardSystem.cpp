// ClipboardSystem.cpp: the clipboard's meeting with the system clipboard that the backend keeps.
// Publishing hands the backend a copy of every format held (kept in the clipboard record until the
// next publish, so the backend may serve it to other programs while our own blocks change). Reading
// takes the backend's malloc'd block, copies it into a movable block the clipboard will own, and frees
// the backend's. Without backend operations (headless, tests) none of this happens: the clipboard
// lives in memory only.
#include "platform/Win32Clipboard.h"

#include "platform/backend/ServiceBackend.h"
#include "platform/user/ClipboardState.h"

#include <cstdlib>
#include <cstring>

namespace {

// The bytes of a block that other programs are offered: text up to its first zero unit (a block may
// be larger than its text), any other format whole.
size_t PublishedSize(UINT format, const MemoryBlock& block) {
    if (format == CF_UNICODETEXT) {
        size_t units = block.Size / sizeof(WCHAR);
        for (size_t i = 0; i < units; ++i)
            if (block.Data[2 * i] == 0 && block.Data[2 * i + 1] == 0) return i * sizeof(WCHAR);
        return units * sizeof(WCHAR);
    }
    if (format == CF_TEXT) {
        const void* end = std::memchr(block.Data, 0, block.Size);
        return end ? size_t(static_cast<const uint8_t*>(end) - block.Data) : block.Size;
    }
    return block.Size;
}

} // namespace

bool ClipboardSystemIsForeign() {
    const Backend& backend = ServiceBackend();
    return backend.ClipboardRead != nullptr && backend.ClipboardOwned != nullptr && !backend.ClipboardOwned();
}

void ClipboardSystemPublish() {
    const Backend& backend = ServiceBackend();
    if (backend.ClipboardPublish == nullptr) return;
    ClipboardState& c = Clipboard();
    c.PublishedFormats.clear();
    c.PublishedNames.clear();
    c.PublishedBytes.clear();
    for (const ClipboardHeld& held : c.Held) {
        const std::u16string* name = ClipboardFormatName(held.Format);
        const uint8_t* data = held.Block->Data;
        c.PublishedFormats.push_back(held.Format);
        c.PublishedNames.push_back(name ? *name : std::u16string());
        c.PublishedBytes.emplace_back(data, data + PublishedSize(held.Format, *held.Block));
    }
    size_t count = c.Held.size();
    std::vector<const WCHAR*> names(count);
    std::vector<const void*> blocks(count);
    std::vector<size_t> sizes(count);
    for (size_t i = 0; i < count; ++i) {
        bool named = c.PublishedFormats[i] >= ClipboardRegisteredFirst;
        names[i] = named ? c.PublishedNames[i].c_str() : nullptr;
        blocks[i] = c.PublishedBytes[i].data();
        sizes[i] = c.PublishedBytes[i].size();
    }
    backend.ClipboardPublish(c.PublishedFormats.data(), names.data(), blocks.data(), sizes.data(), count);
}

MemoryBlock* ClipboardSystemRead(UINT format) {
    const Backend& backend = ServiceBackend();
    if (backend.ClipboardRead == nullptr) return nullptr;
    const std::u16string* name = ClipboardFormatName(format);
    size_t size = 0;
    void* bytes = backend.ClipboardRead(format, name ? name->c_str() : nullptr, &size);
    if (bytes == nullptr) return nullptr;
    // Text is measured by its terminator, so every block read ends in one: a whole zero unit after
    // the text (the odd byte of a cut UTF-16 text dropped), one zero byte after anything else.
    bool wide = format == CF_UNICODETEXT;
    if (wide) size &= ~size_t(1);
    MemoryBlock* block = MemoryNewMovableCopy(bytes, size, wide ? sizeof(WCHAR) : 1);
    std::free(bytes);
    return block;
}

std::vector<UINT> ClipboardKnownFormats() {
    std::vector<UINT> formats{CF_UNICODETEXT};
    for (size_t i = 0; i < Clipboard().Names.size(); ++i)
        formats.push_back(ClipboardRegisteredFirst + UINT(i));
    return formats;
}
