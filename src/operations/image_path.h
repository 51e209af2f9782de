#pragma once
#include <array>
#include <cstddef>
#include <string_view>

namespace talvon {

// The narrow path of the OS image file, as handed to the file functions:
// at most 99 characters and a terminating zero.
inline constexpr std::size_t ImagePathSize = 100;
using ImagePathBuffer = std::array<char, ImagePathSize>;

// Longest path that fits, in UTF-16 units of the chosen path.
inline constexpr std::size_t MaxImagePathLength = ImagePathSize - 1;

// Number of UTF-16 units of a UTF-8 path: what has to fit the buffer.
std::size_t ImagePathLength(std::string_view utf8Path);

// Why a chosen path cannot be kept.
enum class ImagePathProblem { None, TooLong, NotNarrow };

// Stores a path chosen in the file dialog (UTF-8): each UTF-16 unit becomes
// one byte (its low 8 bits) and the rest of the buffer is zeroed, so nothing
// of an earlier, longer path stays behind. A path is refused, leaving the
// buffer as it was, when it does not fit (never cut short) or when a
// character would not survive the narrowing (it would name another file).
ImagePathProblem StoreImagePath(std::string_view utf8Path, ImagePathBuffer& buffer);

// The stored path, up to its terminator.
std::string_view ImagePathText(const ImagePathBuffer& buffer);

}  // namespace talvon
