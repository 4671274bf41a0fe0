// menu_template_fuzz.cpp: the menu template reader (ResParseMenu, standard and extended) on any
// bytes. It must refuse or read without leaving the input or nesting deeper than its limit; the
// tree it read is walked to every item.
#include "platform/resources/ResourceTemplates.h"

#include <cstdlib>

namespace {

size_t Walk(const std::vector<ResMenuItem>& items, int depth) {
    if (depth > ResMenuMaxDepth + 1) std::abort(); // the reader promised to refuse this
    size_t sum = 0;
    for (const ResMenuItem& item : items)
        sum += item.Id + item.Text.size() + Walk(item.Items, depth + 1);
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResMenu menu;
    if (ResParseMenu(data, size, &menu) && Walk(menu.Items, 0) == 0x12345678) std::abort();
    return 0;
}
