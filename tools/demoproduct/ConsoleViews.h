// Console stand-ins for the uninstaller's windows, so that the engine can
// run headless over the real registry and files: a list whose selection the
// caller sets, a dialog and a progress window that only record (and, when
// asked, print) what the engine tells them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "engine/Views.h"

namespace demo {

// The list of applications as a user sees it: the titles the run found and
// the entries the caller chooses.
class ConsoleList final {
public:
    explicit ConsoleList(bool verbose) : verbose_(verbose) {}

    // Shows what discovery found, a lone application chosen at once.
    void show(const engine::Install& run) {
        titles = run.applications();
        selected.assign(titles.size(), run.firstChosenAtOnce());
        if (verbose_)
            for (const std::string& title : titles) std::printf("[list] %s\n", title.c_str());
    }
    int count() const { return static_cast<int>(titles.size()); }
    bool isSelected(int index) const { return index >= 0 && index < count() && selected[index]; }
    int selectedCount() const { return static_cast<int>(chosen().size()); }
    void select(int index) {
        if (index >= 0 && index < count()) selected[index] = true;
    }
    void selectAll() { selected.assign(titles.size(), true); }
    // The chosen list positions, in list order: what Remove takes.
    std::vector<int> chosen() const {
        std::vector<int> positions;
        for (int k = 0; k < count(); ++k)
            if (selected[k]) positions.push_back(k);
        return positions;
    }

    std::vector<std::string> titles;
    std::vector<bool> selected;

private:
    bool verbose_;
};

class ConsoleDialog final : public engine::DialogView {
public:
    explicit ConsoleDialog(bool verbose) : verbose_(verbose) {}

    void centerForm() override { ++centred; }
    void setCaption(const std::string& text) override {
        caption = text;
        if (verbose_) std::printf("[dialog] caption: %s\n", text.c_str());
    }
    void hide() override { hidden = true; }
    void processPendingEvents() override { ++eventRounds; }

    std::string caption;
    bool hidden = false;
    int centred = 0;
    int eventRounds = 0;

private:
    bool verbose_;
};

class ConsoleProgress final : public engine::ProgressView {
public:
    explicit ConsoleProgress(bool verbose) : verbose_(verbose) {}

    void removing(const std::string& subject) override {
        subjects.push_back(subject);
        if (verbose_) std::printf("[progress] removing %s\n", subject.c_str());
    }
    void show() override { shown = true; }
    void close() override { closed = true; }

    std::vector<std::string> subjects;
    bool shown = false;
    bool closed = false;

private:
    bool verbose_;
};

}  // namespace demo
