// main.cpp: the program entry. The reader's own options (--help, --version, --registry) are taken
// first; the platform then parses its options (--headless, --script, -e), chooses the backend and
// runs the reader's entry with the module instance and the rest of the command line.
#include "ReaderOptions.h"
#include "platform/Win32.h"
#include "shell/MainWindow.h"

int main(int argc, char** argv) {
    if (int code = 0; ReaderHandleOptions(&argc, argv, &code)) return code;
    return PlatformRunProgram(argc, argv, ReaderMain);
}
