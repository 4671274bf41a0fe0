// StringTable.cpp: string tables (RT_STRING) and LoadStringW. A block holds the strings ids
// (block - 1) * 16 to (block - 1) * 16 + 15, each a 16-bit length and that many UTF-16 units, no
// terminator. Strings are read in place: the module's bytes live for the whole run.
#include "platform/Win32Resources.h"
#include "platform/resources/ResourceCursor.h"

#include <cstring>

bool ResFindStringInBlock(const void* block, size_t size, unsigned index, const WCHAR** text, int* length) {
    *text = nullptr;
    *length = 0;
    if (index > 15) return false;
    ResCursor c = MakeResCursor(block, size);
    for (unsigned i = 0;; i++) {
        WORD units = ResReadU16(&c);
        if (c.Failed || !ResHas(&c, size_t(units) * 2)) return false;
        if (i == index) {
            *text = reinterpret_cast<const WCHAR*>(c.Data + c.Pos);
            *length = units;
            return true;
        }
        c.Pos += size_t(units) * 2;
    }
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    if (buffer == nullptr || bufferMax < 0) return 0;
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    const WCHAR* text = nullptr;
    int length = 0;
    if (resource == nullptr ||
        !ResFindStringInBlock(LockResource(LoadResource(instance, resource)),
                              SizeofResource(instance, resource), id & 15, &text, &length)) {
        if (bufferMax > 0) buffer[0] = 0;
        return 0;
    }
    if (bufferMax == 0) {
        // The string in place (read-only, not terminated); the result is its length.
        std::memcpy(buffer, &text, sizeof text);
        return length;
    }
    int copied = length < bufferMax - 1 ? length : bufferMax - 1;
    if (copied > 0) std::memcpy(buffer, text, size_t(copied) * sizeof(WCHAR));
    buffer[copied] = 0;
    return copied;
}
