// accel_fuzz.cpp: the RT_ACCELERATOR reader behind LoadAcceleratorsW (AcceleratorTableRead) on any
// bytes. It must refuse or read without going past the input; what it reads is at most one entry
// per 8 bytes, carries no unknown flag, and makes a table that translates a key without harm.
#include "platform/resources/AcceleratorTable.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ACCEL> entries;
    if (!AcceleratorTableRead(data, size, &entries)) return 0;
    if (entries.empty() || entries.size() > size / AcceleratorEntrySize) std::abort();
    for (const ACCEL& a : entries)
        if (a.fVirt & AcceleratorLastEntry) std::abort();
    HACCEL table = CreateAcceleratorTableW(entries.data(), int(entries.size()));
    MSG msg{nullptr, WM_KEYDOWN, entries[0].key, 0, 0, POINT{0, 0}};
    TranslateAcceleratorW(nullptr, table, &msg);
    DestroyAcceleratorTable(table);
    return 0;
}
