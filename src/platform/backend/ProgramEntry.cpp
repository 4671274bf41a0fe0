// ProgramEntry.cpp: PlatformRunProgram, the program's entry under this platform: the platform's
// own options, the backend's choice, the script, then the program's WinMain-like entry.
#include "platform/backend/Backend.h"

#include "platform/Win32Resources.h"
#include "platform/Win32Text.h"
#include "platform/Win32Windows.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

// The desktop backend's table, when kestrova_backend_sdl is linked in (whole, by
// kestrova_link_backends); null otherwise. The headless backend registers itself.
__attribute__((weak)) const Backend* SdlBackend();

namespace {

// A script error and an unusable command line end the run with this code.
constexpr int ScriptErrorExitCode = 2;

struct ProgramOptions {
    bool Headless = false;
    bool HasScript = false;
    std::string ScriptName;
    std::string ScriptText;
    std::u16string CommandLine;
};

bool ReadFile(const char* path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    *text = all.str();
    return true;
}

bool ParseOptions(int argc, char** argv, ProgramOptions* o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--headless") {
            o->Headless = true;
        } else if ((arg == "--script" || arg == "-e") && i + 1 < argc) {
            o->HasScript = true;
            o->ScriptName = arg == "-e" ? "-e" : argv[i + 1];
            if (arg == "-e")
                o->ScriptText = argv[++i];
            else if (!ReadFile(argv[++i], &o->ScriptText)) {
                std::fprintf(stderr, "%s: cannot read the script\n", argv[i]);
                return false;
            }
        } else if (arg == "--script" || arg == "-e") {
            std::fprintf(stderr, "%s needs an argument\n", arg.c_str());
            return false;
        } else {
            if (!o->CommandLine.empty()) o->CommandLine += u' ';
            o->CommandLine += PlatformUtf8ToUtf16(arg);
        }
    }
    return true;
}

} // namespace

int PlatformRunProgram(int argc, char** argv, PlatformWinMain winMain) {
    ProgramOptions options;
    if (!ParseOptions(argc, argv, &options)) return ScriptErrorExitCode;
    if (SdlBackend != nullptr) PlatformRegisterBackend(SdlBackend());
    // A script drives the headless backend: it stands in for the user and the screen.
    if (PlatformSelectBackend(options.Headless || options.HasScript) == nullptr) {
        std::fprintf(stderr, "kestrova: no backend is available\n");
        return ScriptErrorExitCode;
    }
    const Backend& backend = PlatformBackend();
    if (options.HasScript) {
        std::string error = "this backend runs no scripts";
        if (backend.LoadScript == nullptr ||
            !backend.LoadScript(options.ScriptName.c_str(), options.ScriptText.c_str(), &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return ScriptErrorExitCode;
        }
    }
    if (backend.CatchEndSignals) backend.CatchEndSignals();
    int code = winMain(GetModuleHandleW(nullptr), options.CommandLine.data(), SW_SHOWDEFAULT);
    if (backend.Close) backend.Close();
    return code;
}
