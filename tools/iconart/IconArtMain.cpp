// IconArtMain.cpp: kestrova-iconart OUTDIR [--sheet FILE SCALE]: draws the program's icon and
// writes OUTDIR/kestrova.ico (16, 32 and 48 pixels: the resource script's icon 101),
// OUTDIR/hicolor/NxN/apps/kestrova.png for every size desktops ask for, and
// OUTDIR/hicolor/scalable/apps/kestrova.svg. --sheet also writes every size magnified, side by
// side, for looking at them. The build runs this; its output depends on nothing else.
#include "IconArt.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr int PngSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int IcoSizes[] = {16, 32, 48};
constexpr int SvgSize = 256;
constexpr const char* IconName = "kestrova";

// Makes every folder of path (like mkdir -p); false when one cannot be made.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

bool Fail(const std::string& what) {
    std::fprintf(stderr, "kestrova-iconart: cannot write %s\n", what.c_str());
    return false;
}

bool WriteThemeIcons(const std::string& out) {
    for (int size : PngSizes) {
        std::string folder = out + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::string file = folder + "/" + IconName + ".png";
        if (!MakeFolders(folder) || !WritePng(DrawBook(LayoutBook(size)), file)) return Fail(file);
    }
    std::string folder = out + "/hicolor/scalable/apps", file = folder + "/" + IconName + ".svg";
    if (!MakeFolders(folder)) return Fail(folder);
    FILE* svg = std::fopen(file.c_str(), "wb");
    if (svg == nullptr) return Fail(file);
    std::string text = BookSvg(LayoutBook(SvgSize));
    bool wrote = std::fwrite(text.data(), 1, text.size(), svg) == text.size();
    return std::fclose(svg) == 0 && wrote ? true : Fail(file);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 5 && std::strcmp(argv[2], "--sheet") == 0)) {
        std::fprintf(stderr, "usage: kestrova-iconart OUTDIR [--sheet FILE SCALE]\n");
        return 2;
    }
    std::string out = argv[1];
    if (!MakeFolders(out)) return Fail(out), 1;
    std::vector<Canvas> ico;
    for (int size : IcoSizes)
        ico.push_back(DrawBook(LayoutBook(size)));
    std::string icoFile = out + "/" + IconName + ".ico";
    if (!WriteIco(ico, icoFile)) return Fail(icoFile), 1;
    if (!WriteThemeIcons(out)) return 1;
    if (argc == 5) {
        std::vector<Canvas> all;
        for (int size : PngSizes)
            all.push_back(DrawBook(LayoutBook(size)));
        int scale = std::atoi(argv[4]);
        if (scale < 1 || scale > 16 || !WritePng(ContactSheet(all, scale), argv[3])) return Fail(argv[3]), 1;
    }
    return 0;
}
