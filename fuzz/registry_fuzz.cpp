// registry_fuzz.cpp: the registry file reader on any bytes. It must never crash or hang, and a file
// it accepts must be written so that reading it again gives the same tree and the same text.
#include "platform/registry/RegistryFormat.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RegKey root;
    RegParseError error;
    if (!RegParseFile(data, size, &root, &error)) return 0;
    std::string written;
    if (!RegWriteFile(root, &written)) return 0;
    RegKey again;
    if (!RegParseFile(reinterpret_cast<const BYTE*>(written.data()), written.size(), &again, &error))
        std::abort();
    if (!RegTreesEqual(root, again)) std::abort();
    std::string rewritten;
    if (!RegWriteFile(again, &rewritten) || rewritten != written) std::abort();
    return 0;
}
