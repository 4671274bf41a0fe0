// main.cpp: the program entry. The platform parses its own options (--headless, --script, -e),
// chooses the backend and runs the reader's entry with the module instance and the command line.
#include "platform/Win32.h"
#include "shell/MainWindow.h"

int main(int argc, char** argv) {
    return PlatformRunProgram(argc, argv, ReaderMain);
}
