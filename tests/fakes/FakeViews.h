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

// The main dialog `Install`.
class FakeDialogView : public engine::DialogView {
public:
    FakeDialogView();
    explicit FakeDialogView(OperationLog& log);

    void centerForm() override;
    void setCaption(const std::string& caption) override;
    void hide() override;
    void processPendingEvents() override;

    // Runs at every processPendingEvents, after it is logged: where a test
    // puts what the user does while the run waits for events.
    void onEvents(std::function<void()> handler) { onEvents_ = std::move(handler); }

    const std::string& caption() const { return caption_; }
    bool hidden() const { return hidden_; }
    int centerCount() const { return centered_; }
    int eventsCount() const { return events_; }

private:
    OperationLog ownLog_;
    OperationLog* log_;
    std::string caption_;
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
