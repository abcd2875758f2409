#include "tests/fakes/OperationLog.h"

#include <algorithm>

namespace fakes {

namespace {

bool startsWithAny(const std::string& line, std::initializer_list<std::string> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const std::string& p) { return line.compare(0, p.size(), p) == 0; });
}

}  // namespace

std::vector<std::string> OperationLog::only(std::initializer_list<std::string> prefixes) const {
    std::vector<std::string> result;
    for (const auto& line : lines_) {
        if (startsWithAny(line, prefixes)) result.push_back(line);
    }
    return result;
}

std::vector<std::string> OperationLog::without(std::initializer_list<std::string> prefixes) const {
    std::vector<std::string> result;
    for (const auto& line : lines_) {
        if (!startsWithAny(line, prefixes)) result.push_back(line);
    }
    return result;
}

bool OperationLog::contains(const std::string& line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

int OperationLog::count(const std::string& prefix) const {
    return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0;
    }));
}

std::string OperationLog::text() const {
    std::string all;
    for (const auto& line : lines_) {
        all += line;
        all += '\n';
    }
    return all;
}

void OperationLog::addResult(std::string_view what, long long code) {
    if (recording_) lines_.push_back(resultLine(what, code));
}

void OperationLog::add(std::string_view head, std::string_view tail) {
    if (!recording_) return;
    std::string line(head);
    line += tail;
    lines_.push_back(std::move(line));
}

void OperationLog::addResult(std::string_view call, std::string_view subject, long long code) {
    if (!recording_) return;
    std::string what(call);
    what += ' ';
    what += subject;
    lines_.push_back(resultLine(what, code));
}

std::string resultLine(std::string_view what, long long code) {
    std::string line(what);
    line += " -> ";
    line += std::to_string(code);
    return line;
}

}  // namespace fakes
