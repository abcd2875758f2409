// Console stand-ins for the uninstaller's windows, so that the engine can
// run headless over the real registry and files: a list whose selection the
// caller sets, a dialog and a progress window that only record (and, when
// asked, print) what the engine tells them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/Views.h"

namespace demo {

class ConsoleList final : public engine::ApplicationList {
public:
    explicit ConsoleList(bool verbose) : verbose_(verbose) {}

    void append(const std::string& title) override {
        titles.push_back(title);
        selected.push_back(false);
        if (verbose_) std::printf("[list] %s\n", title.c_str());
    }
    int count() const override { return static_cast<int>(titles.size()); }
    bool isSelected(int index) const override { return inRange(index) && selected[index]; }
    int selectedCount() const override {
        int n = 0;
        for (bool s : selected) n += s ? 1 : 0;
        return n;
    }
    void select(int index) override {
        if (inRange(index)) selected[index] = true;
    }
    std::string text(int index) const override { return inRange(index) ? titles[index] : ""; }

    void selectAll() { selected.assign(titles.size(), true); }

    std::vector<std::string> titles;
    std::vector<bool> selected;

private:
    bool inRange(int index) const { return index >= 0 && index < count(); }
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
    void setRemoveEnabled(bool enabled) override { removeEnabled = enabled; }
    void hide() override { hidden = true; }
    void processPendingEvents() override { ++eventRounds; }

    std::string caption;
    bool removeEnabled = false;
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
