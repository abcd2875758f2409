// Where the native tests and the fuzz targets lay the demo product down on
// the fake machine: its install folder, the user's Programs folder and the
// product's Start-menu folder in it (spelled in another case, as users and
// installers do), and the key that names the Programs folder.
#pragma once

namespace product {

inline constexpr const char* kInstallDir = "C:\\Program Files\\Corvalune";
inline constexpr const char* kPrograms = "C:\\Users\\ann\\Start Menu\\Programs";
inline constexpr const char* kProductMenu =
    "C:\\Users\\ann\\Start Menu\\Programs\\CORVALUNE quob Demo";
inline constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace product
