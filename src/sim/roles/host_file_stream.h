#pragma once
#include <cstdio>
#include <memory>
#include <string>

#include "platform/files.h"

namespace talvon::sim {

// A FileStream over a file of the host, for tools that read and write image
// files outside any controller.
class HostFileStream : public FileStream {
 public:
  static std::unique_ptr<FileStream> Open(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return nullptr;
    return std::unique_ptr<FileStream>(new HostFileStream(file));
  }
  ~HostFileStream() override { Close(); }

  std::size_t Read(void* buffer, std::size_t count) override { return file_ ? std::fread(buffer, 1, count, file_) : 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    return file_ ? std::fwrite(buffer, 1, count, file_) : 0;
  }
  int Seek(std::int64_t offset, int origin) override {
    return file_ && std::fseek(file_, static_cast<long>(offset), origin) == 0 ? 0 : -1;
  }
  std::int64_t Tell() override { return file_ ? std::ftell(file_) : -1; }
  int Close() override {
    if (!file_) return 0;
    const int result = std::fclose(file_);
    file_ = nullptr;
    return result == 0 ? 0 : -1;
  }

 private:
  explicit HostFileStream(std::FILE* file) : file_(file) {}
  std::FILE* file_;
};

}  // namespace talvon::sim
