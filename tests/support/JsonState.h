// JsonState.h: a small JSON reader (objects, arrays, strings, numbers, true, false, null), enough
// for what a headless program's `state` command prints. It returns a null value for anything it
// cannot read, so a failed run shows up as failed expectations. Nothing is shared between values.
#pragma once

#include <cctype>
#include <map>
#include <string>
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
