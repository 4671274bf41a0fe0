// AppTestSupport.h: runs the reader as a child process on the headless backend with a script and
// its own settings file, and reads what the script's `state` commands print. A small JSON reader
// (objects, arrays, strings, numbers, true, false, null) is enough for that output; it returns a
// null value for anything it cannot read, so a failed run shows up as failed expectations.
#pragma once

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

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } Type = Null;
    double Value = 0;
    std::string Text;
    std::vector<Json> Items;
    std::map<std::string, Json> Fields;

    const Json& operator[](const std::string& name) const {
        static const Json none;
        auto it = Fields.find(name);
        return it == Fields.end() ? none : it->second;
    }
    const Json& operator[](size_t i) const {
        static const Json none;
        return i < Items.size() ? Items[i] : none;
    }
    long Int() const { return long(Value); }
    bool IsNull() const { return Type == Null; }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}
    Json Read() {
        Json v;
        Space();
        if (p_ >= s_.size()) return v;
        char c = s_[p_];
        if (c == '{') {
            v.Type = Json::Object;
            ++p_;
            while (Space(), p_ < s_.size() && s_[p_] != '}') {
                std::string name = ReadString();
                Space();
                if (p_ < s_.size() && s_[p_] == ':') ++p_;
                v.Fields[name] = Read();
                Space();
                if (p_ < s_.size() && s_[p_] == ',') ++p_;
            }
            ++p_;
        } else if (c == '[') {
            v.Type = Json::Array;
            ++p_;
            while (Space(), p_ < s_.size() && s_[p_] != ']') {
                v.Items.push_back(Read());
                Space();
                if (p_ < s_.size() && s_[p_] == ',') ++p_;
            }
            ++p_;
        } else if (c == '"') {
            v.Type = Json::String;
            v.Text = ReadString();
        } else if (s_.compare(p_, 4, "true") == 0 || s_.compare(p_, 5, "false") == 0) {
            v.Type = Json::Bool;
            v.Value = s_[p_] == 't';
            p_ += s_[p_] == 't' ? 4 : 5;
        } else if (s_.compare(p_, 4, "null") == 0) {
            p_ += 4;
        } else {
            size_t used = 0;
            v.Type = Json::Number;
            v.Value = std::stod(s_.substr(p_, 32), &used);
            p_ += used ? used : 1;
        }
        return v;
    }

private:
    void Space() {
        while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_])))
            ++p_;
    }
    // Escapes other than \uXXXX below 0x100 are kept as written: the state output has no others.
    std::string ReadString() {
        std::string out;
        if (p_ >= s_.size() || s_[p_] != '"') return out;
        for (++p_; p_ < s_.size() && s_[p_] != '"'; ++p_) {
            if (s_[p_] == '\\' && p_ + 1 < s_.size()) {
                char e = s_[++p_];
                if (e == 'u' && p_ + 4 < s_.size()) {
                    out += char(std::stoi(s_.substr(p_ + 1, 4), nullptr, 16));
                    p_ += 4;
                } else {
                    out += e == 'n' ? '\n' : e;
                }
            } else {
                out += s_[p_];
            }
        }
        ++p_;
        return out;
    }
    const std::string& s_;
    size_t p_ = 0;
};

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
