#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace talvon {

// Writes a new file at a path so that a save which fails half way does not
// cost the file that was there: when the card has room for both, the new
// bytes go into a file beside it (PATH.part), which takes the path only once
// it is whole. On a card without that room (or whose file system cannot say
// or rename) the new file is written over the old one, as saves always were.
class FileReplacement {
 public:
  enum class Finish { Done, CloseFailed, ReplaceFailed };

  // `size`: the bytes the new file will hold.
  FileReplacement(Files& files, std::string_view path, std::uint64_t size);
  // A replacement never finished removes what it wrote beside the old file.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Opens the file to write ("wb"); nullptr when it cannot be opened.
  FileStream* Open();
  // After the last byte: closes the file (data still buffered must reach the
  // card) and puts it in the old one's place.
  Finish Commit();
  // Whether the new file is being written beside the old one.
  bool Beside() const { return beside_; }

 private:
  Files& files_;
  std::string path_;
  std::string sidePath_;
  bool beside_ = false;
  bool committed_ = false;
  std::unique_ptr<FileStream> file_;
};

// Where a file being replaced is written until it is whole.
std::string SideFilePath(std::string_view path);

}  // namespace talvon
