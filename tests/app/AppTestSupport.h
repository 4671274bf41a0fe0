// AppTestSupport.h: runs the reader as a child process on the headless backend with a script and
// its own settings file, and reads what the script's `state` commands print (tests/support's
// JSON reader).
#pragma once

#include "tests/support/JsonState.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// One run of the reader: the script's standard output split into the `state` objects it printed
// (each on its own line starting with '{"') and the other lines.
struct AppRun {
    int ExitCode = -1;
    std::vector<Json> States;
    std::vector<std::string> Lines;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder for one test's settings file and pictures.
inline std::string TempFolder() {
    char pattern[] = "/tmp/kestrova-app-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

// Runs the reader with the script; env is a list of NAME=VALUE set for the child only.
inline AppRun RunReader(const std::string& registry, const std::string& script, const std::string& env = "") {
    AppRun run;
    std::string scriptPath = registry + ".script";
    WriteWholeFile(scriptPath, script);
    std::string command = "env KESTROVA_REGISTRY='" + registry + "' " + env + " '" + KESTROVA_PROGRAM +
                          "' --headless --script '" + scriptPath + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::string out;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    int status = pclose(pipe);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 2, "{\"") == 0)
            run.States.push_back(JsonReader(line).Read());
        else
            run.Lines.push_back(line);
    }
    return run;
}

// A script line that sends the main window a command and lets it finish.
inline std::string Cmd(int id) {
    return "command " + std::to_string(id) + "; wait\n";
}

constexpr const char* RegistryHead = "Windows Registry Editor Version 5.00\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n";

// A settings file with a face already chosen, so that no Choose Font dialog opens, and more values.
inline std::string Settings(const std::string& values = "") {
    std::string folder = TempFolder();
    WriteWholeFile(folder + "/settings.reg",
                   std::string(RegistryHead) + "\"FontName\"=\"DejaVu Sans\"\r\n" + values + "\r\n");
    return folder + "/settings.reg";
}

// The first window of the class (and text, when given) in a state's "Windows"; null when none.
inline const Json* FindWindow(const Json& state, const std::string& className, const std::string& text) {
    for (const Json& w : state["Windows"].Items)
        if (w["Class"].Text == className && (text.empty() || w["Text"].Text == text)) return &w;
    return nullptr;
}
