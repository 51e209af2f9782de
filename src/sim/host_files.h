#pragma once
// Files over the host's own file system, for the recovery console: a path is
// a host path, handed to fopen unchanged. Folder listing is not needed there.
#include <cerrno>
#include <memory>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/files.h"
#include "sim/host_file_stream.h"

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

 private:
  long lastError_ = ERROR_SUCCESS;
};

}  // namespace talvon::sim
