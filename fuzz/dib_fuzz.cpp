// dib_fuzz.cpp: the device-independent bitmap decoder behind LoadBitmapW (GdiDecodeDib) on any
// bytes. It must refuse or decode without reading past the input; a decoded picture is touched
// end to end so that a wrong size shows up under the sanitizers.
#include "platform/gdi/Gdi.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DibImage image{};
    if (GdiDecodeDib(data, size, &image)) {
        uint32_t sum = 0;
        for (size_t i = 0; i < size_t(image.Width) * size_t(image.Height); i++)
            sum += image.Pixels[i];
        if (sum == 0x12345678) std::abort(); // keeps the reads from being optimised away
        std::free(image.Pixels);
    }
    return 0;
}
