// Pictures.cpp: the keyboard picture, the logo and the tree boxes, all one bit per pixel. The
// keyboard's grid follows the search dialog's hit test (resources/ResourceIds.h): key k of row r
// sits in column (r + 1) * 9 - k, counted from the left, so key 1 is the top-right one.
#include "tools/bitmaps/Pictures.h"
#include "resources/ResourceIds.h"
#include "tools/bitmaps/HebrewGlyphs.h"

namespace {

void StampGlyph(BmpCanvas* canvas, int x, int y, char code) {
    for (int gy = 0; gy < HebrewGlyphRows; gy++)
        for (int gx = 0; gx < HebrewGlyphWidth; gx++)
            if (HebrewGlyphInk(code, gx, gy)) PutPixel(canvas, x + gx, y + gy, Ink);
}

// A key's outline with its corners cut, inset one pixel from its cell so neighbours keep a gap.
void DrawKeyCap(BmpCanvas* canvas, int left, int top, int right, int bottom) {
    DrawLine(canvas, left + 1, top, right - 1, top, Ink);
    DrawLine(canvas, left + 1, bottom, right - 1, bottom, Ink);
    DrawLine(canvas, left, top + 1, left, bottom - 1, Ink);
    DrawLine(canvas, right, top + 1, right, bottom - 1, Ink);
}

// Draws a line of letter codes left to right, in the order given (the caller passes display order).
void StampWord(BmpCanvas* canvas, int x, int y, const char* codes, int spacing) {
    for (int i = 0; codes[i] != 0; i++)
        StampGlyph(canvas, x + i * (HebrewGlyphWidth + spacing), y, codes[i]);
}

} // namespace

BmpCanvas DrawKeyboard() {
    BmpCanvas canvas = MakeCanvas(KEYBOARD_WIDTH, KEYBOARD_HEIGHT, Paper);
    const char* letters = KEYBOARD_LETTERS;
    for (int k = 1; k <= 3 * KEYBOARD_KEYS_PER_ROW; k++) {
        int row = (k - 1) / KEYBOARD_KEYS_PER_ROW;
        int col = (row + 1) * KEYBOARD_KEYS_PER_ROW - k;
        int x0 = col * KEYBOARD_KEY_WIDTH, y0 = row * KEYBOARD_KEY_HEIGHT;
        DrawKeyCap(&canvas, x0 + 1, y0 + 1, x0 + KEYBOARD_KEY_WIDTH - 2, y0 + KEYBOARD_KEY_HEIGHT - 2);
        // The glyph's body sits in the middle of the key; ascender and descenders have room.
        int gx = x0 + (KEYBOARD_KEY_WIDTH - HebrewGlyphWidth) / 2;
        int gy = y0 + (KEYBOARD_KEY_HEIGHT - HebrewGlyphBodyRows) / 2 - HebrewGlyphBodyTop;
        StampGlyph(&canvas, gx, gy, letters[k - 1]);
    }
    // The space bar spans its columns of the fourth row, with the usual open-box sign for space.
    int left = KEYBOARD_SPACE_FIRST_COLUMN * KEYBOARD_KEY_WIDTH;
    int right = (KEYBOARD_SPACE_LAST_COLUMN + 1) * KEYBOARD_KEY_WIDTH - 1;
    int top = 3 * KEYBOARD_KEY_HEIGHT;
    DrawKeyCap(&canvas, left + 1, top + 1, right - 1, KEYBOARD_HEIGHT - 2);
    int mid = (left + right) / 2, base = top + 12;
    FillBox(&canvas, mid - 12, base, mid + 12, base + 1, Ink);
    FillBox(&canvas, mid - 12, base - 5, mid - 11, base + 1, Ink);
    FillBox(&canvas, mid + 11, base - 5, mid + 12, base + 1, Ink);
    return canvas;
}

BmpCanvas DrawLogo() {
    BmpCanvas canvas = MakeCanvas(63, 40, Paper);
    // Above the book the program's name, below it the publisher's, in display order (the
    // rightmost letter is read first).
    StampWord(&canvas, 0, 1 - HebrewGlyphBodyTop, "ebfyirx", 1);
    StampWord(&canvas, 2, 30 - HebrewGlyphBodyTop, "eqdyfa", 2);
    // The open book: two pages rising from the spine, each with a few lines of text.
    const int spine = 31, top = 17, bottom = 28;
    for (int side = -1; side <= 1; side += 2) {
        int outer = spine + side * 25, crest = spine + side * 12;
        DrawLine(&canvas, spine, top, crest, top - 3, Ink);
        DrawLine(&canvas, crest, top - 3, outer, top - 1, Ink);
        DrawLine(&canvas, spine, bottom, crest, bottom - 3, Ink);
        DrawLine(&canvas, crest, bottom - 3, outer, bottom - 1, Ink);
        DrawLine(&canvas, outer, top - 1, outer, bottom - 1, Ink);
        for (int line = 0; line < 3; line++) {
            int y = top + 1 + line * 3;
            DrawLine(&canvas, spine + side * 3, y, crest, y - 2, Ink);
            DrawLine(&canvas, crest, y - 2, outer - side * 3, y, Ink);
        }
    }
    DrawLine(&canvas, spine, top, spine, bottom, Ink);
    return canvas;
}

BmpCanvas DrawTreeBox(int which) {
    static const char* const closed[9] = {"#########", "#.......#", "#...#...#", "#...#...#", "#.#####.#",
                                          "#...#...#", "#...#...#", "#.......#", "#########"};
    static const char* const open[9] = {"#########", "#.......#", "#.......#", "#.......#", "#.#####.#",
                                        "#.......#", "#.......#", "#.......#", "#########"};
    static const char* const leaf[9] = {".#####...", ".#...##..", ".#...#.#.", ".#...####", ".#.###..#",
                                        ".#......#", ".#.####.#", ".#......#", ".########"};
    BmpCanvas canvas = MakeCanvas(9, 9, Paper);
    StampArt(&canvas, 0, 0, which == 0 ? closed : which == 1 ? open : leaf, 9, "#");
    return canvas;
}
