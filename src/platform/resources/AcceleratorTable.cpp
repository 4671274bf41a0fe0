// AcceleratorTable.cpp: the RT_ACCELERATOR reader; every read is bounded by the resource's size.
#include "platform/resources/AcceleratorTable.h"

namespace {

constexpr BYTE KnownFlags = FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT | AcceleratorLastEntry;

WORD ReadWord(const BYTE* p) {
    return WORD(p[0] | (p[1] << 8));
}

} // namespace

bool AcceleratorTableRead(const BYTE* data, size_t size, std::vector<ACCEL>* entries) {
    entries->clear();
    if (data == nullptr) return false;
    for (size_t pos = 0; pos + AcceleratorEntrySize <= size; pos += AcceleratorEntrySize) {
        WORD flags = ReadWord(data + pos);
        if (flags & ~WORD(KnownFlags)) {
            entries->clear();
            return false;
        }
        entries->push_back(
            ACCEL{BYTE(flags & ~AcceleratorLastEntry), ReadWord(data + pos + 2), ReadWord(data + pos + 4)});
        if (flags & AcceleratorLastEntry) break;
    }
    return !entries->empty();
}
