// ScriptHooks.h: how other layers add to what a script can do and see. A layer registers a command
// (`clipboard ...` from the clipboard layer) that the headless script driver runs by name; the
// `state` command prints the registered state writers' values with the windows and message boxes.
// Registered names and functions are kept for the run; nothing here owns a layer's data.
#pragma once

#include "platform/Win32Windows.h"

#include <string>
#include <vector>

// A script command: args are the words after its name. True when it ran; false with a short
// message in *error (the driver adds the script's name and line and stops).
typedef bool (*PlatformScriptCommand)(const std::vector<std::string>& args, std::string* error);
// Not Win32: registers name (a lower-case word not already a built-in command); again replaces it.
void PlatformRegisterScriptCommand(const char* name, PlatformScriptCommand command);
// The command registered under name, or null.
PlatformScriptCommand ScriptFindCommand(const std::string& name);

// The whole `state` object: each registered writer's value under its name, then "Windows" (every
// window, depth first in z-order: Class, Text, Id, Rect in screen coordinates, Visible, Focus) and
// "MessageBoxes" (the log of message boxes, oldest first).
std::string ScriptStateJson();
// Appends s as a JSON string (quoted, escaped).
void JsonAppendString(std::string* json, const std::u16string& s);
