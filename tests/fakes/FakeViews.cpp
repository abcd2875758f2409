#include "tests/fakes/FakeViews.h"

namespace fakes {

// ---- dialog

FakeDialogView::FakeDialogView() : log_(&ownLog_) {}

FakeDialogView::FakeDialogView(OperationLog& log) : log_(&log) {}

void FakeDialogView::centerForm() {
    log_->add("centerForm");
    ++centered_;
}

void FakeDialogView::setCaption(const std::string& caption) {
    log_->add("caption ", caption);
    caption_ = caption;
}

void FakeDialogView::hide() {
    log_->add("hide");
    hidden_ = true;
}

void FakeDialogView::processPendingEvents() {
    log_->add("events");
    ++events_;
    if (onEvents_) onEvents_();
}

// ---- progress

FakeProgressView::FakeProgressView() : log_(&ownLog_) {}

FakeProgressView::FakeProgressView(OperationLog& log) : log_(&log) {}

void FakeProgressView::removing(const std::string& subject) {
    log_->add("removing ", subject);
    subjects_.push_back(subject);
    subject_ = subject;
}

void FakeProgressView::show() {
    log_->add("progress show");
    visible_ = true;
}

void FakeProgressView::close() {
    log_->add("progress close");
    visible_ = false;
    closed_ = true;
}

}  // namespace fakes
