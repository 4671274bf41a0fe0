// GdiDib.cpp: the decoder of device-independent bitmaps as resources store them (RT_BITMAP: a
// BITMAPINFOHEADER or BITMAPCOREHEADER, the colour table, then the rows, bottom row first unless
// the height is negative). Depths 1, 4, 8, 16, 24 and 32 without compression (and 16/32 with bit
// fields) are read; every read is checked against the size given. The bytes come from outside the
// program, so nothing here trusts a field: fuzz/dib_fuzz.cpp runs this function on any input.
#include "platform/gdi/Gdi.h"

#include <cstdlib>

namespace {

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD CoreHeaderSize = 12;
constexpr DWORD InfoHeaderSize = 40;

DWORD U32(const BYTE* p) {
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
WORD U16(const BYTE* p) {
    return WORD(p[0] | p[1] << 8);
}

struct DibHeader {
    int64_t Width, Height; // Height > 0: bottom row first
    WORD Bits;
    DWORD Compression;
    size_t PaletteOffset, PaletteCount, PaletteEntrySize;
    DWORD Masks[3];
};

// A channel from a bit field mask, scaled to 0..255.
uint32_t MaskedChannel(DWORD value, DWORD mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        shift++;
    DWORD max = mask >> shift;
    return uint32_t((uint64_t(value & mask) >> shift) * 255 / max);
}

bool ReadHeader(const BYTE* data, size_t size, DibHeader* h) {
    if (size < 4) return false;
    DWORD headerSize = U32(data);
    if (headerSize == CoreHeaderSize) {
        if (size < CoreHeaderSize) return false;
        *h = DibHeader{U16(data + 4), U16(data + 6), U16(data + 10), BI_RGB, CoreHeaderSize, 0, 3, {}};
    } else {
        if (headerSize < InfoHeaderSize || headerSize > size) return false;
        *h = DibHeader{int32_t(U32(data + 4)),
                       int32_t(U32(data + 8)),
                       U16(data + 14),
                       U32(data + 16),
                       headerSize,
                       U32(data + 32),
                       4,
                       {}};
    }
    if (h->Compression == BI_BITFIELDS) {
        if ((h->Bits != 16 && h->Bits != 32) || h->PaletteOffset + 12 > size) return false;
        for (int i = 0; i < 3; i++)
            h->Masks[i] = U32(data + h->PaletteOffset + 4 * i);
        if (headerSize == InfoHeaderSize) h->PaletteOffset += 12; // the masks follow the header
        h->PaletteCount = 0;
    } else if (h->Compression != BI_RGB) {
        return false; // run-length and embedded formats are not used by the reader's resources
    }
    if (h->Bits != 1 && h->Bits != 4 && h->Bits != 8 && h->Bits != 16 && h->Bits != 24 && h->Bits != 32)
        return false;
    if (h->Bits <= 8 && (h->PaletteCount == 0 || h->PaletteCount > (size_t(1) << h->Bits)))
        h->PaletteCount = size_t(1) << h->Bits;
    // Deeper pixels may still carry an (unused) colour table, which the rows follow.
    if (h->Compression == BI_RGB && h->Bits == 16)
        h->Masks[0] = 0x7C00, h->Masks[1] = 0x03E0, h->Masks[2] = 0x001F;
    int64_t height = h->Height < 0 ? -h->Height : h->Height;
    return h->Width > 0 && height > 0 && h->Width <= SurfaceMaxSide && height <= SurfaceMaxSide;
}

uint32_t ReadPixel(const DibHeader& h, const BYTE* row, int64_t x, const uint32_t* palette) {
    switch (h.Bits) {
    case 1:
        return palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
    case 8:
        return palette[row[x]];
    case 16: {
        DWORD v = U16(row + 2 * x);
        return MaskedChannel(v, h.Masks[0]) << 16 | MaskedChannel(v, h.Masks[1]) << 8 |
               MaskedChannel(v, h.Masks[2]);
    }
    case 24:
        return uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
    default: {
        DWORD v = U32(row + 4 * x);
        if (h.Compression == BI_BITFIELDS)
            return MaskedChannel(v, h.Masks[0]) << 16 | MaskedChannel(v, h.Masks[1]) << 8 |
                   MaskedChannel(v, h.Masks[2]);
        return v & 0x00FFFFFF;
    }
    }
}

} // namespace

bool GdiDecodeDib(const BYTE* data, size_t size, DibImage* image) {
    *image = DibImage{};
    DibHeader h{};
    if (data == nullptr || !ReadHeader(data, size, &h)) return false;
    uint32_t palette[256] = {}; // indexes past the table read black
    size_t paletteBytes = h.PaletteCount * h.PaletteEntrySize;
    if (h.PaletteOffset + paletteBytes > size) return false;
    for (size_t i = 0; h.Bits <= 8 && i < h.PaletteCount; i++) {
        const BYTE* e = data + h.PaletteOffset + i * h.PaletteEntrySize;
        palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
    }
    const int64_t height = h.Height < 0 ? -h.Height : h.Height;
    const size_t stride = size_t((h.Width * h.Bits + 31) / 32) * 4;
    const size_t bitsOffset = h.PaletteOffset + paletteBytes;
    if (bitsOffset > size || (size - bitsOffset) / stride < size_t(height)) return false;
    auto* pixels = static_cast<uint32_t*>(std::malloc(size_t(h.Width) * size_t(height) * sizeof(uint32_t)));
    if (pixels == nullptr) return false;
    for (int64_t y = 0; y < height; y++) {
        int64_t stored = h.Height < 0 ? y : height - 1 - y;
        const BYTE* row = data + bitsOffset + size_t(stored) * stride;
        for (int64_t x = 0; x < h.Width; x++)
            pixels[size_t(y) * size_t(h.Width) + size_t(x)] = ReadPixel(h, row, x, palette);
    }
    *image = DibImage{int(h.Width), int(height), h.Bits, pixels};
    return true;
}
