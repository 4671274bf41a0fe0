// Headless.h: the headless backend's parts: the script (parsed into commands, then run one command
// each time the program's queue is idle), the virtual clock and the screen. Internal to
// backend/headless/. The runner owns the parsed script for the run.
#pragma once

#include "platform/backend/Backend.h"

#include <string>
#include <vector>

struct ScriptCommand {
    int Line; // 1-based; each ';'-separated part of a line counts as a line of its own
    std::string Name;
    std::vector<std::string> Args;
    std::string Raw; // `clipboard` only: the rest of its line after the name, as written
};

struct ScriptProgram {
    std::string Source; // the file's name, or "-e"
    std::vector<ScriptCommand> Commands;
};

// Parses a script. False with "SOURCE:LINE: message" in *error for an unknown command or a bad
// argument; nothing runs then.
bool ScriptParse(const std::string& source, const std::string& text, ScriptProgram* program,
                 std::string* error);
// A key name (the VK_ name without its prefix, any case; Enter, PageUp, PageDown too): its code, or 0.
UINT ScriptKeyCode(const std::string& name);
// A button name (OK, Cancel, Abort, Retry, Ignore, Yes, No, any case): its answer, or 0.
int ScriptButtonAnswer(const std::string& name);
// Longest `wait` a script may ask for, in milliseconds.
constexpr long ScriptLongestWaitMs = 600000;

// The runner (ScriptRunner.cpp): starts a script (an empty one only ends the run), and the backend's
// WaitEvent: the next event of the current command, or the next command's.
void ScriptStart(ScriptProgram program);
bool ScriptNextEvent(BackendEvent* event, int timeoutMs);
// A program run under a script ends in order on SIGTERM or SIGINT, as on the desktop: the script
// stops at the command it is on (a `sleep` cut short) and the closing steps follow. Installed by a
// program's own run only (Backend::CatchEndSignals), so a test process keeps its signal handling.
void ScriptCatchEndSignals();
// Whether such a signal came (the backend's QuitRequested).
bool ScriptEndRequested();

// The virtual clock and the screen (HeadlessBackend.cpp).
uint32_t HeadlessNow();
void HeadlessAdvance(uint32_t ms);
void HeadlessScreenSize(int* width, int* height);
void HeadlessSetScreenSize(int width, int height);
