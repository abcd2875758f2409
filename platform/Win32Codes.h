// Win32 result codes that cross the platform seams unchanged.
#pragma once

#include <cstdint>

namespace platform {

using Status = std::int32_t;

inline constexpr Status kErrorSuccess = 0;
inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorPathNotFound = 3;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorNotReady = 21;
inline constexpr Status kErrorSharingViolation = 32;
inline constexpr Status kErrorLockViolation = 33;
inline constexpr Status kErrorFileExists = 80;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorInvalidName = 123;
inline constexpr Status kErrorDirNotEmpty = 145;
inline constexpr Status kErrorMoreData = 234;

// GetDriveTypeA results.
inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdrom = 5;
inline constexpr std::uint32_t kDriveRamdisk = 6;

}  // namespace platform
