// string_table_fuzz.cpp: the string-table block reader (ResFindStringInBlock) on any bytes, for
// every index: a string found lies wholly inside the block.
#include "platform/resources/ResourceTemplates.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (unsigned index = 0; index < 17; index++) {
        const WCHAR* text = nullptr;
        int length = 0;
        if (!ResFindStringInBlock(data, size, index, &text, &length)) continue;
        const uint8_t* start = reinterpret_cast<const uint8_t*>(text);
        if (start < data || start + size_t(length) * 2 > data + size) std::abort();
        unsigned sum = 0;
        for (int i = 0; i < length; i++)
            sum += start[2 * i] | start[2 * i + 1] << 8; // read bytewise: the block may be unaligned
        if (sum == 0x12345678) std::abort();
    }
    return 0;
}
