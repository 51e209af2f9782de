#pragma once
// Files over the host's own file system, for the recovery console: a path is
// a host path, handed to fopen unchanged. Folder listing is not needed there.
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/files.h"
#include "sim/roles/host_file_stream.h"

namespace talvon::sim {

class HostFiles final : public Files {
 public:
  std::unique_ptr<FileStream> Open(std::string_view path, std::string_view mode) override {
    errno = 0;
    auto file = HostFileStream::Open(std::string(path), std::string(mode).c_str());
    lastError_ = file ? ERROR_SUCCESS : errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    return file;
  }
  bool FindFirstFile(std::string_view, FindData*) override {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return false;
  }
  std::vector<FindData> ListDirectory(std::string_view) override { return {}; }
  long GetLastError() const override { return lastError_; }
  bool GetDiskFreeSpace(std::string_view path, std::uint64_t* freeBytes) override {
    std::filesystem::path folder = std::filesystem::path(std::string(path)).parent_path();
    if (folder.empty()) folder = ".";
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0) return Failed();
    *freeBytes = std::uint64_t{volume.f_bavail} * volume.f_frsize;
    return true;
  }
  bool ReplaceFile(std::string_view from, std::string_view to) override {
    return std::rename(std::string(from).c_str(), std::string(to).c_str()) == 0 || Failed();
  }
  bool DeleteFile(std::string_view path) override { return std::remove(std::string(path).c_str()) == 0 || Failed(); }

 private:
  bool Failed() {
    lastError_ = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    return false;
  }
  long lastError_ = ERROR_SUCCESS;
};

}  // namespace talvon::sim
