#include "operations/image_path.h"

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace talvon {

std::size_t ImagePathLength(std::string_view utf8Path) { return Utf8ToUtf16(utf8Path).size(); }

ImagePathProblem StoreImagePath(std::string_view utf8Path, ImagePathBuffer& buffer) {
  const std::u16string wide = Utf8ToUtf16(utf8Path);
  if (wide.size() > MaxImagePathLength) return ImagePathProblem::TooLong;
  if (std::any_of(wide.begin(), wide.end(), [](char16_t unit) { return unit == 0 || unit > 0xFF; })) {
    return ImagePathProblem::NotNarrow;
  }
  const std::string narrow = NarrowPath(wide);
  buffer.fill('\0');
  std::copy(narrow.begin(), narrow.end(), buffer.begin());
  return ImagePathProblem::None;
}

std::string_view ImagePathText(const ImagePathBuffer& buffer) {
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.begin()));
}

}  // namespace talvon
