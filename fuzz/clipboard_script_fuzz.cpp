// clipboard_script_fuzz.cpp: the script driver's clipboard command on any lines. It must never
// crash or hang; a command that succeeds leaves a clipboard that prints, and one that fails leaves
// the clipboard printing as it did before.
#include "platform/user/ClipboardScript.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string before, error;
    if (!ClipboardScriptLine("", &before, &error)) std::abort();
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(start, end - start), output, after;
        bool done = ClipboardScriptLine(line, &output, &error);
        if (!ClipboardScriptLine("", &after, &error)) std::abort();
        bool printing = line.empty() || line.rfind("hex", 0) == 0;
        if (!done && !printing && after != before) std::abort();
        before = after;
        start = end + 1;
    }
    return 0;
}
