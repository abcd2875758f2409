// What the engine needs of the windows, as small interfaces that the dialog
// and the progress window implement and tests fake.
#pragma once

#include <string>

namespace engine {

// The main dialog's own window parts.
class DialogView {
public:
    virtual ~DialogView() = default;
    virtual void centerForm() = 0;
    virtual void setCaption(const std::string& caption) = 0;
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
