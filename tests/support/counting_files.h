#pragma once
// Test doubles for the file roles: the controller's files kept in a fresh
// temporary folder, with a count of opened and closed streams and switches
// for the failures a card can show.
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace talvon::test {

class CountingFiles : public Files {
 public:
  // Controller paths ("\CompactFlash\a.bin") map to the folder's own files.
  std::filesystem::path HostPath(std::string_view controllerPath) const {
    std::string relative(controllerPath);
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    return dir_.Path() / relative;
  }

  std::unique_ptr<FileStream> Open(std::string_view controllerPath, std::string_view mode) override {
    const std::filesystem::path host = HostPath(controllerPath);
    std::FILE* file = std::fopen(host.c_str(), std::string(mode).c_str());
    if (!file) {
      lastError_ = ERROR_FILE_NOT_FOUND;
      return nullptr;
    }
    ++opened;
    return std::make_unique<Stream>(*this, file);
  }
  bool FindFirstFile(std::string_view controllerPath, FindData* found) override {
    const std::filesystem::path host = HostPath(controllerPath);
    if (!std::filesystem::exists(host)) {
      lastError_ = ERROR_FILE_NOT_FOUND;
      return false;
    }
    if (found) found->name = host.filename().string();
    return true;
  }
  std::vector<FindData> ListDirectory(std::string_view) override { return {}; }
  long GetLastError() const override { return lastError_; }
  bool GetDiskFreeSpace(std::string_view, std::uint64_t* freeBytes) override {
    *freeBytes = freeSpace;
    return true;
  }
  bool ReplaceFile(std::string_view from, std::string_view to) override {
    std::error_code ec;
    std::filesystem::rename(HostPath(from), HostPath(to), ec);
    return !ec;
  }
  bool DeleteFile(std::string_view controllerPath) override { return std::filesystem::remove(HostPath(controllerPath)); }

  void Put(std::string_view controllerPath, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path host = HostPath(controllerPath);
    std::filesystem::create_directories(host.parent_path());
    std::FILE* file = std::fopen(host.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  std::vector<std::uint8_t> Get(std::string_view controllerPath) const {
    std::vector<std::uint8_t> bytes;
    std::FILE* file = std::fopen(HostPath(controllerPath).c_str(), "rb");
    if (!file) return bytes;
    std::uint8_t piece[65536];
    for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, file)) > 0;) bytes.insert(bytes.end(), piece, piece + n);
    std::fclose(file);
    return bytes;
  }

  int opened = 0;
  int closed = 0;
  int stillOpen() const { return opened - closed; }
  // Bytes any one stream accepts before its writes come up short (a full card).
  std::size_t writeLimit = std::numeric_limits<std::size_t>::max();
  // Closing a stream reports that buffered data was lost.
  bool failClose = false;
  // What the card says it has free (a save writes beside the old file when it has room for both).
  std::uint64_t freeSpace = std::numeric_limits<std::uint64_t>::max() / 2;

 private:
  class Stream : public FileStream {
   public:
    Stream(CountingFiles& owner, std::FILE* file) : owner_(owner), file_(file) {}
    ~Stream() override { Close(); }
    std::size_t Read(void* buffer, std::size_t count) override { return file_ ? std::fread(buffer, 1, count, file_) : 0; }
    std::size_t Write(const void* buffer, std::size_t count) override {
      if (!file_) return 0;
      const std::size_t room = owner_.writeLimit - std::min(owner_.writeLimit, written_);
      const std::size_t n = std::fwrite(buffer, 1, std::min(count, room), file_);
      written_ += n;
      return n;
    }
    int Seek(std::int64_t offset, int origin) override {
      return file_ && std::fseek(file_, static_cast<long>(offset), origin) == 0 ? 0 : -1;
    }
    std::int64_t Tell() override { return file_ ? std::ftell(file_) : -1; }
    int Close() override {
      if (!file_) return 0;
      std::fclose(file_);
      file_ = nullptr;
      ++owner_.closed;
      return owner_.failClose ? -1 : 0;
    }

   private:
    CountingFiles& owner_;
    std::FILE* file_;
    std::size_t written_ = 0;
  };

  TempDir dir_;
  long lastError_ = ERROR_SUCCESS;
};

}  // namespace talvon::test
