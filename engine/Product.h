// The product this uninstaller removes, named once: its registry keys, its
// Start-menu folder, the title the program shows and its closing message.
// The demo tool and the tests take the same names from here.
#pragma once

namespace engine {

inline constexpr const char* kProductKey = "software\\Corvalune QUOB DEMO";
inline constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Corvalune QUOB DEMO";
// The product's folder in the user's Programs folder, which holds the
// applications' Start-menu folders too.
inline constexpr const char* kStartMenuFolderName = "CORVALUNE quob Demo";
inline constexpr const char* kInstallTitle = "QUOB demo application removal";
inline constexpr const char* kClosingMessage = "Application removal completed successfully.";

}  // namespace engine
