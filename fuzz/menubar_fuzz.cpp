// menubar_fuzz.cpp: the handheld shell's menu-bar resource reader (ResParseMenuBar) on any bytes:
// it must refuse a button count its bytes cannot hold and never read past them.
#include "platform/resources/ResourceTemplates.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResMenuBar bar;
    if (!ResParseMenuBar(data, size, &bar)) return 0;
    if (4 + bar.Buttons.size() * 14 > size) std::abort(); // more buttons than the bytes hold
    return 0;
}
