// The keyboard picture against the search dialog's hit test: every key the hit test can report
// shows its letter (the generator's glyph for KEYBOARD_LETTERS[k - 1]) inside the cell the hit test
// maps to it, the space bar shows ink only where the hit test gives the space, and the places that
// are no key stay blank.
#include "tests/resources/ResourceScriptSupport.h"
#include "tools/bitmaps/HebrewGlyphs.h"

namespace {

struct Picture {
    std::vector<uint32_t> Pixels;
    int Width = 0, Height = 0;
    bool Ink(int x, int y) const { return (Pixels[size_t(y) * size_t(Width) + size_t(x)] & 0xFFFFFF) == 0; }
};

Picture LoadKeyboard(HMODULE module) {
    Picture picture;
    HBITMAP bitmap = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_KEYBOARD));
    PlatformPixels pixels{};
    if (bitmap == nullptr || !PlatformGetBitmapPixels(bitmap, &pixels)) return picture;
    picture.Width = pixels.Width;
    picture.Height = pixels.Height;
    for (int y = 0; y < pixels.Height; y++)
        for (int x = 0; x < pixels.Width; x++)
            picture.Pixels.push_back(pixels.Pixels[size_t(y) * size_t(pixels.Stride) + size_t(x)]);
    DeleteObject(bitmap);
    return picture;
}

// Whether the glyph of code stands, ink for ink and paper for paper, somewhere in the rectangle.
bool GlyphInCell(const Picture& picture, int left, int top, int width, int height, char code) {
    for (int oy = 0; oy + HebrewGlyphRows <= height; oy++)
        for (int ox = 0; ox + HebrewGlyphWidth <= width; ox++) {
            bool match = true;
            for (int y = 0; y < HebrewGlyphRows && match; y++)
                for (int x = 0; x < HebrewGlyphWidth && match; x++)
                    match = picture.Ink(left + ox + x, top + oy + y) == HebrewGlyphInk(code, x, y);
            if (match) return true;
        }
    return false;
}

bool AnyInk(const Picture& picture, int left, int top, int right, int bottom) {
    for (int y = top; y <= bottom; y++)
        for (int x = left; x <= right; x++)
            if (picture.Ink(x, y)) return true;
    return false;
}

} // namespace

TEST_P(ResourceScript, KeyboardShowsEachLetterWhereTheHitTestFindsIt) {
    Picture picture = LoadKeyboard(Module());
    ASSERT_EQ(picture.Width, KEYBOARD_WIDTH);
    ASSERT_EQ(picture.Height, KEYBOARD_HEIGHT);
    const char* letters = KEYBOARD_LETTERS;
    for (int row = 0; row < 3; row++)
        for (int col = 0; col < KEYBOARD_KEYS_PER_ROW; col++) {
            int k = (row + 1) * KEYBOARD_KEYS_PER_ROW - col; // the hit test's key number
            SCOPED_TRACE(testing::Message() << "key " << k << " at row " << row << ", col " << col);
            EXPECT_TRUE(GlyphInCell(picture, col * KEYBOARD_KEY_WIDTH, row * KEYBOARD_KEY_HEIGHT,
                                    KEYBOARD_KEY_WIDTH, KEYBOARD_KEY_HEIGHT, letters[k - 1]));
        }
    // The top-right key is alef and the bottom-left one tav.
    EXPECT_EQ(letters[0], 'a');
    EXPECT_EQ(letters[26], '{');
    // Row 3: the space bar over columns 2 to 6, nothing where the hit test finds no key.
    int top = 3 * KEYBOARD_KEY_HEIGHT;
    int spaceLeft = KEYBOARD_SPACE_FIRST_COLUMN * KEYBOARD_KEY_WIDTH;
    int spaceRight = (KEYBOARD_SPACE_LAST_COLUMN + 1) * KEYBOARD_KEY_WIDTH - 1;
    EXPECT_TRUE(AnyInk(picture, spaceLeft, top, spaceRight, KEYBOARD_HEIGHT - 1));
    EXPECT_FALSE(AnyInk(picture, 0, top, spaceLeft - 1, KEYBOARD_HEIGHT - 1));
    EXPECT_FALSE(AnyInk(picture, spaceRight + 1, top, KEYBOARD_WIDTH - 1, KEYBOARD_HEIGHT - 1));
    // The last column lies beyond the nine keys of each row.
    EXPECT_FALSE(AnyInk(picture, KEYBOARD_WIDTH - 1, 0, KEYBOARD_WIDTH - 1, KEYBOARD_HEIGHT - 1));
}
