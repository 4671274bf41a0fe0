// ReaderOptions.cpp: the reader's command-line options. The platform's own options (--headless,
// --script FILE, -e COMMANDS) and anything else pass through untouched: the platform reads its
// own and hands the rest to the reader as its command line. The version comes from the build
// (KESTROVA_VERSION, the project's version), so it is written in one place.
#include "ReaderOptions.h"

#include "platform/Win32Registry.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#ifndef KESTROVA_VERSION
#error "KESTROVA_VERSION comes from the build (app/CMakeLists.txt)"
#endif

namespace {

constexpr const char* RegistryOption = "--registry";
constexpr const char* RegistryEnvironment = "KESTROVA_REGISTRY";
constexpr int ExitUsage = 2;
constexpr int ExitWriteFailed = 1;

constexpr const char* UsageText =
    "Usage: kestrova [OPTION]...\n"
    "Reads the study text and its commentary in a window.\n"
    "\n"
    "Reader options:\n"
    "  --help            show this text and exit\n"
    "  --version         show the version and exit\n"
    "  --registry FILE   keep the settings in FILE instead of\n"
    "                    $XDG_CONFIG_HOME/kestrova/registry.reg (also: KESTROVA_REGISTRY=FILE)\n"
    "\n"
    "Platform options:\n"
    "  --headless        run without a window (also when no display exists)\n"
    "  --script FILE     run the script commands in FILE\n"
    "  -e 'CMD; CMD'     run the given script commands, for example\n"
    "                    -e 'screenshot out.png; quit'\n"
    "\n"
    "Keys: arrows Left/Right step through the articles, Up/Down/Page Up/Page Down/Home/End scroll,\n"
    "Ctrl+D index, Alt+F3 search, F3 search again, Ctrl+F font, Ctrl+C copy, Ctrl+Q quit.\n"
    "See kestrova(1).\n";

// Platform options whose next argument is their value, which must not be read as an option.
bool TakesValue(const char* arg) {
    return std::strcmp(arg, "--script") == 0 || std::strcmp(arg, "-e") == 0;
}

// Prints text; a failed write (a closed or full standard output) is an error, not success.
int PrintAndFinish(FILE* out, const char* text) {
    std::fputs(text, out);
    return std::fflush(out) == 0 && !std::ferror(out) ? 0 : ExitWriteFailed;
}

// Makes the registry layer use path from the next call on; relative paths are taken from the
// current folder now, so a later change of folder does not move the settings.
bool SelectRegistry(const char* path, FILE* err) {
    if (path == nullptr || path[0] == 0) {
        std::fprintf(err, "kestrova: %s needs a file name\nTry 'kestrova --help'.\n", RegistryOption);
        return false;
    }
    std::string full = path;
    if (path[0] != '/') {
        char folder[PATH_MAX];
        if (getcwd(folder, sizeof folder) != nullptr) full = std::string(folder) + "/" + path;
    }
    // The environment too, so a reset of the registry without a path still finds this file.
    setenv(RegistryEnvironment, full.c_str(), 1);
    PlatformResetRegistry(full.c_str());
    return true;
}

} // namespace

const char* ReaderVersionText() {
    return "kestrova " KESTROVA_VERSION;
}

bool ReaderHandleOptionsTo(int* argc, char** argv, int* exitCode, FILE* out, FILE* err) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) { // the end of options: the rest is the platform's as it is
            while (i < *argc)
                argv[kept++] = argv[i++];
            break;
        }
        if (TakesValue(arg) && i + 1 < *argc) {
            argv[kept++] = argv[i];
            argv[kept++] = argv[++i];
            continue;
        }
        if (std::strcmp(arg, "--help") == 0) {
            *exitCode = PrintAndFinish(out, UsageText);
            return true;
        }
        if (std::strcmp(arg, "--version") == 0) {
            *exitCode = PrintAndFinish(out, (std::string(ReaderVersionText()) + "\n").c_str());
            return true;
        }
        size_t nameLength = std::strlen(RegistryOption);
        if (std::strncmp(arg, RegistryOption, nameLength) == 0 &&
            (arg[nameLength] == 0 || arg[nameLength] == '=')) {
            const char* file = arg[nameLength] == '=' ? arg + nameLength + 1
                               : i + 1 < *argc        ? argv[++i]
                                                      : nullptr;
            if (!SelectRegistry(file, err)) {
                *exitCode = ExitUsage;
                return true;
            }
            continue;
        }
        argv[kept++] = argv[i];
    }
    *argc = kept;
    argv[kept] = nullptr;
    return false;
}

bool ReaderHandleOptions(int* argc, char** argv, int* exitCode) {
    return ReaderHandleOptionsTo(argc, argv, exitCode, stdout, stderr);
}
