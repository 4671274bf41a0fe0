// GdiIcons.cpp: LoadIconW. An icon is read from the module's RT_GROUP_ICON directory, which names
// its images; the largest image is decoded as a bitmap (its colour part; the transparency mask is
// not kept) and the handle is that bitmap's, freed by DestroyIcon. Every read is bounded.
#include "platform/Win32Resources.h"
#include "platform/gdi/Gdi.h"

#include <cstring>
#include <vector>

namespace {

constexpr size_t DirectoryHeader = 6; // reserved, type, count
constexpr size_t DirectoryEntry = 14; // width, height, colours, reserved, planes, bits, bytes, id
constexpr size_t InfoHeaderHeight = 8;
constexpr size_t InfoHeaderMinimum = 40;

WORD U16(const BYTE* p) {
    return WORD(p[0] | p[1] << 8);
}

// The id of the largest image of a group directory; 0 when it has none.
WORD LargestImage(const BYTE* group, size_t size) {
    if (group == nullptr || size < DirectoryHeader) return 0;
    size_t count = U16(group + 4), best = 0;
    WORD id = 0;
    for (size_t i = 0; i < count && DirectoryHeader + (i + 1) * DirectoryEntry <= size; ++i) {
        const BYTE* e = group + DirectoryHeader + i * DirectoryEntry;
        size_t side = e[0] ? e[0] : 256;
        if (side > best) best = side, id = U16(e + 12);
    }
    return id;
}

} // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    HMODULE module = instance ? instance : GetModuleHandleW(nullptr);
    HRSRC group = name ? FindResourceW(module, name, RT_GROUP_ICON) : nullptr;
    if (group == nullptr) return nullptr;
    WORD id = LargestImage(static_cast<const BYTE*>(LockResource(LoadResource(module, group))),
                           SizeofResource(module, group));
    HRSRC image = id ? FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON) : nullptr;
    if (image == nullptr) return nullptr;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
    size_t size = SizeofResource(module, image);
    if (bytes == nullptr || size < InfoHeaderMinimum) return nullptr;
    // The stored height counts the colour part and the mask; the colour part alone is decoded.
    std::vector<BYTE> copy(bytes, bytes + size);
    int32_t height;
    std::memcpy(&height, copy.data() + InfoHeaderHeight, sizeof height);
    height /= 2;
    std::memcpy(copy.data() + InfoHeaderHeight, &height, sizeof height);
    return reinterpret_cast<HICON>(GdiBitmapFromDib(copy.data(), copy.size()));
}

BOOL DestroyIcon(HICON icon) {
    return DeleteObject(reinterpret_cast<HGDIOBJ>(icon));
}
