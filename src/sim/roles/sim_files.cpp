#include "sim/roles/sim_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "platform/errors.h"

namespace talvon::sim {
namespace {

// A host stdio stream; closing twice, or reading a closed stream, is harmless.
class HostFileStream final : public FileStream {
 public:
  explicit HostFileStream(std::FILE* file) : file_(file) {}
  ~HostFileStream() override { Close(); }

  std::size_t Read(void* buffer, std::size_t count) override {
    return file_ && count ? std::fread(buffer, 1, count, file_) : 0;
  }
  std::size_t Write(const void* buffer, std::size_t count) override {
    return file_ && count ? std::fwrite(buffer, 1, count, file_) : 0;
  }
  int Seek(std::int64_t offset, int origin) override {
    if (!file_ || (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END)) return -1;
    return ::fseeko(file_, static_cast<off_t>(offset), origin) == 0 ? 0 : -1;
  }
  std::int64_t Tell() override { return file_ ? static_cast<std::int64_t>(::ftello(file_)) : -1; }
  int Close() override {
    if (!file_) return -1;
    int result = std::fclose(file_);
    file_ = nullptr;
    return result == 0 ? 0 : -1;
  }

 private:
  std::FILE* file_;
};

struct OpenMode {
  int flags = 0;
  std::string stdioMode;
  bool creates = false;
};

// fopen modes: "r", "w" or "a", then any of "b", "t" and "+" once each.
std::optional<OpenMode> ParseMode(std::string_view mode) {
  if (mode.empty()) return std::nullopt;
  bool plus = false, binary = false, text = false;
  for (char c : mode.substr(1)) {
    bool* seen = c == '+' ? &plus : c == 'b' ? &binary : c == 't' ? &text : nullptr;
    if (seen == nullptr || *seen) return std::nullopt;
    *seen = true;
  }
  if (binary && text) return std::nullopt;
  OpenMode m;
  const int access = plus ? O_RDWR : 0;
  switch (mode[0]) {
    case 'r': m.flags = plus ? O_RDWR : O_RDONLY; break;
    case 'w': m.flags = (plus ? access : O_WRONLY) | O_CREAT | O_TRUNC; m.creates = true; break;
    case 'a': m.flags = (plus ? access : O_WRONLY) | O_CREAT | O_APPEND; m.creates = true; break;
    default: return std::nullopt;
  }
  m.stdioMode = std::string(1, mode[0]) + (plus ? "+" : "") + "b";
  return m;
}

FindData ToFindData(const HostEntry& entry) {
  FindData data;
  data.name = entry.controllerName;
  data.isDirectory = entry.isDirectory;
  data.size = entry.size;
  return data;
}

}  // namespace

SimFiles::SimFiles(std::filesystem::path hostRoot) : fs_(std::move(hostRoot)) {}

std::unique_ptr<FileStream> SimFiles::Open(std::string_view controllerPath, std::string_view mode) {
  std::optional<OpenMode> m = ParseMode(mode);
  if (!m) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  std::vector<std::string> names;
  lastError_ = SplitControllerPath(controllerPath, false, &names);
  if (lastError_ != ERROR_SUCCESS) return nullptr;
  if (names.empty()) {
    // "" names nothing; "\" is the root folder, which is no file.
    lastError_ = controllerPath.empty() ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED;
    return nullptr;
  }
  UniqueFd folder;
  lastError_ = fs_.OpenFolder(names, names.size() - 1, &folder);
  if (lastError_ != ERROR_SUCCESS) return nullptr;

  std::string hostName = Latin1ToUtf8(names.back());  // a new file's name on the host
  if (std::optional<HostEntry> existing = FindHostEntry(folder.Get(), names.back())) {
    if (existing->isDirectory) {
      lastError_ = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    hostName = existing->name;
  } else if (!m->creates) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }

  // O_NONBLOCK keeps a special file that appeared since the look-up from
  // blocking the open; it is refused just below.
  UniqueFd fd(::openat(folder.Get(), hostName.c_str(), m->flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
  if (!fd.Valid()) {
    lastError_ = ErrorFromErrno(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    lastError_ = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd.Get(), m->stdioMode.c_str());
  if (file == nullptr) {
    lastError_ = ErrorFromErrno(errno);
    return nullptr;
  }
  fd.Release();
  lastError_ = ERROR_SUCCESS;
  return std::make_unique<HostFileStream>(file);
}

bool SimFiles::FindFirstFile(std::string_view controllerPath, FindData* found) {
  std::vector<std::string> names;
  bool trailingSeparator = false;
  lastError_ = SplitControllerPath(controllerPath, true, &names, &trailingSeparator);
  if (lastError_ != ERROR_SUCCESS) return false;
  // A path ending in '\' (or the root itself) asks for an empty name, which
  // nothing matches; whether its folder exists still decides the error.
  std::string pattern;
  std::size_t folders = names.size();
  if (!trailingSeparator && !names.empty()) {
    pattern = names.back();
    --folders;
  }
  UniqueFd folder;
  lastError_ = fs_.OpenFolder(names, folders, &folder);
  if (lastError_ != ERROR_SUCCESS) return false;
  if (!pattern.empty()) {
    const bool wildcard = pattern.find_first_of("*?") != std::string::npos;
    std::optional<HostEntry> match;
    if (wildcard) {
      for (HostEntry& entry : ListHostFolder(folder.Get())) {
        if (MatchesFindPattern(entry.controllerName, pattern)) {
          match = std::move(entry);
          break;
        }
      }
    } else {
      match = FindHostEntry(folder.Get(), pattern);
    }
    if (match) {
      if (found) *found = ToFindData(*match);
      lastError_ = ERROR_SUCCESS;
      return true;
    }
  }
  lastError_ = ERROR_FILE_NOT_FOUND;
  return false;
}

std::vector<FindData> SimFiles::ListDirectory(std::string_view controllerPath) {
  std::vector<FindData> result;
  std::vector<std::string> names;
  lastError_ = SplitControllerPath(controllerPath, false, &names);
  if (lastError_ != ERROR_SUCCESS) return result;
  UniqueFd folder;
  lastError_ = fs_.OpenFolder(names, names.size(), &folder);
  if (lastError_ != ERROR_SUCCESS) return result;
  std::vector<HostEntry> entries = ListHostFolder(folder.Get());
  // Folders first, as file dialogs show them.
  for (int pass = 0; pass < 2; ++pass) {
    for (const HostEntry& entry : entries) {
      if (entry.isDirectory == (pass == 0)) result.push_back(ToFindData(entry));
    }
  }
  return result;
}

long SimFiles::LocateFile(std::string_view controllerPath, UniqueFd* folder, std::string* hostName, bool* exists) {
  std::vector<std::string> names;
  long error = SplitControllerPath(controllerPath, false, &names);
  if (error != ERROR_SUCCESS) return error;
  if (names.empty()) return controllerPath.empty() ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED;
  error = fs_.OpenFolder(names, names.size() - 1, folder);
  if (error != ERROR_SUCCESS) return error;
  *hostName = Latin1ToUtf8(names.back());
  *exists = false;
  if (std::optional<HostEntry> existing = FindHostEntry(folder->Get(), names.back())) {
    if (existing->isDirectory) return ERROR_ACCESS_DENIED;
    *hostName = existing->name;
    *exists = true;
  }
  return ERROR_SUCCESS;
}

bool SimFiles::GetDiskFreeSpace(std::string_view, std::uint64_t* freeBytes) {
  struct statvfs volume {};
  if (::statvfs(fs_.HostRoot().c_str(), &volume) != 0) {
    lastError_ = ErrorFromErrno(errno);
    return false;
  }
  *freeBytes = std::uint64_t{volume.f_bavail} * volume.f_frsize;
  lastError_ = ERROR_SUCCESS;
  return true;
}

bool SimFiles::ReplaceFile(std::string_view from, std::string_view to) {
  UniqueFd fromFolder, toFolder;
  std::string fromName, toName;
  bool fromExists = false, toExists = false;
  lastError_ = LocateFile(from, &fromFolder, &fromName, &fromExists);
  if (lastError_ == ERROR_SUCCESS && !fromExists) lastError_ = ERROR_FILE_NOT_FOUND;
  if (lastError_ == ERROR_SUCCESS) lastError_ = LocateFile(to, &toFolder, &toName, &toExists);
  if (lastError_ != ERROR_SUCCESS) return false;
  // rename(2) puts the new file in place in one step: a power cut leaves
  // the old file or the new one, never neither.
  if (::renameat(fromFolder.Get(), fromName.c_str(), toFolder.Get(), toName.c_str()) != 0) {
    lastError_ = ErrorFromErrno(errno);
    return false;
  }
  return true;
}

bool SimFiles::DeleteFile(std::string_view controllerPath) {
  UniqueFd folder;
  std::string name;
  bool exists = false;
  lastError_ = LocateFile(controllerPath, &folder, &name, &exists);
  if (lastError_ == ERROR_SUCCESS && !exists) lastError_ = ERROR_FILE_NOT_FOUND;
  if (lastError_ != ERROR_SUCCESS) return false;
  if (::unlinkat(folder.Get(), name.c_str(), 0) != 0) {
    lastError_ = ErrorFromErrno(errno);
    return false;
  }
  return true;
}

}  // namespace talvon::sim
