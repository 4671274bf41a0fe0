// ScriptState.cpp: the registrations of ScriptHooks.h and the JSON the `state` script command
// prints. The tables hold names and function pointers for the run.
#include "platform/user/ScriptHooks.h"

#include "platform/Win32Dialogs.h"
#include "platform/Win32Text.h"
#include "platform/ceshell/ShellExecuteState.h"
#include "platform/user/Window.h"

#include <cstdio>
#include <utility>

namespace {

struct HookTables {
    std::vector<std::pair<std::string, PlatformScriptCommand>> Commands;
    std::vector<std::pair<std::string, PlatformStateWriter>> Writers;
};

HookTables& Hooks() {
    static HookTables* tables = new HookTables();
    return *tables;
}

template <typename F>
void Put(std::vector<std::pair<std::string, F>>* list, const char* name, F f) {
    if (name == nullptr) return;
    for (auto& entry : *list)
        if (entry.first == name) {
            entry.second = f;
            return;
        }
    list->emplace_back(name, f);
}

void AppendRect(std::string* json, const RECT& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof(buffer), "[%d,%d,%d,%d]", int(r.left), int(r.top), int(r.right),
                  int(r.bottom));
    *json += buffer;
}

void AppendWindow(std::string* json, HWND window, bool* first) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return;
    if (!*first) *json += ",";
    *first = false;
    *json += "{\"Class\":";
    JsonAppendString(json, w->Class->Name);
    *json += ",\"Text\":";
    JsonAppendString(json, w->Text);
    *json += ",\"Id\":" + std::to_string(w->Parent ? long(w->Id) : 0L) + ",\"Rect\":";
    AppendRect(json, WindowScreenRect(w));
    *json += std::string(",\"Visible\":") + (IsWindowVisible(window) ? "true" : "false");
    *json += std::string(",\"Focus\":") + (GetFocus() == window ? "true" : "false") + "}";
    std::vector<HWND> children = w->Children;
    for (HWND child : children)
        AppendWindow(json, child, first);
}

void AppendMessageBoxes(std::string* json) {
    *json += "[";
    bool first = true;
    for (const PlatformMessageBoxCall& call : PlatformMessageBoxLog()) {
        if (!first) *json += ",";
        first = false;
        *json += "{\"Text\":";
        JsonAppendString(json, call.Text);
        *json += ",\"Caption\":";
        JsonAppendString(json, call.Caption);
        *json +=
            ",\"Style\":" + std::to_string(call.Style) + ",\"Answer\":" + std::to_string(call.Answer) + "}";
    }
    *json += "]";
}

} // namespace

void PlatformRegisterScriptCommand(const char* name, PlatformScriptCommand command) {
    Put(&Hooks().Commands, name, command);
}

PlatformScriptCommand ScriptFindCommand(const std::string& name) {
    for (auto& entry : Hooks().Commands)
        if (entry.first == name) return entry.second;
    return nullptr;
}

void PlatformRegisterStateWriter(const char* name, PlatformStateWriter writer) {
    Put(&Hooks().Writers, name, writer);
}

void JsonAppendString(std::string* json, const std::u16string& s) {
    std::string utf8 = PlatformUtf16ToUtf8(s);
    *json += '"';
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            *json += '\\';
            *json += char(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
            *json += buffer;
        } else {
            *json += char(c);
        }
    }
    *json += '"';
}

std::string ScriptStateJson() {
    std::string json = "{";
    for (auto& [name, writer] : Hooks().Writers) {
        JsonAppendString(&json, PlatformUtf8ToUtf16(name));
        json += ":";
        size_t before = json.size();
        writer(&json);
        if (json.size() == before) json += "null";
        json += ",";
    }
    json += "\"Windows\":[";
    bool first = true;
    std::vector<HWND> tops = WindowTopLevels();
    for (HWND top : tops)
        AppendWindow(&json, top, &first);
    json += "],\"MessageBoxes\":";
    AppendMessageBoxes(&json);
    // The shell's record of addresses opened, one string a call.
    std::string shell;
    ShellExecuteStateText(&shell);
    json += ",\"ShellExecute\":[";
    for (size_t start = 0, end; start < shell.size(); start = end + 1) {
        end = shell.find('\n', start);
        if (end == std::string::npos) end = shell.size();
        if (start > 0) json += ",";
        JsonAppendString(&json, PlatformUtf8ToUtf16(shell.substr(start, end - start)));
    }
    json += "]}";
    return json;
}
