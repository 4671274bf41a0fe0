// Handles, selection, deletion, stock objects, DC state and the device's values.
#include "GdiTestSupport.h"
#include "platform/gdi/Surface.h"

#include <gtest/gtest.h>

TEST(GdiObjects, SelectObjectReturnsWhatItReplaces) {
    TestCanvas canvas(8, 8);
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ firstPen = SelectObject(canvas.Dc, pen);
    EXPECT_EQ(firstPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(canvas.Dc, GetStockObject(WHITE_PEN)), pen);
    EXPECT_EQ(SelectObject(canvas.Dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(canvas.Dc, GetStockObject(BLACK_BRUSH)), brush);
    EXPECT_EQ(SelectObject(canvas.Dc, GetStockObject(DEFAULT_GUI_FONT)), GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(GdiObjects, DeletedAndMadeUpHandlesAreRefused) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(brush, nullptr);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush));              // twice
    HBRUSH reused = CreateSolidBrush(RGB(4, 5, 6)); // may take the same slot: the old handle stays dead
    EXPECT_NE(reused, brush);
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(uintptr_t(0x12345678))));
    EXPECT_EQ(SelectObject(nullptr, reused), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, brush), nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(CreateCompatibleDC(dc), nullptr); // a deleted DC is no model for a new one
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
    EXPECT_FALSE(Rectangle(dc, 0, 0, 1, 1));
    EXPECT_EQ(FillRect(dc, nullptr, reused), 0);
    EXPECT_TRUE(DeleteObject(reused));
    // A DC handle is not an object for DeleteObject, and an object is not a DC.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(other));
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(GetStockObject(WHITE_BRUSH))));
    EXPECT_TRUE(DeleteDC(other));
}

TEST(GdiObjects, StockObjectsSurviveDeletionAndSelectedObjectsAreKept) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    EXPECT_TRUE(DeleteObject(white)); // a no-op, as in Win32
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(99), nullptr);
    for (int index : {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN,
                      BLACK_PEN, NULL_PEN, SYSTEM_FONT, DEFAULT_GUI_FONT})
        EXPECT_NE(GetStockObject(index), nullptr) << index;

    TestCanvas canvas(4, 4);
    HFONT font = MakeTestFont(u"David CLM", 16);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    EXPECT_FALSE(DeleteObject(font)); // selected: refused
    EXPECT_FALSE(DeleteObject(canvas.Bitmap));
    SelectObject(canvas.Dc, old);
    EXPECT_TRUE(DeleteObject(font));
}

TEST(GdiObjects, ABitmapIsSelectedIntoOneDCAtATime) {
    TestCanvas canvas(4, 4);
    HDC second = CreateCompatibleDC(canvas.Dc);
    EXPECT_EQ(SelectObject(second, canvas.Bitmap), nullptr);
    HBITMAP own = CreateCompatibleBitmap(second, 2, 2);
    HGDIOBJ stock = SelectObject(second, own);
    EXPECT_NE(stock, nullptr);
    // Deleting the DC releases its bitmap, which can then be deleted.
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_TRUE(DeleteObject(own));
}

TEST(GdiObjects, BitmapSizes) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 5, -1), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, SurfaceMaxSide + 1, 1), nullptr);
    HBITMAP empty = CreateCompatibleBitmap(dc, 0, 7); // Win32: a 1 x 1 bitmap
    BITMAP info{};
    ASSERT_EQ(GetObjectW(empty, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 1);
    EXPECT_EQ(info.bmHeight, 1);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 30, 20);
    ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 30);
    EXPECT_EQ(info.bmHeight, 20);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(GetObjectW(bitmap, 3, &info), 0); // too small a buffer
    PlatformPixels pixels{};
    ASSERT_TRUE(PlatformGetBitmapPixels(bitmap, &pixels));
    EXPECT_EQ(pixels.Pixels[0], 0u); // zero-filled: black
    EXPECT_TRUE(DeleteObject(empty));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiObjects, GetObjectGivesTheFontAsCreated) {
    HFONT font = MakeTestFont(u"Frank Ruehl CLM", -13, FW_BOLD, 1);
    LOGFONTW log{};
    EXPECT_EQ(GetObjectW(font, 0, nullptr), int(sizeof(LOGFONTW)));
    ASSERT_EQ(GetObjectW(font, sizeof log, &log), int(sizeof log));
    EXPECT_EQ(log.lfHeight, -13);
    EXPECT_EQ(log.lfWeight, FW_BOLD);
    EXPECT_EQ(log.lfUnderline, 1);
    EXPECT_EQ(std::u16string(log.lfFaceName), u"Frank Ruehl CLM");
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(GetObjectW(font, sizeof log, &log), 0);
}

TEST(GdiObjects, StateSettersReturnThePreviousValue) {
    TestCanvas canvas(2, 2);
    EXPECT_EQ(GetTextColor(canvas.Dc), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(canvas.Dc, RGB(0, 0, 128)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(canvas.Dc, RGB(255, 0, 0)), RGB(0, 0, 128));
    EXPECT_EQ(GetBkColor(canvas.Dc), RGB(255, 255, 255));
    EXPECT_EQ(SetBkColor(canvas.Dc, RGB(255, 255, 0)), RGB(255, 255, 255));
    EXPECT_EQ(GetBkMode(canvas.Dc), OPAQUE);
    EXPECT_EQ(SetBkMode(canvas.Dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(canvas.Dc, 7), 0); // not a mode: refused, mode kept
    EXPECT_EQ(SetBkMode(canvas.Dc, OPAQUE), TRANSPARENT);
}

TEST(GdiObjects, DeviceValues) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), PlatformPixelsPerInch);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), PlatformPixelsPerInch);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSY), 0);
    EXPECT_GT(GetSystemMetrics(SM_CXVSCROLL), 0);
    EXPECT_GT(GetSystemMetrics(SM_CXEDGE), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
    EXPECT_EQ(GetSystemMetrics(-5), 0);
    LONG units = GetDialogBaseUnits();
    EXPECT_GT(LOWORD(units), 3);
    EXPECT_LT(LOWORD(units), 20);
    EXPECT_GT(HIWORD(units), 8);
    EXPECT_LT(HIWORD(units), 40);
    EXPECT_TRUE(DeleteDC(dc));
}
