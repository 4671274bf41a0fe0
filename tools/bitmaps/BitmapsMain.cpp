// BitmapsMain.cpp: kestrova-bitmaps OUTDIR writes the reader's bitmaps as .bmp files into OUTDIR,
// under the names resources/kestrova.rc includes. Exit status 1 when a file cannot be written.
#include "tools/bitmaps/Pictures.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrova-bitmaps OUTDIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const std::vector<uint32_t> mono = {0x000000, 0xFFFFFF};
    bool ok = WriteBmp(dir + "keyboard.bmp", DrawKeyboard(), 1, mono);
    ok = WriteBmp(dir + "logo.bmp", DrawLogo(), 1, mono) && ok;
    ok = WriteBmp(dir + "tree_closed.bmp", DrawTreeBox(0), 1, mono) && ok;
    ok = WriteBmp(dir + "tree_open.bmp", DrawTreeBox(1), 1, mono) && ok;
    ok = WriteBmp(dir + "tree_leaf.bmp", DrawTreeBox(2), 1, mono) && ok;
    ok = WriteBmp(dir + "toolbar.bmp", DrawToolStrip(), 4, ToolPalette) && ok;
    if (!ok) {
        std::fprintf(stderr, "kestrova-bitmaps: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
