// The program's icon 101 as the build embeds it: the group lists 16, 32 and 48 pixels, and each
// image is a 32-bit DIB with a real alpha channel (transparent corners, an opaque book) and an
// AND mask that agrees with it.
#include "platform/Win32.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const BYTE* ResourceBytes(LPCWSTR name, LPCWSTR type, DWORD* size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, type);
    if (resource == nullptr) return nullptr;
    *size = SizeofResource(module, resource);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
}

DWORD Read(const BYTE* p, int bytes) {
    DWORD value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

constexpr int GroupHeader = 6, GroupEntry = 14, DibHeader = 40;

// Checks one RT_ICON image of side size: alpha where the book is, none in the corner.
void CheckImage(WORD id, int size) {
    DWORD bytes = 0;
    const BYTE* dib = ResourceBytes(MAKEINTRESOURCEW(id), RT_ICON, &bytes);
    ASSERT_NE(dib, nullptr) << id;
    int maskStride = (size + 31) / 32 * 4;
    ASSERT_EQ(bytes, DWORD(DibHeader + size * size * 4 + maskStride * size));
    EXPECT_EQ(Read(dib + 4, 4), DWORD(size));
    EXPECT_EQ(Read(dib + 8, 4), DWORD(size * 2)); // colour and mask
    EXPECT_EQ(Read(dib + 14, 2), 32u);
    const BYTE* pixels = dib + DibHeader;
    const BYTE* mask = pixels + size * size * 4;
    auto alpha = [&](int x, int y) { return pixels[((size - 1 - y) * size + x) * 4 + 3]; };
    auto masked = [&](int x, int y) {
        return (mask[(size - 1 - y) * maskStride + x / 8] >> (7 - x % 8)) & 1;
    };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(size / 2, size / 2), 255);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            ASSERT_EQ(masked(x, y), alpha(x, y) == 0 ? 1 : 0) << x << "," << y;
}

} // namespace

TEST(ProgramIcon, TheGroupHoldsEverySizeWithAlpha) {
    DWORD bytes = 0;
    const BYTE* group = ResourceBytes(MAKEINTRESOURCEW(IDI_KESTROVA), RT_GROUP_ICON, &bytes);
    ASSERT_NE(group, nullptr);
    int count = int(Read(group + 4, 2));
    ASSERT_EQ(bytes, DWORD(GroupHeader + GroupEntry * count));
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = group + GroupHeader + GroupEntry * i;
        int size = entry[0] == 0 ? 256 : entry[0];
        EXPECT_EQ(entry[1], entry[0]);
        EXPECT_EQ(Read(entry + 6, 2), 32u);
        sizes.insert(size);
        CheckImage(WORD(Read(entry + 12, 2)), size);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
}
