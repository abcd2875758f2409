// The progress window `frmProgress`: one line naming the application whose
// removal script is running. Loaded on first use, closed after the last one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "app/Window.h"
#include "engine/Views.h"

namespace app {

class frmProgress final : public Window, public engine::ProgressView {
public:
    // `installTitle` reads the variable installtitle; the window reads it
    // once, for its caption, when it loads at the first `removing`.
    explicit frmProgress(std::function<std::string()> installTitle)
        : installTitle_(std::move(installTitle)) {}

    // ---- engine::ProgressView
    void removing(const std::string& subject) override;
    void show() override;
    void close() override;

    void Form_Load();

    static constexpr const char* kClassName = "frmProgress";

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<std::string()> installTitle_;
    HWND fname_ = nullptr;
};

}  // namespace app
