#pragma once
// Controller paths ("\CompactFlash\Velmar\Tools\BackUp.REG") mapped onto the
// host folder that holds the controller's file system (fs/ of a controller
// directory).
//
// What it models: one absolute name space with '\' or '/' between names,
// names matched without regard to ASCII case, the case of a new name kept as
// given. What it refuses, whatever bytes the path holds: "." and ".." and
// names that Windows would trim (trailing dots or blanks), zero bytes,
// control characters and characters no controller name may hold, drive
// letters, over-long names and paths. Symbolic links and special files are
// invisible: the controller's file system has none, so nothing reached
// through fs/ can lead outside it. The walk goes folder by folder on open
// descriptors, never following a link.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/roles/unique_fd.h"

namespace talvon::sim {

// Longest controller path, terminator excluded, and longest single name.
inline constexpr std::size_t MaxControllerPathLength = 259;
inline constexpr std::size_t MaxControllerNameLength = 255;

// Splits a controller path into its names. Answers ERROR_SUCCESS or the error
// the controller gives for such a path (ERROR_INVALID_NAME,
// ERROR_FILENAME_EXCED_RANGE). When `wildcardsInLast`, '*' and '?' may appear
// in the last name. `trailingSeparator` says whether the path ended in '\'.
long SplitControllerPath(std::string_view path, bool wildcardsInLast, std::vector<std::string>* names,
                         bool* trailingSeparator = nullptr);

// Whether `name` matches a find pattern with '*' and '?', without regard to
// ASCII case. "*.*" matches every name, as on the controller.
bool MatchesFindPattern(std::string_view name, std::string_view pattern);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Controller names are narrow: one byte per character, Latin-1 (what
// keeping the low byte of each UTF-16 unit makes). Host names are UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);
// nullopt when the name is not UTF-8 or holds a character beyond U+00FF,
// which no narrow controller name can hold.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

struct HostEntry {
  std::string name;            // as it is stored on the host (UTF-8)
  std::string controllerName;  // as the controller sees it (Latin-1)
  bool isDirectory = false;
  std::uint64_t size = 0;
};

// The regular files and folders of an open folder, sorted without regard to
// case. Links, special files and names no controller can spell are left out.
std::vector<HostEntry> ListHostFolder(int folderFd);

// The entry of an open folder that a controller name (Latin-1) means: the
// exact name when present, else the first that matches without regard to
// case.
std::optional<HostEntry> FindHostEntry(int folderFd, std::string_view name);

class ControllerFileSystem {
 public:
  explicit ControllerFileSystem(std::filesystem::path hostRoot);

  const std::filesystem::path& HostRoot() const { return root_; }

  // Opens the folder that the given names lead to (all of them folders).
  // ERROR_PATH_NOT_FOUND when one is missing or is not a folder.
  long OpenFolder(const std::vector<std::string>& names, std::size_t count, UniqueFd* folder,
                  std::string* hostPath = nullptr) const;

 private:
  std::filesystem::path root_;
};

// Error code for an errno value from a file operation.
long ErrorFromErrno(int error);

}  // namespace talvon::sim
