// Pixels of the shapes and copies: Rectangle's exclusive edges, pens and brushes, lines, BitBlt and
// StretchBlt (of the test resources' 1-bit bitmap), and clipping at the surface's edges.
#include "GdiTestSupport.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Surface.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The canvas as rows of characters: '.' white, '#' black, 'r' red, 'b' blue, '?' anything else.
std::string Picture(HDC dc, int width, int height) {
    std::string s;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            COLORREF c = GetPixel(dc, x, y);
            s += c == RGB(255, 255, 255) ? '.'
                 : c == 0                ? '#'
                 : c == RGB(255, 0, 0)   ? 'r'
                 : c == RGB(0, 0, 255)   ? 'b'
                                         : '?';
        }
        s += '\n';
    }
    return s;
}

} // namespace

TEST(GdiShapes, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    TestCanvas canvas(7, 6);
    HPEN red = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(canvas.Dc, red);
    HGDIOBJ oldBrush = SelectObject(canvas.Dc, blue);
    EXPECT_TRUE(Rectangle(canvas.Dc, 1, 1, 6, 5)); // right and bottom exclusive
    EXPECT_EQ(Picture(canvas.Dc, 7, 6), ".......\n"
                                        ".rrrrr.\n"
                                        ".rbbbr.\n"
                                        ".rbbbr.\n"
                                        ".rrrrr.\n"
                                        ".......\n");
    // Without a pen Win32 fills one pixel less to the right and at the bottom.
    SelectObject(canvas.Dc, GetStockObject(NULL_PEN));
    SelectObject(canvas.Dc, GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(Rectangle(canvas.Dc, 0, 0, 3, 3));
    EXPECT_EQ(Picture(canvas.Dc, 4, 3), "##..\n"
                                        "##rr\n"
                                        ".rbb\n");
    SelectObject(canvas.Dc, oldPen);
    SelectObject(canvas.Dc, oldBrush);
    DeleteObject(red);
    DeleteObject(blue);
}

TEST(GdiShapes, AOnePixelHighRuleAndReversedCorners) {
    // The pane's rule: the stock black brush and the black pen, one pixel high.
    TestCanvas canvas(8, 4);
    HGDIOBJ old = SelectObject(canvas.Dc, GetStockObject(BLACK_BRUSH));
    Rectangle(canvas.Dc, 1, 2, 7, 3);
    EXPECT_EQ(Picture(canvas.Dc, 8, 4), "........\n"
                                        "........\n"
                                        ".######.\n"
                                        "........\n");
    // Corners given in reverse order draw the same rectangle.
    TestCanvas other(8, 4);
    SelectObject(other.Dc, GetStockObject(BLACK_BRUSH));
    Rectangle(other.Dc, 7, 3, 1, 2);
    EXPECT_EQ(Picture(other.Dc, 8, 4), Picture(canvas.Dc, 8, 4));
    SelectObject(canvas.Dc, old);
    SelectObject(other.Dc, GetStockObject(WHITE_BRUSH));
}

TEST(GdiShapes, FillRectWithStockBrushesAndClipping) {
    TestCanvas canvas(4, 3);
    RECT all{-100, -100, 100, 100}; // larger than the surface: clipped, not refused
    EXPECT_EQ(FillRect(canvas.Dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
    EXPECT_EQ(GetPixel(canvas.Dc, 3, 2), RGB(0, 0, 0));
    RECT part{1, 1, 3, 2};
    FillRect(canvas.Dc, &part, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(canvas.Dc, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(Picture(canvas.Dc, 4, 3), "####\n"
                                        "#..#\n"
                                        "####\n");
    FillRect(canvas.Dc, &part, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    EXPECT_EQ(GetPixel(canvas.Dc, 1, 1), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(canvas.Dc, 4, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(canvas.Dc, -1, 0), CLR_INVALID);
    RECT huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_EQ(FillRect(canvas.Dc, &huge, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 1);
    EXPECT_EQ(GetPixel(canvas.Dc, 0, 0), RGB(255, 255, 255));
}

TEST(GdiShapes, LinesLeaveTheirLastPointOut) {
    TestCanvas canvas(5, 3);
    POINT previous{};
    MoveToEx(canvas.Dc, 0, 1, nullptr);
    EXPECT_TRUE(LineTo(canvas.Dc, 4, 1));
    MoveToEx(canvas.Dc, 2, 0, &previous);
    EXPECT_EQ(previous.x, 4);
    LineTo(canvas.Dc, 2, 3);
    EXPECT_EQ(Picture(canvas.Dc, 5, 3), "..#..\n"
                                        "####.\n"
                                        "..#..\n");
}

TEST(GdiShapes, StretchBltOfTheOneBitResourceBitmap) {
    HBITMAP box = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(201));
    ASSERT_NE(box, nullptr);
    BITMAP info{};
    GetObjectW(box, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 9);
    EXPECT_EQ(info.bmHeight, 9);
    TestCanvas canvas(20, 20);
    HDC memory = CreateCompatibleDC(canvas.Dc);
    HGDIOBJ old = SelectObject(memory, box);
    // 9 x 9 to 9 x 9, as the section tree draws its boxes.
    EXPECT_TRUE(StretchBlt(canvas.Dc, 2, 3, 9, 9, memory, 0, 0, 9, 9, SRCCOPY));
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 9; x++)
            EXPECT_EQ(GetPixel(canvas.Dc, 2 + x, 3 + y), GetPixel(memory, x, y));
    // The test picture: a black grid of four white 3 x 3 cells.
    EXPECT_EQ(Picture(memory, 9, 9), "#########\n"
                                     "#...#...#\n"
                                     "#...#...#\n"
                                     "#...#...#\n"
                                     "#########\n"
                                     "#...#...#\n"
                                     "#...#...#\n"
                                     "#...#...#\n"
                                     "#########\n");
    // Doubled: every source pixel becomes a 2 x 2 block.
    EXPECT_TRUE(StretchBlt(canvas.Dc, 0, 0, 18, 18, memory, 0, 0, 9, 9, SRCCOPY));
    for (int y = 0; y < 18; y++)
        for (int x = 0; x < 18; x++)
            EXPECT_EQ(GetPixel(canvas.Dc, x, y), GetPixel(memory, x / 2, y / 2));
    // Only SRCCOPY is drawn; other operations are refused and draw nothing.
    EXPECT_FALSE(StretchBlt(canvas.Dc, 0, 0, 9, 9, memory, 0, 0, 9, 9, 0x00EE0086));
    EXPECT_FALSE(BitBlt(canvas.Dc, 0, 0, 9, 9, nullptr, 0, 0, SRCCOPY));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(box);
}

TEST(GdiShapes, BitBltClipsAndCopiesWithinOneSurface) {
    TestCanvas canvas(6, 2);
    SetPixel(canvas.Dc, 0, 0, RGB(255, 0, 0));
    SetPixel(canvas.Dc, 1, 0, RGB(0, 0, 255));
    // Overlapping copy to the right, as scrolling does.
    EXPECT_TRUE(BitBlt(canvas.Dc, 1, 0, 4, 1, canvas.Dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Picture(canvas.Dc, 6, 1), "rrb...\n");
    // Partly outside both surfaces: the overlap is copied, nothing else.
    EXPECT_TRUE(BitBlt(canvas.Dc, -1, 1, 100, 100, canvas.Dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Picture(canvas.Dc, 6, 2), "rrb...\nrb....\n");
    EXPECT_TRUE(BitBlt(canvas.Dc, INT32_MAX, INT32_MIN, INT32_MAX, 5, canvas.Dc, INT32_MIN, 0, SRCCOPY));
    // A mirrored stretch (negative width, from the corner it includes) reverses the row.
    EXPECT_TRUE(StretchBlt(canvas.Dc, 5, 0, -6, 1, canvas.Dc, 0, 1, 6, 1, SRCCOPY));
    EXPECT_EQ(Picture(canvas.Dc, 6, 1), "....br\n");
}

TEST(GdiShapes, LoadBitmapRefusesWhatIsNotThere) {
    EXPECT_EQ(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_EQ(LoadBitmapW(GetModuleHandleW(nullptr), nullptr), nullptr);
    // An RCDATA resource is not a bitmap even under a bitmap's id.
    EXPECT_EQ(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1001)), nullptr);
}

TEST(GdiShapes, AWindowDCDrawsAtItsOriginWithinItsBoundsAndMarksWhatChanged) {
    // A framebuffer owned elsewhere, as a top-level window's; a child's DC at (10, 5).
    std::vector<uint32_t> frame(40 * 30, 0xFFFFFF);
    Surface surface;
    SurfaceWrap(&surface, frame.data(), 40, 30, 40);
    HDC dc = GdiCreateSurfaceDC(&surface, POINT{10, 5}, RECT{10, 5, 30, 25});
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(SurfaceTakeChanged(&surface).right, 0); // nothing drawn yet
    RECT everything{-50, -50, 500, 500};
    FillRect(dc, &everything, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(frame[5 * 40 + 10], 0u);        // the child's (0, 0)
    EXPECT_EQ(frame[24 * 40 + 29], 0u);       // its last pixel
    EXPECT_EQ(frame[4 * 40 + 10], 0xFFFFFFu); // above it: untouched
    EXPECT_EQ(frame[5 * 40 + 30], 0xFFFFFFu); // right of it: untouched
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 20, 0), CLR_INVALID); // outside the child
    RECT changed = SurfaceTakeChanged(&surface);
    EXPECT_EQ(changed.left, 10);
    EXPECT_EQ(changed.top, 5);
    EXPECT_EQ(changed.right, 30);
    EXPECT_EQ(changed.bottom, 25);
    SetPixel(dc, 3, 4, RGB(255, 0, 0));
    changed = SurfaceTakeChanged(&surface);
    EXPECT_EQ(changed.left, 13);
    EXPECT_EQ(changed.bottom, 10);
    // A window DC has no bitmap to exchange.
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    DeleteObject(bitmap);
    EXPECT_TRUE(DeleteDC(dc));
    SurfaceFree(&surface); // borrowed pixels stay with their owner
    EXPECT_EQ(frame[5 * 40 + 10], 0u);
}

TEST(GdiShapes, PicturesThatCannotBeWrittenOrReadAreReported) {
    TestCanvas canvas(3, 3);
    EXPECT_FALSE(PlatformWritePng(canvas.Dc, "/nonexistent-folder/x.png"));
    EXPECT_FALSE(PlatformWritePng(nullptr, "x.png"));
    EXPECT_FALSE(PlatformWritePng(canvas.Dc, nullptr));
    EXPECT_EQ(PlatformLoadPng("/nonexistent-folder/x.png"), nullptr);
    EXPECT_EQ(PlatformLoadPng(KESTROVA_TEST_DATA "/raw.bin"), nullptr); // not a PNG
    // A round trip keeps every pixel.
    SetPixel(canvas.Dc, 1, 2, RGB(10, 20, 30));
    const std::string path = ::testing::TempDir() + "gdi-roundtrip.png";
    ASSERT_TRUE(PlatformWritePng(canvas.Dc, path.c_str()));
    HBITMAP back = PlatformLoadPng(path.c_str());
    ASSERT_NE(back, nullptr);
    PlatformPixels pixels{};
    ASSERT_TRUE(PlatformGetBitmapPixels(back, &pixels));
    EXPECT_EQ(pixels.Pixels[2 * pixels.Stride + 1], 0x0A141Eu); // 0x00RRGGBB
    EXPECT_EQ(pixels.Pixels[0], 0xFFFFFFu);
    DeleteObject(back);
    std::remove(path.c_str());
}

TEST(GdiShapes, AFailedPictureWriteSaysSoAndLeavesWhatWasThere) {
    namespace fs = std::filesystem;
    TestCanvas canvas(3, 3);
    const fs::path folder = fs::path(::testing::TempDir()) / "gdi-failed-writes";
    fs::remove_all(folder);
    fs::create_directories(folder);
    // A link to a full device: a picture small enough for one buffer fails at its flush. The link
    // (and what it names) stays: a failed write removes nothing it did not make.
    if (fs::exists("/dev/full")) {
        fs::create_symlink("/dev/full", folder / "full.png");
        errno = 0;
        EXPECT_FALSE(PlatformWritePng(canvas.Dc, (folder / "full.png").c_str()));
        EXPECT_EQ(errno, ENOSPC);
        EXPECT_TRUE(fs::is_symlink(folder / "full.png"));
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    // A picture that was there stays whole when its replacement cannot be written (a limit on file
    // sizes stands in for a full disk), and no partial file is left beside it.
    const fs::path picture = folder / "kept.png";
    ASSERT_TRUE(PlatformWritePng(canvas.Dc, picture.c_str()));
    const auto size = fs::file_size(picture);
    SetPixel(canvas.Dc, 1, 1, RGB(10, 20, 30));
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        errno = 0;
        bool failed = !PlatformWritePng(canvas.Dc, picture.c_str()) && errno == EFBIG;
        _exit(failed ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(fs::exists(picture));
    EXPECT_EQ(fs::file_size(picture), size);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              1 + fs::exists(folder / "full.png"));
    fs::remove_all(folder);
}

TEST(GdiShapes, DashedPensAndLinesOfAnyLength) {
    TestCanvas canvas(30, 3);
    HPEN dash = CreatePen(PS_DASH, 0, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(canvas.Dc, dash);
    MoveToEx(canvas.Dc, 0, 1, nullptr);
    LineTo(canvas.Dc, 30, 1);
    EXPECT_EQ(Picture(canvas.Dc, 30, 3), "..............................\n"
                                         "##################......######\n"
                                         "..............................\n");
    // A line from far outside to far outside crosses the surface, and returns at once.
    SelectObject(canvas.Dc, GetStockObject(BLACK_PEN));
    MoveToEx(canvas.Dc, INT32_MIN, 2, nullptr);
    EXPECT_TRUE(LineTo(canvas.Dc, INT32_MAX, 2));
    EXPECT_EQ(Picture(canvas.Dc, 30, 3).substr(62), "##############################\n");
    // A diagonal: one pixel per column.
    TestCanvas diagonal(4, 4);
    MoveToEx(diagonal.Dc, 0, 0, nullptr);
    LineTo(diagonal.Dc, 4, 4);
    EXPECT_EQ(Picture(diagonal.Dc, 4, 4), "#...\n"
                                          ".#..\n"
                                          "..#.\n"
                                          "...#\n");
    SelectObject(canvas.Dc, old);
    DeleteObject(dash);
}
