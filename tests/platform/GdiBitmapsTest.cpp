// The DIB decoder behind LoadBitmapW: every depth the resources may hold, both row orders, short
// colour tables, and damaged or unsupported headers refused without reading past the bytes.
#include "GdiTestSupport.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Put32(std::vector<BYTE>& v, uint32_t x) {
    for (int i = 0; i < 4; i++)
        v.push_back(BYTE(x >> (8 * i)));
}
void Put16(std::vector<BYTE>& v, uint16_t x) {
    v.push_back(BYTE(x));
    v.push_back(BYTE(x >> 8));
}

std::vector<BYTE> InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                             uint32_t colours = 0) {
    std::vector<BYTE> v;
    Put32(v, 40);
    Put32(v, uint32_t(width));
    Put32(v, uint32_t(height));
    Put16(v, 1);
    Put16(v, bits);
    Put32(v, compression);
    Put32(v, 0);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, colours);
    Put32(v, 0);
    return v;
}

void PutColour(std::vector<BYTE>& v, BYTE r, BYTE g, BYTE b) {
    v.push_back(b);
    v.push_back(g);
    v.push_back(r);
    v.push_back(0);
}

struct Decoded {
    bool Ok;
    DibImage Image;
    ~Decoded() { std::free(Image.Pixels); }
};

} // namespace

TEST(GdiBitmaps, DecodesEveryDepthInBothRowOrders) {
    // 4-bit, top-down (negative height), 3 x 2.
    std::vector<BYTE> four = InfoHeader(3, -2, 4);
    for (int i = 0; i < 16; i++)
        PutColour(four, BYTE(i * 16), 0, BYTE(255 - i));
    for (BYTE b : {0x12, 0x30, 0, 0, 0xF0, 0xA0, 0, 0})
        four.push_back(b);
    Decoded d{};
    d.Ok = GdiDecodeDib(four.data(), four.size(), &d.Image);
    ASSERT_TRUE(d.Ok);
    EXPECT_EQ(d.Image.Width, 3);
    EXPECT_EQ(d.Image.Height, 2);
    EXPECT_EQ(d.Image.BitsPixel, 4);
    EXPECT_EQ(d.Image.Pixels[0], 0x1000FEu); // index 1, first row on top
    EXPECT_EQ(d.Image.Pixels[1], 0x2000FDu);
    EXPECT_EQ(d.Image.Pixels[2], 0x3000FCu);
    EXPECT_EQ(d.Image.Pixels[3], 0xF000F0u);

    // 24-bit, bottom-up, 1 x 2: the last row stored is the top.
    std::vector<BYTE> deep = InfoHeader(1, 2, 24);
    for (BYTE b : {1, 2, 3, 0, 4, 5, 6, 0})
        deep.push_back(b);
    Decoded e{};
    e.Ok = GdiDecodeDib(deep.data(), deep.size(), &e.Image);
    ASSERT_TRUE(e.Ok);
    EXPECT_EQ(e.Image.Pixels[0], 0x060504u);
    EXPECT_EQ(e.Image.Pixels[1], 0x030201u);

    // 16-bit with 5-6-5 bit fields.
    std::vector<BYTE> fields = InfoHeader(2, 1, 16, 3);
    Put32(fields, 0xF800);
    Put32(fields, 0x07E0);
    Put32(fields, 0x001F);
    Put16(fields, 0xF800);
    Put16(fields, 0x07E0);
    Decoded f{};
    f.Ok = GdiDecodeDib(fields.data(), fields.size(), &f.Image);
    ASSERT_TRUE(f.Ok);
    EXPECT_EQ(f.Image.Pixels[0], 0xFF0000u);
    EXPECT_EQ(f.Image.Pixels[1], 0x00FF00u);

    // The old core header with three-byte colours.
    std::vector<BYTE> core;
    Put32(core, 12);
    Put16(core, 8);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 1);
    for (BYTE b : {0, 0, 0, 255, 255, 255, 0xAA, 0, 0, 0})
        core.push_back(b);
    Decoded c{};
    c.Ok = GdiDecodeDib(core.data(), core.size(), &c.Image);
    ASSERT_TRUE(c.Ok);
    EXPECT_EQ(c.Image.Pixels[0], 0xFFFFFFu);
    EXPECT_EQ(c.Image.Pixels[1], 0u);
}

TEST(GdiBitmaps, IndexesPastAShortColourTableReadBlack) {
    std::vector<BYTE> eight = InfoHeader(2, 1, 8, 0, 2);
    PutColour(eight, 255, 0, 0);
    PutColour(eight, 0, 255, 0);
    for (BYTE b : {1, 200, 0, 0})
        eight.push_back(b);
    Decoded d{};
    d.Ok = GdiDecodeDib(eight.data(), eight.size(), &d.Image);
    ASSERT_TRUE(d.Ok);
    EXPECT_EQ(d.Image.Pixels[0], 0x00FF00u);
    EXPECT_EQ(d.Image.Pixels[1], 0u);
}

TEST(GdiBitmaps, DamagedAndUnsupportedHeadersAreRefused) {
    std::vector<BYTE> good = InfoHeader(9, 9, 1);
    PutColour(good, 0, 0, 0);
    PutColour(good, 255, 255, 255);
    good.resize(good.size() + 9 * 4, 0);
    Decoded ok{};
    ok.Ok = GdiDecodeDib(good.data(), good.size(), &ok.Image);
    EXPECT_TRUE(ok.Ok);
    // Every truncation of a good picture is refused.
    for (size_t n = 0; n < good.size(); n++) {
        DibImage image{};
        EXPECT_FALSE(GdiDecodeDib(good.data(), n, &image)) << n;
        EXPECT_EQ(image.Pixels, nullptr);
    }
    auto refused = [](std::vector<BYTE> bytes) {
        bytes.resize(bytes.size() + 4096, 0);
        DibImage image{};
        bool result = GdiDecodeDib(bytes.data(), bytes.size(), &image);
        std::free(image.Pixels);
        return !result;
    };
    EXPECT_TRUE(refused(InfoHeader(0, 4, 8)));                   // no width
    EXPECT_TRUE(refused(InfoHeader(4, 0, 8)));                   // no height
    EXPECT_TRUE(refused(InfoHeader(-4, 4, 8)));                  // negative width
    EXPECT_TRUE(refused(InfoHeader(4, INT32_MIN, 8)));           // a height that cannot be negated
    EXPECT_TRUE(refused(InfoHeader(SurfaceMaxSide + 1, 1, 24))); // too large
    EXPECT_TRUE(refused(InfoHeader(4, 4, 3)));                   // no such depth
    EXPECT_TRUE(refused(InfoHeader(4, 4, 8, 1)));                // run-length coded
    EXPECT_TRUE(refused(InfoHeader(4, 4, 8, 3)));                // bit fields on 8 bits
    EXPECT_TRUE(refused(InfoHeader(4, 4, 24, 0, 0xFFFFFFFF)));   // a table larger than the bytes
    std::vector<BYTE> shortHeader = InfoHeader(4, 4, 8);
    shortHeader[0] = 20; // a header size no format has
    EXPECT_TRUE(refused(shortHeader));
    DibImage image{};
    EXPECT_FALSE(GdiDecodeDib(nullptr, 100, &image));
}
