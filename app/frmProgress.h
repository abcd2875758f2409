// The progress window `frmProgress`: one line naming the application whose
// removal script is running. Loaded on first use, closed after the last one.
#pragma once

#include <windows.h>

#include <string>

#include "app/Window.h"
#include "engine/Views.h"

namespace app {

class Install;

class frmProgress final : public Window, public engine::ProgressView {
public:
    explicit frmProgress(const Install& install) : install_(install) {}

    // ---- engine::ProgressView
    void removing(const std::string& subject) override;
    void show() override;
    void close() override;

    void Form_Load();

    static constexpr const char* kClassName = "frmProgress";

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const Install& install_;
    HWND fname_ = nullptr;
};

}  // namespace app
