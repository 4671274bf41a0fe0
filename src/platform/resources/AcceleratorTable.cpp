// AcceleratorTable.cpp: the reader of accelerator tables (RT_ACCELERATOR): eight bytes per entry
// (flags, key, command, padding), the last entry flagged 0x80. A table without that mark inside
// its bytes is damaged and refused.
#include "platform/resources/ResourceCursor.h"

namespace {

constexpr WORD LastEntryFlag = 0x80;

} // namespace

bool ResParseAccelerators(const void* bytes, size_t size, std::vector<ResAccelerator>* out) {
    out->clear();
    ResCursor c = MakeResCursor(bytes, size);
    for (;;) {
        WORD flags = ResReadU16(&c);
        WORD key = ResReadU16(&c);
        WORD command = ResReadU16(&c);
        ResReadU16(&c); // padding
        if (c.Failed) {
            out->clear();
            return false;
        }
        out->push_back(ResAccelerator{BYTE(flags & ~LastEntryFlag), key, command});
        if (flags & LastEntryFlag) return true;
    }
}
