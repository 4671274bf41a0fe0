// accelerator_table_fuzz.cpp: the accelerator table reader (ResParseAccelerators) on any bytes:
// a table is read up to its entry marked last, never past the input.
#include "platform/resources/ResourceTemplates.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ResAccelerator> keys;
    if (ResParseAccelerators(data, size, &keys) && (keys.empty() || keys.size() * 8 > size)) std::abort();
    return 0;
}
