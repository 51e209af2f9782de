#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

// flash.bin: the 32 MiB behind the flash window, as the bus sees it in
// read-array mode (lanes interleaved), memory-mapped shared so that every
// store the chips make is in the file.
namespace talvon::sim {

class FlashFile {
 public:
  enum class Access {
    ReadWrite,  // every store the chips make is in the file
    ReadOnly,   // the file is never written: stores stay in this process's copy
  };
  // Maps the file. ReadWrite creates it first, all 0xFF (blank flash), when
  // it does not exist; ReadOnly refuses a missing file. A file of another
  // size is refused, not resized. Either way the FlashFile holds an exclusive
  // lock (flock) on the file until destroyed: a file another FlashFile holds
  // is refused at once with "controller in use" and the process holding it.
  // nullptr with *error on failure.
  static std::unique_ptr<FlashFile> Open(const std::filesystem::path& path, std::string* error,
                                         Access access = Access::ReadWrite);
  // Writes a blank image: FlashWindowSize bytes of 0xFF. The file appears
  // whole or not at all.
  static bool CreateBlank(const std::filesystem::path& path, std::string* error);

  ~FlashFile();
  FlashFile(const FlashFile&) = delete;
  FlashFile& operator=(const FlashFile&) = delete;

  std::uint8_t* Data() { return data_; }
  const std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }
  // Flushes the mapping to the file.
  bool Sync(std::string* error);

 private:
  FlashFile(std::uint8_t* data, std::size_t size, int fd) : data_(data), size_(size), fd_(fd) {}
  std::uint8_t* data_;
  std::size_t size_;
  int fd_;  // holds the exclusive lock
};

}  // namespace talvon::sim
