#include "PlanJson.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace removaltest {
namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    JsonValue document() {
        JsonValue v = value();
        space();
        if (i_ != s_.size()) fail("text after the document");
        return v;
    }

private:
    [[noreturn]] void fail(const char* what) {
        throw std::runtime_error(std::string("JSON: ") + what + " at " + std::to_string(i_));
    }
    void space() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool take(char c) {
        space();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c)) fail("unexpected character");
    }
    bool word(const char* w) {
        const std::string text = w;
        if (s_.compare(i_, text.size(), text) != 0) return false;
        i_ += text.size();
        return true;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c == '\\') {
                if (i_ >= s_.size()) fail("cut escape");
                const char e = s_[i_++];
                switch (e) {
                    case 'n':
                        c = '\n';
                        break;
                    case 'r':
                        c = '\r';
                        break;
                    case 't':
                        c = '\t';
                        break;
                    case 'u':
                        if (i_ + 4 > s_.size()) fail("cut \\u");
                        c = static_cast<char>(std::strtol(s_.substr(i_, 4).c_str(), nullptr, 16));
                        i_ += 4;
                        break;
                    default:
                        c = e;
                }
            }
            out += c;
        }
        expect('"');
        return out;
    }
    JsonValue value() {
        space();
        JsonValue v;
        if (i_ >= s_.size()) fail("end of text");
        const char c = s_[i_];
        if (c == '{') {
            ++i_;
            v.kind = JsonValue::Kind::Object;
            if (take('}')) return v;
            do {
                space();
                const std::string name = string();
                expect(':');
                v.members[name] = value();
            } while (take(','));
            expect('}');
        } else if (c == '[') {
            ++i_;
            v.kind = JsonValue::Kind::Array;
            if (take(']')) return v;
            do v.items.push_back(value());
            while (take(','));
            expect(']');
        } else if (c == '"') {
            v.kind = JsonValue::Kind::String;
            v.text = string();
        } else if (word("null")) {
        } else if (word("true")) {
            v.kind = JsonValue::Kind::Bool;
            v.boolean = true;
        } else if (word("false")) {
            v.kind = JsonValue::Kind::Bool;
        } else {
            char* end = nullptr;
            v.kind = JsonValue::Kind::Number;
            v.number = std::strtod(s_.c_str() + i_, &end);
            if (end == s_.c_str() + i_) fail("not a value");
            i_ = static_cast<std::size_t>(end - s_.c_str());
        }
        return v;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

std::string lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void addAll(const JsonValue& list, std::set<std::string>& out) {
    for (const JsonValue& item : list.items) out.insert(lower(item.text));
}

void addTexts(const JsonValue& list, std::vector<std::string>& out) {
    for (const JsonValue& item : list.items) out.push_back(item.text);
}

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
    static const JsonValue none;
    const auto it = members.find(name);
    return it == members.end() ? none : it->second;
}

JsonValue parseJson(const std::string& text) { return Reader(text).document(); }

PlannedRemoval plannedRemoval(const JsonValue& plan) {
    PlannedRemoval p;
    for (const JsonValue& app : plan["applications"].items) {
        p.runs.push_back(app["runs"].boolean);
        addTexts(app["warnings"], p.warnings);
        for (const JsonValue& line : app["lines"].items) {
            for (const char* kind : {"files", "folders", "keys"})
                addAll(line["deletes"][kind], p.deleted);
            addTexts(line["warnings"], p.warnings);
        }
    }
    const JsonValue& cleanup = plan["cleanup"];
    p.cleanup = !cleanup.isNull();
    for (const char* kind : {"files", "folders", "keys"}) addAll(cleanup[kind], p.deleted);
    addAll(cleanup["scheduledAtRestart"], p.scheduled);
    addTexts(cleanup["warnings"], p.warnings);
    addTexts(plan["warnings"], p.warnings);
    p.failures = static_cast<int>(plan["problems"]["failures"].number);
    p.refused = static_cast<int>(plan["problems"]["refused"].number);
    return p;
}

}  // namespace removaltest
