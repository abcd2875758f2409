// A shared, ordered record of every platform and window operation that the
// fakes see, one text line per operation, so a test can check the exact order
// of a whole run.
//
// Line formats (paths and names exactly as the caller passed them, results as
// the decimal Win32 code the fake returned):
//
//   Registry     RegOpenKeyEx HKLM\software\Corvalune QUOB DEMO -> 0
//                RegQueryValueEx HKLM\software\Corvalune QUOB DEMO "" -> 0
//                RegDeleteKey HKCR\.abc -> 5
//                RegCloseKey HKLM\software\Corvalune QUOB DEMO -> 0
//                (a handle that names no open key shows as "#<hex handle>";
//                the key's path is the one it was opened with, joined to the
//                path of a non-predefined parent handle)
//   Files        ReadWholeFile C:\prod\a.del -> 0
//                FileLength C:\tools\can't delete -> 2
//                ListFiles C:\prod\*.del -> 0
//                DeleteFile C:\prod\sprellow.exe -> 5
//                CreateNewFile C:\windows\system\W-r-i-t-e.acc -> 0
//                ScheduleDeleteAtRestart C:\prod\sprellow.exe -> 0
//                GetAttributes C:\prod\Data -> 0
//                FindEntries C:\prod\*.* -> 0
//                OpenEntry C:\prod\a.txt -> 0
//                DeleteEntry C:\prod\a.txt -> 0   (the stored path of what the
//                handle opened; it goes when the handle is closed)
//   System       GetWindowsDirectory -> 10   (the value returned)
//                GetSystemDirectory -> 17
//                GetDriveType C:\ -> 3
//                programFolder -> C:\prod
//                programName -> sprellow
//   Shell        SHChangeNotify
//   Dialog       centerForm | caption <text> | hide | events
//   Progress     removing <subject> | progress show | progress close
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace fakes {

class OperationLog {
public:
    void add(std::string line) {
        if (recording_) lines_.push_back(std::move(line));
    }
    // Adds `head` followed by `tail`; formats nothing while the log is off.
    void add(std::string_view head, std::string_view tail);
    // Adds "<what> -> <code>"; formats nothing while the log is off.
    void addResult(std::string_view what, long long code);
    // Adds "<call> <subject> -> <code>"; formats nothing while the log is off.
    void addResult(std::string_view call, std::string_view subject, long long code);
    void clear() { lines_.clear(); }
    // A log that is off keeps nothing: for runs that look only at the
    // machine's state afterwards and want the fakes at their fastest.
    void setRecording(bool on) { recording_ = on; }
    // A caller that builds a costly line looks here first.
    bool recording() const { return recording_; }

    const std::vector<std::string>& lines() const { return lines_; }

    // The lines that begin with one of `prefixes`, in order; handy to look at
    // one kind of operation ({"RegDeleteKey", "DeleteEntry"}).
    std::vector<std::string> only(std::initializer_list<std::string> prefixes) const;

    // The lines that begin with none of `prefixes`, in order.
    std::vector<std::string> without(std::initializer_list<std::string> prefixes) const;

    // Whether some line equals `line` exactly.
    bool contains(const std::string& line) const;

    // Number of lines that begin with `prefix`.
    int count(const std::string& prefix) const;

    // Every line, each ended by "\n"; readable in a failed assertion.
    std::string text() const;

private:
    std::vector<std::string> lines_;
    bool recording_ = true;
};

// Formats "<what> -> <code>".
std::string resultLine(std::string_view what, long long code);

}  // namespace fakes
