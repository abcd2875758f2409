// Fakes of the windows the engine talks to. Each records what the engine
// asks of it in the operation log (formats in OperationLog.h) and keeps the
// resulting state for asserts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/Views.h"
#include "tests/fakes/OperationLog.h"

namespace fakes {

// The multi-selection list `List1`. Entries keep the order they were added
// in. An index outside the list throws std::out_of_range, as a list box's
// index property raises an error.
class FakeApplicationList : public engine::ApplicationList {
public:
    FakeApplicationList();
    explicit FakeApplicationList(OperationLog& log);

    void append(const std::string& title) override;
    int count() const override;
    bool isSelected(int index) const override;
    int selectedCount() const override;
    void select(int index) override;
    std::string text(int index) const override;

    // What a user does with the mouse: selects or deselects one entry (not
    // logged; the test calls the click handler itself).
    void userSelect(int index, bool selected = true);
    void userSelectAll();

    std::vector<std::string> items() const;
    std::vector<int> selectedIndices() const;

private:
    struct Item {
        std::string title;
        bool selected = false;
    };
    const Item& at(int index) const;

    OperationLog ownLog_;
    OperationLog* log_;
    std::vector<Item> items_;
};

// The main dialog `Install`.
class FakeDialogView : public engine::DialogView {
public:
    FakeDialogView();
    explicit FakeDialogView(OperationLog& log);

    void centerForm() override;
    void setCaption(const std::string& caption) override;
    void setRemoveEnabled(bool enabled) override;
    void hide() override;
    void processPendingEvents() override;

    // Runs at every processPendingEvents, after it is logged: where a test
    // puts what the user does while the run waits for events.
    void onEvents(std::function<void()> handler) { onEvents_ = std::move(handler); }

    const std::string& caption() const { return caption_; }
    bool removeEnabled() const { return removeEnabled_; }
    bool hidden() const { return hidden_; }
    int centerCount() const { return centered_; }
    int eventsCount() const { return events_; }

private:
    OperationLog ownLog_;
    OperationLog* log_;
    std::string caption_;
    bool removeEnabled_ = false;
    bool hidden_ = false;
    int centered_ = 0;
    int events_ = 0;
    std::function<void()> onEvents_;
};

// The progress window `frmProgress`.
class FakeProgressView : public engine::ProgressView {
public:
    FakeProgressView();
    explicit FakeProgressView(OperationLog& log);

    void removing(const std::string& subject) override;
    void show() override;
    void close() override;

    // Subjects given to `removing`, in order.
    const std::vector<std::string>& subjects() const { return subjects_; }
    const std::string& subject() const { return subject_; }
    bool visible() const { return visible_; }
    bool closed() const { return closed_; }

private:
    OperationLog ownLog_;
    OperationLog* log_;
    std::vector<std::string> subjects_;
    std::string subject_;
    bool visible_ = false;
    bool closed_ = false;
};

}  // namespace fakes
