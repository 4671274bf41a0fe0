// ScriptParser.cpp: the script language's reader: commands one to a line (or separated by ';'),
// words split on blanks, "double quotes" around a word with blanks or ';' (\" and \\ inside), '#'
// starting a comment line; `type` joins its words with single blanks. Every built-in command's arguments are
// checked here, so a script with a mistake stops before it runs; commands that other layers register are
// checked when they run.
#include "platform/backend/headless/Headless.h"

#include "platform/base/Clamp.h"
#include "platform/user/ClipboardScript.h"
#include "platform/user/ScriptHooks.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct KeyName {
    const char* Name;
    UINT Code;
};

constexpr KeyName KeyNames[] = {
    {"Back", VK_BACK},     {"Backspace", VK_BACK}, {"Tab", VK_TAB},         {"Return", VK_RETURN},
    {"Enter", VK_RETURN},  {"Shift", VK_SHIFT},    {"Control", VK_CONTROL}, {"Menu", VK_MENU},
    {"Escape", VK_ESCAPE}, {"Space", VK_SPACE},    {"Prior", VK_PRIOR},     {"PageUp", VK_PRIOR},
    {"Next", VK_NEXT},     {"PageDown", VK_NEXT},  {"End", VK_END},         {"Home", VK_HOME},
    {"Left", VK_LEFT},     {"Up", VK_UP},          {"Right", VK_RIGHT},     {"Down", VK_DOWN},
    {"Insert", VK_INSERT}, {"Delete", VK_DELETE},
};

bool SameWord(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && strncasecmp(a.c_str(), b, a.size()) == 0;
}

bool ParseInt(const std::string& word, long low, long high, long* value) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != 0 || v < low || v > high) return false;
    *value = v;
    return true;
}

// One command of a line: its words, and for `clipboard` the rest of the line as written.
struct Segment {
    std::vector<std::string> Words;
    std::string Raw;
};

// Splits one line into commands of words; false on an unclosed quote. `clipboard` takes the rest
// of its command as written: up to the next ';', or for an unquoted TEXT the rest of the line, ';'
// included (RTF is full of them).
bool SplitLine(const std::string& line, std::vector<Segment>* commands) {
    commands->assign(1, {});
    std::string word;
    bool inWord = false, quoted = false;
    // Ends the word before line[next]; for `clipboard`, returns where its command ends.
    auto endWord = [&](size_t next) {
        if (inWord) commands->back().Words.push_back(word);
        word.clear();
        inWord = false;
        std::vector<std::string>& words = commands->back().Words;
        if (words.size() != 1 || words[0] != "clipboard") return std::string::npos;
        size_t start = std::min(next, line.size());
        size_t length = ClipboardScriptLength(std::string_view(line).substr(start));
        std::string& raw = commands->back().Raw;
        raw = line.substr(start, length);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        // What follows the command is nothing, or blanks and the ';' before the next one.
        size_t after = line.find_first_not_of(" \t\r", start + length);
        return after == std::string::npos ? line.size() : after;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                word += line[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
            continue;
        }
        if (c == '"') {
            quoted = inWord = true;
        } else if (c == ';' || c == ' ' || c == '\t' || c == '\r') {
            if (inWord) {
                size_t end = endWord(i);
                if (end == line.size()) return true;
                if (end != std::string::npos) c = line[i = end]; // the ';' after the command
            }
            if (c == ';') commands->emplace_back();
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) endWord(line.size());
    return !quoted;
}

// Checks a built-in command's arguments; an empty result means they are good.
std::string CheckArgs(const std::string& name, const std::vector<std::string>& args) {
    long v;
    auto count = [&](size_t low, size_t high) { return args.size() >= low && args.size() <= high; };
    auto coords = [&](size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (!ParseInt(args[i], -CoordLimit, CoordLimit, &v)) return false;
        return true;
    };
    if (name == "size")
        return count(2, 2) && ParseInt(args[0], 1, 16384, &v) && ParseInt(args[1], 1, 16384, &v)
                   ? ""
                   : "size W H: two sizes from 1 to 16384";
    if (name == "resize")
        return count(2, 2) && ParseInt(args[0], 1, 16384, &v) && ParseInt(args[1], 1, 16384, &v)
                   ? ""
                   : "resize W H: two sizes from 1 to 16384";
    if (name == "tap" || name == "down" || name == "move" || name == "up")
        return count(2, 2) && coords(2) ? "" : name + " X Y: two screen coordinates";
    if (name == "wheel")
        return count(3, 3) && coords(2) && ParseInt(args[2], -32768, 32767, &v)
                   ? ""
                   : "wheel X Y DELTA: coordinates and a turn (120 a notch)";
    if (name == "key") {
        if (args.empty() || ScriptKeyCode(args[0]) == 0)
            return "key NAME: unknown key" + (args.empty() ? std::string() : " '" + args[0] + "'");
        for (size_t i = 1; i < args.size(); ++i)
            if (args[i] != "ctrl" && args[i] != "alt" && args[i] != "shift")
                return "key: '" + args[i] + "' is not ctrl, alt or shift";
        return "";
    }
    if (name == "type") return !args.empty() ? "" : "type TEXT: the text to type";
    if (name == "command")
        return count(1, 1) && ParseInt(args[0], 0, 65535, &v) ? "" : "command ID: a number from 0 to 65535";
    if (name == "wait")
        return count(0, 1) && (args.empty() || ParseInt(args[0], 0, ScriptLongestWaitMs, &v))
                   ? ""
                   : "wait [MS]: milliseconds from 0 to 600000";
    if (name == "sleep")
        return count(1, 1) && ParseInt(args[0], 0, ScriptLongestWaitMs, &v)
                   ? ""
                   : "sleep MS: milliseconds from 0 to 600000";
    if (name == "answer")
        return count(1, 1) && ScriptButtonAnswer(args[0])
                   ? ""
                   : "answer BUTTON: OK, Cancel, Yes, No, Abort, Retry or Ignore";
    if (name == "screenshot") return count(1, 1) ? "" : "screenshot PATH: one path";
    if (name == "state" || name == "quit") return count(0, 0) ? "" : name + " takes no arguments";
    if (name == "clipboard") return ""; // its line is read when it runs
    if (ScriptFindCommand(name)) return "";
    return "unknown command '" + name + "'";
}

} // namespace

UINT ScriptKeyCode(const std::string& name) {
    for (const KeyName& k : KeyNames)
        if (SameWord(name, k.Name)) return k.Code;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return UINT(std::toupper(static_cast<unsigned char>(name[0])));
    long n;
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f') && ParseInt(name.substr(1), 1, 12, &n))
        return VK_F1 + UINT(n) - 1;
    return 0;
}

int ScriptButtonAnswer(const std::string& name) {
    constexpr KeyName buttons[] = {{"OK", 1},     {"Cancel", 2}, {"Abort", 3}, {"Retry", 4},
                                   {"Ignore", 5}, {"Yes", 6},    {"No", 7}};
    for (const KeyName& b : buttons)
        if (SameWord(name, b.Name)) return int(b.Code);
    return 0;
}

bool ScriptParse(const std::string& source, const std::string& text, ScriptProgram* program,
                 std::string* error) {
    program->Source = source;
    program->Commands.clear();
    int line = 0;
    size_t start = 0;
    // In a one-line script (-e 'CMD; CMD') each command counts as a line of its own.
    bool oneLine = text.find('\n') == std::string::npos;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string content = text.substr(start, end - start);
        start = end + 1;
        ++line;
        size_t first = content.find_first_not_of(" \t\r");
        if (first == std::string::npos || content[first] == '#') continue;
        std::vector<Segment> commands;
        if (!SplitLine(content, &commands)) {
            *error = source + ":" + std::to_string(line) + ": a quote is not closed";
            return false;
        }
        for (size_t i = 0; i < commands.size(); ++i) {
            auto& words = commands[i].Words;
            if (words.empty()) continue;
            int number = oneLine ? line + int(i) : line;
            ScriptCommand command{number, words[0], std::vector<std::string>(words.begin() + 1, words.end()),
                                  commands[i].Raw};
            std::string problem = CheckArgs(command.Name, command.Args);
            if (!problem.empty()) {
                *error = source + ":" + std::to_string(number) + ": " + problem;
                return false;
            }
            program->Commands.push_back(std::move(command));
        }
        if (oneLine) line += int(commands.size()) - 1;
    }
    return true;
}
