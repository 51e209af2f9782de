#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace talvon {

// An open file, as the runtime's stream functions see it. Destroying the
// stream closes it.
class FileStream {
 public:
  virtual ~FileStream() = default;
  // Like fread/fwrite with an element size of 1: the count of bytes moved.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // origin: SEEK_SET, SEEK_CUR or SEEK_END. Answers 0 on success, -1 on failure (like fseek).
  virtual int Seek(std::int64_t offset, int origin) = 0;
  virtual std::int64_t Tell() = 0;
  // Answers 0 on success, -1 when buffered data could not be written (like fclose).
  virtual int Close() = 0;
};

struct FindData {
  std::string name;  // the file's own name, without its folder
  bool isDirectory = false;
  std::uint64_t size = 0;
};

// The controller's file system, addressed by controller paths such as
// "\CompactFlash\T5x5x_Backup.bak" (case-insensitive, '\' or '/').
// Paths and the names found in folders are narrow, one Latin-1 byte per
// character, as the runtime's narrow file functions take them.
class Files {
 public:
  virtual ~Files() = default;
  // mode as for fopen ("rb", "wb", "r+b", ...). nullptr when the file cannot
  // be opened; LastError() then says why.
  virtual std::unique_ptr<FileStream> Open(std::string_view controllerPath, std::string_view mode) = 0;
  // true when something matches; otherwise LastError() is ERROR_FILE_NOT_FOUND (2)
  // or ERROR_PATH_NOT_FOUND (3) when the folder itself is missing.
  virtual bool FindFirstFile(std::string_view controllerPath, FindData* found) = 0;
  // The entries of a folder, for file dialogs; empty when it does not exist.
  virtual std::vector<FindData> ListDirectory(std::string_view controllerPath) = 0;
  virtual long GetLastError() const = 0;

  // What a save needs to keep the last good file until the new one is whole.
  // A file system that cannot tell or do these answers false, and the saves
  // then write over the old file as they always did.
  //
  // Free bytes on the card that holds `controllerPath` (the file need not exist).
  virtual bool GetDiskFreeSpace(std::string_view /*controllerPath*/, std::uint64_t* /*freeBytes*/) { return false; }
  // Gives the file `from` the name `to`, in one step, replacing a file `to`
  // that exists (MoveFileEx with MOVEFILE_REPLACE_EXISTING).
  virtual bool ReplaceFile(std::string_view /*from*/, std::string_view /*to*/) { return false; }
  virtual bool DeleteFile(std::string_view /*controllerPath*/) { return false; }
};

}  // namespace talvon
