#pragma once
#include <cstdint>

namespace talvon {

// Error codes as the controller's core services report them.
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_PATH_NOT_FOUND = 3;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr long ERROR_INVALID_DATA = 13;
inline constexpr long ERROR_WRITE_FAULT = 29;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_INVALID_NAME = 123;
inline constexpr long ERROR_ALREADY_EXISTS = 183;
inline constexpr long ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr long ERROR_NO_MORE_ITEMS = 259;
inline constexpr long ERROR_KEY_DELETED = 1018;
inline constexpr long ERROR_BADKEY = 1010;
inline constexpr long ERROR_REGISTRY_IO_FAILED = 1016;

}  // namespace talvon
