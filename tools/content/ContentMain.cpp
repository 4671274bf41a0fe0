// ContentMain.cpp: kestrova-content, the content compiler's command line.
//     kestrova-content CONTENT_FOLDER OUT_FOLDER
// Exit status 0 when everything was written, 1 for bad sources (nothing written), 2 when the
// output could not be written, 3 for a bad command line.
#include "content/ContentCompiler.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrova-content CONTENT_FOLDER OUT_FOLDER\n"
                             "Compiles texts/001.txt-250.txt and index.txt into OUT_FOLDER/content.rc and\n"
                             "OUT_FOLDER/content/*.bin (resources 1001-1250 and 32767).\n");
        return 3;
    }
    std::string errors;
    ContentResult result = CompileContent(argv[1], argv[2], &errors);
    std::fputs(errors.c_str(), stderr);
    return int(result);
}
