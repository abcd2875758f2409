#include "tests/fakes/FakeViews.h"

#include <stdexcept>

namespace fakes {

// ---- list

FakeApplicationList::FakeApplicationList() : log_(&ownLog_) {}

FakeApplicationList::FakeApplicationList(OperationLog& log) : log_(&log) {}

const FakeApplicationList::Item& FakeApplicationList::at(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        throw std::out_of_range("list index " + std::to_string(index) + " out of range");
    }
    return items_[static_cast<std::size_t>(index)];
}

void FakeApplicationList::append(const std::string& title) {
    log_->add("list append " + title);
    items_.push_back(Item{title, false});
}

int FakeApplicationList::count() const { return static_cast<int>(items_.size()); }

bool FakeApplicationList::isSelected(int index) const { return at(index).selected; }

int FakeApplicationList::selectedCount() const {
    int n = 0;
    for (const auto& item : items_) n += item.selected ? 1 : 0;
    return n;
}

void FakeApplicationList::select(int index) {
    log_->add("list select " + std::to_string(index));
    userSelect(index, true);
}

std::string FakeApplicationList::text(int index) const { return at(index).title; }

void FakeApplicationList::userSelect(int index, bool selected) {
    at(index);
    items_[static_cast<std::size_t>(index)].selected = selected;
}

void FakeApplicationList::userSelectAll() {
    for (auto& item : items_) item.selected = true;
}

std::vector<std::string> FakeApplicationList::items() const {
    std::vector<std::string> titles;
    for (const auto& item : items_) titles.push_back(item.title);
    return titles;
}

std::vector<int> FakeApplicationList::selectedIndices() const {
    std::vector<int> selected;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].selected) selected.push_back(static_cast<int>(i));
    }
    return selected;
}

// ---- dialog

FakeDialogView::FakeDialogView() : log_(&ownLog_) {}

FakeDialogView::FakeDialogView(OperationLog& log) : log_(&log) {}

void FakeDialogView::centerForm() {
    log_->add("centerForm");
    ++centered_;
}

void FakeDialogView::setCaption(const std::string& caption) {
    log_->add("caption " + caption);
    caption_ = caption;
}

void FakeDialogView::setRemoveEnabled(bool enabled) {
    log_->add(std::string("remove enabled ") + (enabled ? "1" : "0"));
    removeEnabled_ = enabled;
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
    log_->add("removing " + subject);
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
