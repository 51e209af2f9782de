#include "sim/roles/controller_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"

namespace talvon::sim {
namespace {

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Characters no name on the controller may hold. '*' and '?' are wildcards.
bool IsForbiddenInName(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '|': return true;
    default: return false;
  }
}

long CheckName(std::string_view name, bool wildcards) {
  if (name.size() > MaxControllerNameLength) return ERROR_FILENAME_EXCED_RANGE;
  // "." and "..", and names the controller would trim into something else
  // ("..." or "name. "), never reach the host.
  if (name.back() == '.' || name.back() == ' ') return ERROR_INVALID_NAME;
  for (char c : name) {
    if (IsForbiddenInName(static_cast<unsigned char>(c))) return ERROR_INVALID_NAME;
    if ((c == '*' || c == '?') && !wildcards) return ERROR_INVALID_NAME;
  }
  return ERROR_SUCCESS;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

long SplitControllerPath(std::string_view path, bool wildcardsInLast, std::vector<std::string>* names,
                         bool* trailingSeparator) {
  names->clear();
  if (trailingSeparator) *trailingSeparator = !path.empty() && IsSeparator(path.back());
  if (path.find('\0') != std::string_view::npos) return ERROR_INVALID_NAME;
  if (path.size() > MaxControllerPathLength) return ERROR_FILENAME_EXCED_RANGE;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start) names->emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i < names->size(); ++i) {
    const bool last = i + 1 == names->size();
    long error = CheckName((*names)[i], wildcardsInLast && last);
    if (error != ERROR_SUCCESS) return error;
  }
  return ERROR_SUCCESS;
}

bool MatchesFindPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  // Greedy match with one backtrack point: the last '*' seen.
  std::size_t n = 0, p = 0;
  std::size_t starPattern = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      latin1 += utf8[i];
      continue;
    }
    // Only the two-byte forms of U+0080 to U+00FF fit one narrow byte.
    if ((byte != 0xC2 && byte != 0xC3) || i + 1 >= utf8.size()) return std::nullopt;
    const auto next = static_cast<unsigned char>(utf8[++i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    latin1 += static_cast<char>(((byte & 0x03) << 6) | (next & 0x3F));
  }
  return latin1;
}

std::vector<HostEntry> ListHostFolder(int folderFd) {
  std::vector<HostEntry> entries;
  int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return entries;
  DIR* dir = ::fdopendir(listFd);
  if (dir == nullptr) {
    ::close(listFd);
    return entries;
  }
  while (dirent* d = ::readdir(dir)) {
    std::string_view name = d->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(folderFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) continue;
    std::optional<std::string> controllerName = Utf8ToLatin1(name);
    if (!controllerName) continue;
    HostEntry entry;
    entry.name = d->d_name;
    entry.controllerName = std::move(*controllerName);
    entry.isDirectory = S_ISDIR(st.st_mode);
    entry.size = entry.isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const HostEntry& a, const HostEntry& b) {
    std::string fa = a.name, fb = b.name;
    std::transform(fa.begin(), fa.end(), fa.begin(), FoldCase);
    std::transform(fb.begin(), fb.end(), fb.begin(), FoldCase);
    return fa != fb ? fa < fb : a.name < b.name;
  });
  return entries;
}

std::optional<HostEntry> FindHostEntry(int folderFd, std::string_view name) {
  std::optional<HostEntry> caseless;
  for (HostEntry& entry : ListHostFolder(folderFd)) {
    if (entry.controllerName == name) return entry;
    if (!caseless && EqualsIgnoringCase(entry.controllerName, name)) caseless = std::move(entry);
  }
  return caseless;
}

ControllerFileSystem::ControllerFileSystem(std::filesystem::path hostRoot) : root_(std::move(hostRoot)) {}

long ControllerFileSystem::OpenFolder(const std::vector<std::string>& names, std::size_t count, UniqueFd* folder,
                                      std::string* hostPath) const {
  UniqueFd current(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!current.Valid()) return ERROR_PATH_NOT_FOUND;
  std::string path = root_.string();
  for (std::size_t i = 0; i < count && i < names.size(); ++i) {
    std::optional<HostEntry> entry = FindHostEntry(current.Get(), names[i]);
    if (!entry || !entry->isDirectory) return ERROR_PATH_NOT_FOUND;
    UniqueFd next(::openat(current.Get(), entry->name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.Valid()) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
    current = std::move(next);
    path += '/';
    path += entry->name;
  }
  *folder = std::move(current);
  if (hostPath) *hostPath = std::move(path);
  return ERROR_SUCCESS;
}

long ErrorFromErrno(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOMEM: case EMFILE: case ENFILE: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC: case EIO: return ERROR_WRITE_FAULT;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;  // EACCES, EPERM, EISDIR, ELOOP, EROFS, ...
  }
}

}  // namespace talvon::sim
