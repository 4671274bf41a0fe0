// script_fuzz.cpp: the headless script reader (ScriptParse) on any bytes. It must refuse with a
// message naming a line, or give commands that each have a name and a line within the text.
#include "platform/backend/headless/Headless.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    ScriptProgram program;
    std::string error;
    if (!ScriptParse("f", text, &program, &error)) {
        if (error.rfind("f:", 0) != 0) std::abort();
        return 0;
    }
    // A line is at most one more than the text's line breaks and ';' separators together.
    long limit = 1 + long(std::count(text.begin(), text.end(), '\n')) +
                 long(std::count(text.begin(), text.end(), ';'));
    for (const ScriptCommand& c : program.Commands)
        if (c.Name.empty() || c.Line < 1 || c.Line > limit) std::abort();
    return 0;
}
