// What the engine needs of the windows, as small interfaces that the dialog
// and the progress window implement and tests fake.
#pragma once

#include <string>

namespace engine {

// The list of applications, `List1`: unsorted, several entries selectable.
class ApplicationList {
public:
    virtual ~ApplicationList() = default;
    virtual void append(const std::string& title) = 0;
    virtual int count() const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual int selectedCount() const = 0;
    virtual void select(int index) = 0;
    virtual std::string text(int index) const = 0;
};

// The main dialog's own window parts.
class DialogView {
public:
    virtual ~DialogView() = default;
    virtual void centerForm() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setRemoveEnabled(bool enabled) = 0;  // the `ok` button
    virtual void hide() = 0;
    virtual void processPendingEvents() = 0;  // drain the window message queue once
};

// The progress window `frmProgress`; `removing` loads it on first use.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void removing(const std::string& subject) = 0;
    virtual void show() = 0;
    virtual void close() = 0;
};

}  // namespace engine
