#include "tests/fakes/FakeSystem.h"

#include <cstring>

#include "tests/fakes/FakeText.h"

namespace fakes {

FakeSystem::FakeSystem() : log_(&ownLog_) {}

FakeSystem::FakeSystem(OperationLog& log) : log_(&log) {}

std::string FakeSystem::programFile() {
    const bool atRoot = !programFolder_.empty() && programFolder_.back() == '\\';
    return programFolder_ + (atRoot ? "" : "\\") + programName_ + ".exe";
}

std::uint32_t FakeSystem::folderQuery(const char* what, const std::string& folder, bool fail,
                                      char* buffer, std::uint32_t size) {
    std::uint32_t result = 0;
    if (!fail) {
        const auto length = static_cast<std::uint32_t>(folder.size());
        if (length + 1 > size) {
            result = length + 1;
        } else {
            std::memcpy(buffer, folder.data(), length);
            buffer[length] = '\0';
            result = length;
        }
    }
    log_->addResult(what, result);
    return result;
}

std::uint32_t FakeSystem::getWindowsDirectory(char* buffer, std::uint32_t size) {
    return folderQuery("GetWindowsDirectory", windowsFolder_, failWindows_, buffer, size);
}

std::uint32_t FakeSystem::getSystemDirectory(char* buffer, std::uint32_t size) {
    return folderQuery("GetSystemDirectory", systemFolder_, failSystem_, buffer, size);
}

std::uint32_t FakeSystem::getDriveType(const std::string& rootPath) {
    auto it = driveTypes_.find(upperText(rootPath));
    const std::uint32_t type = it == driveTypes_.end() ? platform::kDriveNoRootDir : it->second;
    log_->addResult("GetDriveType", rootPath, type);
    return type;
}

void FakeSystem::setDriveType(const std::string& rootPath, std::uint32_t type) {
    driveTypes_[upperText(rootPath)] = type;
}

std::string FakeSystem::programFolder() {
    log_->add("programFolder -> ", programFolder_);
    return programFolder_;
}

std::string FakeSystem::programName() {
    log_->add("programName -> ", programName_);
    return programName_;
}

FakeShell::FakeShell() : log_(&ownLog_) {}

FakeShell::FakeShell(OperationLog& log) : log_(&log) {}

void FakeShell::notifyAssociationsChanged() {
    ++associationsChanged_;
    log_->add("SHChangeNotify");
}

}  // namespace fakes
