#include "checker/Report.h"

#include <cstdio>

namespace checker {

namespace {

constexpr const char* kEvaluatedAs =
    "sprellow.exe run from the install folder with administrator rights; nothing is deleted";

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A JSON document written a value at a time, with two-space indentation.
class Json {
public:
    void open(char bracket, const char* name = nullptr) {
        item(name);
        out_ += bracket;
        first_ = true;
        ++depth_;
    }
    void close(char bracket) {
        --depth_;
        if (!first_) newline();
        out_ += bracket;
        first_ = false;
    }
    void text(const char* name, const std::string& utf8) {
        item(name);
        appendJsonString(out_, utf8);
    }
    void optionalText(const char* name, const std::optional<std::string>& utf8) {
        if (utf8)
            text(name, *utf8);
        else
            raw(name, "null");
    }
    void raw(const char* name, const std::string& value) {
        item(name);
        out_ += value;
    }
    void texts(const char* name, const std::vector<std::string>& list) {
        if (list.empty()) return raw(name, "[]");
        open('[', name);
        for (const std::string& t : list) text(nullptr, t);
        close(']');
    }
    void deletes(const Deletes& d) {
        if (d.empty()) return raw("deletes", R"({"files": [], "folders": [], "keys": []})");
        open('{', "deletes");
        texts("files", d.files);
        texts("folders", d.folders);
        texts("keys", d.keys);
        close('}');
    }
    std::string done() {
        out_ += '\n';
        return std::move(out_);
    }

private:
    void newline() {
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth_) * 2, ' ');
    }
    void item(const char* name) {
        if (depth_ > 0) {
            if (!first_) out_ += ',';
            newline();
        }
        first_ = false;
        if (name != nullptr) {
            appendJsonString(out_, name);
            out_ += ": ";
        }
    }

    std::string out_;
    int depth_ = 0;
    bool first_ = true;
};

struct Totals {
    int files = 0, folders = 0, keys = 0;
    void add(const Deletes& d) {
        files += static_cast<int>(d.files.size());
        folders += static_cast<int>(d.folders.size());
        keys += static_cast<int>(d.keys.size());
    }
};

Totals totals(const Plan& plan) {
    Totals t;
    for (const ApplicationReport& app : plan.applications)
        for (const LineReport& line : app.lines) t.add(line.deletes);
    if (plan.cleanup) t.add(plan.cleanup->deletes);
    return t;
}

void textDeletes(std::string& out, const Deletes& d, const char* indent) {
    for (const std::string& f : d.files) out += std::string(indent) + "file     " + f + "\n";
    for (const std::string& f : d.folders) out += std::string(indent) + "folder   " + f + "\n";
    for (const std::string& k : d.keys) out += std::string(indent) + "key      " + k + "\n";
}

void textList(std::string& out, const std::vector<std::string>& list, const char* indent,
              const char* mark) {
    for (const std::string& t : list) out += std::string(indent) + mark + t + "\n";
}

}  // namespace

void appendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    // Runs of bytes that need no escape go in whole: the plan's paths are
    // long and almost never hold one.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool escaped = c < 0x20 || c == 0x7F || c == '"' || c == '\\';
        if (!escaped) continue;
        out.append(utf8, plain, i - plain);
        plain = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default: {
                char code[8];
                std::snprintf(code, sizeof code, "\\u%04x", c);
                out += code;
            }
        }
    }
    out.append(utf8, plain);
    out += '"';
}

std::string jsonString(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    appendJsonString(out, utf8);
    return out;
}

std::string toJson(const Plan& plan) {
    Json j;
    j.open('{');
    j.raw("schema", "1");
    j.text("mode", plan.folderMode ? "folder" : "installed");
    j.text("evaluatedAs", kEvaluatedAs);
    j.text("installDir", plan.installDir);
    j.text("programsFolder", plan.programsFolder);
    j.raw("deletionsAllowed", plan.deletionsAllowed ? "true" : "false");
    j.open('[', "applications");
    for (const ApplicationReport& app : plan.applications) {
        j.open('{');
        j.text("title", app.title);
        j.text("script", app.script);
        j.raw("position", std::to_string(app.position));
        j.raw("runs", app.runs ? "true" : "false");
        j.optionalText("failure", app.failure);
        j.texts("warnings", app.warnings);
        if (app.lines.empty()) {
            j.raw("lines", "[]");
        } else {
            j.open('[', "lines");
            for (const LineReport& line : app.lines) {
                j.open('{');
                j.raw("line", std::to_string(line.line));
                j.text("text", line.text);
                j.optionalText("key", line.key);
                j.optionalText("value", line.value);
                j.deletes(line.deletes);
                if (line.refused.empty()) {
                    j.raw("refused", "null");
                } else {
                    std::string joined;
                    for (const std::string& r : line.refused)
                        joined += (joined.empty() ? "" : "; ") + r;
                    j.text("refused", joined);
                }
                j.optionalText("failure", line.failure);
                j.texts("warnings", line.warnings);
                j.texts("notes", line.notes);
                j.close('}');
            }
            j.close(']');
        }
        j.close('}');
    }
    j.close(']');
    if (plan.skipped.empty()) {
        j.raw("skipped", "[]");
    } else {
        j.open('[', "skipped");
        for (const Skipped& s : plan.skipped) {
            j.open('{');
            j.text("script", s.script);
            j.text("reason", s.reason);
            j.close('}');
        }
        j.close(']');
    }
    if (!plan.cleanup) {
        j.raw("cleanup", "null");
    } else {
        const Cleanup& c = *plan.cleanup;
        j.open('{', "cleanup");
        j.texts("files", c.deletes.files);
        j.texts("folders", c.deletes.folders);
        j.texts("keys", c.deletes.keys);
        j.texts("scheduledAtRestart", c.scheduled);
        j.texts("refused", c.refused);
        j.texts("warnings", c.warnings);
        j.texts("notes", c.notes);
        j.close('}');
    }
    j.texts("warnings", plan.warnings);
    j.texts("notes", plan.notes);
    j.open('{', "problems");
    j.raw("failures", std::to_string(plan.failureCount()));
    j.raw("refused", std::to_string(plan.refusedCount()));
    j.raw("warnings", std::to_string(plan.warningCount()));
    j.close('}');
    j.close('}');
    return j.done();
}

std::string summary(const Plan& plan) {
    const Totals t = totals(plan);
    std::string text =
        plural(static_cast<int>(plan.applications.size()), "application", "applications") + ", " +
        plural(t.files, "file", "files") + ", " + plural(t.keys, "key", "keys") + ", " +
        plural(t.folders, "folder", "folders") + " would be removed; " +
        plural(plan.refusedCount(), "line refused", "lines refused") + ", " +
        plural(plan.warningCount(), "warning", "warnings");
    if (plan.failureCount() > 0) text += "; the run stops half-way";
    return text;
}

std::string toText(const Plan& plan) {
    std::string out;
    out += "delcheck: what Remove would delete, evaluated as " + std::string(kEvaluatedAs) + "\n";
    out += std::string(plan.folderMode ? "staged product in " : "installed product in ") +
           plan.installDir + "\n";
    out += "Programs folder  " + plan.programsFolder + "\n";
    out += std::string("deletions        ") +
           (plan.deletionsAllowed ? "allowed" : "NOT allowed (\"can't delete\" marker)") + "\n";
    textList(out, plan.warnings, "", "WARNING  ");
    textList(out, plan.notes, "", "note     ");

    for (const ApplicationReport& app : plan.applications) {
        out += "\n[";
        out += std::to_string(app.position) + "] " + app.title + "  (" + app.script + ")" +
               (app.runs ? "" : "  not run: the run stops before it") + "\n";
        textList(out, app.warnings, "    ", "WARNING  ");
        for (const LineReport& line : app.lines) {
            const bool quiet = line.deletes.empty() && line.refused.empty() &&
                               line.warnings.empty() && line.notes.empty() && !line.failure;
            if (quiet) continue;
            char number[16];
            std::snprintf(number, sizeof number, "%4d", line.line);
            out += "  line";
            out += std::string(number) + "  " + line.text + "\n";
            textDeletes(out, line.deletes, "             ");
            textList(out, line.refused, "             ", "REFUSED  ");
            textList(out, line.warnings, "             ", "WARNING  ");
            textList(out, line.notes, "             ", "note     ");
            if (line.failure)
                out += "             FAILS    the run stops here: \"" + *line.failure + "\"\n";
        }
        if (app.failure && (app.lines.empty() || !app.lines.back().failure))
            out += "  FAILS    the run stops loading this script: \"" + *app.failure + "\"\n";
    }
    if (plan.cleanup) {
        const Cleanup& c = *plan.cleanup;
        out += "\nproduct clean-up\n";
        textDeletes(out, c.deletes, "  ");
        for (const std::string& s : c.scheduled) out += "  at restart " + s + "\n";
        textList(out, c.refused, "  ", "REFUSED  ");
        textList(out, c.warnings, "  ", "WARNING  ");
        textList(out, c.notes, "  ", "note     ");
    } else {
        out += "\nno product clean-up\n";
    }
    if (!plan.skipped.empty()) {
        out += "\nskipped scripts\n";
        for (const Skipped& s : plan.skipped)
            out += "  WARNING  " + s.script + ": " + s.reason + "\n";
    }
    out += "\n";
    out += summary(plan) + "\n";
    return out;
}

}  // namespace checker
